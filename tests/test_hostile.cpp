// Hostile files and paths, each chosen through the dialogs of the real windows: a
// huge line, binary and UTF-16 files, things that are no regular file, awkward
// names, saves that cannot succeed and a huge help text. Each must give the clear
// error the system names (or the mended behaviour), at once, and lose nothing: the
// list in memory and every file on disk stay as they were.
#include "Application.h"
#include "Forms.h"
#include "ScriptedDialogs.h"
#include "Headroom.h"
#include "ListRules.h"
#include "TAboutBox.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestMain.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Window { Quiz, Editor };

const QString IndexReport = QStringLiteral("app|ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています.|Tavi|Ok|Stop");

QString OpenFailure(const QString &path)
{
    return QStringLiteral("window|ﾌｧｲﾙ ") + path + QStringLiteral(" は開けません|ok|RetryCancel|None");
}

QString CreateFailure(const QString &path)
{
    return QStringLiteral("app|ﾌｧｲﾙ ") + path + QStringLiteral(" を作成できません.|Tavi|Ok|Stop");
}

// Four entries, enough for a question, in code page 932.
const QByteArrayList GoodLines = {"apple", "\x82\xe8\x82\xf1\x82\xb2", "book", "\x96\x7b",
                                  "cat",   "\x94\x4c",                 "dog",  "\x8c\xa2"};

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every regular file under root with its bytes, so that a test can tell that
// nothing was written or left behind.
QMap<QString, QByteArray> Files(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileInfo().isFile())
            files.insert(path, ReadAll(path));
    }
    return files;
}

// The soft limit on the size of a file this process writes, for a disk that fills
// up after a few bytes; restored when it goes out of scope. SIGXFSZ stays as the
// program's own start-up set it: a write past the limit must come up short, not
// end the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &Old);
        rlimit now = Old;
        now.rlim_cur = bytes;
        Ok = setrlimit(RLIMIT_FSIZE, &now) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &Old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool Ok = false;

private:
    rlimit Old{};
};

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void hugeSingleLine_data();
    void hugeSingleLine();
    void hugeLineStaysWholeInTheEditor();
    void oddBytes_data();
    void oddBytes();
    void notARegularFile_data();
    void notARegularFile();
    void pathNotUtf8_data();
    void pathNotUtf8();
    void awkwardNames_data();
    void awkwardNames();
    void saveFails_data();
    void saveFails();
    void linesBeyondMemory_data();
    void linesBeyondMemory();
    void strangeHelpText_data();
    void strangeHelpText();

private:
    QWidget *Win(int w) const { return w == Quiz ? static_cast<QWidget *>(Q.get()) : E.get(); }
    QByteArrayList Lines(int w) const;
    QString FileName(int w) const { return w == Quiz ? Q->FileName : E->FileName; }
    // The load and save commands, through the button or the menu.
    void Open(int w);
    void Save(int w);
    // Loads path through the dialog; report: the index error it is expected to give.
    void Load(int w, const QString &path, bool report = false);
    QString Write(const QString &name, const QByteArray &bytes);
    QStringList Boxes() const;

    std::unique_ptr<QTemporaryDir> Dir;
    std::unique_ptr<ScriptedDialogs> D;
    std::unique_ptr<TForm1> Q;
    std::unique_ptr<TForm2> E;
};

void TestHostile::init()
{
    Dir = std::make_unique<QTemporaryDir>();
    QVERIFY(Dir->isValid());
    D = std::make_unique<ScriptedDialogs>();
    Q = std::make_unique<TForm1>();
    E = std::make_unique<TForm2>();
    Form1 = Q.get();
    Form2 = E.get();
    Q->FormCreate(Q.get());
    E->FormCreate(E.get());
    Q->show();
    E->show();
}

void TestHostile::cleanup()
{
    const QStringList errors = D->Errors;
    const int pending = D->Pending();
    E.reset();
    Q.reset();
    Form1 = Form2 = nullptr;
    D.reset();
    Dir.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
    QCOMPARE(pending, 0);
}

QByteArrayList TestHostile::Lines(int w) const
{
    const ::WordList &list = w == Quiz ? *Q->WordList : *E->WordList;
    QByteArrayList lines;
    for (int i = 0; i < list.Count(); ++i)
        lines << list.Get(i);
    return lines;
}

void TestHostile::Open(int w)
{
    if (w == Quiz)
        QTest::mouseClick(Q->Yomikomi, Qt::LeftButton);
    else
        E->Open1->trigger();
}

void TestHostile::Save(int w)
{
    if (w == Quiz)
        QTest::mouseClick(Q->Hozon, Qt::LeftButton);
    else
        QTest::mouseClick(E->Button6, Qt::LeftButton);
}

void TestHostile::Load(int w, const QString &path, bool report)
{
    D->Choose(path);
    if (report)
        D->Answer(TModalResult::Ok);
    Open(w);
}

QString TestHostile::Write(const QString &name, const QByteArray &bytes)
{
    const QString path = Dir->filePath(name);
    if (!WriteAll(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList TestHostile::Boxes() const
{
    static const char *const buttons[] = {"Ok", "RetryCancel", "YesNoCancel"};
    QStringList out;
    for (const TMessageBoxRequest &b : D->Boxes) {
        const QString owner = !b.Owner ? QStringLiteral("app") : b.Owner == Q.get() || b.Owner == E.get()
                                                                      ? QStringLiteral("window")
                                                                      : QStringLiteral("other");
        out << owner + QLatin1Char('|') + b.Text + QLatin1Char('|') + b.Caption + QLatin1Char('|') +
                   QLatin1String(buttons[int(b.Buttons)]) + QLatin1Char('|') +
                   (b.Icon == TMsgIcon::Stop ? QLatin1String("Stop") : QLatin1String("None"));
    }
    return out;
}

void TestHostile::hugeSingleLine_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("quiz") << int(Quiz);
    QTest::newRow("editor") << int(Editor);
}

// 100 MB without a line break: one line, shown cut at once (laying it out whole
// took over ten seconds), reported as too few lines, and saved back whole.
void TestHostile::hugeSingleLine()
{
    QFETCH(int, window);
    QByteArray line(100 * 1024 * 1024, 'w');
    line.replace(0, 6, "\x82\xe8\x82\xf1\x82\xb2"); // りんご, so the start is seen decoded
    const QString path = Write(QStringLiteral("huge.dat"), line);

    Load(window, path, true);
    QCOMPARE(Boxes(), QStringList{IndexReport});
    QCOMPARE(Win(window)->windowTitle(), QStringLiteral("Sorvik(") + path + QLatin1Char(')'));
    QCOMPARE(Q->WordList->Count() + E->WordList->Count(), 1);
    QVERIFY(Lines(window).first() == line); // QCOMPARE would print 100 MB
    const QString shown = window == Quiz ? Q->Label6->text() : E->Edit1->text();
    QVERIFY(shown.startsWith(QStringLiteral("りんごwww")));
    QVERIFY2(shown.size() <= BoxText::Limit, qPrintable(QString::number(shown.size())));

    const QString copy = Dir->filePath(QStringLiteral("copy.dat"));
    D->Choose(copy);
    Save(window);
    QCOMPARE(D->Boxes.size(), 1);
    QVERIFY(ReadAll(copy) == line + "\r\n");
    QVERIFY(ReadAll(path) == line);
}

// The cut text of a huge line can be neither edited nor stored in its place:
// "変更" keeps the line whole, and "クリア" gives an empty box to type into.
void TestHostile::hugeLineStaysWholeInTheEditor()
{
    const QByteArray huge(BoxText::Limit * 3, 'h');
    const QString path = Write(QStringLiteral("two.dat"), huge + "\r\n" + "answer\r\n");
    Load(Editor, path);
    QVERIFY(E->Edit1->isReadOnly());
    QVERIFY(!E->Edit2->isReadOnly());
    QCOMPARE(E->Edit1->text().size(), BoxText::Limit);

    E->Edit2->setText(QStringLiteral("changed"));
    D->Answer(TModalResult::Yes);
    QTest::mouseClick(E->Button4, Qt::LeftButton);
    QCOMPARE(Lines(Editor), (QByteArrayList{huge, "changed"}));
    D->Answer(TModalResult::Yes);
    QTest::mouseClick(E->Button3, Qt::LeftButton);
    QCOMPARE(Lines(Editor), (QByteArrayList{huge, "changed", huge, "changed"}));
    QVERIFY(E->Edit1->isReadOnly());

    QTest::mouseClick(E->Button5, Qt::LeftButton);
    QVERIFY(!E->Edit1->isReadOnly());
    QTest::keyClicks(E->Edit1, "new");
    QCOMPARE(E->Edit1->text(), QStringLiteral("new"));
    QCOMPARE(Lines(Editor).size(), 4);
}

void TestHostile::oddBytes_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("report"); // the report loading gives, if any
    QTest::addColumn<QString>("caption");

    QByteArray binary(256 * 1024, '\0');
    QRandomGenerator random(20240611);
    random.fillRange(reinterpret_cast<quint32 *>(binary.data()), binary.size() / 4);
    // The bytes after the first NUL are ignored: keep them out of the way.
    binary.replace('\0', '\x01');
    const QByteArray utf16le("\xff\xfe" "a\0p\0p\0l\0e\0\r\0\n\0\x8a\x30\x93\x30\x54\x30\r\0\n\0", 24);
    const QByteArray utf16be("\0a\0p\0p\0l\0e\0\r\0\n", 14);
    const QString sorvik = QStringLiteral("Sorvik(%1)");
    for (int w : {Quiz, Editor}) {
        const char *name = w == Quiz ? "quiz" : "editor";
        QTest::addRow("%s, random bytes", name) << w << binary << QString() << sorvik;
        // A byte-order mark, then the text ends at the first NUL: one line.
        QTest::addRow("%s, UTF-16 LE", name) << w << utf16le << IndexReport << sorvik;
        // Ends at the very first byte: an empty list.
        QTest::addRow("%s, UTF-16 BE", name) << w << utf16be << (w == Quiz ? QString() : IndexReport)
                                             << (w == Quiz ? QStringLiteral("Sorvik") : sorvik);
    }
}

// Whatever the bytes, the list holds exactly the lines the reading rules give, the
// window shows them without failing beyond the list's own index error, and saving
// writes them back byte for byte.
void TestHostile::oddBytes()
{
    QFETCH(int, window);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, report);
    QFETCH(QString, caption);
    const QString path = Write(QStringLiteral("odd.dat"), bytes);
    Load(window, path, !report.isEmpty());
    QCOMPARE(Boxes(), report.isEmpty() ? QStringList() : QStringList{report});
    QCOMPARE(Win(window)->windowTitle(), caption.arg(path));
    const QByteArrayList lines = SplitByRules(bytes);
    QCOMPARE(Lines(window), lines);
    if (bytes.startsWith("\xff\xfe"))
        QCOMPARE(lines, QByteArrayList{"\xff\xfe" "a"});

    // A few commands over the list, then the save.
    D->ClearRecord();
    if (window == Quiz) {
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(Q->Susumeru, Qt::LeftButton);
    } else if (lines.size() >= 2) {
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(E->Button2, Qt::LeftButton);
    }
    QCOMPARE(Lines(window), lines);
    const QString copy = Dir->filePath(QStringLiteral("copy.dat"));
    if (!lines.isEmpty())
        D->Choose(copy);
    Save(window);
    QCOMPARE(ReadAll(copy), lines.isEmpty() ? QByteArray("<unreadable>") : JoinLines(lines));
    QCOMPARE(ReadAll(path), bytes);
}

void TestHostile::notARegularFile_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("what");
    for (int w : {Quiz, Editor})
        for (const char *what : {"fifo", "folder", "/dev/zero"})
            QTest::addRow("%s, %s", w == Quiz ? "quiz" : "editor", what) << w << QString::fromLatin1(what);
}

// A FIFO without a writer, a folder and an endless device: the open fails at once
// with the file's own message, Retry offers the dialog again, and the list that
// was loaded stays.
void TestHostile::notARegularFile()
{
    QFETCH(int, window);
    QFETCH(QString, what);
    QString path = what;
    if (what == QLatin1String("fifo")) {
        path = Dir->filePath(QStringLiteral("fifo.dat"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (what == QLatin1String("folder")) {
        path = Dir->filePath(QStringLiteral("folder.dat"));
        QVERIFY(QDir().mkdir(path));
    }
    const QString good = Write(QStringLiteral("good.dat"), JoinLines(GoodLines));
    Load(window, good);
    const QString title = Win(window)->windowTitle();

    D->ClearRecord();
    D->Choose(path).Answer(TModalResult::Retry).Cancel();
    Open(window);
    QCOMPARE(Boxes(), QStringList{OpenFailure(path)});
    QCOMPARE(D->FileDialogs.size(), 2);
    QCOMPARE(D->FileDialogs.at(1).FileName, path);
    QCOMPARE(Lines(window), GoodLines);
    QCOMPARE(Win(window)->windowTitle(), title);
    QCOMPARE(FileName(window), path);
}

void TestHostile::pathNotUtf8_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("quiz") << int(Quiz);
    QTest::newRow("editor") << int(Editor);
}

// A file whose name holds bytes that are no UTF-8. Qt's name for it may not lead
// back to it; either it loads, or the open fails with that name. Saving under
// that name never touches the file unless the name leads to it.
void TestHostile::pathNotUtf8()
{
    QFETCH(int, window);
    const QByteArray raw = QFile::encodeName(Dir->path()) + "/list-\xff\xfe\x82.dat";
    const QByteArray original = JoinLines(GoodLines);
    {
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, original.constData(), size_t(original.size())), ssize_t(original.size()));
        ::close(fd);
    }
    const QString path = QFile::decodeName(raw);
    const bool reachable = QFile::encodeName(path) == raw;

    D->Choose(path);
    if (!reachable)
        D->Answer(TModalResult::Cancel);
    Open(window);
    QCOMPARE(Boxes(), reachable ? QStringList() : QStringList{OpenFailure(path)});
    QCOMPARE(Lines(window), reachable ? GoodLines : QByteArrayList());

    // Save a list of its own under that name.
    const QByteArray otherBytes = JoinLines({"q0", "a0", "q1", "a1", "q2", "a2", "q3", "a3"});
    const QString other = Write(QStringLiteral("other.dat"), otherBytes);
    D->ClearRecord();
    Load(window, other);
    D->Choose(path);
    Save(window);
    QCOMPARE(Boxes(), QStringList());
    QCOMPARE(ReadAll(path), otherBytes);
    QFile rawFile;
    const int fd = ::open(raw.constData(), O_RDONLY);
    QVERIFY(fd >= 0);
    QVERIFY(rawFile.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QCOMPARE(rawFile.readAll(), reachable ? otherBytes : original);
}

void TestHostile::awkwardNames_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("name");
    for (int w : {Quiz, Editor}) {
        const char *win = w == Quiz ? "quiz" : "editor";
        QTest::addRow("%s, percent signs", win) << w << QStringLiteral("100% %s%d%n.dat");
        QTest::addRow("%s, ampersands", win) << w << QStringLiteral("R&D && more.dat");
        QTest::addRow("%s, blanks", win) << w << QStringLiteral(" two  blanks .dat");
        QTest::addRow("%s, Japanese", win) << w << QStringLiteral("英単語 リスト.dat");
    }
}

// Names are taken literally everywhere: in the caption, in messages (no format
// substitution, no mnemonic), and as the file written.
void TestHostile::awkwardNames()
{
    QFETCH(int, window);
    QFETCH(QString, name);
    QVERIFY(QDir(Dir->path()).mkdir(name + QStringLiteral(" folder")));
    const QString path = Write(name + QStringLiteral(" folder/") + name, JoinLines(GoodLines));
    Load(window, path);
    QCOMPARE(Boxes(), QStringList());
    QCOMPARE(Win(window)->windowTitle(), QStringLiteral("Sorvik(") + path + QLatin1Char(')'));
    QCOMPARE(Lines(window), GoodLines);

    const QString missing = path + QStringLiteral(" missing");
    D->Choose(missing).Answer(TModalResult::Cancel);
    Open(window);
    QCOMPARE(Boxes(), QStringList{OpenFailure(missing)});

    D->ClearRecord();
    const QString copy = Dir->filePath(QStringLiteral("copy ") + name);
    D->Choose(copy);
    Save(window);
    QCOMPARE(Boxes(), QStringList());
    QCOMPARE(ReadAll(copy), JoinLines(GoodLines));
    QCOMPARE(Win(window)->windowTitle(), QStringLiteral("Sorvik(") + copy + QLatin1Char(')'));

    const QString nowhere = Dir->filePath(name + QStringLiteral(" nowhere/") + name);
    D->Choose(nowhere).Answer(TModalResult::Ok);
    Save(window);
    QCOMPARE(Boxes(), QStringList{CreateFailure(nowhere)});
}

void TestHostile::saveFails_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("fullDisk");
    for (int w : {Quiz, Editor}) {
        const char *win = w == Quiz ? "quiz" : "editor";
        QTest::addRow("%s, read-only file", win) << w << QStringLiteral("readonly.dat") << false;
        // Read-only for root as well: nothing can be created beside it.
        QTest::addRow("%s, file under /proc", win) << w << QStringLiteral("/proc/version") << false;
        QTest::addRow("%s, missing folder", win) << w << QStringLiteral("missing/list.dat") << false;
        QTest::addRow("%s, a file where the folder should be", win) << w << QStringLiteral("plain.dat/list.dat")
                                                                    << false;
        QTest::addRow("%s, a folder", win) << w << QStringLiteral("folder") << false;
        QTest::addRow("%s, a FIFO", win) << w << QStringLiteral("fifo") << false;
        QTest::addRow("%s, full disk", win) << w << QStringLiteral("existing.dat") << true;
    }
}

// A save that cannot be done reports the system's reason; the list stays, and no
// file changes or is left behind: an existing target keeps its old bytes whole.
void TestHostile::saveFails()
{
    QFETCH(int, window);
    QFETCH(QString, target);
    QFETCH(bool, fullDisk);
    const QString good = Write(QStringLiteral("good.dat"), JoinLines(GoodLines));
    Write(QStringLiteral("existing.dat"), "old\r\nbytes\r\n");
    Write(QStringLiteral("plain.dat"), "plain\r\n");
    QVERIFY(QDir(Dir->path()).mkdir(QStringLiteral("folder")));
    QCOMPARE(::mkfifo(QFile::encodeName(Dir->filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
    const QString readOnly = Write(QStringLiteral("readonly.dat"), "read\r\nonly\r\n");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (target == QLatin1String("readonly.dat") && ::geteuid() == 0)
        QSKIP("root writes a read-only file; the /proc rows cover what root cannot write");
    Load(window, good);

    const QString path = target.startsWith(QLatin1Char('/')) ? target : Dir->filePath(target);
    const QByteArray procBefore = ReadAll(QStringLiteral("/proc/version"));
    const QMap<QString, QByteArray> before = Files(Dir->path());
    D->ClearRecord();
    D->Choose(path).Answer(TModalResult::Ok);
    if (fullDisk) {
        FileSizeLimit limit(16);
        QVERIFY(limit.Ok);
        Save(window);
    } else {
        Save(window);
    }
    QCOMPARE(Boxes(), fullDisk ? QStringList{QStringLiteral("app|ｽﾄﾘｰﾑへの書き込みｴﾗｰ.|Tavi|Ok|Stop")}
                               : QStringList{CreateFailure(path)});
    QCOMPARE(Lines(window), GoodLines);
    QCOMPARE(FileName(window), path);
    QCOMPARE(Files(Dir->path()), before);
    QCOMPARE(ReadAll(QStringLiteral("/proc/version")), procBefore);
}

void TestHostile::linesBeyondMemory_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("quiz") << int(Quiz);
    QTest::newRow("editor") << int(Editor);
}

// Ten megabytes of line breaks in a cgroup with 64 MB to spare (faked through the
// seam): the index would need far more, and past the cgroup's limit the program
// would be killed. The load is refused with the file's message instead, and the
// list that was loaded stays.
void TestHostile::linesBeyondMemory()
{
    QFETCH(int, window);
    const QString good = Write(QStringLiteral("good.dat"), JoinLines(GoodLines));
    const QString breaks = Write(QStringLiteral("breaks.dat"), QByteArray(10 << 20, '\r'));
    const QString root = Dir->filePath(QStringLiteral("root"));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/proc/self")));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/sys/fs/cgroup/app")));
    QVERIFY(WriteAll(root + QStringLiteral("/proc/self/cgroup"), "0::/app\n"));
    QVERIFY(WriteAll(root + QStringLiteral("/sys/fs/cgroup/cgroup.controllers"), "memory\n"));
    QVERIFY(WriteAll(root + QStringLiteral("/sys/fs/cgroup/app/memory.max"), QByteArray::number(1 << 30)));
    QVERIFY(WriteAll(root + QStringLiteral("/sys/fs/cgroup/app/memory.current"), QByteArray::number(960 << 20)));
    Load(window, good);
    D->ClearRecord();

    Headroom::SetRootForTesting(root);
    const auto real = qScopeGuard([] { Headroom::SetRootForTesting(QString()); });
    Load(window, breaks, true);
    QCOMPARE(Boxes(), QStringList{QStringLiteral("app|ﾌｧｲﾙ ") + breaks +
                                  QStringLiteral(" は大きすぎて読み込めません.|Tavi|Ok|Stop")});
    QCOMPARE(Lines(window), GoodLines);
}

void TestHostile::strangeHelpText_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("report");
    const QString tooLarge = QStringLiteral("文字列の大きさが ﾒﾓ の制限を越えました.");
    const QString cannotOpen = QStringLiteral("ﾌｧｲﾙ help.txt は開けません.");
    QTest::newRow("64 GB, sparse") << QStringLiteral("huge") << tooLarge;
    QTest::newRow("FIFO") << QStringLiteral("fifo") << cannotOpen;
    QTest::newRow("folder") << QStringLiteral("folder") << cannotOpen;
}

// The about box refuses a help text it cannot show before reading it: a read of
// gigabytes would take long and end in running out of memory, not in this message.
void TestHostile::strangeHelpText()
{
    QFETCH(QString, what);
    QFETCH(QString, report);
    const QString help = Dir->filePath(QStringLiteral("help.txt"));
    if (what == QLatin1String("huge")) {
        QFile f(help);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // Sparse, so it costs no disk; a file system that cannot hold 64 GB gets 4.
        QVERIFY(f.resize(qint64(64) << 30) || f.resize(qint64(4) << 30));
    } else if (what == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(help).constData(), 0600), 0);
    } else {
        QVERIFY(QDir().mkdir(help));
    }
    const QString oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(Dir->path()));
    D->Answer(TModalResult::Ok);
    Application::CreateForm<TAboutBox>(AboutBox);
    QDir::setCurrent(oldCwd);
    std::unique_ptr<QWidget> box(AboutBox);
    AboutBox = nullptr;
    if (Application::MainForm() == box.get())
        Application::SetMainForm(nullptr);
    QCOMPARE(Boxes(), QStringList{QStringLiteral("app|") + report + QStringLiteral("|Tavi|Ok|Stop")});
    QCOMPARE(box->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))->toPlainText(), QStringLiteral("Memo1"));
}

TAVI_TEST_MAIN(TestHostile)
#include "test_hostile.moc"
