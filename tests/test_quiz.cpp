// The quiz window: its engine (questions, judging, tallying, runs, memorised, swap,
// the reset after loading, index errors) and the window around it (layout, menu,
// load and save, wiring), driven on the real window with scripted dialogs.
#include "Application.h"
#include "Cp932.h"
#include "Forms.h"
#include "ScriptedDialogs.h"
#include "TForm1.h"
#include "TestMain.h"

#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <ctime>
#include <memory>

namespace {

const QString Correct = QStringLiteral("正 解！");
const QString Wrong = QStringLiteral("残 念");
const QString Blank = QStringLiteral("      ");
const QString IndexError = QStringLiteral("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています.");

// e entries: question line "q<k>", answer line "a<k>".
QByteArrayList Entries(int e)
{
    QByteArrayList lines;
    for (int k = 0; k < e; ++k)
        lines << "q" + QByteArray::number(k) << "a" + QByteArray::number(k);
    return lines;
}

QByteArray FileBytes(const QByteArrayList &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

quint64 AfterOneDraw(quint32 seed)
{
    TRandomSource r;
    r.Seed(seed);
    r.Next();
    return r.State;
}

} // namespace

class TestQuiz : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // Engine.
    void randomSource_data();
    void randomSource();
    void firstQuestionAfterSeedingUsesEveryButton();
    void oneDrawPerQuestion();
    void formCreate();
    void resetAfterLoading();
    void questionBuilding_data();
    void questionBuilding();
    void judging_data();
    void judging();
    void fullRun_data();
    void fullRun();
    void tallyingByVerdictText();
    void restart();
    void memorised_data();
    void memorised();
    void swapTwice();
    void shortLists_data();
    void shortLists();
    void oddListFailsAtTheLastQuestion();
    void memorisedAtTheEndOfARun();
    void beforeAnyList();
    void emptyList_data();
    void emptyList();

    // Window.
    void layout_data();
    void layout();
    void form();
    void tabOrder();
    void tooltips();
    void menuTree();
    void wordTextShownAsWritten();
    void longLinesAreCutAtTheEdge();
    void loadCancelled();
    void loadRetryAndCancel();
    void save();
    void saveFailure();
    void captionKeepsPath();
    void wiring_data();
    void wiring();
    void roundTrip();

private:
    QLabel *Label(const char *name) const { return Form->findChild<QLabel *>(QLatin1String(name)); }
    QPushButton *Button(const char *name) const { return Form->findChild<QPushButton *>(QLatin1String(name)); }
    QAction *Action(const char *name) const { return Form->findChild<QAction *>(QLatin1String(name)); }
    QPushButton *Slot(int k) const { return Button(QByteArray("Button" + QByteArray::number(k)).constData()); }
    void Click(const char *name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    QString Write(const QByteArray &bytes, const QString &name = QStringLiteral("list.dat"));
    // Loads lines through the load command, answering the error report it raises.
    void Load(const QByteArrayList &lines, bool report = false);
    QList<bool> Enabled() const;
    void CheckIndexReport(int box = 0);

    std::unique_ptr<QTemporaryDir> Dir;
    std::unique_ptr<ScriptedDialogs> Seam;
    std::unique_ptr<TForm1> Form;
};

void TestQuiz::init()
{
    Dir = std::make_unique<QTemporaryDir>();
    Seam = std::make_unique<ScriptedDialogs>();
    Form = std::make_unique<TForm1>();
    Form->FormCreate(Form.get());
    Form->show();
}

void TestQuiz::cleanup()
{
    Form.reset();
    delete Form2;
    delete AboutBox;
    Form2 = AboutBox = nullptr;
    const QStringList errors = Seam->Errors;
    const int pending = Seam->Pending();
    Seam.reset();
    Dir.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
    QCOMPARE(pending, 0);
}

QString TestQuiz::Write(const QByteArray &bytes, const QString &name)
{
    const QString path = Dir->filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

void TestQuiz::Load(const QByteArrayList &lines, bool report)
{
    Seam->Choose(Write(FileBytes(lines)));
    if (report)
        Seam->Answer(TModalResult::Ok);
    Click("Yomikomi");
}

QList<bool> TestQuiz::Enabled() const
{
    return {Slot(1)->isEnabled(), Slot(2)->isEnabled(), Slot(3)->isEnabled(), Slot(4)->isEnabled()};
}

void TestQuiz::CheckIndexReport(int box)
{
    QVERIFY(Seam->Boxes.size() > box);
    const TMessageBoxRequest &r = Seam->Boxes.at(box);
    QCOMPARE(r.Text, IndexError);
    QCOMPARE(r.Caption, QStringLiteral("Tavi"));
    QCOMPARE(r.Buttons, TMsgButtons::Ok);
    QCOMPARE(r.Icon, TMsgIcon::Stop);
}

// ---------------------------------------------------------------- engine

void TestQuiz::randomSource_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QList<quint32>>("draws");
    QTest::newRow("0") << 0u << QList<quint32>{0u, 346u, 13854878u, 1621890440u};
    QTest::newRow("1") << 1u << QList<quint32>{346u, 13854878u, 1621890440u, 816282396u};
    QTest::newRow("12345") << 12345u << QList<quint32>{4271370u, 1382990846u, 2021515706u, 1387358403u};
    QTest::newRow("all ones") << 0xFFFFFFFFu << QList<quint32>{19674u, 386986254u, 633379648u, 1472523813u};
}

void TestQuiz::randomSource()
{
    QFETCH(quint32, seed);
    QFETCH(QList<quint32>, draws);
    TRandomSource r;
    r.Seed(seed);
    QList<quint32> got;
    for (int i = 0; i < draws.size(); ++i)
        got << r.Next();
    QCOMPARE(got, draws);
}

void TestQuiz::firstQuestionAfterSeedingUsesEveryButton()
{
    // Loads a second apart must not keep the first answer on two buttons only.
    int perSlot[4] = {};
    for (quint32 t = 1765000000u; t < 1765004000u; ++t) {
        TRandomSource r;
        r.Seed(TRandomSource::MixClock(t));
        ++perSlot[r.Next() % 4];
    }
    for (int count : perSlot)
        QVERIFY2(count > 850 && count < 1150, QByteArray::number(count).constData());
}

void TestQuiz::oneDrawPerQuestion()
{
    Load(Entries(6));
    Form->Random.Seed(12345); // draws 4271370, 1382990846, 2021515706, 1387358403: slots 3, 3, 3, 4
    Form->K5Click(nullptr);
    QCOMPARE(Form->AnswerSlot, 3);
    Form->Button6Click(nullptr);
    QCOMPARE(Form->AnswerSlot, 3);
    Click("Susumeru");
    QCOMPARE(Form->AnswerSlot, 3);
    Seam->Answer(TModalResult::No);
    Click("Sakujo");
    QCOMPARE(Form->AnswerSlot, 4);
    // An empty list draws too.
    TForm1 empty;
    empty.FormCreate(&empty);
    empty.Random.Seed(1);
    empty.K5Click(nullptr);
    QCOMPARE(empty.AnswerSlot, 3);
    QCOMPARE(empty.Random.State, AfterOneDraw(1));
}

void TestQuiz::formCreate()
{
    const auto before = static_cast<quint32>(std::time(nullptr));
    TForm1 f;
    f.FormCreate(&f);
    const auto after = static_cast<quint32>(std::time(nullptr));
    bool seeded = false;
    for (quint32 t = before; t <= after; ++t)
        seeded = seeded || f.Random.State == TRandomSource::MixClock(t);
    QVERIFY(seeded);
    QCOMPARE(f.WordList->Count(), 0);
    QCOMPARE(f.Position, 0);
    QCOMPARE(f.QuestionCount, 0);
    QCOMPARE(f.CorrectCount, 0);
    QCOMPARE(f.AnswerSlot, 0);
    QCOMPARE(f.FileName, QString());
    auto label = [&](const char *name) { return f.findChild<QLabel *>(QLatin1String(name))->text(); };
    QCOMPARE(label("Label3"), QString());
    QCOMPARE(label("Label2"), QString());
    QCOMPARE(label("Label1"), QStringLiteral(" 判 定 "));
    QCOMPARE(label("Label4"), QStringLiteral("第    問"));
    // No question yet: the layout's captions stay, the answer is visible.
    QCOMPARE(label("Label6"), QStringLiteral("Pelimo 1.3.1"));
    QCOMPARE(label("Label5"), QStringLiteral("正解"));
    QVERIFY(f.findChild<QLabel *>(QStringLiteral("Label5"))->isVisibleTo(&f));
    QCOMPARE(f.findChild<QPushButton *>(QStringLiteral("Button3"))->text(), QStringLiteral("3"));
    QCOMPARE(f.windowTitle(), QStringLiteral("☆Sorvik"));
}

void TestQuiz::resetAfterLoading()
{
    // A run in progress with a correct verdict showing: loading drops it untallied.
    Load(Entries(6));
    Click("Susumeru");
    Form->AnswerSlot = 1;
    Click("Button1");
    QCOMPARE(Label("Label1")->text(), Correct);

    const QString path = Write(FileBytes(Entries(5)), QStringLiteral("next.dat"));
    Seam->Choose(path);
    const auto before = static_cast<quint32>(std::time(nullptr));
    Click("Yomikomi");
    const auto after = static_cast<quint32>(std::time(nullptr));

    QCOMPARE(Form->Position, 0);
    QCOMPARE(Form->QuestionCount, 0);
    QCOMPARE(Form->CorrectCount, 0);
    QCOMPARE(Form->FileName, path);
    QCOMPARE(Label("Label4")->text(), QStringLiteral("第 1 問"));
    QVERIFY(!Label("Label5")->isVisible());
    QCOMPARE(Label("Label3")->text(), QStringLiteral("0"));
    QCOMPARE(Label("Label2")->text(), QStringLiteral("0"));
    QCOMPARE(Label("Label1")->text(), Blank);
    QCOMPARE(Form->windowTitle(), QStringLiteral("Sorvik(") + path + QStringLiteral(")"));
    QCOMPARE(Label("Label6")->text(), QStringLiteral("q0"));
    QCOMPARE(Enabled(), (QList<bool>{true, true, true, true}));
    // Seeded from the clock, then one draw for the question.
    bool seeded = false;
    for (quint32 t = before; t <= after; ++t)
        seeded = seeded || Form->Random.State == AfterOneDraw(TRandomSource::MixClock(t));
    QVERIFY(seeded);
}

void TestQuiz::questionBuilding_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("choices"); // Button1 .. Button4
    // Entry 1 is asked (Position 2): its answer on the slot, then entries 2, 3, 4 wrapping.
    QTest::newRow("slot 1") << 0u << 1 << QStringList{"a1", "a2", "a3", "a4"};
    QTest::newRow("slot 2") << 1765000001u << 2 << QStringList{"a4", "a1", "a2", "a3"};
    QTest::newRow("slot 3") << 1u << 3 << QStringList{"a3", "a4", "a1", "a2"};
    QTest::newRow("slot 4") << 1765000000u << 4 << QStringList{"a2", "a3", "a4", "a1"};
}

void TestQuiz::questionBuilding()
{
    QFETCH(quint32, seed);
    QFETCH(int, slot);
    QFETCH(QStringList, choices);
    Load(Entries(6));
    Click("Susumeru");
    Form->Random.Seed(seed);
    Form->ShowQuestion(); // the same question again, from the seeded source
    QCOMPARE(Form->AnswerSlot, slot);
    QCOMPARE(Label("Label6")->text(), QStringLiteral("q1"));
    QCOMPARE(Label("Label5")->text(), QStringLiteral("a1"));
    QCOMPARE((QStringList{Slot(1)->text(), Slot(2)->text(), Slot(3)->text(), Slot(4)->text()}), choices);
    QVERIFY(!Label("Label5")->isVisible());
}

void TestQuiz::judging_data()
{
    QTest::addColumn<int>("clicked");
    QTest::addColumn<bool>("right");
    for (int k = 1; k <= 4; ++k) {
        QTest::addRow("Button%d right", k) << k << true;
        QTest::addRow("Button%d wrong", k) << k << false;
    }
}

void TestQuiz::judging()
{
    QFETCH(int, clicked);
    QFETCH(bool, right);
    Load(Entries(5));
    Form->AnswerSlot = right ? clicked : clicked % 4 + 1;
    QTest::mouseClick(Slot(clicked), Qt::LeftButton);
    QCOMPARE(Label("Label1")->text(), right ? Correct : Wrong);
    QCOMPARE(Label("Label5")->isVisible(), !right);
    QList<bool> expected{false, false, false, false};
    expected[clicked - 1] = true;
    QCOMPARE(Enabled(), expected);
    // Clicking again repeats the verdict and counts nothing.
    QTest::mouseClick(Slot(clicked), Qt::LeftButton);
    QCOMPARE(Label("Label1")->text(), right ? Correct : Wrong);
    QCOMPARE(Form->QuestionCount, 0);
    QCOMPARE(Form->CorrectCount, 0);
}

void TestQuiz::fullRun_data()
{
    QTest::addColumn<int>("entries");
    QTest::newRow("4 entries") << 4;
    QTest::newRow("5 entries") << 5;
    QTest::newRow("9 entries") << 9;
}

void TestQuiz::fullRun()
{
    QFETCH(int, entries);
    Load(Entries(entries));
    int right = 0;
    for (int q = 0; q < entries - 3; ++q) {
        QCOMPARE(Label("Label6")->text(), QStringLiteral("q%1").arg(q));
        QCOMPARE(Label("Label4")->text(), QStringLiteral("第 %1 問").arg(q + 1));
        QCOMPARE(Label("Label3")->text(), QString::number(q));
        QCOMPARE(Label("Label2")->text(), QString::number(right));
        // Every other question answered right, the others wrong.
        const int slot = q % 2 == 0 ? Form->AnswerSlot : Form->AnswerSlot % 4 + 1;
        right += q % 2 == 0;
        QTest::mouseClick(Slot(slot), Qt::LeftButton);
        Click("Susumeru");
        QCOMPARE(Label("Label1")->text(), Blank);
        QVERIFY(!Label("Label5")->isVisible());
    }
    // The run has ended.
    QCOMPARE(Label("Label6")->text(), QStringLiteral("終了"));
    QCOMPARE((QStringList{Slot(1)->text(), Slot(2)->text(), Slot(3)->text(), Slot(4)->text(), Label("Label5")->text()}),
             QStringList(5, QString()));
    QCOMPARE(Label("Label3")->text(), QString::number(entries - 3));
    QCOMPARE(Label("Label2")->text(), QString::number(right));
    QCOMPARE(Label("Label4")->text(), QStringLiteral("第 %1 問").arg(entries - 3));
    QCOMPARE(Form->Position, -2);
    QCOMPARE(Form->QuestionCount, -1);
    QCOMPARE(Form->CorrectCount, 0);
    // The last question was answered, so only its button stayed enabled: left as it was.
    QCOMPARE(Enabled().count(true), 1);
}

void TestQuiz::tallyingByVerdictText()
{
    Load(Entries(8));
    // Right answer clicked twice: counted once.
    Form->AnswerSlot = 2;
    Click("Button2");
    Click("Button2");
    Click("Susumeru");
    QCOMPARE(Label("Label2")->text(), QStringLiteral("1"));
    // Revealed without answering: a completed question, not correct.
    Click("Miru");
    QCOMPARE(Label("Label1")->text(), Blank);
    Click("Susumeru");
    QCOMPARE(Label("Label3")->text(), QStringLiteral("2"));
    QCOMPARE(Label("Label2")->text(), QStringLiteral("1"));
    // Revealed after a right answer: "正 解！" still shows and is counted.
    Form->AnswerSlot = 4;
    Click("Button4");
    Click("Miru");
    QCOMPARE(Label("Label1")->text(), Correct);
    Click("Susumeru");
    QCOMPARE(Label("Label2")->text(), QStringLiteral("2"));
    // Only the text decides: a verdict that merely looks alike is not counted.
    Label("Label1")->setText(QStringLiteral("正 解!"));
    Click("Susumeru");
    QCOMPARE(Label("Label3")->text(), QStringLiteral("4"));
    QCOMPARE(Label("Label2")->text(), QStringLiteral("2"));
}

void TestQuiz::restart()
{
    Load(Entries(4));
    // Wrong answer, then back to the first question: the answer stays revealed.
    Form->AnswerSlot = 1;
    Click("Button2");
    Form->K5Click(nullptr);
    QCOMPARE(Form->Position, 0);
    QCOMPARE(Label("Label4")->text(), QStringLiteral("第 １ 問"));
    QCOMPARE(Label("Label3")->text(), QStringLiteral("0"));
    QCOMPARE(Label("Label2")->text(), QStringLiteral("0"));
    QCOMPARE(Label("Label1")->text(), Wrong);
    QVERIFY(Label("Label5")->isVisible());
    QCOMPARE(Enabled(), (QList<bool>{true, true, true, true}));

    // End the run without answering: every blank button stays enabled and still judges.
    Click("Susumeru");
    QCOMPARE(Label("Label6")->text(), QStringLiteral("終了"));
    QCOMPARE(Label("Label3")->text(), QStringLiteral("1"));
    QTest::mouseClick(Slot(Form->AnswerSlot), Qt::LeftButton);
    QCOMPARE(Label("Label1")->text(), Correct);
    // The next advance starts a new run; the verdict showing is tallied into it.
    Click("Susumeru");
    QCOMPARE(Form->Position, 0);
    QCOMPARE(Label("Label6")->text(), QStringLiteral("q0"));
    QCOMPARE(Label("Label4")->text(), QStringLiteral("第 1 問"));
    QCOMPARE(Label("Label3")->text(), QStringLiteral("0"));
    QCOMPARE(Label("Label2")->text(), QStringLiteral("1"));
    QCOMPARE(Form->QuestionCount, 0);
    QCOMPARE(Enabled(), (QList<bool>{true, true, true, true}));
}

void TestQuiz::memorised_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << int(TModalResult::Yes);
    QTest::newRow("no") << int(TModalResult::No);
    QTest::newRow("cancel") << int(TModalResult::Cancel);
}

void TestQuiz::memorised()
{
    QFETCH(int, answer);
    const bool yes = answer == int(TModalResult::Yes);
    QByteArrayList lines = Entries(5);
    lines[2] = Cp932::Encode(QStringLiteral("犬"));
    Load(lines);
    Click("Susumeru");
    Form->AnswerSlot = 1;
    Click("Button3");
    QCOMPARE(Label("Label1")->text(), Wrong);

    Seam->Answer(TModalResult(answer));
    Click("Sakujo");
    QCOMPARE(Seam->Boxes.size(), 1);
    const TMessageBoxRequest &box = Seam->Boxes.first();
    QCOMPARE(box.Owner, Form.get());
    QCOMPARE(box.Text, QStringLiteral("犬 を末尾に移動します。"));
    QCOMPARE(box.Caption, QStringLiteral("移動"));
    QCOMPARE(box.Buttons, TMsgButtons::YesNoCancel);
    QCOMPARE(box.Icon, TMsgIcon::None);

    QCOMPARE(Form->Position, 2);
    QByteArrayList now;
    for (int i = 0; i < Form->WordList->Count(); ++i)
        now << Form->WordList->Get(i);
    QByteArrayList moved = lines;
    if (yes)
        moved = lines.mid(0, 2) + lines.mid(4) + lines.mid(2, 2);
    QCOMPARE(now, moved);
    QCOMPARE(Label("Label6")->text(), yes ? QStringLiteral("q2") : QStringLiteral("犬"));
    QCOMPARE(Label("Label4")->text(), yes ? QStringLiteral("第 3 問") : QStringLiteral("第 2 問"));
    QCOMPARE(Label("Label3")->text(), yes ? QStringLiteral("2") : QStringLiteral("1"));
    QCOMPARE(Label("Label2")->text(), QStringLiteral("0"));
    QCOMPARE(Label("Label1")->text(), yes ? Blank : Wrong);
    QVERIFY(!Label("Label5")->isVisible());
    QCOMPARE(Enabled(), (QList<bool>{true, true, true, true}));
}

void TestQuiz::swapTwice()
{
    QByteArrayList lines = Entries(5);
    lines << "odd";
    Load(lines);
    Click("Susumeru");
    Form->AnswerSlot = 1;
    Click("Button2");
    const QStringList labels{Label("Label1")->text(), Label("Label2")->text(), Label("Label3")->text(),
                             Label("Label4")->text()};

    auto list = [this] {
        QByteArrayList out;
        for (int i = 0; i < Form->WordList->Count(); ++i)
            out << Form->WordList->Get(i);
        return out;
    };
    Click("Button6");
    QCOMPARE(list(), (QByteArrayList{"a0", "q0", "a1", "q1", "a2", "q2", "a3", "q3", "a4", "q4", "odd"}));
    QCOMPARE(Form->Position, 0);
    QCOMPARE(Label("Label6")->text(), QStringLiteral("a0"));
    QCOMPARE(Label("Label5")->text(), QStringLiteral("q0"));
    QVERIFY(!Label("Label5")->isVisible());
    QCOMPARE(Enabled(), (QList<bool>{true, true, true, true}));
    QCOMPARE((QStringList{Label("Label1")->text(), Label("Label2")->text(), Label("Label3")->text(),
                          Label("Label4")->text()}),
             labels);
    Click("Button6");
    QCOMPARE(list(), lines);
    QCOMPARE(Label("Label6")->text(), QStringLiteral("q0"));
}

void TestQuiz::shortLists_data()
{
    QTest::addColumn<int>("count");
    for (int n = 1; n <= 7; ++n)
        QTest::addRow("%d lines", n) << n;
}

void TestQuiz::shortLists()
{
    QFETCH(int, count);
    const QByteArrayList lines = Entries(4).mid(0, count);
    // The answer buttons keep the state they had: the load's last step never runs.
    Click("Miru");
    Load(lines, true);
    CheckIndexReport();
    QCOMPARE(Seam->Boxes.size(), 1);
    QCOMPARE(Enabled(), (QList<bool>{false, false, false, false}));
    // What the reset did before the failing read stays done.
    QCOMPARE(Form->WordList->Count(), count);
    QCOMPARE(Label("Label4")->text(), QStringLiteral("第 1 問"));
    QCOMPARE(Label("Label3")->text(), QStringLiteral("0"));
    QCOMPARE(Label("Label1")->text(), Blank);
    QVERIFY(Form->windowTitle().startsWith(QStringLiteral("Sorvik(")));
    QCOMPARE(Label("Label6")->text(), QStringLiteral("q0"));
    QCOMPARE(Label("Label5")->text(), count >= 2 ? QStringLiteral("a0") : QStringLiteral("正解"));
    // Choices from lines 1, 3, 5 as far as they exist, from the answer's slot on.
    QStringList expected{"1", "2", "3", "4"};
    for (int i = 0; 1 + 2 * i < count; ++i)
        expected[(Form->AnswerSlot - 1 + i) % 4] = QString::fromLatin1(lines.at(1 + 2 * i));
    QCOMPARE((QStringList{Slot(1)->text(), Slot(2)->text(), Slot(3)->text(), Slot(4)->text()}), expected);
    // Too short for a question: the next advance ends the run.
    Click("Susumeru");
    QCOMPARE(Label("Label6")->text(), QStringLiteral("終了"));
    QCOMPARE(Form->Position, -2);
}

void TestQuiz::oddListFailsAtTheLastQuestion()
{
    QByteArrayList lines = Entries(4);
    lines << "odd";
    Load(lines);
    Form->Random.Seed(0); // the next question draws 0 and lands on slot 1 ...
    Form->K5Click(nullptr);
    Seam->Answer(TModalResult::Ok);
    Click("Susumeru");
    CheckIndexReport();
    QCOMPARE(Form->Position, 2);
    QCOMPARE(Label("Label4")->text(), QStringLiteral("第 2 問"));
    QCOMPARE(Label("Label3")->text(), QStringLiteral("1"));
    QCOMPARE(Label("Label6")->text(), QStringLiteral("q1"));
    QCOMPARE(Label("Label5")->text(), QStringLiteral("a1"));
    // ... this one draws 346: a1, a2, a3 on slots 3, 4, 1; slot 2 keeps the a1 it had.
    QCOMPARE(Form->AnswerSlot, 3);
    QCOMPARE((QStringList{Slot(1)->text(), Slot(2)->text(), Slot(3)->text(), Slot(4)->text()}),
             (QStringList{"a3", "a1", "a1", "a2"}));
    Click("Susumeru");
    QCOMPARE(Label("Label6")->text(), QStringLiteral("終了"));
    QCOMPARE(Label("Label3")->text(), QStringLiteral("2"));
}

void TestQuiz::memorisedAtTheEndOfARun()
{
    Load(Entries(4));
    Click("Susumeru");
    const QStringList before{Label("Label1")->text(), Label("Label2")->text(), Label("Label3")->text(),
                             Label("Label4")->text(), Label("Label6")->text()};
    Click("Miru");
    Seam->Answer(TModalResult::Ok);
    Click("Sakujo");
    // The read fails before any question is asked or anything changes.
    QCOMPARE(Seam->Boxes.size(), 1);
    CheckIndexReport();
    QCOMPARE(Form->WordList->Count(), 8);
    QCOMPARE(Form->Position, -2);
    QVERIFY(Label("Label5")->isVisible());
    QCOMPARE(Enabled(), (QList<bool>{false, false, false, false}));
    QCOMPARE((QStringList{Label("Label1")->text(), Label("Label2")->text(), Label("Label3")->text(),
                          Label("Label4")->text(), Label("Label6")->text()}),
             before);
}

void TestQuiz::beforeAnyList()
{
    // No question yet: AnswerSlot is 0, so every answer is wrong.
    Click("Button3");
    QCOMPARE(Label("Label1")->text(), Wrong);
    QVERIFY(Label("Label5")->isVisible());
    QCOMPARE(Label("Label5")->text(), QStringLiteral("正解"));
    QCOMPARE(Enabled(), (QList<bool>{false, false, true, false}));
    // Memorised does nothing at all.
    Click("Sakujo");
    QCOMPARE(Seam->Boxes.size(), 0);
    // Advancing ends the run at once.
    Click("Susumeru");
    QCOMPARE(Label("Label6")->text(), QStringLiteral("終了"));
    QCOMPARE(Label("Label3")->text(), QStringLiteral("1"));
    QCOMPARE(Label("Label2")->text(), QStringLiteral("0"));
    QCOMPARE(Form->Position, -2);
}

void TestQuiz::emptyList_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("load an empty file") << QStringLiteral("load");
    QTest::newRow("back to the first question") << QStringLiteral("K5");
    QTest::newRow("swap") << QStringLiteral("Button6");
}

void TestQuiz::emptyList()
{
    QFETCH(QString, how);
    Form->FileName = QStringLiteral("/somewhere/old.dat");
    Click("Miru");
    if (how == QLatin1String("load"))
        Load({});
    else if (how == QLatin1String("K5"))
        Action("K5")->trigger();
    else
        Click("Button6");
    QCOMPARE(Form->windowTitle(), QStringLiteral("Sorvik"));
    QCOMPARE(Form->FileName, QString());
    QCOMPARE((QStringList{Label("Label6")->text(), Label("Label5")->text(), Slot(1)->text(), Slot(2)->text(),
                          Slot(3)->text(), Slot(4)->text()}),
             QStringList(6, QString()));
    QCOMPARE(Enabled(), (QList<bool>{true, true, true, true}));
    QCOMPARE(Seam->Boxes.size(), 0);
}

// ---------------------------------------------------------------- window

void TestQuiz::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("colour"); // invalid: the form's text colour
    const QString form = QStringLiteral("centralwidget");
    const QString panel = QStringLiteral("Panel1");
    const QString p = QStringLiteral("IPAPGothic");
    const QColor none, black(0, 0, 0), maroon(128, 0, 0), green(0, 128, 0), navy(0, 0, 128), red(255, 0, 0);
    // Labels as designed, but as tall as their font's line height (IPA fonts: 16 px
    // -> 17, 13 px -> 14, 24 px -> 26), so that descenders show.
    auto row = [](const char *n, const QString &par, QRect g, const QString &c, const QString &f, int px, bool b,
                  QColor col) { QTest::newRow(n) << QString::fromLatin1(n) << par << g << c << f << px << b << col; };
    row("Label2", form, {400, 37, 7, 17}, "", p, 16, true, green);
    row("Label3", form, {400, 61, 7, 17}, "", p, 16, true, green);
    row("Label4", form, {352, 8, 65, 25}, "Label4", p, 16, true, navy);
    row("Label7", form, {352, 40, 39, 14}, "正答数", p, 13, false, black);
    row("Label8", form, {352, 64, 39, 14}, "問題数", p, 13, false, black);
    row("Susumeru", form, {304, 152, 113, 57}, ">>", p, 13, true, black);
    row("Miru", form, {304, 120, 113, 25}, "正解表示", p, 12, false, none);
    row("Yomikomi", form, {344, 224, 73, 25}, "読み込み", p, 12, false, none);
    row("Tojiru", form, {8, 224, 73, 25}, "閉じる", p, 12, false, none);
    row("Button1", form, {16, 88, 281, 25}, "1", p, 19, true, maroon);
    row("Button2", form, {16, 120, 281, 25}, "2", p, 19, true, maroon);
    row("Button3", form, {16, 152, 281, 25}, "3", p, 19, true, maroon);
    row("Button4", form, {16, 184, 281, 25}, "4", p, 19, true, maroon);
    row("Sakujo", form, {304, 88, 113, 25}, "記憶完了", p, 12, false, none);
    row("Hozon", form, {92, 224, 73, 25}, "保 存", p, 12, false, none);
    row("Panel1", form, {16, 8, 329, 73}, "", p, 12, false, none);
    row("Label1", panel, {56, 48, 35, 17}, "判定", p, 16, true, navy);
    row("Label5", panel, {152, 48, 35, 17}, "正解", p, 16, true, red);
    row("Label6", panel, {16, 8, 304, 26}, "Pelimo 1.3.1", QStringLiteral("IPAGothic"), 24, true, black);
    row("Button5", form, {260, 224, 73, 25}, "編集画面", p, 12, false, none);
    row("Button6", form, {176, 224, 73, 25}, "英和／和英", p, 12, false, none);
}

void TestQuiz::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, family);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    QFETCH(QColor, colour);
    TForm1 fresh; // design captions: before FormCreate
    QWidget *w = fresh.findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QCOMPARE(w->geometry(), geometry);
    QVERIFY(w->isVisibleTo(&fresh));
    QVERIFY(w->isEnabled());
    QCOMPARE(w->font().pixelSize(), pixels);
    QCOMPARE(w->font().bold(), bold);
    QCOMPARE(QFontInfo(w->font()).family(), family);
    const QColor formText = fresh.palette().color(QPalette::WindowText);
    if (auto *label = qobject_cast<QLabel *>(w)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(!label->wordWrap());
        // The score labels are tied to their numbers, for screen readers.
        const QString buddy = name == QLatin1String("Label7")   ? QStringLiteral("Label2")
                              : name == QLatin1String("Label8") ? QStringLiteral("Label3")
                                                                : QString();
        QCOMPARE(label->buddy() ? label->buddy()->objectName() : QString(), buddy);
        QCOMPARE(label->palette().color(QPalette::WindowText), colour.isValid() ? colour : formText);
    } else if (auto *button = qobject_cast<QPushButton *>(w)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->autoDefault());
        QVERIFY(!button->isDefault());
        QVERIFY(button->shortcut().isEmpty());
        if (colour.isValid())
            QCOMPARE(button->palette().color(QPalette::ButtonText), colour);
    } else {
        auto *frame = qobject_cast<QFrame *>(w);
        QVERIFY(frame);
        QCOMPARE(frame->frameShape(), QFrame::Panel);
        QCOMPARE(frame->frameShadow(), QFrame::Raised);
        QCOMPARE(frame->lineWidth(), 1);
        QCOMPARE(frame->contentsRect(), QRect(1, 1, 327, 71));
    }
}

void TestQuiz::form()
{
    TForm1 fresh;
    QCOMPARE(fresh.objectName(), QStringLiteral("TForm1"));
    QCOMPARE(fresh.windowTitle(), QStringLiteral("☆Sorvik"));
    QCOMPARE(fresh.pos(), QPoint(166, 105));
    QCOMPARE(fresh.size(), QSize(429, 271));
    QCOMPARE(fresh.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(fresh.font().pixelSize(), 12);
    QVERIFY(!fresh.font().bold());
    QCOMPARE(QFontInfo(fresh.font()).family(), QStringLiteral("IPAPGothic"));
    QCOMPARE(fresh.menuBar()->objectName(), QStringLiteral("MainMenu1"));
    // Absolute places: nothing rearranges the controls when the window is resized.
    QVERIFY(!fresh.centralWidget()->layout());
    fresh.show();
    fresh.resize(700, 500);
    QCOMPARE(fresh.findChild<QWidget *>(QStringLiteral("Yomikomi"))->geometry(), QRect(344, 224, 73, 25));
}

void TestQuiz::tabOrder()
{
    const QStringList expected{"Susumeru", "Miru", "Yomikomi", "Tojiru", "Button1", "Button2",
                               "Button3",  "Button4", "Sakujo", "Hozon", "Button5", "Button6"};
    QStringList order;
    QWidget *w = Button("Susumeru");
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != Button("Susumeru"));
    QCOMPARE(order, expected);
}

void TestQuiz::tooltips()
{
    const QMap<QString, QString> expected{
        {"Susumeru", "次へ進みます。"},
        {"Miru", "正解を見ますか。"},
        {"Yomikomi", "最初に、問題ファイルを開きましょう。"},
        {"Tojiru", "終了します。"},
        {"Sakujo", "憶えた単語をファイルの最後に移動します。後で保存を忘れないように。"},
        {"Hozon", "記憶完了を使用した場合、保存して下さい"},
        {"Button5", "問題の追加・変更など。"},
        {"Button6", "英和・和英の切替えをします。"},
    };
    QMap<QString, QString> got;
    const auto widgets = Form->findChildren<QWidget *>();
    for (QWidget *w : widgets)
        if (!w->toolTip().isEmpty())
            got.insert(w->objectName(), w->toolTip());
    QVERIFY(Form->toolTip().isEmpty());
    QCOMPARE(got, expected);
    for (auto *menu : Form->findChildren<QMenu *>())
        QVERIFY(!menu->toolTipsVisible());
}

void TestQuiz::menuTree()
{
    auto *bar = Form->findChild<QMenuBar *>(QStringLiteral("MainMenu1"));
    QVERIFY(bar);
    QStringList tree;
    for (QAction *top : bar->actions()) {
        tree << top->menu()->objectName() + QLatin1Char(' ') + top->text();
        for (QAction *item : top->menu()->actions()) {
            tree << QStringLiteral("  ") + item->objectName() + QLatin1Char(' ') + item->text() +
                        (item->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
            QVERIFY(!item->isSeparator());
            QVERIFY(item->shortcut().isEmpty());
            QVERIFY(QKeySequence::mnemonic(item->text()).isEmpty());
        }
        QVERIFY(QKeySequence::mnemonic(top->text()).isEmpty());
    }
    const QStringList expected{
        "K1 ファイル操作", "  Open1 開く",         "  K2 保存",     "  K3 編集画面", "  K4 英和／和英切替え",
        "  K5 問題の最初へ", "  N1 ---------------- (disabled)", "  Exit1 終了", "K6 お知らせ", "  K7 バージョン情報",
    };
    QCOMPARE(tree, expected);
}

void TestQuiz::wordTextShownAsWritten()
{
    QByteArrayList lines = Entries(4);
    lines[0] = "R&D";
    lines[1] = "x&y";
    lines[3] = "<b>&&</b>";
    Load(lines);
    QCOMPARE(Label("Label6")->text(), QStringLiteral("R&D"));
    QCOMPARE(Label("Label5")->text(), QStringLiteral("x&y"));
    QVERIFY(!Label("Label6")->buddy());
    QCOMPARE(Label("Label6")->textFormat(), Qt::PlainText);
    // A button reads "&&" as one literal '&' and takes no Alt shortcut from it.
    QPushButton *answer = Slot(Form->AnswerSlot);
    QCOMPARE(answer->text(), QStringLiteral("x&&y"));
    QVERIFY(answer->shortcut().isEmpty());
    QPushButton *next = Slot(Form->AnswerSlot % 4 + 1);
    QCOMPARE(next->text(), QStringLiteral("<b>&&&&</b>"));
    QVERIFY(next->shortcut().isEmpty());
    // Alt+Y must not press it, where a real mnemonic would.
    Form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    QTest::keyClick(Form->windowHandle(), Qt::Key_Y, Qt::AltModifier);
    QVERIFY(!answer->isDown());
    answer->setText(QStringLiteral("&y"));
    QTest::keyClick(Form->windowHandle(), Qt::Key_Y, Qt::AltModifier);
    QVERIFY(answer->isDown());
    QTRY_COMPARE(Label("Label1")->text(), Correct);
    // The memorised box names the word as written too.
    Seam->Answer(TModalResult::Cancel);
    Click("Sakujo");
    QCOMPARE(Seam->Boxes.first().Text, QStringLiteral("R&D を末尾に移動します。"));
}

void TestQuiz::longLinesAreCutAtTheEdge()
{
    QByteArrayList lines = Entries(4);
    lines[0] = QByteArray(200, 'W');
    lines[1] = QByteArray(200, 'M');
    Load(lines);
    // Grown to the panel's inner edge (its 1-pixel frame stays visible), on one line.
    QCOMPARE(Label("Label6")->geometry(), QRect(16, 8, 328 - 16, 26));
    QCOMPARE(Label("Label5")->geometry(), QRect(152, 48, 328 - 152, 17));
    QCOMPARE(Slot(Form->AnswerSlot)->geometry().size(), QSize(281, 25));
    QCOMPARE(Slot(Form->AnswerSlot)->text(), QString(200, QLatin1Char('M')));
    // A short line brings a label back to its designed width, never below it.
    Load(Entries(4));
    QCOMPARE(Label("Label6")->geometry(), QRect(16, 8, 304, 26));
    QCOMPARE(Label("Label5")->geometry(), QRect(152, 48, 35, 17));
    // The verdict, wider than its designed 35 pixels, grows to show in full.
    Form->AnswerSlot = 1;
    Click("Button1");
    QCOMPARE(Label("Label1")->width(), Label("Label1")->sizeHint().width());
    QVERIFY(Label("Label1")->width() > 35);
}

void TestQuiz::loadCancelled()
{
    Click("Miru");
    Seam->Cancel();
    Click("Yomikomi");
    QCOMPARE(Seam->FileDialogs.size(), 1);
    const auto &run = Seam->FileDialogs.first();
    QCOMPARE(run.Kind, TFileDialogKind::Open);
    QCOMPARE(run.Owner, Form.get());
    QCOMPARE(run.FileName, QString());
    QCOMPARE(run.Filter, QStringLiteral("ﾃﾞｰﾀ(*.dat)|*.dat|ﾃｷｽﾄ(*.txt)|*.txt"));
    QCOMPARE(run.FilterIndex, 1);
    QCOMPARE(run.DefaultExt, QStringLiteral("dat"));
    QCOMPARE(Form->WordList->Count(), 0);
    QCOMPARE(Form->FileName, QString());
    QCOMPARE(Form->windowTitle(), QStringLiteral("☆Sorvik"));
    QCOMPARE(Enabled(), (QList<bool>{true, true, true, true}));
}

void TestQuiz::loadRetryAndCancel()
{
    const QString good = Write(FileBytes(Entries(5)), QStringLiteral("good.dat"));
    const QString missing = Dir->filePath(QStringLiteral("missing.dat"));
    const QString other = Write(FileBytes(Entries(6)), QStringLiteral("other.dat"));
    // Missing, Retry, then a good file.
    Seam->Choose(missing).Answer(TModalResult::Retry).Choose(good);
    Click("Yomikomi");
    QCOMPARE(Seam->Boxes.size(), 1);
    const TMessageBoxRequest &box = Seam->Boxes.first();
    QCOMPARE(box.Owner, Form.get());
    QCOMPARE(box.Text, QStringLiteral("ﾌｧｲﾙ ") + missing + QStringLiteral(" は開けません"));
    QCOMPARE(box.Caption, QStringLiteral("ok"));
    QCOMPARE(box.Buttons, TMsgButtons::RetryCancel);
    QCOMPARE(box.Icon, TMsgIcon::None);
    QCOMPARE(Seam->FileDialogs.size(), 2);
    QCOMPARE(Seam->FileDialogs.at(1).FileName, missing);
    QCOMPARE(Form->FileName, good);
    QCOMPARE(Form->WordList->Count(), 10);
    QCOMPARE(Form->windowTitle(), QStringLiteral("Sorvik(") + good + QStringLiteral(")"));

    // In the middle of an answered question: missing, then Cancel.
    Click("Susumeru");
    Click("Miru");
    Seam->ClearRecord();
    Seam->Choose(missing).Answer(TModalResult::Cancel);
    Click("Yomikomi");
    QCOMPARE(Seam->FileDialogs.first().FileName, good);
    QCOMPARE(Seam->Boxes.size(), 1);
    QCOMPARE(Form->WordList->Count(), 10);
    QCOMPARE(Form->Position, 2);
    QCOMPARE(Label("Label3")->text(), QStringLiteral("1"));
    QCOMPARE(Label("Label6")->text(), QStringLiteral("q1"));
    QCOMPARE(Form->windowTitle(), QStringLiteral("Sorvik(") + good + QStringLiteral(")"));
    QCOMPARE(Form->FileName, missing); // the failed path presets the next dialogs
    QCOMPARE(Enabled(), (QList<bool>{true, true, true, true}));

    // A folder cannot be opened either; the next run is preset with the failed path.
    Seam->ClearRecord();
    Seam->Choose(Dir->path()).Answer(TModalResult::Retry).Choose(other);
    Click("Yomikomi");
    QCOMPARE(Seam->FileDialogs.first().FileName, missing);
    QCOMPARE(Seam->Boxes.first().Text, QStringLiteral("ﾌｧｲﾙ ") + Dir->path() + QStringLiteral(" は開けません"));
    QCOMPARE(Form->WordList->Count(), 12);
}

void TestQuiz::save()
{
    // An empty list opens no dialog.
    Click("Hozon");
    QCOMPARE(Seam->FileDialogs.size(), 0);

    Load(Entries(4));
    const QString loaded = Form->FileName;
    Seam->ClearRecord();
    Seam->Cancel();
    Click("Hozon");
    QCOMPARE(Seam->FileDialogs.size(), 1);
    const auto &run = Seam->FileDialogs.first();
    QCOMPARE(run.Kind, TFileDialogKind::Save);
    QCOMPARE(run.Owner, Form.get());
    QCOMPARE(run.FileName, loaded);
    QVERIFY(run.OverwritePrompt);
    QCOMPARE(run.Filter, QStringLiteral("ﾃﾞｰﾀ(*.dat)|*.dat|ﾃｷｽﾄ(*.txt)|*.txt"));
    QCOMPARE(run.FilterIndex, 1);
    QCOMPARE(run.DefaultExt, QStringLiteral("dat"));
    QCOMPARE(Form->FileName, loaded);
    QCOMPARE(Form->windowTitle(), QStringLiteral("Sorvik(") + loaded + QStringLiteral(")"));

    // Saved in its current order, CR LF after every line; nothing of the quiz changes.
    Click("Button6");
    Click("Susumeru");
    const QString target = Dir->filePath(QStringLiteral("saved.dat"));
    Seam->Choose(target);
    Click("Hozon");
    QCOMPARE(ReadBytes(target), QByteArray("a0\r\nq0\r\na1\r\nq1\r\na2\r\nq2\r\na3\r\nq3\r\n"));
    QCOMPARE(Form->FileName, target);
    QCOMPARE(Form->windowTitle(), QStringLiteral("Sorvik(") + target + QStringLiteral(")"));
    QCOMPARE(Label("Label6")->text(), QStringLiteral("終了"));
    QCOMPARE(Form->Position, -2);
    QCOMPARE(ReadBytes(loaded), FileBytes(Entries(4)));
}

void TestQuiz::saveFailure()
{
    Load(Entries(4));
    const QString target = Dir->filePath(QStringLiteral("no-such-folder/saved.dat"));
    Seam->Choose(target).Answer(TModalResult::Ok);
    Click("Hozon");
    QCOMPARE(Seam->Boxes.size(), 1);
    QCOMPARE(Seam->Boxes.first().Text, QStringLiteral("ﾌｧｲﾙ ") + target + QStringLiteral(" を作成できません."));
    QCOMPARE(Seam->Boxes.first().Caption, QStringLiteral("Tavi"));
    // The new name was taken before the write failed.
    QCOMPARE(Form->FileName, target);
    QCOMPARE(Form->windowTitle(), QStringLiteral("Sorvik(") + target + QStringLiteral(")"));
}

void TestQuiz::captionKeepsPath()
{
    const QString path = Write(FileBytes(Entries(4)), QStringLiteral("week[*]1.dat"));
    Seam->Choose(path);
    Click("Yomikomi");
    QCOMPARE(Form->FileName, path);
    QVERIFY(Form->windowHandle());
    QCOMPARE(Form->windowHandle()->title(), QStringLiteral("Sorvik(") + path + QStringLiteral(")"));
}

void TestQuiz::wiring_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("effect");
    const QList<QPair<const char *, const char *>> rows{
        {"Susumeru", "next"},     {"Miru", "reveal"},     {"Button1", "answer 1"}, {"Button2", "answer 2"},
        {"Button3", "answer 3"},  {"Button4", "answer 4"}, {"Sakujo", "memorised"}, {"Button6", "swap"},
        {"K4", "swap"},           {"K5", "first"},        {"Yomikomi", "load"},    {"Open1", "load"},
        {"Hozon", "save"},        {"K2", "save"},         {"Tojiru", "close"},     {"Exit1", "close"},
        {"Button5", "editor"},    {"K3", "editor"},       {"K7", "about"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.first) << QString::fromLatin1(r.first) << QString::fromLatin1(r.second);
}

void TestQuiz::wiring()
{
    QFETCH(QString, source);
    QFETCH(QString, effect);
    Load(Entries(6));
    Click("Susumeru");
    Form->AnswerSlot = 2;
    Form2 = new QWidget;
    AboutBox = new QWidget;
    if (effect == QLatin1String("memorised"))
        Seam->Answer(TModalResult::No);
    if (effect == QLatin1String("load") || effect == QLatin1String("save"))
        Seam->Cancel();
    Seam->ClearRecord();

    if (auto *button = Form->findChild<QPushButton *>(source))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        Form->findChild<QAction *>(source)->trigger();

    if (effect == QLatin1String("next")) {
        QCOMPARE(Label("Label6")->text(), QStringLiteral("q2"));
    } else if (effect == QLatin1String("reveal")) {
        QVERIFY(Label("Label5")->isVisible());
        QCOMPARE(Enabled(), (QList<bool>{false, false, false, false}));
    } else if (effect.startsWith(QLatin1String("answer"))) {
        const int k = effect.back().digitValue();
        QCOMPARE(Label("Label1")->text(), k == 2 ? Correct : Wrong);
        QCOMPARE(Enabled().count(true), 1);
        QVERIFY(Slot(k)->isEnabled());
    } else if (effect == QLatin1String("memorised")) {
        QCOMPARE(Seam->Boxes.size(), 1);
        QCOMPARE(Seam->Boxes.first().Caption, QStringLiteral("移動"));
    } else if (effect == QLatin1String("swap")) {
        QCOMPARE(Form->WordList->Get(0), QByteArray("a0"));
        QCOMPARE(Label("Label6")->text(), QStringLiteral("a0"));
    } else if (effect == QLatin1String("first")) {
        QCOMPARE(Label("Label4")->text(), QStringLiteral("第 １ 問"));
        QCOMPARE(Label("Label6")->text(), QStringLiteral("q0"));
    } else if (effect == QLatin1String("load") || effect == QLatin1String("save")) {
        QCOMPARE(Seam->FileDialogs.size(), 1);
        QCOMPARE(Seam->FileDialogs.first().Kind,
                 effect == QLatin1String("load") ? TFileDialogKind::Open : TFileDialogKind::Save);
    } else if (effect == QLatin1String("close")) {
        QVERIFY(!Form->isVisible()); // not the main window here: only hidden
    } else if (effect == QLatin1String("editor")) {
        QVERIFY(Form2->isVisible());
        QVERIFY(!AboutBox->isVisible());
        QVERIFY(Form->isVisible());
    } else if (effect == QLatin1String("about")) {
        QVERIFY(AboutBox->isVisible());
        QVERIFY(!Form2->isVisible());
    } else {
        QFAIL("unknown effect");
    }
    // Without the other windows (as while they are created) nothing happens.
    if (effect == QLatin1String("editor") || effect == QLatin1String("about")) {
        delete Form2;
        delete AboutBox;
        Form2 = AboutBox = nullptr;
        Form->findChild<QAction *>(QStringLiteral("K7"))->trigger();
        Click("Button5");
    }
}

void TestQuiz::roundTrip()
{
    const QString fixture = QStringLiteral(TAVI_TEST_DATA "/quiz_words.dat");
    const QByteArray original = ReadBytes(fixture);
    const QString source = Write(original, QStringLiteral("words.dat"));
    Seam->Choose(source);
    Click("Yomikomi");
    QCOMPARE(Label("Label6")->text(), QStringLiteral("dog"));
    QCOMPARE(Label("Label5")->text(), QStringLiteral("犬"));
    QCOMPARE(Slot(Form->AnswerSlot)->text(), QStringLiteral("犬"));
    QCOMPARE(Slot((Form->AnswerSlot + 1) % 4 + 1)->text(), QStringLiteral("研究開発"));

    // Answer right, then mark "dog" memorised: it moves to the end.
    QTest::mouseClick(Slot(Form->AnswerSlot), Qt::LeftButton);
    QCOMPARE(Label("Label1")->text(), Correct);
    Seam->Answer(TModalResult::Yes);
    Click("Sakujo");
    QCOMPARE(Label("Label2")->text(), QStringLiteral("1"));
    QCOMPARE(Label("Label6")->text(), QStringLiteral("cat"));
    // A byte without a character is shown as a stand-in and saved back as it was.
    QCOMPARE(Slot((Form->AnswerSlot + 2) % 4 + 1)->text(), QString(QStringLiteral("魚") + QChar(0xF7FD)));

    const QString target = Dir->filePath(QStringLiteral("memorised.dat"));
    Seam->Choose(target);
    Click("Hozon");
    const QByteArrayList lines = original.split('\n');
    QByteArray expected;
    for (int i = 2; i < 10; ++i)
        expected += lines.at(i) + '\n';
    expected += lines.at(0) + '\n' + lines.at(1) + '\n';
    QCOMPARE(ReadBytes(target), expected);
    QCOMPARE(ReadBytes(source), original);
}

TAVI_TEST_MAIN(TestQuiz)
#include "test_quiz.moc"
