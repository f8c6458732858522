// Start-up, the window set, the report during start-up and the about box.
#include "Application.h"
#include "Forms.h"
#include "ScriptedDialogs.h"
#include "StartUp.h"
#include "TestMain.h"
#include "Windows.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

class TestApp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startUpOrderAndHelpText_data();
    void startUpOrderAndHelpText();
    void closingTheMainWindowEndsTheProgram();
    void secondaryWindowsOnlyHide();
    void aboutBoxCentredFirstThenWhereLeft();
    void aboutBoxOkBringsTheQuizWindowForward();
    void aboutBoxMemoTakesEnter();
    void aboutBoxPanelIsEtched();
    void editorSaveReachesTheQuizThroughAFile();
    void windowsLookTheSameUnderADarkTheme_data();
    void windowsLookTheSameUnderADarkTheme();
    void labelsAsTallAsTheirFont();
    void screenReadersNameBoxesAndNumbers_data();
    void screenReadersNameBoxesAndNumbers();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void f10OpensTheMenuBar_data();
    void f10OpensTheMenuBar();
    void installedHelpTextWhereTheWorkingFolderHasNone_data();
    void installedHelpTextWhereTheWorkingFolderHasNone();

private:
    void Start(const QByteArray *helpText);
    QMap<QString, QImage> GrabWindows();
    QTemporaryDir *Dir = nullptr;
    QString OldCwd;
};

void TestApp::init()
{
    OldCwd = QDir::currentPath();
    Dir = new QTemporaryDir;
    QDir::setCurrent(Dir->path());
}

void TestApp::cleanup()
{
    delete AboutBox;
    delete Form2;
    delete Form1;
    Form1 = Form2 = AboutBox = nullptr;
    Application::SetMainForm(nullptr);
    QDir::setCurrent(OldCwd);
    delete Dir;
    Dir = nullptr;
}

// Writes help.txt (unless null) into the working folder and runs the start-up.
void TestApp::Start(const QByteArray *helpText)
{
    if (helpText) {
        QFile f(QStringLiteral("help.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(*helpText);
    }
    CreateWindows();
}

void TestApp::startUpOrderAndHelpText_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("report"); // empty: none
    QTest::addColumn<QString>("memo");
    const QString memoTooLarge = QStringLiteral("文字列の大きさが ﾒﾓ の制限を越えました.");
    QTest::newRow("missing") << false << QByteArray() << QStringLiteral("ﾌｧｲﾙ help.txt は開けません.")
                             << QStringLiteral("Memo1");
    QTest::newRow("empty") << true << QByteArray() << QString() << QString();
    QTest::newRow("CR LF") << true << QByteArray("a\r\nb\r\n") << QString() << QStringLiteral("a\nb\n");
    QTest::newRow("LF only") << true << QByteArray("a\nb\n") << QString() << QStringLiteral("a\nb\n");
    QTest::newRow("CR only") << true << QByteArray("a\rb\r") << QString() << QStringLiteral("a\nb\n");
    QTest::newRow("LF CR is two breaks") << true << QByteArray("a\n\rb") << QString() << QStringLiteral("a\n\nb");
    QTest::newRow("Shift-JIS") << true << QByteArray("\x8e\x67\x82\xa2\x95\xfb\r\n") << QString()
                               << QStringLiteral("使い方\n");
    // The byte after a lead byte is no break, in the text shown too: one line.
    QTest::newRow("lead byte before CR") << true << QByteArray("A\x81\rB") << QString() << QStringLiteral("A\uF781B");
    QTest::newRow("lead byte before LF") << true << QByteArray("A\x81\nB") << QString() << QStringLiteral("A\uF781B");
    QTest::newRow("lead byte before CR LF") << true << QByteArray("A\x81\r\nB") << QString()
                                            << QStringLiteral("A\uF781\nB");
    QTest::newRow("NUL ends the text") << true << QByteArray("ab\ncd\0ef", 8) << QString() << QStringLiteral("ab\ncd");
    QTest::newRow("over the limit") << true << QByteArray(TAboutBox::MemoLimit + 1, 'x') << memoTooLarge
                                    << QStringLiteral("Memo1");
    QTest::newRow("over the limit once breaks are CR LF") << true << QByteArray(TAboutBox::MemoLimit / 2 + 1, '\n')
                                                          << memoTooLarge << QStringLiteral("Memo1");
}

void TestApp::startUpOrderAndHelpText()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(QString, report);
    QFETCH(QString, memo);
    ScriptedDialogs seam;
    if (!report.isEmpty())
        seam.Answer(TModalResult::Ok);
    // The report comes while the about box is created: after the two others,
    // before any window is visible.
    seam.OnMessageBox = [](const TMessageBoxRequest &) {
        QVERIFY(Form1 && Form2 && AboutBox);
        QVERIFY(!Form1->isVisible() && !Form2->isVisible() && !AboutBox->isVisible());
    };
    Start(present ? &content : nullptr);
    QVERIFY2(seam.Errors.isEmpty(), qPrintable(seam.Errors.join('\n')));
    QCOMPARE(seam.Boxes.size(), report.isEmpty() ? 0 : 1);
    if (!report.isEmpty()) {
        QCOMPARE(seam.Boxes.first().Text, report);
        QCOMPARE(seam.Boxes.first().Caption, QStringLiteral("Tavi"));
        QCOMPARE(seam.Boxes.first().Icon, TMsgIcon::Stop);
    }
    QCOMPARE(AboutForm()->findChild<QPlainTextEdit *>("Memo1")->toPlainText(), memo);

    QCOMPARE(Application::MainForm(), Form1);
    QVERIFY(qobject_cast<TForm1 *>(Form1));
    QVERIFY(qobject_cast<TForm2 *>(Form2));
    QVERIFY(qobject_cast<TAboutBox *>(AboutBox));
    // Owned by no other window and no dialog, so that no window manager keeps one
    // above another; the about box keeps its dialog frame.
    for (QWidget *form : {Form1, Form2, AboutBox}) {
        QCOMPARE(form->parentWidget(), nullptr);
        QCOMPARE(form->windowType(), Qt::Window);
    }
    const Qt::WindowFlags frame = AboutBox->windowFlags();
    QVERIFY(frame & Qt::CustomizeWindowHint);
    QVERIFY(frame & Qt::WindowCloseButtonHint);
    QVERIFY(!(frame & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(Form1->windowIconText(), QStringLiteral("Tavi"));
    QCOMPARE(Form1->windowTitle(), QStringLiteral("☆Sorvik"));
    QCOMPARE(Form2->windowTitle(), QStringLiteral("単語編集"));
    QCOMPARE(AboutBox->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
}

void TestApp::closingTheMainWindowEndsTheProgram()
{
    const QByteArray help("help");
    QFile f(QStringLiteral("help.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(help);
    f.close();
    ScriptedDialogs seam;
    bool othersWereOpen = false;
    QTimer::singleShot(0, [&] {
        Forms::Show(Form2);
        Forms::Show(AboutBox);
        othersWereOpen = Form1->isVisible() && Form2->isVisible() && AboutBox->isVisible();
        Forms::Close(Form1);
    });
    QCOMPARE(RunProgram(), 0);
    QVERIFY(othersWereOpen);
    QVERIFY(seam.Boxes.isEmpty());
}

void TestApp::secondaryWindowsOnlyHide()
{
    ScriptedDialogs seam;
    seam.Answer(TModalResult::Ok);
    Start(nullptr);
    Form1->show();
    Forms::Show(Form2);
    Forms::Show(AboutBox);
    Forms::Close(Form2);
    Forms::Close(AboutBox);
    QVERIFY(Form2->isHidden() && AboutBox->isHidden());
    QVERIFY(Form1->isVisible());
    Forms::Show(Form2);
    QVERIFY(Form2->isVisible());
    // Showing a minimised window restores it.
    Form2->showMinimized();
    Forms::Show(Form2);
    QVERIFY(!Form2->isMinimized());
}

void TestApp::aboutBoxCentredFirstThenWhereLeft()
{
    ScriptedDialogs seam;
    seam.Answer(TModalResult::Ok);
    Start(nullptr);
    Form1->show();
    Forms::Show(AboutBox);
    const QRect screen = AboutBox->screen()->geometry();
    const QRect frame = AboutBox->frameGeometry();
    QCOMPARE(frame.left(), (screen.width() - frame.width()) / 2);
    QCOMPARE(frame.top(), (screen.height() - frame.height()) / 2);
    QCOMPARE(AboutBox->geometry().size(), QSize(336, 213));

    AboutBox->move(10, 20);
    AboutForm()->findChild<QPushButton *>("OKButton")->click();
    QVERIFY(AboutBox->isHidden());
    Forms::Show(AboutBox);
    QCOMPARE(AboutBox->pos(), QPoint(10, 20));
}

void TestApp::aboutBoxOkBringsTheQuizWindowForward()
{
    ScriptedDialogs seam;
    seam.Answer(TModalResult::Ok);
    Start(nullptr);
    Form1->show();
    Forms::Show(Form2);
    Forms::Show(AboutBox);
    QVERIFY(QTest::qWaitForWindowActive(AboutBox));
    QTest::mouseClick(AboutForm()->findChild<QPushButton *>("OKButton"), Qt::LeftButton);
    QVERIFY(AboutBox->isHidden());
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    QVERIFY(Form2->isVisible());
}

void TestApp::aboutBoxMemoTakesEnter()
{
    QByteArray help("ab");
    Start(&help);
    Forms::Show(AboutBox);
    auto *memo = AboutForm()->findChild<QPlainTextEdit *>("Memo1");
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    QVERIFY(AboutBox->isVisible());
    QCOMPARE(memo->toPlainText(), QStringLiteral("ab\n"));
}

void TestApp::aboutBoxPanelIsEtched()
{
    const QByteArray help("help");
    Start(&help);
    auto *panel = AboutForm()->findChild<QFrame *>(QStringLiteral("Panel1"));
    QCOMPARE(panel->geometry(), QRect(8, 8, 321, 169));
    QCOMPARE(panel->contentsRect(), QRect(2, 2, 317, 165));
    // Outer bevel lowered (shadow above and left, light below and right), inner
    // bevel raised (the other way round): two lines all round.
    const QImage image = panel->grab().toImage();
    const QRgb shadow = panel->palette().color(QPalette::Dark).rgb();
    const QRgb light = panel->palette().color(QPalette::Light).rgb();
    const int w = image.width(), h = image.height(), x = w / 2, y = h / 2;
    const QList<QRgb> edges{image.pixel(x, 0), image.pixel(x, 1), image.pixel(0, y), image.pixel(1, y),
                            image.pixel(x, h - 2), image.pixel(x, h - 1), image.pixel(w - 2, y), image.pixel(w - 1, y)};
    QCOMPARE(edges, QList<QRgb>({shadow, light, shadow, light, shadow, light, shadow, light}));
}

void TestApp::editorSaveReachesTheQuizThroughAFile()
{
    QByteArray help("help");
    Start(&help);
    QByteArray words;
    for (int i = 0; i < 4; ++i)
        words += "q" + QByteArray::number(i) + "\r\na" + QByteArray::number(i) + "\r\n";
    QFile list(QStringLiteral("words.dat"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(words);
    list.close();
    const QString path = QDir::current().filePath(QStringLiteral("words.dat"));
    const QString saved = QDir::current().filePath(QStringLiteral("saved.dat"));

    ScriptedDialogs seam;
    seam.Choose(path).Answer(TModalResult::Yes).Choose(saved).Choose(saved);
    EditorForm()->findChild<QAction *>(QStringLiteral("Open1"))->trigger();
    EditorForm()->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("新しい"));
    EditorForm()->findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("new"));
    EditorForm()->findChild<QPushButton *>(QStringLiteral("Button3"))->click();
    EditorForm()->findChild<QPushButton *>(QStringLiteral("Button6"))->click();
    QuizForm()->findChild<QPushButton *>(QStringLiteral("Yomikomi"))->click();
    QVERIFY2(seam.Errors.isEmpty(), qPrintable(seam.Errors.join('\n')));
    QCOMPARE(seam.Pending(), 0);
    // The new entry stands first in the file, so the quiz asks it first.
    QCOMPARE(QuizForm()->findChild<QLabel *>(QStringLiteral("Label6"))->text(), QStringLiteral("新しい"));
    QFile out(saved);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), QByteArray("\x90\x56\x82\xb5\x82\xa2\r\nnew\r\n") + words);
}

// The three windows and their menus as the learner sees them: the quiz window with
// the answer shown (enabled and disabled buttons, every label colour), the editor
// with typed words, the about box with its help text.
QMap<QString, QImage> TestApp::GrabWindows()
{
    QuizForm()->findChild<QPushButton *>(QStringLiteral("Miru"))->click();
    EditorForm()->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("gjpqy 問題"));
    QMap<QString, QImage> shots;
    shots[QStringLiteral("quiz window")] = Form1->grab().toImage();
    shots[QStringLiteral("editor")] = Form2->grab().toImage();
    shots[QStringLiteral("about box")] = AboutBox->grab().toImage();
    for (QWidget *w : {Form1, Form2}) {
        auto *menu = w->findChild<QMenu *>(QStringLiteral("K1"));
        menu->resize(menu->sizeHint());
        shots[w == Form1 ? QStringLiteral("quiz menu") : QStringLiteral("editor menu")] = menu->grab().toImage();
    }
    return shots;
}

void TestApp::windowsLookTheSameUnderADarkTheme_data()
{
    QTest::addColumn<QString>("window");
    for (const char *w : {"quiz window", "editor", "about box", "quiz menu", "editor menu"})
        QTest::newRow(w) << QString::fromLatin1(w);
}

void TestApp::windowsLookTheSameUnderADarkTheme()
{
    QFETCH(QString, window);
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x24, 0x24, 0x24));
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Base, QColor(0x2D, 0x2D, 0x2D));
        dark.setColor(group, QPalette::Highlight, QColor(0x15, 0x53, 0x9E));
        dark.setColor(group, QPalette::ToolTipBase, QColor(0x10, 0x10, 0x10));
    }
    const QByteArray help("help\r\n");
    Start(&help);
    const QImage expected = GrabWindows().value(window);
    QVERIFY(!expected.isNull());
    // And that look is the light one: a light face behind the words.
    QVERIFY(qGray(expected.pixel(5, expected.height() - 5)) > 200);

    // A theme that changes while the program runs...
    QApplication::setPalette(dark);
    QCOMPARE(GrabWindows().value(window), expected);
    // ...and one in place at start-up.
    cleanup();
    init();
    Start(&help);
    QCOMPARE(GrabWindows().value(window), expected);
}

void TestApp::labelsAsTallAsTheirFont()
{
    const QByteArray help("help");
    Start(&help);
    int labels = 0;
    for (QWidget *window : {Form1, Form2, AboutBox}) {
        const auto all = window->findChildren<QLabel *>();
        for (QLabel *label : all) {
            if (label->window() != window)
                continue; // one of the other windows, which the quiz window owns
            const int line = QFontMetrics(label->font()).height();
            QVERIFY2(label->height() >= line, qPrintable(label->objectName() + QLatin1String(" is ") +
                                                         QString::number(label->height()) + QLatin1String(" < ") +
                                                         QString::number(line)));
            ++labels;
        }
    }
    QCOMPARE(labels, 8 + 2 + 5);
}

void TestApp::screenReadersNameBoxesAndNumbers_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");       // its own accessible name; empty: none
    QTest::addColumn<QString>("labelledBy"); // the label it is tied to; empty: none
    QTest::newRow("editor's question box") << "Form2/Edit1" << "問題" << "";
    QTest::newRow("editor's answer box") << "Form2/Edit2" << "答え" << "";
    QTest::newRow("correct answers") << "Form1/Label2" << "" << "正答数";
    QTest::newRow("questions") << "Form1/Label3" << "" << "問題数";
}

void TestApp::screenReadersNameBoxesAndNumbers()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, labelledBy);
    const QByteArray help("help");
    Start(&help);
    QWidget *window = control.startsWith(QLatin1String("Form1")) ? Form1 : Form2;
    QWidget *w = window->findChild<QWidget *>(control.section(QLatin1Char('/'), 1));
    QVERIFY(w);
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    QVERIFY(a);
    QCOMPARE(w->accessibleName(), name);
    if (!name.isEmpty())
        QCOMPARE(a->text(QAccessible::Name), name);
    QStringList labels;
    const auto relations = a->relations(QAccessible::Label);
    for (const auto &r : relations)
        labels << r.first->text(QAccessible::Name);
    QCOMPARE(labels, labelledBy.isEmpty() ? QStringList() : QStringList{labelledBy});
}

void TestApp::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("presses");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Space as before") << int(Qt::Key_Space) << int(Qt::NoModifier) << true;
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
}

// Enter presses the button that has the focus in the quiz window and the editor,
// and no button turns into a default button for it.
void TestApp::enterPressesTheFocusedButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, presses);
    QByteArray help("help");
    Start(&help);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    auto *edit = QuizForm()->findChild<QPushButton *>(QStringLiteral("Button5")); // 編集画面
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(Form2->isVisible(), presses);

    Forms::Show(Form2);
    QVERIFY(QTest::qWaitForWindowActive(Form2));
    auto *edit1 = EditorForm()->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    edit1->setText(QStringLiteral("word"));
    auto *clear = EditorForm()->findChild<QPushButton *>(QStringLiteral("Button5")); // クリア
    clear->setFocus();
    QTest::keyClick(clear, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(edit1->text().isEmpty(), presses);
    for (QWidget *form : {Form1, Form2})
        for (QPushButton *button : form->findChildren<QPushButton *>())
            QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->objectName()));
}

void TestApp::f10OpensTheMenuBar_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("menu");
    QTest::newRow("quiz window") << 1 << QStringLiteral("Susumeru") << QStringLiteral("ファイル操作");
    QTest::newRow("editor, in a box") << 2 << QStringLiteral("Edit1") << QStringLiteral("ファイル");
}

void TestApp::f10OpensTheMenuBar()
{
    QFETCH(int, form);
    QFETCH(QString, focus);
    QFETCH(QString, menu);
    QByteArray help("help");
    Start(&help);
    QWidget *window = form == 1 ? Form1 : Form2;
    Forms::Show(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto *target = window->findChild<QWidget *>(focus);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_F10);
    QMenuBar *bar = static_cast<QMainWindow *>(window)->menuBar();
    QVERIFY(bar->activeAction());
    QCOMPARE(bar->activeAction()->text().remove(QLatin1Char('&')), menu);
    QTRY_VERIFY(bar->activeAction()->menu()->isVisible());
    bar->activeAction()->menu()->close();
}

void TestApp::installedHelpTextWhereTheWorkingFolderHasNone_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("working");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("report"); // empty: none
    QTest::newRow("installed only") << true << false << QStringLiteral("installed") << QString();
    QTest::newRow("the working folder's first") << true << true << QStringLiteral("working") << QString();
    QTest::newRow("neither") << false << false << QStringLiteral("Memo1")
                             << QStringLiteral("ﾌｧｲﾙ help.txt は開けません.");
}

// Installed, the program finds share/tavi/help.txt beside its bin folder; the test
// program stands in for it with its own folder.
void TestApp::installedHelpTextWhereTheWorkingFolderHasNone()
{
    QFETCH(bool, installed);
    QFETCH(bool, working);
    QFETCH(QString, memo);
    QFETCH(QString, report);
    QDir share(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tavi"));
    QVERIFY(!share.exists(QStringLiteral("help.txt")));
    QVERIFY(share.mkpath(QStringLiteral(".")));
    const QString installedPath = share.filePath(QStringLiteral("help.txt"));
    const auto removeInstalled = qScopeGuard([&] {
        QFile::remove(installedPath);
        share.rmpath(share.absolutePath());
    });
    if (installed) {
        QFile f(installedPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("installed");
    }
    const QByteArray text("working");
    ScriptedDialogs seam;
    if (!report.isEmpty())
        seam.Answer(TModalResult::Ok);
    Start(working ? &text : nullptr);
    QCOMPARE(seam.Boxes.size(), report.isEmpty() ? 0 : 1);
    if (!report.isEmpty())
        QCOMPARE(seam.Boxes.first().Text, report);
    QCOMPARE(AboutForm()->findChild<QPlainTextEdit *>("Memo1")->toPlainText(), memo);
}

TAVI_TEST_MAIN(TestApp)
#include "test_app.moc"
