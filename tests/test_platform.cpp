// The platform layer: code page 932, the text table, the exception family, the
// handler wrapper with the standard error report, and safe whole-file reading.
#include "Application.h"
#include "Cp932.h"
#include "Desktop.h"
#include "Exceptions.h"
#include "LineText.h"
#include "ReadFile.h"
#include "ScriptedDialogs.h"
#include "Texts.h"
#include "TestMain.h"

#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <stdexcept>
#include <type_traits>
#include <sys/stat.h>

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void cp932EveryOneAndTwoByteSequence();
    void cp932KnownCodes_data();
    void cp932KnownCodes();
    void storedTextReadsBack_data();
    void storedTextReadsBack();
    void shownStart_data();
    void shownStart();
    void textsSubstitutePlainly_data();
    void textsSubstitutePlainly();
    void exceptionFamily();
    void reportText_data();
    void reportText();
    void wiredHandlerReportsAndGoesOn();
    void readFileRefusesWhatIsNotARegularFile_data();
    void readFileRefusesWhatIsNotARegularFile();
    void fileDialogFilters_data();
    void fileDialogFilters();
    void designedPlaceOnScreens_data();
    void designedPlaceOnScreens();
};

void TestPlatform::cp932EveryOneAndTwoByteSequence()
{
    // Every byte sequence decodes to something that encodes back to itself, except
    // codes with a duplicate elsewhere in the table (NEC and IBM rows), which
    // encode to the duplicate: decoding that gives the same text.
    QList<QByteArray> inputs;
    for (int b = 0; b < 256; ++b)
        inputs << QByteArray(1, char(b));
    for (int lead = 0x80; lead < 0x100; ++lead)
        for (int trail = 0; trail < 256; ++trail)
            inputs << QByteArray(1, char(lead)).append(char(trail));
    int duplicates = 0;
    for (const QByteArray &in : inputs) {
        const QString text = Cp932::Decode(in);
        bool ok = false;
        const QByteArray back = Cp932::Encode(text, &ok);
        QVERIFY2(ok, in.toHex().constData());
        if (back != in) {
            ++duplicates;
            QCOMPARE(Cp932::Decode(back), text);
        }
    }
    QVERIFY2(duplicates > 300 && duplicates < 500, QByteArray::number(duplicates).constData());
}

void TestPlatform::cp932KnownCodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii, yen sign byte stays backslash") << QByteArray("a\\~") << QStringLiteral("a\\~");
    QTest::newRow("control bytes kept") << QByteArray("\x1a\x1c\x7f") << QStringLiteral("\x1a\x1c\x7f");
    QTest::newRow("kanji") << QByteArray("\x8a\xbf\x8e\x9a") << QStringLiteral("漢字");
    QTest::newRow("half-width katakana") << QByteArray("\xd8\xbd\xc4") << QStringLiteral("ﾘｽﾄ");
    QTest::newRow("full-width") << QByteArray("\x82\x6c\x82\x72") << QStringLiteral("ＭＳ");
    QTest::newRow("NEC row duplicate") << QByteArray("\xed\x40") << QStringLiteral("纊");
    QTest::newRow("undecodable single bytes") << QByteArray("\x80\xa0\xfd\xfe\xff")
                                              << QStringLiteral("\uF780\uF7A0\uF7FD\uF7FE\uF7FF");
    QTest::newRow("lead byte without trail") << QByteArray("a\x82") << QStringLiteral("a\uF782");
    QTest::newRow("lead byte before a bad trail") << QByteArray("\x82\x20") << QStringLiteral("\uF782 ");
    // № is 87 82 as well as FA 59: after the kept 87 only FA 59 keeps the text.
    QTest::newRow("kept byte before a duplicate code") << QByteArray("\x87\xfa\x59") << QStringLiteral("\uF787№");
}

void TestPlatform::cp932KnownCodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Cp932::Decode(bytes), text);
    if (!bytes.startsWith("\xed"))
        QCOMPARE(Cp932::Encode(text), bytes);
}

void TestPlatform::storedTextReadsBack_data()
{
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("named"); // the character refused, or empty
    QTest::addColumn<QString>("back");  // the text the bytes read back as

    // The JIS characters as Linux input methods type them: stored under their JIS
    // code, read back in the code page's form of the same character.
    const struct {
        const char *name;
        char16_t typed;
        const char *code;
        char16_t read;
    } jis[] = {
        {"wave dash", 0x301C, "\x81\x60", 0xFF5E},  {"double vertical line", 0x2016, "\x81\x61", 0x2225},
        {"minus sign", 0x2212, "\x81\x7C", 0xFF0D}, {"cent sign", 0x00A2, "\x81\x91", 0xFFE0},
        {"pound sign", 0x00A3, "\x81\x92", 0xFFE1}, {"not sign", 0x00AC, "\x81\xCA", 0xFFE2},
        {"em dash", 0x2014, "\x81\x5C", 0x2015},
    };
    for (const auto &c : jis) {
        QTest::addRow("cp932 %s", c.name) << false << QString(QChar(c.typed)) << QByteArray(c.code) << QString()
                                          << QString(QChar(c.read));
        // The code page's own form is stored the same way.
        QTest::addRow("cp932 %s, code page form", c.name)
            << false << QString(QChar(c.read)) << QByteArray(c.code) << QString() << QString(QChar(c.read));
        QTest::addRow("utf8 %s", c.name) << true << QString(QChar(c.typed)) << QString(QChar(c.typed)).toUtf8()
                                         << QString() << QString(QChar(c.typed));
    }
    QTest::newRow("cp932 typed with Mozc") << false << QStringLiteral("〜について") << QByteArray("\x81\x60\x82\xC9\x82\xC2\x82\xA2\x82\xC4")
                                           << QString() << QStringLiteral("～について");

    // Look-alikes that would come back as another character, and characters
    // iconv drops or has no code for.
    QTest::newRow("cp932 yen sign") << false << QStringLiteral("本¥") << QByteArray("\x96\x7B\\") << QStringLiteral("¥")
                                    << QStringLiteral("本\\");
    QTest::newRow("cp932 overline") << false << QStringLiteral("a‾") << QByteArray("a~") << QStringLiteral("‾")
                                    << QStringLiteral("a~");
    const QString tag = QString::fromUcs4(U"\U000E0041");
    QTest::newRow("cp932 tag character") << false << QStringLiteral("本") + tag << QByteArray("\x96\x7B") << tag
                                         << QStringLiteral("本");
    QTest::newRow("cp932 no code") << false << QStringLiteral("a😀é本") << QByteArray("a??\x96\x7B") << QStringLiteral("😀")
                                   << QStringLiteral("a??本");
    const QString lone = QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("b") + QChar(0xDE00);
    QTest::newRow("cp932 half a surrogate pair") << false << lone << QByteArray("a?b?") << QString(QChar(0xD83D))
                                                 << QStringLiteral("a?b?");
    QTest::newRow("cp932 full-width forms") << false << QStringLiteral("￥－ﾘｽﾄ") << QByteArray("\x81\x8F\x81\x7C\xD8\xBD\xC4")
                                            << QString() << QStringLiteral("￥－ﾘｽﾄ");

    // A kept byte must not pair with the character after it.
    QTest::newRow("cp932 kept lead byte before A") << false << QStringLiteral("abc\uF789A") << QByteArray("abc\x89" "A")
                                                   << QStringLiteral("\uF789") << QStringLiteral("abc陰");
    QTest::newRow("cp932 kept lead byte before a space") << false << QStringLiteral("abc\uF789 ")
                                                         << QByteArray("abc\x89 ") << QString()
                                                         << QStringLiteral("abc\uF789 ");
    QTest::newRow("cp932 two kept bytes that pair") << false << QStringLiteral("\uF781\uF780") << QByteArray("\x81\x80")
                                                    << QStringLiteral("\uF781") << QStringLiteral("÷");
    // The fuzz finding: ED F7 FF 5E read as UTF-16.
    QTest::newRow("cp932 kept ED before 廿") << false << QStringLiteral("\uF7ED\u5EFF") << QByteArray("\xED\x93\xF9")
                                            << QStringLiteral("\uF7ED") << Cp932::Decode("\xED\x93\xF9");
    // № has two codes: after a kept 87 only FA 59 keeps the text.
    QTest::newRow("cp932 kept byte before a duplicate code") << false << QStringLiteral("\uF787№")
                                                             << QByteArray("\x87\xFA\x59") << QString()
                                                             << QStringLiteral("\uF787№");

    QTest::newRow("utf8 everything") << true << QStringLiteral("¥‾é😀\uF789A") << QStringLiteral("¥‾é😀\uF789A").toUtf8()
                                     << QString() << QStringLiteral("¥‾é😀\uF789A");
    QTest::newRow("utf8 half a surrogate pair") << true << lone << lone.toUtf8() << QString(QChar(0xD83D))
                                                << LineText::Decode(lone.toUtf8(), TLineEncoding::Utf8);
    // A mark belongs to the file, not to typed text.
    QTest::newRow("utf8 byte-order mark at the start") << true << QStringLiteral("\uFEFFword")
                                                       << QByteArray("\xEF\xBB\xBFword") << QStringLiteral("\uFEFF")
                                                       << QStringLiteral("word");
    QTest::newRow("utf8 zero-width no-break space inside") << true << QStringLiteral("a\uFEFFb")
                                                           << QByteArray("a\xEF\xBB\xBF" "b") << QString()
                                                           << QStringLiteral("a\uFEFFb");
}

void TestPlatform::storedTextReadsBack()
{
    QFETCH(bool, utf8);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, named);
    QFETCH(QString, back);
    const TLineEncoding encoding = utf8 ? TLineEncoding::Utf8 : TLineEncoding::Cp932;
    bool ok = !named.isEmpty();
    QCOMPARE(LineText::Encode(text, encoding, &ok), bytes);
    QCOMPARE(ok, named.isEmpty());
    QCOMPARE(LineText::FirstUnencodable(text, encoding), named);
    QCOMPARE(LineText::Decode(bytes, encoding), back);
    if (!utf8) {
        QCOMPARE(Cp932::Encode(text, &ok), bytes);
        QCOMPARE(ok, named.isEmpty());
        QCOMPARE(Cp932::FirstUnencodable(text), named);
    }
}

void TestPlatform::shownStart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const QString limit(LineText::ShownLimit, QLatin1Char('x'));
    QTest::newRow("short") << QStringLiteral("りんご") << QStringLiteral("りんご");
    QTest::newRow("at the limit") << limit << limit;
    QTest::newRow("longer") << limit + QStringLiteral("yz") << limit;
    const QString pair = QStringLiteral("😀");
    QTest::newRow("pair across the limit") << limit.left(LineText::ShownLimit - 1) + pair
                                           << limit.left(LineText::ShownLimit - 1);
    QTest::newRow("pair before the limit") << limit.left(LineText::ShownLimit - 2) + pair + QStringLiteral("z")
                                           << limit.left(LineText::ShownLimit - 2) + pair;
}

void TestPlatform::shownStart()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(LineText::ShownStart(text), shown);
    // A huge line is decoded only as far as shown.
    QCOMPARE(LineText::DecodeShownStart(text.toUtf8() + QByteArray(1 << 20, 'w'), TLineEncoding::Utf8),
             LineText::ShownStart(text + QString(1 << 20, QLatin1Char('w'))));
}

void TestPlatform::textsSubstitutePlainly_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << QStringLiteral("/tmp/a.dat");
    QTest::newRow("printf and mnemonic characters") << QStringLiteral("/tmp/100%s %d&x.dat");
    QTest::newRow("blanks and Japanese") << QStringLiteral("/tmp/単語 リスト/英 単語.dat");
}

void TestPlatform::textsSubstitutePlainly()
{
    QFETCH(QString, path);
    QCOMPARE(EFOpenError(path).Message(), QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" は開けません"));
    QCOMPARE(EFCreateError(path).Message(), QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" を作成できません"));
}

void TestPlatform::exceptionFamily()
{
    QCOMPARE(EListError().Message(), QStringLiteral("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています"));
    QCOMPARE(EWriteError().Message(), QStringLiteral("ｽﾄﾘｰﾑへの書き込みｴﾗｰ"));
    QCOMPARE(Texts::Get(Texts::SMemoTooLarge), QStringLiteral("文字列の大きさが ﾒﾓ の制限を越えました"));
    try {
        throw EWriteError();
    } catch (const EFilerError &) {
    }
    try {
        throw EFOpenError(QStringLiteral("x"));
    } catch (const EStreamError &) {
    }
    try {
        throw EFCreateError(QStringLiteral("x"));
    } catch (const EStreamError &) {
    }
    const bool listIsStream = std::is_base_of_v<EStreamError, EListError>;
    QVERIFY(!listIsStream);
}

void TestPlatform::reportText_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text"); // empty: no box at all
    QTest::newRow("family") << 0 << QStringLiteral("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています.");
    QTest::newRow("empty message") << 1 << QStringLiteral(".");
    QTest::newRow("message ending in a period") << 2 << QStringLiteral("done..");
    QTest::newRow("silent abort") << 3 << QString();
    QTest::newRow("out of memory") << 4 << QStringLiteral("メモリが不足しています.");
    QTest::newRow("other std::exception") << 5 << QStringLiteral("boom.");
}

void TestPlatform::reportText()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    ScriptedDialogs seam;
    if (!text.isEmpty())
        seam.Answer(TModalResult::Ok);
    bool after = false;
    Application::Guarded([&] {
        switch (kind) {
        case 0: throw EListError();
        case 1: throw Exception(QString());
        case 2: throw Exception(QStringLiteral("done."));
        case 3: throw EAbort();
        case 4: throw std::bad_alloc();
        default: throw std::runtime_error("boom");
        }
        after = true;
    });
    QVERIFY(!after);
    QVERIFY2(seam.Errors.isEmpty(), qPrintable(seam.Errors.join('\n')));
    if (text.isEmpty()) {
        QCOMPARE(seam.Boxes.size(), 0);
        return;
    }
    QCOMPARE(seam.Boxes.size(), 1);
    const TMessageBoxRequest &box = seam.Boxes.first();
    QCOMPARE(box.Text, text);
    QCOMPARE(box.Caption, QStringLiteral("Tavi"));
    QCOMPARE(box.Buttons, TMsgButtons::Ok);
    QCOMPARE(box.Icon, TMsgIcon::Stop);
    QCOMPARE(box.Owner, nullptr);
}

namespace {
class Target : public QObject {
public:
    int Calls = 0;
    void Click(QObject *sender)
    {
        QVERIFY(sender != nullptr);
        if (++Calls == 1)
            throw EListError();
    }
};
} // namespace

void TestPlatform::wiredHandlerReportsAndGoesOn()
{
    ScriptedDialogs seam;
    seam.Answer(TModalResult::Ok);
    QPushButton button;
    Target target;
    Application::Wire(&button, &QPushButton::clicked, &target, &Target::Click);
    button.click(); // fails: reported, nothing unwinds into Qt
    button.click(); // handled normally
    QCOMPARE(target.Calls, 2);
    QCOMPARE(seam.Boxes.size(), 1);
    QCOMPARE(seam.Boxes.first().Caption, QStringLiteral("Tavi"));
}

void TestPlatform::readFileRefusesWhatIsNotARegularFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("missing") << QStringLiteral("missing");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("fifo without a writer") << QStringLiteral("fifo");
    QTest::newRow("endless device") << QStringLiteral("/dev/zero");
}

void TestPlatform::readFileRefusesWhatIsNotARegularFile()
{
    QFETCH(QString, what);
    QTemporaryDir dir;
    QString path = what.startsWith('/') ? what : dir.filePath(what);
    if (what == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    if (what == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    try {
        TReadFile file(path);
        QFAIL("opened");
    } catch (const EFOpenError &e) {
        QCOMPARE(e.Message(), QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" は開けません"));
    }
}

// The file types as the dialog lists them (the designed descriptions, nothing
// added) and the files each type shows.
void TestPlatform::fileDialogFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("firstType");
    QTest::addColumn<QStringList>("secondType");
    const QStringList all{"a.dat", "b.txt", "c.d.e", "nodot"};
    QTest::newRow("quiz window") << QStringLiteral("ﾃﾞｰﾀ(*.dat)|*.dat|ﾃｷｽﾄ(*.txt)|*.txt")
                                 << QStringList{"ﾃﾞｰﾀ(*.dat)", "ﾃｷｽﾄ(*.txt)"} << QStringList{"a.dat"}
                                 << QStringList{"b.txt"};
    QTest::newRow("editor, every file") << QStringLiteral("データ(*.dat)|*.dat|すべてのファイル(*.*)|*.*")
                                        << QStringList{"データ(*.dat)", "すべてのファイル(*.*)"}
                                        << QStringList{"a.dat"} << all;
    QTest::newRow("two patterns") << QStringLiteral("両方|*.dat;*.txt") << QStringList{"両方"}
                                  << QStringList{"a.dat", "b.txt"} << QStringList();
}

void TestPlatform::fileDialogFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, firstType);
    QFETCH(QStringList, secondType);
    QTemporaryDir dir;
    for (const char *name : {"a.dat", "b.txt", "c.d.e", "nodot"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    TOpenDialog settings;
    settings.Filter = filter;
    settings.FileName = dir.filePath(QStringLiteral("x"));
    QFileDialog fd;
    SetUpFileDialog(fd, settings);
    auto *types = fd.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QStringList items;
    for (int i = 0; i < types->count(); ++i)
        items << types->itemText(i);
    QCOMPARE(items, shown);

    auto *view = fd.findChild<QListView *>(QStringLiteral("listView"));
    QVERIFY(view);
    auto listed = [view] {
        QStringList names;
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            const QModelIndex index = view->model()->index(row, 0, root);
            if (index.flags() & Qt::ItemIsEnabled)
                names << index.data().toString();
        }
        names.sort();
        return names;
    };
    QTRY_COMPARE(listed(), firstType);
    QCOMPARE(ChosenFilterIndex(fd), 1);
    if (shown.size() > 1) {
        QTest::keyClick(types, Qt::Key_Down); // the learner picks the second type
        QCOMPARE(types->currentIndex(), 1);
        QTRY_COMPARE(listed(), secondType);
        // The type chosen is the one a confirmed run keeps.
        QCOMPARE(ChosenFilterIndex(fd), 2);
        // A type kept from an earlier run is chosen when the dialog opens again.
        settings.FilterIndex = 2;
        QFileDialog again;
        SetUpFileDialog(again, settings);
        QCOMPARE(ChosenFilterIndex(again), 2);
    }
}

void TestPlatform::designedPlaceOnScreens_data()
{
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("primaryAvailable");
    QTest::addColumn<QPoint>("place");
    const QPoint designed(166, 105);
    const QRect single(0, 0, 1024, 768);
    QTest::newRow("one screen") << QList<QRect>{single} << QRect(0, 24, 1024, 744) << designed;
    QTest::newRow("second screen holds it") << QList<QRect>{QRect(0, 300, 800, 600), QRect(100, 0, 800, 300)}
                                            << QRect(0, 300, 800, 600) << designed;
    QTest::newRow("on a screen's edge") << QList<QRect>{QRect(166, 105, 800, 600)} << QRect(166, 105, 800, 600)
                                        << designed;
    QTest::newRow("offset monitor") << QList<QRect>{QRect(0, 200, 1024, 768), QRect(1024, 0, 1280, 1024)}
                                    << QRect(0, 200, 1024, 740) << QPoint(166, 305);
    QTest::newRow("primary to the right") << QList<QRect>{QRect(1920, 0, 1280, 1024), QRect(0, 400, 1920, 1080)}
                                          << QRect(1920, 30, 1280, 994) << QPoint(2086, 135);
    QTest::newRow("primary left of the origin") << QList<QRect>{QRect(-1280, -200, 1280, 1024), QRect(0, 0, 100, 100)}
                                                << QRect(-1280, -200, 1280, 1000) << QPoint(-1114, -95);
}

// The designed place stays wherever it lies on a screen; otherwise it keeps its
// offset from the primary screen's available area.
void TestPlatform::designedPlaceOnScreens()
{
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, primaryAvailable);
    QFETCH(QPoint, place);
    QCOMPARE(Desktop::PlaceOnScreens(QPoint(166, 105), screens, primaryAvailable), place);
}

TAVI_TEST_MAIN(TestPlatform)
#include "test_platform.moc"
