// The platform layer: code page 932, the text table, the exception family, the
// handler wrapper with the standard error report, and safe whole-file reading.
#include "Application.h"
#include "Cp932.h"
#include "Desktop.h"
#include "Exceptions.h"
#include "ReadFile.h"
#include "ScriptedDialogs.h"
#include "Texts.h"
#include "TestMain.h"

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
    void cp932Unencodable();
    void textsSubstitutePlainly_data();
    void textsSubstitutePlainly();
    void exceptionFamily();
    void reportText_data();
    void reportText();
    void wiredHandlerReportsAndGoesOn();
    void readFileRefusesWhatIsNotARegularFile_data();
    void readFileRefusesWhatIsNotARegularFile();
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

void TestPlatform::cp932Unencodable()
{
    bool ok = true;
    QCOMPARE(Cp932::Encode(QStringLiteral("a😀é本"), &ok), QByteArray("a??\x96\x7b"));
    QVERIFY(!ok);
    QCOMPARE(Cp932::FirstUnencodable(QStringLiteral("本😀é")), QStringLiteral("😀"));
    QCOMPARE(Cp932::FirstUnencodable(QStringLiteral("本ﾘｽﾄ")), QString());
    // Half a surrogate pair is no character: refused, not silently made a '?'.
    const QString lone = QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("b") + QChar(0xDE00);
    QCOMPARE(Cp932::Encode(lone, &ok), QByteArray("a?b?"));
    QVERIFY(!ok);
    QCOMPARE(Cp932::FirstUnencodable(lone), QString(QChar(0xD83D)));
    // Characters iconv would store as a look-alike or drop are refused too.
    for (const QString &ch : {QStringLiteral("¥"), QStringLiteral("\u2212"), QString::fromUcs4(U"\U000E0041")}) {
        Cp932::Encode(QStringLiteral("x") + ch, &ok);
        QVERIFY2(!ok, qPrintable(ch));
        QCOMPARE(Cp932::FirstUnencodable(QStringLiteral("本") + ch), ch);
    }
    // Their full-width forms are held.
    QCOMPARE(Cp932::FirstUnencodable(QStringLiteral("￥－")), QString());
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
