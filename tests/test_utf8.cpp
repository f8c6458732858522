// Word lists written in UTF-8: shown as UTF-8 when the whole text is UTF-8, while
// every byte is kept as read, in both windows.
#include "LineText.h"
#include "ScriptedDialogs.h"
#include "ListRules.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestMain.h"
#include "WordList.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

QByteArray Utf8(const char *text) { return QByteArray(text); }
QByteArray Sjis(const char *text) { return LineText::Encode(QString::fromUtf8(text), TLineEncoding::Cp932); }

// Eight lines: four entries, enough for one question.
QByteArrayList Entries(QByteArray (*encode)(const char *))
{
    return {encode("りんご"), encode("apple"), encode("本"), encode("book"),
            encode("猫"),     encode("cat"),   encode("犬"), encode("dog")};
}

} // namespace

class TestUtf8 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void decision_data();
    void decision();
    void quizShowsEitherEncoding_data();
    void quizShowsEitherEncoding();
    void quizRoundTripKeepsBytes_data();
    void quizRoundTripKeepsBytes();
    void editorShowsAndStoresInTheListsEncoding_data();
    void editorShowsAndStoresInTheListsEncoding();
    void editorUntouchedEntryKeepsBytes();
    void editorByteOrderMarkOnlyAtTheStart_data();
    void editorByteOrderMarkOnlyAtTheStart();

private:
    QString Write(const QByteArray &bytes, const QString &name = QStringLiteral("list.dat"));
    QByteArray Read(const QString &path);
    QTemporaryDir *Dir = nullptr;
    ScriptedDialogs *Seam = nullptr;
};

void TestUtf8::init()
{
    Dir = new QTemporaryDir;
    Seam = new ScriptedDialogs;
}

void TestUtf8::cleanup()
{
    QVERIFY2(Seam->Errors.isEmpty(), qPrintable(Seam->Errors.join('\n')));
    delete Seam;
    delete Dir;
}

QString TestUtf8::Write(const QByteArray &bytes, const QString &name)
{
    const QString path = Dir->filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write fixture");
    return path;
}

QByteArray TestUtf8::Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void TestUtf8::decision_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("Shift-JIS kanji") << JoinLines({Sjis("漢字"), Sjis("かんじ")}) << false;
    QTest::newRow("Shift-JIS kana") << JoinLines({Sjis("ひらがな"), Sjis("カタカナ")}) << false;
    QTest::newRow("Shift-JIS half-width katakana") << JoinLines({Sjis("ｶﾀｶﾅ"), QByteArray("kana")}) << false;
    QTest::newRow("UTF-8 Japanese") << JoinLines({Utf8("漢字"), Utf8("かんじ")}) << true;
    QTest::newRow("UTF-8 with byte-order mark") << JoinLines({Bom + Utf8("漢字"), Utf8("kanji")}) << true;
    QTest::newRow("byte-order mark alone") << Bom << true;
    QTest::newRow("ASCII") << JoinLines({"apple", "ringo"}) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("UTF-8 with one stray byte") << JoinLines({Utf8("漢字"), QByteArray("\x80")}) << false;
    QTest::newRow("UTF-8 cut in a character") << Utf8("漢字").chopped(1) << false;
    QTest::newRow("overlong form") << QByteArray("a\xC0\x80") << false;
    QTest::newRow("surrogate half") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("UTF-8 up to a NUL, junk after") << Utf8("漢字\n") + QByteArray("\0\x80\xFF", 3) << true;
    QTest::newRow("Shift-JIS up to a NUL, UTF-8 after") << Sjis("漢字") + QByteArray(1, '\0') + Utf8("漢字")
                                                         << false;
}

void TestUtf8::decision()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8);
    WordList list;
    list.LoadFromFile(Write(bytes));
    QCOMPARE(list.IsUtf8Text(), utf8);
    // The bytes themselves are never converted: line 0 is the text's first bytes.
    if (list.Count() > 0) {
        qsizetype end = 0;
        while (end < bytes.size() && !QByteArray("\r\n", 3).contains(bytes.at(end)))
            ++end;
        QCOMPARE(list.Get(0), bytes.left(end));
    }
}

void TestUtf8::quizShowsEitherEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Shift-JIS") << JoinLines(Entries(Sjis));
    QTest::newRow("UTF-8") << JoinLines(Entries(Utf8));
    QTest::newRow("UTF-8 with byte-order mark") << Bom + JoinLines(Entries(Utf8));
}

void TestUtf8::quizShowsEitherEncoding()
{
    QFETCH(QByteArray, bytes);
    TForm1 form;
    form.FormCreate(&form);
    Seam->Choose(Write(bytes));
    form.findChild<QPushButton *>(QStringLiteral("Yomikomi"))->click();
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("Label6"))->text(), QStringLiteral("りんご"));
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("Label5"))->text(), QStringLiteral("apple"));
    QStringList choices;
    for (const char *name : {"Button1", "Button2", "Button3", "Button4"})
        choices << form.findChild<QPushButton *>(QLatin1String(name))->text();
    choices.sort();
    QCOMPARE(choices, (QStringList{"apple", "book", "cat", "dog"}));
    // The memorised box shows the question the same way.
    Seam->Answer(TModalResult::No);
    form.findChild<QPushButton *>(QStringLiteral("Sakujo"))->click();
    QCOMPARE(Seam->Boxes.last().Text, QStringLiteral("りんご を末尾に移動します。"));
}

void TestUtf8::quizRoundTripKeepsBytes_data()
{
    QTest::addColumn<bool>("utf8");
    QTest::newRow("Shift-JIS") << false;
    QTest::newRow("UTF-8 with byte-order mark") << true;
}

void TestUtf8::quizRoundTripKeepsBytes()
{
    QFETCH(bool, utf8);
    QByteArrayList lines = Entries(utf8 ? Utf8 : Sjis);
    if (utf8)
        lines[0] = Bom + lines[0];
    TForm1 form;
    form.FormCreate(&form);
    Seam->Choose(Write(JoinLines(lines)));
    form.findChild<QPushButton *>(QStringLiteral("Yomikomi"))->click();
    Seam->Answer(TModalResult::Yes);
    form.findChild<QPushButton *>(QStringLiteral("Sakujo"))->click(); // entry 0 to the end
    form.findChild<QPushButton *>(QStringLiteral("Button6"))->click(); // swap
    const QString out = Dir->filePath(QStringLiteral("out.dat"));
    Seam->Choose(out);
    form.findChild<QPushButton *>(QStringLiteral("Hozon"))->click();
    const QByteArrayList expected{lines[3], lines[2], lines[5], lines[4], lines[7], lines[6], lines[1], lines[0]};
    QCOMPARE(Read(out), JoinLines(expected));
}

void TestUtf8::editorShowsAndStoresInTheListsEncoding_data()
{
    QTest::addColumn<bool>("utf8");
    QTest::newRow("Shift-JIS") << false;
    QTest::newRow("UTF-8") << true;
}

void TestUtf8::editorShowsAndStoresInTheListsEncoding()
{
    QFETCH(bool, utf8);
    QByteArray (*encode)(const char *) = utf8 ? Utf8 : Sjis;
    const QByteArrayList lines{encode("本"), encode("book"), encode("猫"), encode("cat")};
    TForm2 form;
    form.FormCreate(&form);
    Seam->Choose(Write(JoinLines(lines)));
    form.findChild<QAction *>(QStringLiteral("Open1"))->trigger();
    auto *edit1 = form.findChild<QLineEdit *>(QStringLiteral("Edit1"));
    auto *edit2 = form.findChild<QLineEdit *>(QStringLiteral("Edit2"));
    QCOMPARE(edit1->text(), QStringLiteral("本"));

    edit1->setText(QStringLiteral("単語"));
    edit2->setText(QStringLiteral("word"));
    Seam->Answer(TModalResult::Yes);
    form.findChild<QPushButton *>(QStringLiteral("Button3"))->click(); // add at the front
    QCOMPARE(Seam->Boxes.last().Text, QStringLiteral("単語を追加します。"));
    edit1->setText(QStringLiteral("辞書"));
    Seam->Answer(TModalResult::Yes);
    form.findChild<QPushButton *>(QStringLiteral("Button4"))->click(); // change it
    const QString out = Dir->filePath(QStringLiteral("out.dat"));
    Seam->Choose(out);
    form.findChild<QPushButton *>(QStringLiteral("Button6"))->click();
    QCOMPARE(Read(out), JoinLines(QByteArrayList{encode("辞書"), encode("word")} + lines));
}

void TestUtf8::editorUntouchedEntryKeepsBytes()
{
    // A UTF-8 list whose first line carries a byte-order mark: not shown, kept on
    // an untouched change and on a changed first line.
    const QByteArrayList lines{Bom + Utf8("本"), Utf8("book"), Utf8("猫"), Utf8("cat")};
    TForm2 form;
    form.FormCreate(&form);
    Seam->Choose(Write(JoinLines(lines)));
    form.findChild<QAction *>(QStringLiteral("Open1"))->trigger();
    auto *edit1 = form.findChild<QLineEdit *>(QStringLiteral("Edit1"));
    QCOMPARE(edit1->text(), QStringLiteral("本"));
    Seam->Answer(TModalResult::Yes);
    form.findChild<QPushButton *>(QStringLiteral("Button4"))->click();
    edit1->setText(QStringLiteral("書物"));
    Seam->Answer(TModalResult::Yes);
    form.findChild<QPushButton *>(QStringLiteral("Button4"))->click();
    const QString out = Dir->filePath(QStringLiteral("out.dat"));
    Seam->Choose(out);
    form.findChild<QPushButton *>(QStringLiteral("Button6"))->click();
    QCOMPARE(Read(out), JoinLines({Bom + Utf8("書物"), Utf8("book"), Utf8("猫"), Utf8("cat")}));
}

void TestUtf8::editorByteOrderMarkOnlyAtTheStart_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<int>("entry");       // the entry shown
    QTest::addColumn<QString>("button");  // Button3 adds, Button4 changes
    QTest::addColumn<QString>("question"); // typed into Edit1; empty: left as shown
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArrayList>("after");

    const QByteArrayList marked{Bom + Utf8("本"), Utf8("book"), Utf8("猫"), Utf8("cat")};
    const QByteArrayList plain{Utf8("本"), Utf8("book"), Utf8("猫"), Utf8("cat")};
    const QByteArrayList rest{Utf8("本"), Utf8("book"), Utf8("猫"), Utf8("cat")};
    // The mark moves to the new first line; the old first line loses it.
    QTest::newRow("add the first entry as shown") << marked << 0 << "Button3" << QString() << "本を追加します。"
                                                  << QByteArrayList{Bom + Utf8("本"), Utf8("book")} + rest;
    QTest::newRow("add typed while the first entry is shown")
        << marked << 0 << "Button3" << "辞書" << "辞書を追加します。"
        << QByteArrayList{Bom + Utf8("辞書"), Utf8("book")} + rest;
    QTest::newRow("add while another entry is shown") << marked << 1 << "Button3" << QString() << "猫を追加します。"
                                                      << QByteArrayList{Bom + Utf8("猫"), Utf8("cat")} + rest;
    QTest::newRow("add to a list without a mark") << plain << 0 << "Button3" << "辞書" << "辞書を追加します。"
                                                  << QByteArrayList{Utf8("辞書"), Utf8("book")} + plain;
    // A changed first line keeps it; other lines never get one.
    QTest::newRow("change the first entry") << marked << 0 << "Button4" << "書物" << "書物に変更します。"
                                            << QByteArrayList{Bom + Utf8("書物"), Utf8("book"), Utf8("猫"), Utf8("cat")};
    QTest::newRow("change another entry") << marked << 1 << "Button4" << "犬" << "犬に変更します。"
                                          << QByteArrayList{Bom + Utf8("本"), Utf8("book"), Utf8("犬"), Utf8("cat")};
    // Typed text never gets one: a mark typed at the start is refused.
    const QString refused = QStringLiteral("U+FEFF は単語ファイルに保存できない文字です。");
    QTest::newRow("mark typed, add") << marked << 0 << "Button3" << QChar(0xFEFF) + QStringLiteral("辞書") << refused << marked;
    QTest::newRow("mark typed, change") << plain << 1 << "Button4" << QChar(0xFEFF) + QStringLiteral("辞書") << refused << plain;
}

void TestUtf8::editorByteOrderMarkOnlyAtTheStart()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(int, entry);
    QFETCH(QString, button);
    QFETCH(QString, question);
    QFETCH(QString, box);
    QFETCH(QByteArrayList, after);
    TForm2 form;
    form.FormCreate(&form);
    const QString path = Write(JoinLines(lines));
    Seam->Choose(path);
    form.findChild<QAction *>(QStringLiteral("Open1"))->trigger();
    for (int i = 0; i < entry; ++i)
        form.findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    if (!question.isEmpty())
        form.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(question);
    Seam->Answer(box.contains(QStringLiteral("U+")) ? TModalResult::Ok : TModalResult::Yes);
    form.findChild<QPushButton *>(button)->click();
    QCOMPARE(Seam->Boxes.last().Text, box);
    Seam->Choose(path);
    form.findChild<QPushButton *>(QStringLiteral("Button6"))->click();
    QCOMPARE(Read(path), JoinLines(after));
}

TAVI_TEST_MAIN(TestUtf8)
#include "test_utf8.moc"
