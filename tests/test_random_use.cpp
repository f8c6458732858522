// Random use: the quiz window, the word editor and the about box driven through
// thousands of random clicks, menu commands and typed texts, with every dialog
// answered at random as it comes (cancel, lists good and bad, missing paths, Yes,
// No, Cancel, Retry). After every step the windows must have kept their promises:
// only the family's failures reach the report, the quiz position is even or -2,
// the lists hold exactly what the commands made of them (memorised and swap move
// lines, never lose or alter one), typed text is stored as typed, and nothing is
// written to disk but by a save answered with a path, holding the list byte for
// byte.
//
// TAVI_RANDOM_SEED sets the first round's seed (rounds use seed, seed + 1, ...),
// TAVI_RANDOM_ROUNDS and TAVI_RANDOM_STEPS the amount. A failure names the seed
// and the step to replay.
#include "Application.h"
#include "Cp932.h"
#include "Forms.h"
#include "LineText.h"
#include "ScriptedDialogs.h"
#include "ListRules.h"
#include "TAboutBox.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestMain.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <sys/stat.h>

namespace {

enum Window { Quiz, Editor, About };
enum class Kind { Other, Load, Save, Memorised, Swap, Add, Change, Close };

const QString IndexReport = QStringLiteral("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています.");

quint64 EnvNumber(const char *name, quint64 fallback)
{
    bool ok = false;
    const quint64 value = qEnvironmentVariable(name).toULongLong(&ok, 0);
    return ok ? value : fallback;
}

QByteArrayList LinesOf(const WordList &list)
{
    QByteArrayList lines;
    for (int i = 0; i < list.Count(); ++i)
        lines << list.Get(i);
    return lines;
}

// A text cut short for a message.
QString Short(const QString &text)
{
    return text.size() <= 60 ? text : text.left(60) + QStringLiteral("... (%1 characters)").arg(text.size());
}

// The list edits the quiz makes, written plainly.
QByteArrayList Moved(QByteArrayList lines, int p)
{
    for (int step = 0; step < 2; ++step) {
        lines.append(lines.at(p));
        lines.removeAt(p);
    }
    return lines;
}

QByteArrayList Swapped(QByteArrayList lines)
{
    for (int i = 0; i + 1 < lines.size(); i += 2)
        lines.swapItemsAt(i, i + 1);
    return lines;
}

// What code page 932 gives back of a typed text: the JIS characters Linux input
// methods type come back in the code page's form of the same character.
QString Stored(QString text)
{
    static const QList<QPair<char16_t, char16_t>> jis = {
        {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x2014, 0x2015},
        {0x2016, 0x2225}, {0x2212, 0xFF0D}, {0x301C, 0xFF5E},
    };
    for (const auto &[from, to] : jis)
        text.replace(QChar(from), QChar(to));
    return text;
}

// A file's identity and contents, to tell whether anything touched it.
struct FileState {
    qint64 Size = -1;
    qint64 MTime = 0;
    quint64 Inode = 0;
    bool operator==(const FileState &o) const { return Size == o.Size && MTime == o.MTime && Inode == o.Inode; }
};

FileState StateOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, quint64(st.st_ino)};
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Dialogs answered on demand, so the script never runs dry: each box or file
// dialog gets an answer of its kind from the test's random source, recorded with
// what was asked.
class RandomDialogs : public ScriptedDialogs {
public:
    std::function<TModalResult(const TMessageBoxRequest &)> AnswerBox;
    std::function<QString(const TFileDialog &)> AnswerFile; // empty: cancel

    struct Asked {
        bool IsFile;
        QString Path; // the path chosen; empty when cancelled
        TMessageBoxRequest Box;
        TModalResult Answer;
    };
    QList<Asked> Step; // what this step asked, in order

    TModalResult MessageBox(const TMessageBoxRequest &request) override
    {
        const TModalResult answer = AnswerBox(request);
        Answer(answer);
        Step.append({false, QString(), request, answer});
        return ScriptedDialogs::MessageBox(request);
    }

    bool RunFileDialog(TFileDialog &dialog, QWidget *owner) override
    {
        const QString path = AnswerFile(dialog);
        if (path.isEmpty())
            Cancel();
        else
            Choose(path);
        Step.append({true, path, TMessageBoxRequest(), TModalResult::None});
        return ScriptedDialogs::RunFileDialog(dialog, owner);
    }
};

// The offscreen platform warns at every raise() and resize; thousands of steps
// would bury everything else.
QtMessageHandler QtTestHandler = nullptr;

void QuietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    QtTestHandler(type, context, message);
}

} // namespace

class TestRandomUse : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QtTestHandler = qInstallMessageHandler(QuietOffscreen); }
    void cleanupTestCase() { qInstallMessageHandler(QtTestHandler); }
    void randomUse_data();
    void randomUse();
    // Faults random use found, replayed step by step.
    void boxKeptFromAListInTheOtherEncoding();

private:
    struct Action {
        Window Where;
        QString Name;
        Kind What;
        std::function<void()> Run;
    };

    void MakeFixtures();
    void MakeActions();
    QString Text(int maxLength);
    QString ChooseFile(const TFileDialog &dialog);
    TModalResult ChooseAnswer(const TMessageBoxRequest &request);
    QByteArrayList Lines(Window w) const;
    // The checks after a step; an empty text when all hold.
    QString Check(const Action &action);
    QString CheckBoxes(const Action &action) const;
    QString CheckList(Window w, const QByteArrayList &expected) const;
    QString CheckDisk(const Action &action);
    QByteArrayList LoadedOr(const QByteArrayList &before, QString *loaded) const;
    TModalResult Confirmation(const QString &caption) const;

    std::mt19937_64 Rng;
    int Pick(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(Rng)); }
    bool Chance(int percent) { return Pick(100) < percent; }

    std::unique_ptr<QTemporaryDir> Dir;
    std::unique_ptr<RandomDialogs> D;
    std::unique_ptr<TForm1> Q;
    std::unique_ptr<TForm2> E;
    std::unique_ptr<TAboutBox> A;
    QList<Action> Actions;

    QStringList OpenChoices; // fixtures, and lists saved since
    QMap<QString, QByteArray> Disk; // every file in Dir with its bytes
    QMap<QString, FileState> States;
    QMap<QString, int> Tally; // the boxes and dialogs of a round, for its summary

    // The state before the step.
    QByteArrayList QuizBefore, EditorBefore;
    int QuizPositionBefore = 0, EditorPositionBefore = 0;
    QString Edit1Before, Edit2Before;
    bool Edit1WasReadOnly = false, Edit2WasReadOnly = false;
    TLineEncoding EditorEncodingBefore = TLineEncoding::Cp932;
};

void TestRandomUse::MakeFixtures()
{
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        const QString path = Dir->filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        OpenChoices << path;
    };
    QByteArrayList good;
    const char *const words[][2] = {{"apple", "りんご"}, {"book", "本"},   {"cat", "猫"},       {"dog", "犬"},
                                    {"egg", "卵"},       {"fish", "魚"},   {"R&D", "研究 開発"}, {"100%", "全部"},
                                    {"rule", "№１"},    {"whale", "鯨"}, {"minus", "−"},       {"wave", "〜"}};
    for (const auto &w : words)
        good << QByteArray(w[0]) << Cp932::Encode(QString::fromUtf8(w[1]));
    write(QStringLiteral("good.dat"), JoinLines(good));
    // Duplicate codes, bytes without a character, half-width katakana, blanks.
    const QByteArray oddities = ReadAll(QStringLiteral(TAVI_TEST_DATA "/rb_cp932_oddities.dat"));
    if (oddities.isEmpty())
        qFatal("the fixture rb_cp932_oddities.dat is missing");
    write(QStringLiteral("cp932.dat"), oddities);
    write(QStringLiteral("utf8.dat"), "\xEF\xBB\xBF" "apple\nりんご\nbook\n本\ncat\n猫\ndog\n犬\negg\n卵\n");
    write(QStringLiteral("empty.dat"), QByteArray());
    for (int n = 1; n <= 7; ++n)
        write(QStringLiteral("lines%1.dat").arg(n), JoinLines(good.mid(0, n)));
    write(QStringLiteral("odd.dat"), JoinLines(good.mid(0, 11)));
    // One line longer than the editor's box shows, one shorter, among entries.
    QByteArrayList longLines = good.mid(0, 10);
    longLines[2] = QByteArray(BoxText::Limit + 9000, 'L');
    longLines[5] = QByteArray(40000, 'l');
    write(QStringLiteral("long.dat"), JoinLines(longLines) + "no line end");
    if (!QDir(Dir->path()).mkdir(QStringLiteral("folder")))
        qFatal("cannot make a folder in %s", qPrintable(Dir->path()));
    OpenChoices << Dir->filePath(QStringLiteral("folder")) << Dir->filePath(QStringLiteral("missing.dat"));

    for (const QString &name : QDir(Dir->path()).entryList(QDir::Files)) {
        const QString path = Dir->filePath(name);
        Disk.insert(path, ReadAll(path));
        States.insert(path, StateOf(path));
    }
}

void TestRandomUse::MakeActions()
{
    const auto click = [](QPushButton *b) { return [b] { QTest::mouseClick(b, Qt::LeftButton); }; };
    const auto trigger = [](QAction *a) { return [a] { a->trigger(); }; };
    TForm1 *q = Q.get();
    TForm2 *e = E.get();
    Actions = {
        {Quiz, "Susumeru", Kind::Other, click(q->Susumeru)},
        {Quiz, "Miru", Kind::Other, click(q->Miru)},
        {Quiz, "Yomikomi", Kind::Load, click(q->Yomikomi)},
        {Quiz, "Tojiru", Kind::Close, click(q->Tojiru)},
        {Quiz, "Button1", Kind::Other, click(q->Button1)},
        {Quiz, "Button2", Kind::Other, click(q->Button2)},
        {Quiz, "Button3", Kind::Other, click(q->Button3)},
        {Quiz, "Button4", Kind::Other, click(q->Button4)},
        {Quiz, "Sakujo", Kind::Memorised, click(q->Sakujo)},
        {Quiz, "Hozon", Kind::Save, click(q->Hozon)},
        {Quiz, "Button5", Kind::Other, click(q->Button5)},
        {Quiz, "Button6", Kind::Swap, click(q->Button6)},
        {Quiz, "Open1", Kind::Load, trigger(q->Open1)},
        {Quiz, "K2", Kind::Save, trigger(q->K2)},
        {Quiz, "K3", Kind::Other, trigger(q->K3)},
        {Quiz, "K4", Kind::Swap, trigger(q->K4)},
        {Quiz, "K5", Kind::Other, trigger(q->K5)},
        {Quiz, "N1", Kind::Other, trigger(q->N1)},
        {Quiz, "Exit1", Kind::Close, trigger(q->Exit1)},
        {Quiz, "K7", Kind::Other, trigger(q->K7)},
        {Editor, "Button1", Kind::Other, click(e->Button1)},
        {Editor, "Button2", Kind::Other, click(e->Button2)},
        {Editor, "Button3", Kind::Add, click(e->Button3)},
        {Editor, "Button4", Kind::Change, click(e->Button4)},
        {Editor, "Button5", Kind::Other, click(e->Button5)},
        {Editor, "Button6", Kind::Save, click(e->Button6)},
        {Editor, "Open1", Kind::Load, trigger(e->Open1)},
        {Editor, "Hozo", Kind::Save, trigger(e->Hozo)},
        {Editor, "Close1", Kind::Other, trigger(e->Close1)},
        {About, "OKButton", Kind::Other, click(A->findChild<QPushButton *>(QStringLiteral("OKButton")))},
    };
    // Typing into the editor's boxes: pasted (every character, through the box's
    // own check) or keyed (ASCII), replacing or adding to what is there.
    for (QLineEdit *box : {e->Edit1, e->Edit2}) {
        const QString name = QStringLiteral("type into ") + box->objectName();
        Actions.append({Editor, name, Kind::Other, [this, box] {
                            if (Chance(50))
                                box->selectAll();
                            else
                                box->end(false);
                            if (Chance(30)) {
                                QString ascii;
                                for (const QChar c : Text(8))
                                    if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
                                        ascii += c;
                                QTest::keyClicks(box, ascii);
                            } else {
                                QApplication::clipboard()->setText(Text(12));
                                box->paste();
                            }
                        }});
        Actions.append({Editor, QStringLiteral("erase in ") + box->objectName(), Kind::Other, [this, box] {
                            for (int n = Pick(4); n > 0; --n)
                                QTest::keyClick(box, Qt::Key_Backspace);
                        }});
    }
}

QString TestRandomUse::Text(int maxLength)
{
    static const QString pools[] = {
        QStringLiteral("abcxyzABC 0189-'.,&%[]*?!~\\"),
        QStringLiteral("りんご本猫犬英単語ｱｲｳﾘｽﾄ　、。"),
        QStringLiteral("纊№∵髙﨑"),             // duplicate codes
        QStringLiteral("−〜¥‖—¢£¬"),            // stored as their look-alikes
        QStringLiteral("éñ€😀한\u00A0"),          // no code in code page 932
        QStringLiteral("\r\n\t") + QChar(0) + QChar(0xD800), // line breaks, NUL, half a pair
    };
    QString text;
    for (int n = Pick(maxLength + 1); n > 0; --n) {
        const QString &pool = pools[Pick(Chance(70) ? 2 : 6)];
        const int at = Pick(int(pool.size()));
        // Keep a surrogate pair whole (the pools hold one).
        if (pool.at(at).isHighSurrogate() && at + 1 < pool.size() && pool.at(at + 1).isLowSurrogate())
            text += pool.mid(at, 2);
        else if (!pool.at(at).isLowSurrogate())
            text += pool.at(at);
    }
    return text;
}

QString TestRandomUse::ChooseFile(const TFileDialog &dialog)
{
    if (Chance(15))
        return QString();
    if (!dialog.FileName.isEmpty() && Chance(15))
        return dialog.FileName;
    if (dialog.Kind == TFileDialogKind::Open)
        return OpenChoices.at(Pick(int(OpenChoices.size())));
    switch (Pick(6)) {
    case 0:
        return Dir->filePath(QStringLiteral("missing folder/list.dat"));
    case 1:
        return Dir->filePath(QStringLiteral("folder"));
    case 2:
        return OpenChoices.at(Pick(int(OpenChoices.size()))); // over a fixture, or failing
    default:
        return Dir->filePath(QStringLiteral("saved %1.dat").arg(Pick(4)));
    }
}

TModalResult TestRandomUse::ChooseAnswer(const TMessageBoxRequest &request)
{
    switch (request.Buttons) {
    case TMsgButtons::Ok:
        return TModalResult::Ok;
    case TMsgButtons::RetryCancel:
        return Chance(40) ? TModalResult::Retry : TModalResult::Cancel;
    case TMsgButtons::YesNoCancel:
        return Chance(50) ? TModalResult::Yes : Chance(50) ? TModalResult::No : TModalResult::Cancel;
    }
    return TModalResult::Cancel;
}

QByteArrayList TestRandomUse::Lines(Window w) const
{
    return LinesOf(w == Quiz ? *Q->WordList : *E->WordList);
}

void TestRandomUse::randomUse_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<int>("steps");
    const quint64 seed = EnvNumber("TAVI_RANDOM_SEED", 20240611);
    const int rounds = int(EnvNumber("TAVI_RANDOM_ROUNDS", 4));
    const int steps = int(EnvNumber("TAVI_RANDOM_STEPS", 2500));
    for (int r = 0; r < rounds; ++r)
        QTest::addRow("seed %llu", seed + r) << seed + r << steps;
}

void TestRandomUse::randomUse()
{
    QFETCH(quint64, seed);
    QFETCH(int, steps);
    Rng.seed(seed);
    Dir = std::make_unique<QTemporaryDir>();
    QVERIFY(Dir->isValid());
    OpenChoices.clear();
    Tally.clear();
    Disk.clear();
    States.clear();
    MakeFixtures();

    D = std::make_unique<RandomDialogs>();
    D->AnswerBox = [this](const TMessageBoxRequest &r) { return ChooseAnswer(r); };
    D->AnswerFile = [this](const TFileDialog &d) { return ChooseFile(d); };
    Q = std::make_unique<TForm1>();
    E = std::make_unique<TForm2>();
    A = std::make_unique<TAboutBox>();
    Form1 = Q.get();
    Form2 = E.get();
    AboutBox = A.get();
    Q->FormCreate(Q.get());
    E->FormCreate(E.get());
    Q->show();
    MakeActions();

    QStringList trail;
    QString problem;
    int step = 0;
    for (; step < steps && problem.isEmpty(); ++step) {
        QList<const Action *> possible;
        for (const Action &a : Actions)
            if ((a.Where == Quiz ? Q->isVisible() : a.Where == Editor ? E->isVisible() : A->isVisible()))
                possible << &a;
        const Action &action = *possible.at(Pick(int(possible.size())));
        trail << (action.Where == Quiz ? QStringLiteral("quiz ") : action.Where == Editor ? QStringLiteral("editor ")
                                                                                           : QStringLiteral("about "))
                     + action.Name;
        if (trail.size() > 12)
            trail.removeFirst();

        QuizBefore = Lines(Quiz);
        EditorBefore = Lines(Editor);
        QuizPositionBefore = Q->Position;
        EditorPositionBefore = E->Position;
        Edit1Before = E->Edit1->text();
        Edit2Before = E->Edit2->text();
        Edit1WasReadOnly = E->Edit1->isReadOnly();
        Edit2WasReadOnly = E->Edit2->isReadOnly();
        EditorEncodingBefore = E->Encoding;
        D->Step.clear();
        D->ClearRecord();

        action.Run();
        QCoreApplication::processEvents();
        problem = Check(action);
        for (const RandomDialogs::Asked &asked : D->Step)
            ++Tally[asked.IsFile ? (asked.Path.isEmpty() ? QStringLiteral("dialog cancelled") : QStringLiteral("path chosen"))
                                 : asked.Box.Caption];
        if (action.What == Kind::Close && Q->isHidden())
            Forms::Show(Q.get()); // the learner starts the program again
    }
    Form1 = Form2 = AboutBox = nullptr;
    A.reset();
    E.reset();
    Q.reset();
    D.reset();
    Dir.reset();
    if (!problem.isEmpty())
        QFAIL(qPrintable(QStringLiteral("seed %1, step %2: %3\nlast actions: %4\nreplay: TAVI_RANDOM_SEED=%1 "
                                        "TAVI_RANDOM_ROUNDS=1 TAVI_RANDOM_STEPS=%2")
                             .arg(seed)
                             .arg(step)
                             .arg(problem, trail.join(QStringLiteral(", ")))));
    QStringList tally;
    for (auto it = Tally.cbegin(); it != Tally.cend(); ++it)
        tally << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    qInfo("seed %llu: %d random actions; %s", seed, step, qPrintable(tally.join(QStringLiteral(", "))));
}

QString TestRandomUse::Check(const Action &action)
{
    if (!D->Errors.isEmpty())
        return D->Errors.join(QLatin1Char('\n'));
    QString problem = CheckBoxes(action);
    if (!problem.isEmpty())
        return problem;
    if (Q->Position != -2 && (Q->Position < 0 || Q->Position % 2 != 0))
        return QStringLiteral("quiz position %1").arg(Q->Position);
    for (Window w : {Quiz, Editor})
        for (const QByteArray &line : Lines(w))
            if (line.contains('\0') || line.contains('\r') || line.contains('\n'))
                return QStringLiteral("a line holds NUL, CR or LF: ") + QString::fromLatin1(line.toHex());

    // The quiz's list.
    QByteArrayList quiz = QuizBefore;
    QString loaded;
    if (action.Where == Quiz && action.What == Kind::Load) {
        quiz = LoadedOr(QuizBefore, &loaded);
        if (!loaded.isEmpty()) {
            const QString title = quiz.isEmpty() ? QStringLiteral("Sorvik") : QStringLiteral("Sorvik(%1)").arg(loaded);
            if (Q->windowTitle() != title)
                return QStringLiteral("quiz caption %1 after loading %2").arg(Q->windowTitle(), loaded);
        }
    } else if (action.Where == Quiz && action.What == Kind::Memorised) {
        const TModalResult answer = Confirmation(QStringLiteral("移動"));
        if (answer != TModalResult::None && (QuizBefore.isEmpty() || QuizPositionBefore < 0))
            return QStringLiteral("memorised asked with nothing to move");
        if (answer == TModalResult::Yes)
            quiz = Moved(QuizBefore, QuizPositionBefore);
    } else if (action.Where == Quiz && action.What == Kind::Swap) {
        quiz = Swapped(QuizBefore);
    }
    if (Lines(Quiz) != quiz)
        return QStringLiteral("quiz list: ") + CheckList(Quiz, quiz);

    // The editor's list.
    QByteArrayList editor = EditorBefore;
    if (action.Where == Editor && action.What == Kind::Load) {
        editor = LoadedOr(EditorBefore, &loaded);
    } else if (action.Where == Editor && (action.What == Kind::Add || action.What == Kind::Change)) {
        const bool add = action.What == Kind::Add;
        if (Confirmation(add ? QStringLiteral("追加") : QStringLiteral("変更")) == TModalResult::Yes) {
            const QByteArrayList now = Lines(Editor);
            const int at = add ? 0 : EditorPositionBefore;
            // The typed texts are stored, each as the list's encoding holds it. A
            // change stops at the first line the list does not have.
            for (int k = 0; k < 2; ++k) {
                const QString typed = k == 0 ? Edit1Before : Edit2Before;
                if (!add && (at < 0 || at + k >= EditorBefore.size()))
                    break;
                const QString back = LineText::Decode(now.at(at + k), EditorEncodingBefore);
                // A read-only box shows the start of a line too long to show whole.
                const bool cut = (k == 0 ? Edit1WasReadOnly : Edit2WasReadOnly) && back.startsWith(typed);
                const QString expected = EditorEncodingBefore == TLineEncoding::Cp932 ? Stored(typed) : typed;
                if (back != expected && !cut)
                    return QStringLiteral("typed \"%1\" was stored as \"%2\"").arg(Short(typed), Short(back));
                if (action.What == Kind::Add)
                    editor.insert(k, now.at(k));
                else
                    editor[at + k] = now.at(at + k);
            }
            // A UTF-8 list's byte-order mark moves to the line added in front.
            static const QByteArray mark("\xEF\xBB\xBF");
            if (add && EditorEncodingBefore == TLineEncoding::Utf8 && editor.size() > 2 &&
                editor.at(2).startsWith(mark)) {
                if (!editor.at(0).startsWith(mark))
                    return QStringLiteral("the added first line did not take over the byte-order mark");
                editor[2].remove(0, mark.size());
            }
        }
    }
    if (Lines(Editor) != editor)
        return QStringLiteral("editor list: ") + CheckList(Editor, editor);

    return CheckDisk(action);
}

// Every box is one the commands show, owned by the window that acted, answered.
QString TestRandomUse::CheckBoxes(const Action &action) const
{
    QString chosen; // the path the last file dialog returned
    QWidget *owner = action.Where == Quiz ? static_cast<QWidget *>(Q.get()) : E.get();
    for (const RandomDialogs::Asked &asked : D->Step) {
        if (asked.IsFile) {
            chosen = asked.Path;
            continue;
        }
        const TMessageBoxRequest &b = asked.Box;
        const QString describe = b.Caption + QStringLiteral(": ") + Short(b.Text);
        if (!b.Owner) {
            const bool family = b.Text == IndexReport ||
                                (!chosen.isEmpty() && b.Text == QStringLiteral("ﾌｧｲﾙ %1 を作成できません.").arg(chosen));
            if (b.Caption != QStringLiteral("Tavi") || b.Buttons != TMsgButtons::Ok || b.Icon != TMsgIcon::Stop ||
                !family)
                return QStringLiteral("unexpected report: ") + describe;
            continue;
        }
        if (b.Owner != owner || b.Icon != TMsgIcon::None)
            return QStringLiteral("box of another window: ") + describe;
        if (b.Caption == QStringLiteral("ok")) {
            if (b.Buttons != TMsgButtons::RetryCancel || b.Text != QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(chosen))
                return QStringLiteral("unexpected open failure: ") + describe;
        } else if (action.Where == Quiz && b.Caption == QStringLiteral("移動")) {
            if (b.Buttons != TMsgButtons::YesNoCancel || !b.Text.endsWith(QStringLiteral(" を末尾に移動します。")))
                return QStringLiteral("unexpected memorised box: ") + describe;
        } else if (action.Where == Editor && (b.Caption == QStringLiteral("追加") || b.Caption == QStringLiteral("変更"))) {
            const QString phrase = b.Caption == QStringLiteral("追加") ? QStringLiteral("を追加します。")
                                                                       : QStringLiteral("に変更します。");
            const bool confirm =
                b.Buttons == TMsgButtons::YesNoCancel && b.Text == LineText::ShownStart(Edit1Before) + phrase;
            const bool refuse = b.Buttons == TMsgButtons::Ok &&
                                b.Text.endsWith(QStringLiteral("は単語ファイルに保存できない文字です。"));
            if (!confirm && !refuse)
                return QStringLiteral("unexpected editor box: ") + describe;
        } else {
            return QStringLiteral("unexpected box: ") + describe;
        }
    }
    return QString();
}

QString TestRandomUse::CheckList(Window w, const QByteArrayList &expected) const
{
    const QByteArrayList actual = Lines(w);
    const auto show = [](const QByteArrayList &lines) {
        QStringList out;
        for (const QByteArray &l : lines)
            out << QString::fromLatin1(l.left(20).toHex());
        return QStringLiteral("[%1] %2 lines").arg(out.join(QLatin1Char(' '))).arg(lines.size());
    };
    return QStringLiteral("expected %1, got %2").arg(show(expected), show(actual));
}

// The lines of the file the command loaded, or before when none was loaded: a
// path the dialog returned that no "ok" box followed.
// The answer to the step's confirmation with this caption; None when none was shown.
TModalResult TestRandomUse::Confirmation(const QString &caption) const
{
    for (const RandomDialogs::Asked &asked : D->Step)
        if (!asked.IsFile && asked.Box.Caption == caption && asked.Box.Buttons == TMsgButtons::YesNoCancel)
            return asked.Answer;
    return TModalResult::None;
}

QByteArrayList TestRandomUse::LoadedOr(const QByteArrayList &before, QString *loaded) const
{
    loaded->clear();
    for (int i = 0; i < D->Step.size(); ++i) {
        const RandomDialogs::Asked &asked = D->Step.at(i);
        if (!asked.IsFile || asked.Path.isEmpty())
            continue;
        const bool failed = i + 1 < D->Step.size() && !D->Step.at(i + 1).IsFile &&
                            D->Step.at(i + 1).Box.Caption == QStringLiteral("ok");
        if (!failed)
            *loaded = asked.Path;
    }
    if (loaded->isEmpty())
        return before;
    return SplitByRules(Disk.value(*loaded));
}

// Only a save answered with a path writes, and what it writes is the list.
QString TestRandomUse::CheckDisk(const Action &action)
{
    QString saved;
    if (action.What == Kind::Save)
        for (const RandomDialogs::Asked &asked : D->Step)
            if (asked.IsFile && !asked.Path.isEmpty())
                saved = asked.Path;
    const bool failed = std::any_of(D->Step.cbegin(), D->Step.cend(), [](const RandomDialogs::Asked &a) {
        return !a.IsFile && a.Box.Text.endsWith(QStringLiteral(" を作成できません."));
    });

    QMap<QString, FileState> now;
    for (const QString &name : QDir(Dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System))
        now.insert(Dir->filePath(name), StateOf(Dir->filePath(name)));
    if (!QDir(Dir->filePath(QStringLiteral("folder"))).isEmpty())
        return QStringLiteral("something was written into the folder");
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (it.key() == saved && !failed)
            continue;
        if (!States.contains(it.key()))
            return QStringLiteral("a file appeared: ") + it.key();
        if (!(States.value(it.key()) == it.value()))
            return QStringLiteral("a file changed: ") + it.key();
    }
    for (auto it = States.cbegin(); it != States.cend(); ++it)
        if (!now.contains(it.key()))
            return QStringLiteral("a file vanished: ") + it.key();

    if (!saved.isEmpty() && !failed) {
        const QByteArray bytes = ReadAll(saved);
        if (bytes != JoinLines(Lines(action.Where == Quiz ? Quiz : Editor)))
            return QStringLiteral("the saved file %1 is not the list").arg(saved);
        Disk.insert(saved, bytes);
        States.insert(saved, now.value(saved));
        if (!OpenChoices.contains(saved))
            OpenChoices << saved;
    }
    return QString();
}

// A box keeps its text when the next list fails to show it. "追加" used to store
// such a text as the line it was shown from, in that list's encoding: UTF-8 bytes
// went into a code page 932 list and read back as "繧翫ｓ縺".
void TestRandomUse::boxKeptFromAListInTheOtherEncoding()
{
    QTemporaryDir dir;
    const QString utf8 = dir.filePath(QStringLiteral("utf8.dat"));
    const QString oneLine = dir.filePath(QStringLiteral("one.dat"));
    for (const auto &[path, bytes] : {std::pair{utf8, QByteArray("apple\nりんご\n")}, std::pair{oneLine, QByteArray("x")}}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    ScriptedDialogs seam;
    TForm2 editor;
    editor.FormCreate(&editor);
    seam.Choose(utf8);
    editor.Open1->trigger();
    QCOMPARE(editor.Edit2->text(), QStringLiteral("りんご"));
    // One line: Edit1 shows it, then the index error leaves Edit2 as it was.
    seam.Choose(oneLine).Answer(TModalResult::Ok);
    editor.Open1->trigger();
    QCOMPARE(editor.Edit2->text(), QStringLiteral("りんご"));

    seam.Answer(TModalResult::Yes);
    QTest::mouseClick(editor.Button3, Qt::LeftButton);
    QCOMPARE(LinesOf(*editor.WordList), (QByteArrayList{"x", Cp932::Encode(QStringLiteral("りんご")), "x"}));
    QCOMPARE(seam.Errors, QStringList());
    QCOMPARE(seam.Pending(), 0);
}

TAVI_TEST_MAIN(TestRandomUse)
#include "test_random_use.moc"
