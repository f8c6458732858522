#include "TestMain.h"

#include "Cp932.h"
#include "Exceptions.h"
#include "Headroom.h"
#include "ListRules.h"
#include "ReplaceFile.h"
#include "WordList.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <linux/fs.h>
#include <grp.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>
#include <unistd.h>

using Lines = QList<QByteArray>;

namespace {

QByteArray Bytes(const char *s, qsizetype n) { return QByteArray(s, n); }

// The fixtures; CI's run as a user without access to the source tree copies them
// and names the copy in TAVI_TEST_DATA.
QString DataFolder() { return qEnvironmentVariable("TAVI_TEST_DATA", QStringLiteral(TAVI_TEST_DATA)); }

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

Lines Content(const WordList &list)
{
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.append(list.Get(i));
    return lines;
}

// The message of the exception E that f raises.
template <class E, class F>
QString Raises(F f)
{
    try {
        f();
    } catch (const E &e) {
        return e.Message();
    }
    return QStringLiteral("<nothing raised>");
}

QString OpenMessage(const QString &path) { return QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" は開けません"); }
QString CreateMessage(const QString &path) { return QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" を作成できません"); }
const QString WriteMessage = QStringLiteral("ｽﾄﾘｰﾑへの書き込みｴﾗｰ");
const QString IndexMessage = QStringLiteral("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています");

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Root ignores permission bits; the immutable flag holds it back all the same.
bool SetImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

// The people of the ownership cases. When the test runs as root they are these ids
// (no account is needed for a process to take them); otherwise only the cases of
// the user running the test can be set up.
enum Who { Root, Me, Someone };
enum Group { RootGroup, MyGroup, Team, OtherGroup };
constexpr uid_t OwnerId = 64101, SaverId = 64102;
constexpr gid_t TeamId = 64110, OtherId = 64111;

// Runs f in a child process as the saver (a member of Team) when this process is
// root and asRoot is not set; returns f's result, or -1 when the child died.
template <class F>
int AsSaver(bool asRoot, F f)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::geteuid() == 0 && !asRoot) {
            const gid_t groups[] = {TeamId};
            if (::setgroups(1, groups) != 0 || ::setresgid(SaverId, SaverId, SaverId) != 0 ||
                ::setresuid(SaverId, SaverId, SaverId) != 0)
                ::_exit(101);
        }
        ::_exit(f());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A field of this process's /proc status in kilobytes, -1 when it is missing.
long StatusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

class TestWordList : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Tmp; // a fresh folder for every test
    QString Folder() const { return Tmp->path(); }
    QString Path(const QString &name) const { return Tmp->filePath(name); }

    // A list holding lines as a loaded file would, so that the line operations meet
    // lines that still live in the file's bytes.
    void Fill(WordList &list, const Lines &lines)
    {
        WriteBytes(Path(QStringLiteral("fill.dat")), JoinLines(lines));
        list.LoadFromFile(Path(QStringLiteral("fill.dat")));
        QCOMPARE(Content(list), lines);
    }

private slots:
    void init()
    {
        Tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(Tmp->isValid());
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Lines>("lines");
        const QByteArray x63(63, 'x'), x64(64, 'x');
        QTest::newRow("empty file") << QByteArray() << Lines{};
        QTest::newRow("NUL first") << Bytes("\0a\r\n", 4) << Lines{};
        QTest::newRow("NUL ends the text") << Bytes("a\0b\r\n", 5) << Lines{"a"};
        QTest::newRow("no terminator") << QByteArray("a") << Lines{"a"};
        QTest::newRow("CR LF at end") << QByteArray("a\r\n") << Lines{"a"};
        QTest::newRow("CR LF CR LF") << QByteArray("a\r\n\r\n") << Lines{"a", ""};
        QTest::newRow("CR") << QByteArray("a\rb") << Lines{"a", "b"};
        QTest::newRow("LF") << QByteArray("a\nb") << Lines{"a", "b"};
        QTest::newRow("CR LF") << QByteArray("a\r\nb") << Lines{"a", "b"};
        QTest::newRow("LF CR") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << Lines{"a", "", "b"};
        QTest::newRow("one CR LF") << QByteArray("\r\n") << Lines{""};
        QTest::newRow("blanks kept") << QByteArray(" a\t\r\n\tb  ") << Lines{" a\t", "\tb  "};
        QTest::newRow("UTF-8 BOM kept") << QByteArray("\xEF\xBB\xBF" "apple\r\n") << Lines{"\xEF\xBB\xBF" "apple"};
        QTest::newRow("UTF-16LE") << Bytes("a\0b\0", 4) << Lines{"a"};
        QTest::newRow("UTF-16LE with BOM") << Bytes("\xFF\xFE" "a\0", 4) << Lines{"\xFF\xFE" "a"};
        // あ, 表 (trail byte 0x5C), half-width ｱ, bytes no character has
        QTest::newRow("code page 932 bytes")
            << QByteArray("apple\r\n\x82\xA0\x95\x5C\xB1\x80\xA0\xFD\xFF\r\n") << Lines{"apple", "\x82\xA0\x95\x5C\xB1\x80\xA0\xFD\xFF"};
        QTest::newRow("CR LF split across blocks") << x63 + "\r\n" + x64 << Lines{x63, x64};
        QTest::newRow("LF CR split across blocks") << x63 + "\n\r" + x64 << Lines{x63, "", x64};
        QTest::newRow("terminator opens a block") << x64 + "\r\n" + x64 + "\n" << Lines{x64, x64};
        QTest::newRow("long line") << QByteArray(100000, 'w') + "\r\n" << Lines{QByteArray(100000, 'w')};
    }

    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(Lines, lines);
        WordList list;
        list.Add("previous");
        WriteBytes(Path(QStringLiteral("in.dat")), file);
        list.LoadFromFile(Path(QStringLiteral("in.dat")));
        QCOMPARE(Content(list), lines);
    }

    // Random mixes of terminators, NULs and text against the rules step by step: the
    // loader scans in blocks, and every block boundary has to agree.
    void loadFollowsRulesOnRandomBytes()
    {
        QRandomGenerator rng(932);
        const char alphabet[] = {'\r', '\n', '\r', '\n', 'a', 'b', '\x82', '\xA0', '\0'};
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes(rng.bounded(300), Qt::Uninitialized);
            const int kinds = rng.bounded(2) ? 8 : 9; // most without a NUL
            for (char &c : bytes)
                c = alphabet[rng.bounded(kinds)];
            WriteBytes(Path(QStringLiteral("random.dat")), bytes);
            WordList list;
            list.LoadFromFile(Path(QStringLiteral("random.dat")));
            const Lines expected = SplitByRules(bytes);
            if (Content(list) != expected)
                QFAIL(qPrintable(QStringLiteral("bytes %1").arg(QString::fromLatin1(bytes.toHex()))));
            if (round % 50 == 0) {
                list.SaveToFile(Path(QStringLiteral("saved.dat")));
                if (ReadBytes(Path(QStringLiteral("saved.dat"))) != JoinLines(expected))
                    QFAIL(qPrintable(QStringLiteral("saving bytes %1").arg(QString::fromLatin1(bytes.toHex()))));
            }
        }
    }

    // Every word-list fixture (an input the fuzzer trips on goes in as one): read
    // by the rules, written back with CR LF, read again unchanged.
    void fixtures_data()
    {
        QTest::addColumn<QString>("path");
        const QDir data(DataFolder());
        for (const QString &name : data.entryList({QStringLiteral("wl_*")}, QDir::Files))
            QTest::newRow(qPrintable(name)) << data.filePath(name);
    }

    void fixtures()
    {
        QFETCH(QString, path);
        const QByteArray bytes = ReadBytes(path);
        WordList list;
        list.LoadFromFile(path);
        const Lines lines = SplitByRules(bytes);
        QCOMPARE(Content(list), lines);
        list.SaveToFile(Path(QStringLiteral("saved.dat")));
        QCOMPARE(ReadBytes(Path(QStringLiteral("saved.dat"))), JoinLines(lines));
        WordList again;
        again.LoadFromFile(Path(QStringLiteral("saved.dat")));
        QCOMPARE(Content(again), lines);
    }

    void codePage932ListWithMixedLineEnds()
    {
        WordList list;
        list.LoadFromFile(DataFolder() + QStringLiteral("/wl_mixed_line_ends_cp932.dat"));
        Lines expected;
        for (const char *text : {"apple", "りんご", "table", "表", "software", "", "ソフト ①", "  two spaces \tand a tab", "ｶﾀｶﾅ",
                                    "", "odd last line"})
            expected.append(Cp932::Encode(QString::fromUtf8(text)));
        QCOMPARE(Content(list), expected);
    }

    void save_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("a, empty, b") << Lines{"a", "", "b"} << QByteArray("a\r\n\r\nb\r\n");
        QTest::newRow("empty list") << Lines{} << QByteArray();
        QTest::newRow("one empty line") << Lines{""} << QByteArray("\r\n");
        QTest::newRow("bytes verbatim") << Lines{"\xEF\xBB\xBF" "x", " \t\x82\xA0\x80\xFF "}
                                        << QByteArray("\xEF\xBB\xBF" "x\r\n \t\x82\xA0\x80\xFF \r\n");
    }

    void save()
    {
        QFETCH(Lines, lines);
        QFETCH(QByteArray, file);
        WordList list;
        for (const QByteArray &l : lines)
            list.Add(l);
        const QString target = Path(QStringLiteral("out.dat"));
        WriteBytes(target, QByteArray(5000, 'o')); // a longer old file leaves nothing behind
        list.SaveToFile(target);
        QCOMPARE(ReadBytes(target), file);
        QCOMPARE(Content(list), lines);
        WordList again;
        again.LoadFromFile(target);
        QCOMPARE(Content(again), lines);
    }

    void resaveEndsEveryLineWithCrLf()
    {
        WriteBytes(Path(QStringLiteral("lf.dat")), "q0\na0\rq1\r\na1");
        WordList list;
        list.LoadFromFile(Path(QStringLiteral("lf.dat")));
        list.SaveToFile(Path(QStringLiteral("crlf.dat")));
        QCOMPARE(ReadBytes(Path(QStringLiteral("crlf.dat"))), QByteArray("q0\r\na0\r\nq1\r\na1\r\n"));
    }

    void bounds_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("index");
        QTest::addColumn<Lines>("after"); // empty: EListError
        const Lines err;
        QTest::newRow("Get -1") << "Get" << -1 << err;
        QTest::newRow("Get 0") << "Get" << 0 << Lines{"l0", "l1", "l2"};
        QTest::newRow("Get Count") << "Get" << 3 << err;
        QTest::newRow("Put -1") << "Put" << -1 << err;
        QTest::newRow("Put last") << "Put" << 2 << Lines{"l0", "l1", "new"};
        QTest::newRow("Put Count") << "Put" << 3 << err;
        QTest::newRow("Insert -1") << "Insert" << -1 << err;
        QTest::newRow("Insert 0") << "Insert" << 0 << Lines{"new", "l0", "l1", "l2"};
        QTest::newRow("Insert Count appends") << "Insert" << 3 << Lines{"l0", "l1", "l2", "new"};
        QTest::newRow("Insert Count+1") << "Insert" << 4 << err;
        QTest::newRow("Delete -1") << "Delete" << -1 << err;
        QTest::newRow("Delete 0") << "Delete" << 0 << Lines{"l1", "l2"};
        QTest::newRow("Delete last") << "Delete" << 2 << Lines{"l0", "l1"};
        QTest::newRow("Delete Count") << "Delete" << 3 << err;
    }

    void bounds()
    {
        QFETCH(QString, op);
        QFETCH(int, index);
        QFETCH(Lines, after);
        WordList list;
        Fill(list, {"l0", "l1", "l2"});
        const auto run = [&] {
            if (op == "Get")
                QCOMPARE(list.Get(index), QByteArray("l") + QByteArray::number(index));
            else if (op == "Put")
                list.Put(index, "new");
            else if (op == "Insert")
                list.Insert(index, "new");
            else
                list.Delete(index);
        };
        if (after.isEmpty()) {
            QCOMPARE(Raises<EListError>(run), IndexMessage);
            after = Lines{"l0", "l1", "l2"};
        } else {
            run();
        }
        QCOMPARE(Content(list), after);
    }

    void emptyListRefusesEveryIndex()
    {
        WordList list;
        QCOMPARE(Raises<EListError>([&] { list.Get(0); }), IndexMessage);
        QCOMPARE(Raises<EListError>([&] { list.Put(0, "x"); }), IndexMessage);
        QCOMPARE(Raises<EListError>([&] { list.Delete(0); }), IndexMessage);
        QCOMPARE(Raises<EListError>([&] { list.MoveEntryToEnd(0); }), IndexMessage);
        QCOMPARE(list.Count(), 0);
        QCOMPARE(list.Add("first"), 0);
        QCOMPARE(list.Add("second"), 1);
    }

    // Thousands of mixed operations against a plain list of byte strings, with long
    // lines among them so that the storage of changed lines is compacted many times.
    void lineOperationsMatchAPlainList()
    {
        QRandomGenerator rng(1967);
        const auto line = [&] {
            QByteArray s(rng.bounded(20) ? int(rng.bounded(12)) : 70000, Qt::Uninitialized);
            for (char &c : s)
                c = char('a' + rng.bounded(26));
            return s;
        };
        // Reloaded now and then with mixed line ends, so that some lines are a run of
        // the file's bytes with CR LF after them and some are not.
        WordList list;
        Lines model;
        for (int i = 0; i < 40; ++i)
            model.append(line());
        const auto reload = [&] {
            QByteArray file;
            for (qsizetype i = 0; i < model.size(); ++i)
                file += model[i] + (i % 3 == 0 ? "\n" : "\r\n");
            WriteBytes(Path(QStringLiteral("mixed.dat")), file);
            list.LoadFromFile(Path(QStringLiteral("mixed.dat")));
        };
        reload();
        for (int step = 0; step < 20000; ++step) {
            const int n = int(model.size());
            switch (rng.bounded(n > 60 ? 6 : 4)) {
            case 0: {
                const QByteArray s = line();
                QCOMPARE(list.Add(s), n);
                model.append(s);
                break;
            }
            case 1: {
                const int i = rng.bounded(n + 1);
                const QByteArray s = line();
                list.Insert(i, s);
                model.insert(i, s);
                break;
            }
            case 2:
                if (n > 0) {
                    const int i = rng.bounded(n);
                    const QByteArray s = line();
                    list.Put(i, s);
                    model[i] = s;
                }
                break;
            case 3:
                if (n > 0) {
                    const int p = rng.bounded(n);
                    list.MoveEntryToEnd(p);
                    for (int k = 0; k < 2; ++k)
                        model.append(model.takeAt(p));
                }
                break;
            default:
                if (n > 0) {
                    const int i = rng.bounded(n);
                    list.Delete(i);
                    model.removeAt(i);
                }
            }
            QCOMPARE(list.Count(), int(model.size()));
            // Saved soon after a reload too, while many lines still lie in the file.
            const int sinceReload = step % 1000;
            if (sinceReload == 20 || sinceReload == 100 || sinceReload == 400 || sinceReload == 999) {
                QCOMPARE(Content(list), model);
                list.SaveToFile(Path(QStringLiteral("saved.dat")));
                QCOMPARE(ReadBytes(Path(QStringLiteral("saved.dat"))), JoinLines(model));
            }
            if (sinceReload == 999)
                reload();
        }
        QCOMPARE(Content(list), model);
        QByteArray copy = list.Get(0);
        copy.fill('Z');
        QCOMPARE(list.Get(0), model[0]);
    }

    void moveEntryToEnd_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<int>("p");
        QTest::addColumn<Lines>("after"); // empty: EListError
        const Lines four{"q0", "a0", "q1", "a1"};
        QTest::newRow("first of two") << four << 0 << Lines{"q1", "a1", "q0", "a0"};
        QTest::newRow("last entry") << four << 2 << four;
        QTest::newRow("answer line") << four << 1 << Lines{"q0", "a1", "a0", "q1"};
        QTest::newRow("odd list") << Lines{"q0", "a0", "q1", "a1", "L"} << 0 << Lines{"q1", "a1", "L", "q0", "a0"};
        QTest::newRow("unpaired last line") << Lines{"q0", "a0", "L"} << 2 << Lines{"q0", "a0", "L"};
        QTest::newRow("single line") << Lines{"L"} << 0 << Lines{"L"};
        QTest::newRow("p -1") << four << -1 << Lines{};
        QTest::newRow("p Count") << four << 4 << Lines{};
    }

    void moveEntryToEnd()
    {
        QFETCH(Lines, lines);
        QFETCH(int, p);
        QFETCH(Lines, after);
        WordList list;
        Fill(list, lines);
        if (after.isEmpty()) {
            QCOMPARE(Raises<EListError>([&] { list.MoveEntryToEnd(p); }), IndexMessage);
            after = lines;
        } else {
            list.MoveEntryToEnd(p);
        }
        QCOMPARE(Content(list), after);
    }

    void swapQuestionsAndAnswers_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<Lines>("after");
        QTest::newRow("odd list") << Lines{"q0", "a0", "q1", "a1", "L"} << Lines{"a0", "q0", "a1", "q1", "L"};
        QTest::newRow("one entry") << Lines{"q", ""} << Lines{"", "q"};
        QTest::newRow("single line") << Lines{"L"} << Lines{"L"};
        QTest::newRow("empty") << Lines{} << Lines{};
    }

    void swapQuestionsAndAnswers()
    {
        QFETCH(Lines, lines);
        QFETCH(Lines, after);
        WordList list;
        Fill(list, lines);
        list.SwapQuestionsAndAnswers();
        QCOMPARE(Content(list), after);
        list.SwapQuestionsAndAnswers();
        QCOMPARE(Content(list), lines);
    }

    void wholeListEditsAreAllOrNothing_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("swap") << "swap";
        QTest::newRow("memorised") << "move";
    }

    // A million entries under an address-space limit with only a few megabytes to
    // spare: the edit either happens whole or not at all, never halfway (an entry
    // left as answer, answer, or a question parted from its answer). It needs no
    // memory, so it happens.
    void wholeListEditsAreAllOrNothing()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("AddressSanitizer reserves more address space than any limit leaves");
#endif
        QFETCH(QString, edit);
        const int entries = 1 << 20;
        const auto question = [](int k) { return "q" + QByteArray::number(k); };
        const auto answer = [](int k) { return "a" + QByteArray::number(k); };
        {
            QByteArray file;
            for (int k = 0; k < entries; ++k)
                file += question(k) + "\r\n" + answer(k) + "\r\n";
            WriteBytes(Path(QStringLiteral("big.dat")), file);
        }
        WordList list;
        list.LoadFromFile(Path(QStringLiteral("big.dat")));
        QCOMPARE(list.Count(), 2 * entries);

        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // The limit leaves some room; taking all of it in megabyte blocks and
            // giving back four leaves no more than that, whatever the heap held free.
            const long size = StatusKb("VmSize:");
            rlimit limit;
            if (size < 0 || ::getrlimit(RLIMIT_AS, &limit) != 0)
                ::_exit(4);
            limit.rlim_cur = rlim_t(size + 64 * 1024) * 1024;
            if (::setrlimit(RLIMIT_AS, &limit) != 0)
                ::_exit(4);
            void *taken = nullptr;
            while (void *block = std::malloc(1 << 20)) {
                *static_cast<void **>(block) = taken;
                taken = block;
            }
            for (int k = 0; k < 4 && taken; ++k) {
                void *next = *static_cast<void **>(taken);
                std::free(taken);
                taken = next;
            }
            bool refused = false;
            try {
                if (edit == "swap")
                    list.SwapQuestionsAndAnswers();
                else
                    list.MoveEntryToEnd(0);
            } catch (const Exception &) {
                refused = true;
            } catch (...) {
                ::_exit(3);
            }
            // Line i as it stands before the edit, and after it.
            const auto before = [&](int i) { return i % 2 ? answer(i / 2) : question(i / 2); };
            const auto after = [&](int i) {
                if (edit == "swap")
                    return i % 2 ? question(i / 2) : answer(i / 2);
                return i < 2 * entries - 2 ? before(i + 2) : before(i - (2 * entries - 2));
            };
            bool unchanged = list.Count() == 2 * entries, done = unchanged;
            for (int i = 0; i < list.Count() && (unchanged || done); ++i) {
                const QByteArray line = list.Get(i);
                unchanged = unchanged && line == before(i);
                done = done && line == after(i);
            }
            ::_exit(done && !refused ? 0 : unchanged && refused ? 1 : 2);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QVERIFY2(WEXITSTATUS(status) != 2, "the list was left half edited");
        QVERIFY2(WEXITSTATUS(status) != 1, "the edit was refused for want of memory");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void loadRefuses_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("folder") << "folder";
        QTest::newRow("FIFO without writer") << "fifo";
        QTest::newRow("endless device") << "device";
        QTest::newRow("unreadable file") << "unreadable";
    }

    // Each fails at once with the path as given, and the list keeps its lines.
    void loadRefuses()
    {
        QFETCH(QString, kind);
        QString path = Path(kind);
        if (kind == "folder")
            QVERIFY(QDir(Folder()).mkdir(kind));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "device")
            path = QStringLiteral("/dev/zero");
        else if (kind == "unreadable") {
            if (::geteuid() == 0)
                QSKIP("root reads every file");
            WriteBytes(path, "q\r\na\r\n");
            QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        }
        WordList list;
        list.Add("kept");
        QCOMPARE(Raises<EFOpenError>([&] { list.LoadFromFile(path); }), OpenMessage(path));
        QCOMPARE(Content(list), Lines{"kept"});
    }

    void loadRefusesFileLargerThanMemory()
    {
        struct sysinfo si;
        QCOMPARE(::sysinfo(&si), 0);
        const qint64 memory = (qint64(si.totalram) + qint64(si.totalswap)) * si.mem_unit;
        const QString path = Path(QStringLiteral("huge.dat"));
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        if (!huge.resize(memory + (qint64(1) << 30)))
            QSKIP("this file system holds no sparse file that large");
        huge.close();
        WordList list;
        list.Add("kept");
        QCOMPARE(Raises<EReadError>([&] { list.LoadFromFile(path); }),
                 QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" は大きすぎて読み込めません"));
        QCOMPARE(Content(list), Lines{"kept"});
    }

    void saveRefuses_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing folder") << "missing folder";
        QTest::newRow("folder") << "folder";
        QTest::newRow("under a file") << "under a file";
        QTest::newRow("empty path") << "empty path";
        QTest::newRow("read-only file") << "read-only";
        QTest::newRow("FIFO") << "fifo";
        // A writable file, but nowhere beside it to keep the old or the new content.
        QTest::newRow("folder that takes no new file") << "locked folder";
    }

    // Refused before anything is written: the old file and the folder stay as they were.
    void saveRefuses()
    {
        QFETCH(QString, kind);
        const QString old = Path(QStringLiteral("old.dat"));
        WriteBytes(old, "old\r\nlist\r\n");
        QString path;
        bool immutable = false;
        if (kind == "missing folder") {
            path = Path(QStringLiteral("nowhere/list.dat"));
        } else if (kind == "folder") {
            path = Folder();
        } else if (kind == "under a file") {
            path = old + QStringLiteral("/list.dat");
        } else if (kind == "read-only") {
            path = old;
            QVERIFY(QFile::setPermissions(old, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            if (::geteuid() == 0 && !(immutable = SetImmutable(old, true)))
                QSKIP("root writes every file and cannot mark one immutable here");
        } else if (kind == "fifo") {
            path = Path(QStringLiteral("fifo"));
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "locked folder") {
            path = old;
            QVERIFY(QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::ExeOwner));
            if (::geteuid() == 0 && !(immutable = SetImmutable(Folder(), true)))
                QSKIP("root writes into every folder and cannot mark one immutable here");
        }
        const QStringList before = Entries(Folder());
        WordList list;
        list.Add("new");
        const QString message = Raises<EFCreateError>([&] { list.SaveToFile(path); });
        if (immutable)
            SetImmutable(kind == "locked folder" ? Folder() : old, false);
        QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(message, CreateMessage(path));
        QCOMPARE(ReadBytes(old), QByteArray("old\r\nlist\r\n"));
        QCOMPARE(Entries(Folder()), before);
    }

    void saveKeepsPermissionsAndFollowsLinks()
    {
        const QString real = Path(QStringLiteral("real.dat"));
        const QString link = Path(QStringLiteral("link.dat"));
        WriteBytes(real, "old\r\n");
        QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(QFile::link(real, link));
        WordList list;
        list.Add("new");
        list.SaveToFile(link);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadBytes(real), QByteArray("new\r\n"));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        QCOMPARE(Entries(Folder()), (QStringList{"link.dat", "real.dat"}));
    }

    void shortWrite_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("loaded"); // lines still in the loaded file's bytes
        QTest::addColumn<bool>("secondName"); // a hard link: written in place
        QTest::newRow("small list") << 200 << false << false;
        QTest::newRow("large list") << 200000 << false << false;
        QTest::newRow("large loaded list") << 200000 << true << false;
        QTest::newRow("small list, in place") << 200 << false << true;
        QTest::newRow("large list, in place") << 200000 << false << true;
    }

    // A file size limit makes the write come up short, as a full disk would: the
    // error is raised, the old file stays whole (written in place, its copy is put
    // back) and no temporary file or copy is left.
    void shortWrite()
    {
        QFETCH(int, lines);
        QFETCH(bool, loaded);
        QFETCH(bool, secondName);
        WordList list;
        for (int i = 0; i < lines; ++i)
            list.Add("word " + QByteArray::number(i));
        if (loaded) {
            list.SaveToFile(Path(QStringLiteral("source.dat")));
            list.LoadFromFile(Path(QStringLiteral("source.dat")));
            QVERIFY(QFile::remove(Path(QStringLiteral("source.dat"))));
        }
        const QString target = Path(QStringLiteral("list.dat"));
        WriteBytes(target, "old\r\nlist\r\n");
        const QString other = Path(QStringLiteral("other.dat"));
        if (secondName)
            QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(other).constData()), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // SIGXFSZ is as the program's start-up left it.
            const rlimit limit{512, 512};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            int code = 1;
            try {
                list.SaveToFile(target);
            } catch (const EWriteError &e) {
                code = e.Message() == WriteMessage ? 0 : 2;
            } catch (...) {
                code = 3;
            }
            ::_exit(code);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(ReadBytes(target), QByteArray("old\r\nlist\r\n"));
        QCOMPARE(Entries(Folder()), secondName ? (QStringList{"list.dat", "other.dat"}) : QStringList{"list.dat"});
        if (secondName)
            QCOMPARE(ReadBytes(other), QByteArray("old\r\nlist\r\n"));
    }

    // Lines that cannot be held in the memory this process may use are refused
    // before their index is asked for: the limits come from a small system faked
    // through the seam, the file is a megabyte of line breaks (an index of
    // sizeof(entry) bytes per line), and the list keeps its lines.
    void loadWeighsTheIndex_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<qint64>("room"); // what the limit leaves
        QTest::addColumn<bool>("loads");
        const qint64 MB = 1 << 20;
        for (const char *limit : {"cgroup v2", "parent cgroup v2", "cgroup v1", "memory and swap", "address space"}) {
            QTest::addRow("%s, too small", limit) << QString::fromLatin1(limit) << 4 * MB << false;
            QTest::addRow("%s, large enough", limit) << QString::fromLatin1(limit) << 256 * MB << true;
        }
        // 190 MB in use of 200, but 188 of it page cache that the kernel drops first.
        QTest::newRow("cgroup v2, page cache counts as free") << QStringLiteral("page cache") << 0ll << true;
    }

    void loadWeighsTheIndex()
    {
        QFETCH(QString, limit);
        QFETCH(qint64, room);
        QFETCH(bool, loads);
        const qint64 MB = 1 << 20;
        const QString root = Path(QStringLiteral("root"));
        const auto put = [&](const QString &name, const QByteArray &bytes) {
            QVERIFY(QDir().mkpath(QFileInfo(root + name).path()));
            WriteBytes(root + name, bytes);
        };
        const QByteArray plenty = QByteArray::number(64 * 1024 * 1024) + " kB\n";
        put("/proc/meminfo", "MemTotal: " + plenty + "MemAvailable: " + plenty + "SwapFree: 0 kB\n");
        put("/proc/self/cgroup", limit == "cgroup v1" ? "4:memory:/app\n1:cpu:/\n" : "0::/user/app\n");
        if (limit != "cgroup v1")
            put("/sys/fs/cgroup/cgroup.controllers", "memory\n");
        const QByteArray left = QByteArray::number(room);
        if (limit == "cgroup v2") {
            put("/sys/fs/cgroup/user/app/memory.max", QByteArray::number(room + 10 * MB));
            put("/sys/fs/cgroup/user/app/memory.current", QByteArray::number(10 * MB));
            put("/sys/fs/cgroup/user/memory.max", "max\n");
        } else if (limit == "parent cgroup v2") {
            put("/sys/fs/cgroup/user/app/memory.max", "max\n");
            put("/sys/fs/cgroup/user/memory.max", left);
            put("/sys/fs/cgroup/user/memory.current", "0\n");
        } else if (limit == "cgroup v1") {
            put("/sys/fs/cgroup/memory/app/memory.limit_in_bytes", left);
            put("/sys/fs/cgroup/memory/app/memory.usage_in_bytes", "0\n");
            put("/sys/fs/cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n");
        } else if (limit == "memory and swap") {
            put("/proc/meminfo", "MemAvailable: " + QByteArray::number(room / 1024 - 1024) + " kB\nSwapFree: 1024 kB\n");
        } else if (limit == "page cache") {
            put("/sys/fs/cgroup/user/app/memory.max", QByteArray::number(200 * MB));
            put("/sys/fs/cgroup/user/app/memory.current", QByteArray::number(190 * MB));
            put("/sys/fs/cgroup/user/app/memory.stat", "anon 2\nactive_file " + QByteArray::number(100 * MB) +
                                                           "\ninactive_file " + QByteArray::number(88 * MB) + "\n");
        }
        // The address space limit is real, set just above what is mapped now.
        rlimit old{};
        ::getrlimit(RLIMIT_AS, &old);
        const auto restore = qScopeGuard([&] {
            ::setrlimit(RLIMIT_AS, &old);
            Headroom::SetRootForTesting(QString());
        });
        if (limit == "address space") {
#if defined(__SANITIZE_ADDRESS__)
            QSKIP("AddressSanitizer maps terabytes of shadow memory");
#endif
            QVERIFY(QDir().mkpath(root + QStringLiteral("/proc/self")));
            QVERIFY(QFile::link(QStringLiteral("/proc/self/statm"), root + QStringLiteral("/proc/self/statm")));
            QFile statm(QStringLiteral("/proc/self/statm"));
            QVERIFY(statm.open(QIODevice::ReadOnly));
            const qint64 mapped = statm.readAll().split(' ').first().toLongLong() * ::sysconf(_SC_PAGESIZE);
            // the file itself is read first; room is what is left for the index
            const rlimit now{rlim_t(mapped + 2 * MB + room), old.rlim_max};
            QCOMPARE(::setrlimit(RLIMIT_AS, &now), 0);
        }
        const QString path = Path(QStringLiteral("breaks.dat"));
        WriteBytes(path, QByteArray(MB, '\r'));
        WordList list;
        Fill(list, {"kept", "lines"});
        Headroom::SetRootForTesting(root);
        if (loads) {
            list.LoadFromFile(path);
            QCOMPARE(list.Count(), int(MB));
        } else {
            QCOMPARE(Raises<EReadError>([&] { list.LoadFromFile(path); }),
                     QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" は大きすぎて読み込めません"));
            QCOMPARE(Content(list), (Lines{"kept", "lines"}));
        }
    }

    // Saving keeps who the file belongs to and who may read it, whoever saves it.
    // The saver is not root: when the test runs as root, the save runs in a child
    // that takes the saver's ids (a member of the team group), as setpriv would.
    void ownershipKept_data()
    {
        QTest::addColumn<int>("folderUser");
        QTest::addColumn<int>("folderGroup");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("fileUser");
        QTest::addColumn<int>("fileGroup");
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<bool>("secondName");
        QTest::addColumn<bool>("inPlace"); // else renamed over: a new file
        QTest::newRow("another member's file in a shared folder")
            << int(Root) << int(Team) << 0775 << int(Someone) << int(Team) << 0660 << false << true;
        QTest::newRow("someone else's file in a sticky folder")
            << int(Root) << int(RootGroup) << 01777 << int(Root) << int(RootGroup) << 0666 << false << true;
        QTest::newRow("a group the saver is not in")
            << int(Me) << int(MyGroup) << 0755 << int(Me) << int(OtherGroup) << 0640 << false << true;
        QTest::newRow("own file, another of the saver's groups")
            << int(Me) << int(MyGroup) << 0755 << int(Me) << int(Team) << 0640 << false << false;
        QTest::newRow("own file, unusual mode") << int(Me) << int(MyGroup) << 0755 << int(Me) << int(MyGroup) << 0604
                                                << false << false;
        QTest::newRow("file with a second name") << int(Me) << int(MyGroup) << 0755 << int(Me) << int(MyGroup) << 0644
                                                 << true << true;
        QTest::newRow("read-only file saved by root")
            << int(Root) << int(RootGroup) << 0755 << int(Root) << int(RootGroup) << 0444 << false << false;
    }

    void ownershipKept()
    {
        QFETCH(int, folderUser);
        QFETCH(int, folderGroup);
        QFETCH(int, folderMode);
        QFETCH(int, fileUser);
        QFETCH(int, fileGroup);
        QFETCH(int, fileMode);
        QFETCH(bool, secondName);
        QFETCH(bool, inPlace);
        const bool root = ::geteuid() == 0;
        const bool byRoot = QByteArray(QTest::currentDataTag()).contains("by root");
        if (byRoot && !root)
            QSKIP("needs root to save as root");
        const auto uid = [&](int who) { return who == Root ? uid_t(0) : who == Someone ? OwnerId : root ? SaverId : ::getuid(); };
        const auto gid = [&](int group) {
            return group == RootGroup ? gid_t(0) : group == Team ? TeamId : group == OtherGroup ? OtherId
                                                                 : root ? SaverId : ::getgid();
        };
        if (!root && (folderUser != Me || fileUser != Me || folderGroup != MyGroup || fileGroup != MyGroup))
            QSKIP("needs root to give files to other users and groups");
        QCOMPARE(::chmod(QFile::encodeName(Folder()).constData(), 0755), 0); // for the saver to reach it

        const QString folder = Path(QStringLiteral("shared"));
        const QString target = folder + QStringLiteral("/list.dat");
        const QString other = folder + QStringLiteral("/other name.dat");
        QVERIFY(QDir().mkdir(folder));
        WriteBytes(target, "old\r\nlist\r\n");
        if (secondName)
            QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(other).constData()), 0);
        const QByteArray f = QFile::encodeName(target), d = QFile::encodeName(folder);
        if (root) {
            QCOMPARE(::chown(f.constData(), uid(fileUser), gid(fileGroup)), 0);
            QCOMPARE(::chown(d.constData(), uid(folderUser), gid(folderGroup)), 0);
        }
        QCOMPARE(::chmod(f.constData(), mode_t(fileMode)), 0);
        QCOMPARE(::chmod(d.constData(), mode_t(folderMode)), 0);
        const auto restore = qScopeGuard([&] { ::chmod(d.constData(), 0755); });
        struct stat before;
        QCOMPARE(::stat(f.constData(), &before), 0);

        WordList list;
        list.Add("new");
        list.Add("words");
        const int result = AsSaver(byRoot, [&] {
            try {
                list.SaveToFile(target);
                return 0;
            } catch (const EFCreateError &) {
                return 1;
            } catch (const EWriteError &) {
                return 2;
            }
        });
        QCOMPARE(result, 0);
        QCOMPARE(ReadBytes(target), QByteArray("new\r\nwords\r\n"));
        struct stat after;
        QCOMPARE(::stat(f.constData(), &after), 0);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(after.st_mode & 07777, mode_t(fileMode));
        QCOMPARE(after.st_ino == before.st_ino, inPlace);
        QCOMPARE(after.st_nlink, before.st_nlink);
        QCOMPARE(Entries(folder), secondName ? (QStringList{"list.dat", "other name.dat"}) : QStringList{"list.dat"});
        if (secondName)
            QCOMPARE(ReadBytes(other), QByteArray("new\r\nwords\r\n"));
    }

    // A file bind-mounted over another cannot be renamed over: it is written in
    // place, and so reaches the file mounted there.
    void saveOverABindMountedFile()
    {
        const QString source = Path(QStringLiteral("source.dat"));
        const QString target = Path(QStringLiteral("target.dat"));
        WriteBytes(source, "source\r\n");
        WriteBytes(target, "target\r\n");
        WordList list;
        list.Add("new");
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount(QFile::encodeName(source).constData(), QFile::encodeName(target).constData(), nullptr, MS_BIND,
                        nullptr) != 0)
                ::_exit(100);
            try {
                list.SaveToFile(target);
                ::_exit(0);
            } catch (const EFCreateError &) {
                ::_exit(1);
            } catch (const EWriteError &) {
                ::_exit(2);
            }
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == 100)
            QSKIP("no mount namespace for this user");
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(ReadBytes(source), QByteArray("new\r\n"));
        QCOMPARE(ReadBytes(target), QByteArray("target\r\n"));
        QCOMPARE(Entries(Folder()), (QStringList{"source.dat", "target.dat"}));
    }

    void replaceWritesWhatWasChecked_data()
    {
        QTest::addColumn<bool>("secondName");
        QTest::newRow("renamed over") << false;
        QTest::newRow("written in place") << true;
    }

    // The path is resolved once: a name swapped for a link to another file after
    // the check is not followed, and the other file keeps its bytes.
    void replaceWritesWhatWasChecked()
    {
        QFETCH(bool, secondName);
        const QString target = Path(QStringLiteral("list.dat"));
        const QString victim = Path(QStringLiteral("victim.dat"));
        const QString moved = Path(QStringLiteral("moved.dat"));
        WriteBytes(target, "old\r\n");
        WriteBytes(victim, "victim\r\n");
        if (secondName)
            QCOMPARE(::link(QFile::encodeName(target).constData(),
                            QFile::encodeName(Path(QStringLiteral("second.dat"))).constData()), 0);
        TReplaceFile file(target);
        QVERIFY(QFile::rename(target, moved));
        QVERIFY(QFile::link(victim, target));
        file.Write("new\r\n", 5);
        file.Commit();
        QCOMPARE(ReadBytes(victim), QByteArray("victim\r\n"));
        if (secondName) {
            QCOMPARE(ReadBytes(moved), QByteArray("new\r\n")); // the file that was checked
            QVERIFY(QFileInfo(target).isSymLink());
        } else {
            QCOMPARE(ReadBytes(moved), QByteArray("old\r\n"));
            QVERIFY(!QFileInfo(target).isSymLink());
            QCOMPARE(ReadBytes(target), QByteArray("new\r\n"));
        }
    }

    void loadPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("refused");
        // The name up to the NUL is a list that exists: it must not be read instead.
        QTest::newRow("NUL in the name") << QStringLiteral("list.dat") + QChar(0) + QStringLiteral(".other") << true;
        // Reports size 0, holds a line.
        QTest::newRow("file under /proc") << QStringLiteral("/proc/version") << false;
    }

    void loadPaths()
    {
        QFETCH(QString, path);
        QFETCH(bool, refused);
        if (!path.startsWith(QLatin1Char('/')))
            path = Path(path);
        WriteBytes(Path(QStringLiteral("list.dat")), "q\r\na\r\n");
        WordList list;
        list.Add("kept");
        if (refused) {
            QCOMPARE(Raises<EFOpenError>([&] { list.LoadFromFile(path); }), OpenMessage(path));
            QCOMPARE(Content(list), Lines{"kept"});
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const Lines lines = SplitByRules(f.readAll());
            QVERIFY(!lines.isEmpty());
            list.LoadFromFile(path);
            QCOMPARE(Content(list), lines);
        }
    }

    void pathsComeOutVerbatim_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("percent and ampersand") << QStringLiteral("100% & more.dat");
        QTest::newRow("format specifiers") << QStringLiteral("%s %1 %%.dat");
        QTest::newRow("markup") << QStringLiteral("<i>bold<br> &amp;.txt");
        QTest::newRow("Japanese and blanks") << QStringLiteral("単語 リスト　第１.dat");
    }

    void pathsComeOutVerbatim()
    {
        QFETCH(QString, name);
        const QString path = Path(name);
        WordList list;
        list.Add("q");
        list.Add("a");
        list.SaveToFile(path);
        WordList again;
        again.LoadFromFile(path);
        QCOMPARE(Content(again), (Lines{"q", "a"}));

        const QString missing = Path(QStringLiteral("missing ") + name);
        QCOMPARE(Raises<EFOpenError>([&] { again.LoadFromFile(missing); }), OpenMessage(missing));
        const QString noFolder = Path(name + QStringLiteral("/") + name);
        QCOMPARE(Raises<EFCreateError>([&] { list.SaveToFile(noFolder); }), CreateMessage(noFolder));
    }
};

TAVI_TEST_MAIN(TestWordList)
#include "test_wordlist.moc"
