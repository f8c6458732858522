// The word editor window, driven through its buttons and menu with scripted dialogs.
#include "TestMain.h"

#include "Cp932.h"
#include "Forms.h"
#include "LineText.h"
#include "ScriptedDialogs.h"
#include "TForm2.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <memory>

namespace {

const QString ListIndexReport = QStringLiteral("app|ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています.|Tavi|Ok|Stop");

QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString Fixture(const char *name)
{
    return QStringLiteral(TAVI_TEST_DATA "/") + QLatin1String(name);
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedDialogs> D;
    std::unique_ptr<TForm2> W;
    std::unique_ptr<QTemporaryDir> Dir;

    template <class T> T *Child(const char *name)
    {
        T *c = W->findChild<T *>(QLatin1String(name));
        if (!c)
            qFatal("no child %s", name);
        return c;
    }
    QLineEdit *Edit(const char *name) { return Child<QLineEdit>(name); }
    QString Text(const char *name)
    {
        if (auto *e = W->findChild<QLineEdit *>(QLatin1String(name)))
            return e->text();
        if (auto *b = W->findChild<QPushButton *>(QLatin1String(name)))
            return b->text();
        return Child<QLabel>(name)->text();
    }
    void Click(const char *button) { QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton); }
    void Trigger(const char *action) { Child<QAction>(action)->trigger(); }
    void EnableBrowsing()
    {
        for (const char *b : {"Button1", "Button2", "Button3", "Button4"})
            Child<QPushButton>(b)->setEnabled(true);
    }

    // The list given directly, as after an open, showing the entry at position.
    void SetLines(const QStringList &lines, int position = 0)
    {
        for (const QString &l : lines)
            W->WordList->Add(l.toLatin1());
        W->Position = position;
        W->EntryNumber = position / 2;
        EnableBrowsing();
        if (lines.size() >= position + 2)
            W->ShowEntry();
    }
    QStringList Lines()
    {
        QStringList out;
        for (int i = 0; i < W->WordList->Count(); ++i)
            out << QString::fromLatin1(W->WordList->Get(i));
        return out;
    }
    QByteArrayList RawLines()
    {
        QByteArrayList out;
        for (int i = 0; i < W->WordList->Count(); ++i)
            out << W->WordList->Get(i);
        return out;
    }
    QString Path(const char *name) { return Dir->filePath(QLatin1String(name)); }

    QString Describe(const TMessageBoxRequest &b)
    {
        static const char *const buttons[] = {"Ok", "RetryCancel", "YesNoCancel"};
        const QString owner = b.Owner == W.get() ? QStringLiteral("editor") : b.Owner ? QStringLiteral("other")
                                                                                     : QStringLiteral("app");
        return owner + QLatin1Char('|') + b.Text + QLatin1Char('|') + b.Caption + QLatin1Char('|') +
               QLatin1String(buttons[int(b.Buttons)]) + QLatin1Char('|') +
               (b.Icon == TMsgIcon::Stop ? QLatin1String("Stop") : QLatin1String("None"));
    }
    QStringList Boxes()
    {
        QStringList out;
        for (const TMessageBoxRequest &b : D->Boxes)
            out << Describe(b);
        return out;
    }
    // Opens path through the menu and the scripted dialog.
    void Open(const QString &path)
    {
        D->Choose(path);
        Trigger("Open1");
    }

private slots:
    void init()
    {
        Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(Dir->isValid());
        D = std::make_unique<ScriptedDialogs>();
        Form1 = nullptr;
        W = std::make_unique<TForm2>();
        W->FormCreate(W.get());
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W.get()));
    }

    void cleanup()
    {
        QCOMPARE(D->Errors, QStringList());
        QCOMPARE(D->Pending(), 0);
        W.reset();
        D.reset();
        Dir.reset();
        Form1 = nullptr;
    }

    void windowAsDesigned()
    {
        QCOMPARE(W->objectName(), QStringLiteral("TForm2"));
        QCOMPARE(W->windowTitle(), QStringLiteral("単語編集"));
        QCOMPARE(W->pos(), QPoint(173, 169));
        // 294 x 220 outside, less a 4-pixel border and a 27-pixel title bar.
        QCOMPARE(W->size(), QSize(286, 189));
        QCOMPARE(W->windowType(), Qt::Window); // no dialog: any window may lie above it
        const Qt::WindowFlags flags = W->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(W->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)); // sizeable
        QCOMPARE(W->font().pixelSize(), 12);
        QCOMPARE(QFontInfo(W->font()).family(), QStringLiteral("IPAPGothic"));
        QVERIFY(!W->font().bold());

        auto *menu = Child<QMenuBar>("MainMenu1");
        QCOMPARE(W->menuBar(), menu);
        QCOMPARE(menu->actions().size(), 1);
        auto *file = Child<QMenu>("K1");
        QCOMPARE(menu->actions().first(), file->menuAction());
        QCOMPARE(file->title(), QStringLiteral("ファイル"));
        QStringList items;
        for (QAction *a : file->actions()) {
            items << a->objectName() + QLatin1Char('=') + a->text();
            QVERIFY(a->shortcut().isEmpty());
        }
        QCOMPARE(items, QStringList({"Open1=開く", "Hozo=保存", "Close1=閉じる"}));
        QVERIFY(W->findChild<QStatusBar *>() == nullptr);

        // Closing by the title bar only hides the window.
        QVERIFY(W->close());
        QVERIFY(W->isHidden());
        QVERIFY(!W->testAttribute(Qt::WA_DeleteOnClose));
    }

    void controlsAsDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("focus");

        const int none = Qt::NoFocus, tab = Qt::StrongFocus, click = Qt::ClickFocus;
        const QString navy = QStringLiteral("#000080"), black = QStringLiteral("#000000");
        // The labels are as tall as their 15-pixel font's line height (16), so descenders show.
        QTest::newRow("Label1") << "Label1" << QRect(40, 8, 57, 16) << "第    問" << 15 << true << navy << true << none;
        QTest::newRow("Label2") << "Label2" << QRect(144, 8, 57, 16) << "全    問" << 15 << true << navy << true << none;
        QTest::newRow("Edit1") << "Edit1" << QRect(8, 32, 249, 27) << "" << 19 << true << black << true << tab;
        QTest::newRow("Edit2") << "Edit2" << QRect(8, 64, 249, 27) << "" << 19 << true << black << true << tab;
        QTest::newRow("Button6") << "Button6" << QRect(8, 104, 83, 25) << "保存" << 12 << false << "" << true << click;
        QTest::newRow("Button4") << "Button4" << QRect(96, 104, 83, 25) << "変更" << 12 << false << "" << false << click;
        QTest::newRow("Button3") << "Button3" << QRect(184, 104, 83, 25) << "追加" << 12 << false << "" << false << tab;
        QTest::newRow("Button1") << "Button1" << QRect(8, 136, 83, 25) << "<<" << 12 << false << "" << false << click;
        QTest::newRow("Button2") << "Button2" << QRect(96, 136, 83, 25) << ">>" << 12 << false << "" << false << click;
        QTest::newRow("Button5") << "Button5" << QRect(184, 136, 83, 25) << "クリア" << 12 << false << "" << true << tab;
    }

    void controlsAsDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(int, pixels);
        QFETCH(bool, bold);
        QFETCH(QString, colour);
        QFETCH(bool, enabled);
        QFETCH(int, focus);

        auto *w = W->findChild<QWidget *>(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), W->centralWidget());
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(Text(name.toLatin1().constData()), text);
        QCOMPARE(w->font().pixelSize(), pixels);
        QCOMPARE(w->font().bold(), bold);
        QCOMPARE(QFontInfo(w->font()).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(w->isEnabled(), enabled);
        QCOMPARE(int(w->focusPolicy()), focus);
        if (!colour.isEmpty()) {
            const auto role = qobject_cast<QLabel *>(w) ? QPalette::WindowText : QPalette::Text;
            QCOMPARE(w->palette().color(QPalette::Active, role).name(), colour);
        }
        if (auto *label = qobject_cast<QLabel *>(w))
            QCOMPARE(label->textFormat(), Qt::PlainText);
    }

    void tabOrder()
    {
        W->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(W.get()));
        auto walk = [this] {
            QStringList seen;
            Edit("Edit1")->setFocus();
            for (int i = 0; i < 5; ++i) {
                seen << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            return seen;
        };
        QCOMPARE(walk(), QStringList({"Edit1", "Edit2", "Button5", "Edit1", "Edit2"}));
        EnableBrowsing();
        QCOMPARE(walk(), QStringList({"Edit1", "Edit2", "Button3", "Button5", "Edit1"}));
    }

    // ">>" and "<<" with wrap-around, on even, odd and empty lists. Before each
    // press the boxes and labels hold markers, so a row shows what the step left.
    void browse_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("newPosition");
        QTest::addColumn<int>("newEntry");
        QTest::addColumn<QString>("edit1");
        QTest::addColumn<QString>("edit2");
        QTest::addColumn<QString>("label1");
        QTest::addColumn<QString>("label2");
        QTest::addColumn<bool>("error");

        QTest::newRow("6 next wraps") << 6 << 4 << 2 << ">>" << 0 << 0 << "L0" << "L1" << "第 1 問" << "全 3 問" << false;
        QTest::newRow("6 prev wraps") << 6 << 0 << 0 << "<<" << 4 << 2 << "L4" << "L5" << "第 3 問" << "全 3 問" << false;
        QTest::newRow("6 next") << 6 << 0 << 0 << ">>" << 2 << 1 << "L2" << "L3" << "第 2 問" << "全 3 問" << false;
        QTest::newRow("2 next") << 2 << 0 << 0 << ">>" << 0 << 0 << "L0" << "L1" << "第 1 問" << "全 1 問" << false;
        QTest::newRow("2 prev") << 2 << 0 << 0 << "<<" << 0 << 0 << "L0" << "L1" << "第 1 問" << "全 1 問" << false;
        QTest::newRow("5 next to last line") << 5 << 2 << 1 << ">>" << 4 << 2 << "L4" << "E2" << "N" << "T" << true;
        QTest::newRow("5 next wraps") << 5 << 4 << 2 << ">>" << 0 << 0 << "L0" << "L1" << "第 1 問" << "全 2 問" << false;
        QTest::newRow("5 prev out of step") << 5 << 0 << 0 << "<<" << 3 << 1 << "L3" << "L4" << "第 2 問" << "全 2 問" << false;
        QTest::newRow("5 prev from 1") << 5 << 1 << 0 << "<<" << 3 << 1 << "L3" << "L4" << "第 2 問" << "全 2 問" << false;
        QTest::newRow("0 next") << 0 << 0 << 0 << ">>" << 0 << 0 << "E1" << "E2" << "N" << "T" << true;
        QTest::newRow("0 prev") << 0 << 0 << 0 << "<<" << -2 << -1 << "E1" << "E2" << "N" << "T" << true;
    }

    void browse()
    {
        QFETCH(int, count);
        QFETCH(int, position);
        QFETCH(int, entry);
        QFETCH(QString, button);
        QFETCH(int, newPosition);
        QFETCH(int, newEntry);
        QFETCH(QString, edit1);
        QFETCH(QString, edit2);
        QFETCH(QString, label1);
        QFETCH(QString, label2);
        QFETCH(bool, error);

        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines << QStringLiteral("L%1").arg(i);
        SetLines(lines);
        W->Position = position;
        W->EntryNumber = entry;
        Edit("Edit1")->setText(QStringLiteral("E1"));
        Edit("Edit2")->setText(QStringLiteral("E2"));
        Child<QLabel>("Label1")->setText(QStringLiteral("N"));
        Child<QLabel>("Label2")->setText(QStringLiteral("T"));
        if (error)
            D->Answer(TModalResult::Ok);

        Click(button == QLatin1String(">>") ? "Button2" : "Button1");

        QCOMPARE(W->Position, newPosition);
        QCOMPARE(W->EntryNumber, newEntry);
        QCOMPARE(Text("Edit1"), edit1);
        QCOMPARE(Text("Edit2"), edit2);
        QCOMPARE(Text("Label1"), label1);
        QCOMPARE(Text("Label2"), label2);
        QCOMPARE(Boxes(), error ? QStringList{ListIndexReport} : QStringList());
        QCOMPARE(Lines(), lines);
    }

    void labelsFitTheirCaption()
    {
        QStringList lines;
        for (int i = 0; i < 20000; ++i)
            lines << QStringLiteral("w");
        SetLines(lines);
        auto *total = Child<QLabel>("Label2");
        QCOMPARE(total->text(), QStringLiteral("全 10000 問"));
        QCOMPARE(total->width(), total->sizeHint().width());
        QVERIFY(total->width() > 57);
    }

    // "追加" and "変更" on the entry at position 2 of six lines.
    void addAndChange_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("edit1");
        QTest::addColumn<QString>("edit2");
        QTest::addColumn<QString>("label1");
        QTest::addColumn<QString>("label2");

        const QStringList before{"L0", "L1", "L2", "L3", "L4", "L5"};
        const QString addBox = QStringLiteral("editor|qnewを追加します。|追加|YesNoCancel|None");
        const QString changeBox = QStringLiteral("editor|qnewに変更します。|変更|YesNoCancel|None");
        QTest::newRow("add yes") << "Button3" << int(TModalResult::Yes) << addBox
                                 << QStringList{"qnew", "anew", "L0", "L1", "L2", "L3", "L4", "L5"} << 0 << "qnew"
                                 << "anew" << "第 1 問" << "全 4 問";
        for (const auto answer : {TModalResult::No, TModalResult::Cancel})
            QTest::addRow("add %d", int(answer))
                << "Button3" << int(answer) << addBox << before << 2 << "L2" << "L3" << "第 2 問" << "全 3 問";
        QTest::newRow("change yes") << "Button4" << int(TModalResult::Yes) << changeBox
                                    << QStringList{"L0", "L1", "qnew", "anew", "L4", "L5"} << 2 << "qnew" << "anew"
                                    << "第 2 問" << "全 3 問";
        for (const auto answer : {TModalResult::No, TModalResult::Cancel})
            QTest::addRow("change %d", int(answer))
                << "Button4" << int(answer) << changeBox << before << 2 << "L2" << "L3" << "第 2 問" << "全 3 問";
    }

    void addAndChange()
    {
        QFETCH(QString, button);
        QFETCH(int, answer);
        QFETCH(QString, box);
        QFETCH(QStringList, lines);
        QFETCH(int, position);
        QFETCH(QString, edit1);
        QFETCH(QString, edit2);
        QFETCH(QString, label1);
        QFETCH(QString, label2);

        SetLines({"L0", "L1", "L2", "L3", "L4", "L5"}, 2);
        Edit("Edit1")->setText(QStringLiteral("qnew"));
        Edit("Edit2")->setText(QStringLiteral("anew"));
        D->Answer(TModalResult(answer));

        Click(button.toLatin1().constData());

        QCOMPARE(Boxes(), QStringList{box});
        QCOMPARE(Lines(), lines);
        QCOMPARE(W->Position, position);
        QCOMPARE(W->EntryNumber, position / 2);
        QCOMPARE(Text("Edit1"), edit1);
        QCOMPARE(Text("Edit2"), edit2);
        QCOMPARE(Text("Label1"), label1);
        QCOMPARE(Text("Label2"), label2);
    }

    void emptyBoxes_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("add") << "Button3" << "editor|を追加します。|追加|YesNoCancel|None"
                             << QStringList{"", "", "L0", "L1"};
        QTest::newRow("change") << "Button4" << "editor|に変更します。|変更|YesNoCancel|None" << QStringList{"", ""};
    }

    void emptyBoxes()
    {
        QFETCH(QString, button);
        QFETCH(QString, box);
        QFETCH(QStringList, lines);
        SetLines({"L0", "L1"});
        Click("Button5");
        QCOMPARE(Text("Edit1"), QString());
        QCOMPARE(Text("Edit2"), QString());
        QCOMPARE(Lines(), QStringList({"L0", "L1"}));
        D->Answer(TModalResult::Yes);
        Click(button.toLatin1().constData());
        QCOMPARE(Boxes(), QStringList{box});
        QCOMPARE(Lines(), lines);
    }

    // The open dialog cancelled at its first use enables the four buttons over an
    // empty list; each then ends in the list's index error and no question box.
    void openCancelledAtFirstUse()
    {
        for (const char *b : {"Button1", "Button2", "Button3", "Button4"})
            QVERIFY(!Child<QPushButton>(b)->isEnabled());
        D->Cancel();
        Trigger("Open1");
        for (const char *b : {"Button1", "Button2", "Button3", "Button4"})
            QVERIFY(Child<QPushButton>(b)->isEnabled());
        QCOMPARE(W->windowTitle(), QStringLiteral("単語編集"));
        QCOMPARE(D->FileDialogs.size(), 1);
        const ScriptedDialogs::FileRun run = D->FileDialogs.first();
        QCOMPARE(run.Kind, TFileDialogKind::Open);
        QCOMPARE(run.Owner, W.get());
        QCOMPARE(run.FileName, QString());
        QCOMPARE(run.Filter, QStringLiteral("データ(*.dat)|*.dat|すべてのファイル(*.*)|*.*"));
        QCOMPARE(run.FilterIndex, 1);
        QCOMPARE(run.DefaultExt, QString());
        QCOMPARE(run.OverwritePrompt, false);

        for (const char *b : {"Button3", "Button4", "Button2"}) {
            D->Answer(TModalResult::Ok);
            Click(b);
            QCOMPARE(Boxes(), QStringList{ListIndexReport});
            QCOMPARE(W->WordList->Count(), 0);
            D->ClearRecord();
        }
        QCOMPARE(W->Position, 0);
        QCOMPARE(W->EntryNumber, 0);
        D->Answer(TModalResult::Ok);
        Click("Button1");
        QCOMPARE(Boxes(), QStringList{ListIndexReport});
        QCOMPARE(W->Position, -2);
        QCOMPARE(W->EntryNumber, -1);
    }

    void openRetryThenLoad()
    {
        const QString missing = Path("missing.dat");
        const QString good = Path("good.dat");
        WriteFile(good, "q0\r\na0\nq1\ra1");
        D->Choose(missing).Answer(TModalResult::Retry).Choose(good);
        Trigger("Open1");

        QCOMPARE(Boxes(), QStringList{"editor|ﾌｧｲﾙ " + missing + " は開けません|ok|RetryCancel|None"});
        QCOMPARE(D->FileDialogs.size(), 2);
        QCOMPARE(D->FileDialogs.at(1).FileName, missing); // the retry offers the failed path
        QCOMPARE(W->FileName, good);
        QCOMPARE(W->windowTitle(), "Sorvik(" + good + ")");
        QCOMPARE(Lines(), QStringList({"q0", "a0", "q1", "a1"}));
        QCOMPARE(Text("Edit1"), QStringLiteral("q0"));
        QCOMPARE(Text("Edit2"), QStringLiteral("a0"));
        QCOMPARE(Text("Label1"), QStringLiteral("第 1 問"));
        QCOMPARE(Text("Label2"), QStringLiteral("全 2 問"));
        for (const char *b : {"Button1", "Button2", "Button3", "Button4"})
            QVERIFY(Child<QPushButton>(b)->isEnabled());
    }

    // After Cancel in the retry box the failed path stays the file name, while the
    // list, the labels and the caption still belong to the earlier file.
    void openFailedThenCancelled()
    {
        const QString good = Path("good.dat");
        const QString missing = Path("nowhere/missing.dat");
        WriteFile(good, "q0\r\na0\r\nq1\r\na1\r\n");
        Open(good);
        Click("Button2");
        D->Choose(missing).Answer(TModalResult::Cancel);
        Trigger("Open1");

        QCOMPARE(Boxes(), QStringList{"editor|ﾌｧｲﾙ " + missing + " は開けません|ok|RetryCancel|None"});
        QCOMPARE(W->FileName, missing);
        QCOMPARE(W->windowTitle(), "Sorvik(" + good + ")");
        QCOMPARE(Lines(), QStringList({"q0", "a0", "q1", "a1"}));
        QCOMPARE(W->Position, 2);
        QCOMPARE(Text("Edit1"), QStringLiteral("q1"));
        QCOMPARE(Text("Label1"), QStringLiteral("第 2 問"));

        D->Cancel();
        Click("Button6");
        QCOMPARE(D->FileDialogs.last().Kind, TFileDialogKind::Save);
        QCOMPARE(D->FileDialogs.last().FileName, missing);
        QCOMPARE(FileBytes(good), QByteArray("q0\r\na0\r\nq1\r\na1\r\n"));
    }

    // A file of fewer than two lines: the caption and the number are set, then the
    // list's index error stops the command before the buttons are enabled.
    void openShortFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("edit1");
        QTest::newRow("empty") << QByteArray() << "E1";
        QTest::newRow("one line") << QByteArray("only\r\n") << "only";
    }

    void openShortFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, edit1);
        const QString path = Path("short.dat");
        WriteFile(path, content);
        Edit("Edit1")->setText(QStringLiteral("E1"));
        Edit("Edit2")->setText(QStringLiteral("E2"));
        D->Choose(path).Answer(TModalResult::Ok);
        Trigger("Open1");

        QCOMPARE(Boxes(), QStringList{ListIndexReport});
        QCOMPARE(W->windowTitle(), "Sorvik(" + path + ")");
        QCOMPARE(Text("Label1"), QStringLiteral("第 1 問"));
        QCOMPARE(Text("Label2"), QStringLiteral("全    問"));
        QCOMPARE(Text("Edit1"), edit1);
        QCOMPARE(Text("Edit2"), QStringLiteral("E2"));
        for (const char *b : {"Button1", "Button2", "Button3", "Button4"})
            QVERIFY(!Child<QPushButton>(b)->isEnabled());
    }

    // "変更" on the unpaired last line replaces it, then fails on the missing
    // answer line: nothing is appended and the boxes are not refreshed.
    void changeUnpairedLastLine()
    {
        SetLines({"L0", "L1", "L2", "L3", "L4"}, 2);
        D->Answer(TModalResult::Ok);
        Click("Button2");
        QCOMPARE(W->Position, 4);
        Edit("Edit1")->setText(QStringLiteral("X"));
        Edit("Edit2")->setText(QStringLiteral("Y"));
        D->ClearRecord();
        D->Answer(TModalResult::Yes).Answer(TModalResult::Ok);
        Click("Button4");
        QCOMPARE(Boxes(), QStringList({"editor|Xに変更します。|変更|YesNoCancel|None", ListIndexReport}));
        QCOMPARE(Lines(), QStringList({"L0", "L1", "L2", "L3", "X"}));
        QCOMPARE(Text("Edit1"), QStringLiteral("X"));
        QCOMPARE(Text("Edit2"), QStringLiteral("Y"));
    }

    void clearEmptiesOnlyTheBoxes()
    {
        SetLines({"L0", "L1"});
        Click("Button5");
        QCOMPARE(Text("Edit1"), QString());
        QCOMPARE(Text("Edit2"), QString());
        QCOMPARE(Text("Label1"), QStringLiteral("第 1 問"));
        QCOMPARE(Lines(), QStringList({"L0", "L1"}));
        QCOMPARE(D->Boxes.size(), 0);
    }

    void saveEmptyListDoesNothing_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::newRow("button") << false;
        QTest::newRow("menu") << true;
    }

    void saveEmptyListDoesNothing()
    {
        QFETCH(bool, menu);
        const QString path = Path("kept.dat");
        WriteFile(path, "old\r\n");
        W->FileName = path;
        if (menu)
            Trigger("Hozo");
        else
            Click("Button6");
        QCOMPARE(D->FileDialogs.size(), 0);
        QCOMPARE(W->windowTitle(), QStringLiteral("単語編集"));
        QCOMPARE(FileBytes(path), QByteArray("old\r\n"));
    }

    void save_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::newRow("button") << false;
        QTest::newRow("menu") << true;
    }

    // The path is taken as typed (no extension added) and named in the caption.
    void save()
    {
        QFETCH(bool, menu);
        SetLines({"q", "a", "odd"});
        W->FileName = Path("preset.dat");
        const QString path = Path("out");
        D->Choose(path);
        if (menu)
            Trigger("Hozo");
        else
            Click("Button6");
        QCOMPARE(D->FileDialogs.size(), 1);
        const ScriptedDialogs::FileRun run = D->FileDialogs.first();
        QCOMPARE(run.Kind, TFileDialogKind::Save);
        QCOMPARE(run.Owner, W.get());
        QCOMPARE(run.FileName, Path("preset.dat"));
        QCOMPARE(run.Filter, QString());
        QCOMPARE(run.DefaultExt, QString());
        QCOMPARE(run.OverwritePrompt, true);
        QCOMPARE(W->FileName, path);
        QCOMPARE(W->windowTitle(), "Sorvik(" + path + ")");
        QCOMPARE(FileBytes(path), QByteArray("q\r\na\r\nodd\r\n"));
        QCOMPARE(D->Boxes.size(), 0);
    }

    void saveCancelled()
    {
        SetLines({"q", "a"});
        W->FileName = Path("before.dat");
        D->Cancel();
        Click("Button6");
        QCOMPARE(W->FileName, Path("before.dat"));
        QCOMPARE(W->windowTitle(), QStringLiteral("単語編集"));
        QVERIFY(!QFile::exists(Path("before.dat")));
    }

    // The caption names the new path before the write, so it stays when the file
    // cannot be created.
    void saveFails()
    {
        SetLines({"q", "a"});
        const QString path = Path("no/such/dir/out.dat");
        D->Choose(path).Answer(TModalResult::Ok);
        Click("Button6");
        QCOMPARE(Boxes(), QStringList{"app|ﾌｧｲﾙ " + path + " を作成できません.|Tavi|Ok|Stop"});
        QCOMPARE(W->FileName, path);
        QCOMPARE(W->windowTitle(), "Sorvik(" + path + ")");
    }

    void closeShowsTheQuizWindow()
    {
        QWidget quiz;
        Form1 = &quiz;
        SetLines({"q", "a"});
        Trigger("Close1");
        QVERIFY(W->isHidden());
        QVERIFY(quiz.isVisible());
        QCOMPARE(Lines(), QStringList({"q", "a"}));
        QCOMPARE(Text("Edit1"), QStringLiteral("q"));
        Form1 = nullptr;
        W->show();
        Trigger("Close1"); // without a quiz window (as in these tests) it only hides
        QVERIFY(W->isHidden());
    }

    // Code page 932 has duplicate codes (ED 40 reads as the character FA 5C stands
    // for) and bytes that decode to nothing: an untouched entry keeps its bytes.
    void untouchedEntriesKeepTheirBytes()
    {
        const QByteArray original = FileBytes(Fixture("ed_cp932.dat"));
        const QString path = Path("copy.dat");
        WriteFile(path, original);
        Open(path);
        QCOMPARE(Text("Edit2"), QStringLiteral("りんご"));
        for (int entry = 0; entry < 3; ++entry) {
            D->Answer(TModalResult::Yes);
            Click("Button4");
            Click("Button2");
        }
        QCOMPARE(Boxes().size(), 3);
        D->Choose(path);
        Click("Button6");
        QCOMPARE(FileBytes(path), original);

        // Adding the shown entry untouched copies its bytes, too.
        Click("Button2");
        QCOMPARE(Text("Edit1"), QStringLiteral("纊x"));
        D->Answer(TModalResult::Yes);
        Click("Button3");
        QCOMPARE(RawLines().mid(0, 2), QByteArrayList({"\xED\x40x", "a\x80" "b\xFD\x82"}));

        // Text the learner typed is encoded: the same character typed anew gets
        // the code the code page prefers.
        Edit("Edit1")->setText(QStringLiteral("纊y"));
        D->Answer(TModalResult::Yes);
        Click("Button4");
        QCOMPARE(RawLines().at(0), QByteArray("\xFA\x5Cy"));
        QCOMPARE(RawLines().at(1), QByteArray("a\x80" "b\xFD\x82"));
    }

    // Open, change, add and save: the saved file holds the learner's text in
    // code page 932 and every other line as it was.
    void roundTrip()
    {
        const QString path = Path("words.dat");
        WriteFile(path, FileBytes(Fixture("ed_cp932.dat")));
        Open(path);
        Click("Button2");
        Click("Button2");
        QCOMPARE(Text("Edit1"), QStringLiteral("dog"));
        QCOMPARE(Text("Edit2"), QStringLiteral("犬"));
        Edit("Edit2")->setText(QStringLiteral("いぬ"));
        D->Answer(TModalResult::Yes);
        Click("Button4");
        Edit("Edit1")->setText(QStringLiteral("cat"));
        Edit("Edit2")->setText(QStringLiteral("ねこ（猫）"));
        D->Answer(TModalResult::Yes);
        Click("Button3");
        QCOMPARE(Text("Label1"), QStringLiteral("第 1 問"));
        QCOMPARE(Text("Label2"), QStringLiteral("全 4 問"));
        const QString saved = Path("saved.dat");
        D->Choose(saved);
        Click("Button6");

        const QByteArray expected = QByteArray("cat\r\n") + "\x82\xCB\x82\xB1\x81\x69\x94\x4C\x81\x6A\r\n" +
                                    "apple\r\n" + "\x82\xE8\x82\xF1\x82\xB2\r\n" + "\xED\x40x\r\n" +
                                    "a\x80" "b\xFD\x82\r\n" + "dog\r\n" + "\x82\xA2\x82\xCA\r\n";
        QCOMPARE(FileBytes(saved), expected);
        QCOMPARE(W->windowTitle(), "Sorvik(" + saved + ")");
        QCOMPARE(Boxes(), QStringList({"editor|dogに変更します。|変更|YesNoCancel|None",
                                       "editor|catを追加します。|追加|YesNoCancel|None"}));
    }

    // A character the file cannot hold is refused with a box of our own before the
    // question; the list is unchanged and the typed text stays in the boxes.
    void unstorableCharacters_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("edit1");
        QTest::addColumn<QString>("edit2");
        QTest::addColumn<QString>("box");
        QTest::newRow("emoji, add") << "Button3" << "a😀b" << "x"
                                    << "editor|「😀」(U+1F600) は単語ファイルに保存できない文字です。|追加|Ok|None";
        QTest::newRow("accent in answer, change") << "Button4" << "cafe" << "café"
                                                  << "editor|「é」(U+00E9) は単語ファイルに保存できない文字です。|変更|Ok|None";
        QTest::newRow("joiner, change") << "Button4" << "x" << QString::fromUtf16(u"a\u200Db")
                                        << "editor|U+200D は単語ファイルに保存できない文字です。|変更|Ok|None";
        // The first line is 61 62 63 89, shown as "abc" and the stand-in of the
        // kept byte 89; "A" typed after it would be stored as 89 41, "陰".
        const QString box = QStringLiteral("editor|U+F789 は単語ファイルに保存できない文字です。|%1|Ok|None");
        QTest::newRow("kept byte pairs with typed A, change") << "Button4" << QStringLiteral("abc\uF789A") << "L1"
                                                             << box.arg(QStringLiteral("変更"));
        QTest::newRow("kept byte pairs with typed A, add") << "Button3" << QStringLiteral("abc\uF789A") << "L1"
                                                          << box.arg(QStringLiteral("追加"));
        QTest::newRow("yen sign, read back as backslash") << "Button4" << "x" << "¥100"
                                                         << "editor|「¥」(U+00A5) は単語ファイルに保存できない文字です。|変更|Ok|None";
        QTest::newRow("overline, read back as tilde") << "Button3" << "a‾" << "x"
                                                     << "editor|「‾」(U+203E) は単語ファイルに保存できない文字です。|追加|Ok|None";
        QTest::newRow("tag character, dropped") << "Button3" << QString::fromUcs4(U"a\U000E0041") << "x"
                                               << "editor|U+E0041 は単語ファイルに保存できない文字です。|追加|Ok|None";
    }

    void unstorableCharacters()
    {
        QFETCH(QString, button);
        QFETCH(QString, edit1);
        QFETCH(QString, edit2);
        QFETCH(QString, box);
        const QStringList lines{QStringLiteral("abc\u0089"), "L1"};
        SetLines(lines);
        QCOMPARE(Text("Edit1"), QStringLiteral("abc\uF789"));
        Edit("Edit1")->setText(edit1);
        Edit("Edit2")->setText(edit2);
        D->Answer(TModalResult::Ok);
        Click(button.toLatin1().constData());
        QCOMPARE(Boxes(), QStringList{box});
        QCOMPARE(Lines(), lines);
        QCOMPARE(Text("Edit1"), edit1);
        QCOMPARE(Text("Edit2"), edit2);
    }

    // A line break would split an entry on disk and a NUL would end the file: the
    // boxes keep to one line whatever is pasted or set into them.
    void boxesKeepToOneLine_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("newCursor");
        QTest::newRow("copied line") << "" << 0 << "apple\r\n" << "apple" << 5;
        QTest::newRow("lines") << "" << 0 << "one\r\ntwo\nthree\r" << "one two three" << 13;
        QTest::newRow("inside") << "ab" << 1 << "x\n\ny" << "ax yb" << 4;
        QTest::newRow("break after text") << "ab" << 2 << "\rc" << "ab c" << 4;
        QTest::newRow("break before text") << "ab" << 0 << "\r\n" << "ab" << 0;
        QTest::newRow("NUL") << "ab" << 1 << QStringLiteral("x") + QChar::Null + QStringLiteral("y") << "axyb" << 3;
        QTest::newRow("plain") << "ab" << 1 << "x y" << "ax yb" << 4;
    }

    void boxesKeepToOneLine()
    {
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        QFETCH(int, newCursor);
        for (const char *name : {"Edit1", "Edit2"}) {
            QLineEdit *box = Edit(name);
            box->setText(before);
            box->setCursorPosition(cursor);
            QApplication::clipboard()->setText(pasted);
            box->paste();
            QCOMPARE(box->text(), after);
            QCOMPARE(box->cursorPosition(), newCursor);
            box->setText(before.left(cursor) + pasted + before.mid(cursor));
            QCOMPARE(box->text(), after);
        }
    }

    // Characters Linux input methods type for JIS characters: a code page 932 list
    // stores their JIS codes and shows them back in the code page's form; a UTF-8
    // list stores what was typed.
    void linuxInputCharacters_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("code page 932") << QByteArray("\x96\x7B\r\nbook\r\n")
                                       << QByteArray("\x81\x60\x82\xC9\x82\xC2\x82\xA2\x82\xC4 "
                                                     "\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C")
                                       << QStringLiteral("～について ∥－￠￡￢―");
        QTest::newRow("UTF-8") << QByteArray("\xE6\x9C\xAC\r\nbook\r\n")
                               << QStringLiteral("〜について ‖−¢£¬—").toUtf8() << QStringLiteral("〜について ‖−¢£¬—");
    }

    void linuxInputCharacters()
    {
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        const QString path = Path("words.dat");
        WriteFile(path, list);
        Open(path);
        // Typed as an input method commits it.
        Edit("Edit1")->clear();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("〜について ‖−¢£¬—"));
        QApplication::sendEvent(Edit("Edit1"), &commit);
        D->Answer(TModalResult::Yes);
        Click("Button4");
        QCOMPARE(Boxes(), QStringList{"editor|〜について ‖−¢£¬—に変更します。|変更|YesNoCancel|None"});
        D->Choose(path);
        Click("Button6");
        QCOMPARE(FileBytes(path), stored + "\r\nbook\r\n");

        W.reset();
        W = std::make_unique<TForm2>();
        W->FormCreate(W.get());
        Open(path);
        QCOMPARE(Text("Edit1"), shown);
    }

    // The confirmation shows a readable start of the question, at once however
    // long the line is; the line stored is the whole one.
    void confirmationShowsTheStartOfALongLine_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("cut"); // the box shows only the start of the line
        QTest::newRow("add, typed") << "Button3" << 5000 << false;
        QTest::newRow("change, typed") << "Button4" << 5000 << false;
        QTest::newRow("add, cut line") << "Button3" << int(BoxText::Limit) * 3 << true;
        QTest::newRow("change, cut line") << "Button4" << int(BoxText::Limit) * 3 << true;
    }

    void confirmationShowsTheStartOfALongLine()
    {
        QFETCH(QString, button);
        QFETCH(int, length);
        QFETCH(bool, cut);
        QString line(length, QLatin1Char('w'));
        line.replace(0, 3, QStringLiteral("abc"));
        SetLines({cut ? line : QStringLiteral("q"), "a"});
        QCOMPARE(Edit("Edit1")->isReadOnly(), cut);
        if (!cut)
            Edit("Edit1")->setText(line);
        D->Answer(TModalResult::Yes);
        Click(button.toLatin1().constData());
        QCOMPARE(D->Boxes.size(), 1);
        const QString phrase = button == "Button3" ? QStringLiteral("を追加します。") : QStringLiteral("に変更します。");
        QCOMPARE(D->Boxes.first().Text, line.left(LineText::ShownLimit) + phrase);
        QVERIFY(W->WordList->Get(0) == line.toLatin1()); // QCOMPARE would print it all
    }

    // A line longer than a line edit's default limit comes back whole.
    void longLineUntruncated()
    {
        const QString line(100000, QLatin1Char('w'));
        SetLines({line, "a"});
        QCOMPARE(Text("Edit1").size(), line.size());
        D->Answer(TModalResult::Yes);
        Click("Button4");
        QCOMPARE(W->WordList->Get(0).size(), 100000);
    }
};

TAVI_TEST_MAIN(TestEditor)
#include "test_editor.moc"
