// The word list against plain system calls on the same bytes, in the same run:
//   load  ~100 MB vs one read() plus a memchr line count  (goal: >= 0.5x)
//   save  ~100 MB vs one write()                          (goal: >= 0.5x)
//   peak memory growth while loading                      (goal: <= 2x the file)
//   MoveEntryToEnd near the front of 1,000,000 lines      (goal: < 16 ms)
// Files are generated in TAVI_BENCH_DIR (default: the current folder) and removed.
#include "WordList.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Dir;
std::string BigFile, MillionFile, WriteTarget, SaveTarget;
QByteArray BigBytes;
const int MoveLines = 1000000;

// Word-list lines of 5 to 40 bytes, CR LF after each: half plain ASCII, half code
// page 932 double-byte text (a half-width katakana evens out an odd length).
QByteArray Generate(qint64 minBytes, qint64 lines)
{
    quint64 state = 0x9E3779B97F4A7C15ull;
    const auto next = [&](quint32 n) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return quint32(state % n);
    };
    QByteArray out;
    out.reserve(minBytes > 0 ? minBytes + 64 : lines * 25);
    for (qint64 i = 0; minBytes > 0 ? out.size() < minBytes : i < lines; ++i) {
        int len = 5 + int(next(36));
        if (next(2)) {
            while (len-- > 0)
                out += next(6) ? char('a' + next(26)) : ' ';
        } else {
            if (len % 2) {
                out += char(0xA1 + next(0x3F));
                --len;
            }
            for (; len > 0; len -= 2) {
                const quint32 kind = next(3);
                out += char(kind == 0 ? 0x82 : kind == 1 ? 0x83 : 0x88 + next(0x17)); // kana or kanji rows
                const quint32 trail = 0x40 + next(0xBC);
                out += char(trail == 0x7F ? 0x80 : trail);
            }
        }
        out += "\r\n";
    }
    return out;
}

void WriteFile(const std::string &path, const QByteArray &bytes)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(2);
    }
}

// One read() of the whole file into fresh memory and a memchr pass counting lines:
// the least any loader must do.
void BM_ReadBaseline(benchmark::State &state)
{
    for (auto _ : state) {
        const int fd = ::open(BigFile.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        ::fstat(fd, &st);
        char *buf = static_cast<char *>(std::malloc(size_t(st.st_size)));
        ssize_t got = 0;
        while (got < st.st_size) {
            const ssize_t n = ::read(fd, buf + got, size_t(st.st_size - got));
            if (n <= 0)
                break;
            got += n;
        }
        ::close(fd);
        long lines = 0;
        for (const char *p = buf, *end = buf + got; (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))); ++p)
            ++lines;
        benchmark::DoNotOptimize(lines);
        std::free(buf);
    }
    state.SetBytesProcessed(state.iterations() * BigBytes.size());
}

void BM_LoadFromFile(benchmark::State &state)
{
    const QString path = QString::fromStdString(BigFile);
    for (auto _ : state) {
        WordList list;
        list.LoadFromFile(path);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetBytesProcessed(state.iterations() * BigBytes.size());
}

// One write() of the same bytes into a truncated file.
void BM_WriteBaseline(benchmark::State &state)
{
    for (auto _ : state) {
        const int fd = ::open(WriteTarget.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(::write(fd, BigBytes.constData(), size_t(BigBytes.size())));
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * BigBytes.size());
}

void BM_SaveToFile(benchmark::State &state)
{
    WordList list;
    list.LoadFromFile(QString::fromStdString(BigFile));
    const QString path = QString::fromStdString(SaveTarget);
    for (auto _ : state)
        list.SaveToFile(path);
    state.SetBytesProcessed(state.iterations() * BigBytes.size());
}

// The same after every line was rewritten, so that none goes out straight from the
// loaded bytes: the copying path, shown for comparison.
void BM_SaveToFileSwapped(benchmark::State &state)
{
    WordList list;
    list.LoadFromFile(QString::fromStdString(BigFile));
    list.SwapQuestionsAndAnswers();
    const QString path = QString::fromStdString(SaveTarget);
    for (auto _ : state)
        list.SaveToFile(path);
    state.SetBytesProcessed(state.iterations() * BigBytes.size());
}

void BM_MoveEntryToEnd(benchmark::State &state)
{
    WordList list;
    list.LoadFromFile(QString::fromStdString(MillionFile));
    for (auto _ : state)
        list.MoveEntryToEnd(0);
    state.counters["lines"] = list.Count();
}

BENCHMARK(BM_ReadBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_WriteBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_SaveToFileSwapped)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_MoveEntryToEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

long StatusKb(const char *field)
{
    FILE *f = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    while (f && std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            kb = std::atol(line + std::strlen(field));
    }
    if (f)
        std::fclose(f);
    return kb;
}

// Peak resident memory added by one load, measured in a child so that nothing the
// benchmark itself holds counts: the high-water mark is reset, then the list loads.
double PeakLoadBytes()
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        BigBytes = QByteArray(); // the generator's copy is not part of a load
        FILE *clear = std::fopen("/proc/self/clear_refs", "w");
        if (clear) {
            std::fputs("5", clear);
            std::fclose(clear);
        }
        const long before = StatusKb("VmRSS:");
        double grown = -1;
        {
            WordList list;
            list.LoadFromFile(QString::fromStdString(BigFile));
            const long peak = StatusKb("VmHWM:");
            if (clear && before >= 0 && peak >= 0)
                grown = double(peak - before) * 1024;
        }
        if (::write(fds[1], &grown, sizeof grown) != sizeof grown)
            ::_exit(1);
        ::_exit(0);
    }
    ::close(fds[1]);
    double grown = -1;
    if (::read(fds[0], &grown, sizeof grown) != sizeof grown)
        grown = -1;
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return grown;
}

// Seconds per iteration of every repetition, by benchmark.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::vector<double>> Seconds;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
                Seconds[r.run_name.function_name].push_back(r.real_accumulated_time / double(r.iterations));
        }
    }

    double Median(const std::string &name) const
    {
        auto it = Seconds.find(name);
        if (it == Seconds.end() || it->second.empty())
            return -1;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

bool Verdict(const char *what, bool pass, const char *detail)
{
    std::printf("  %-50s %-24s %s\n", what, detail, pass ? "PASS" : "FAIL");
    return pass;
}

} // namespace

int main(int argc, char **argv)
{
    const char *dir = std::getenv("TAVI_BENCH_DIR");
    Dir = dir && *dir ? dir : ".";
    BigFile = Dir + "/bench-100mb.dat";
    MillionFile = Dir + "/bench-1m-lines.dat";
    WriteTarget = Dir + "/bench-write.dat";
    SaveTarget = Dir + "/bench-save.dat";

    BigBytes = Generate(100 * 1000 * 1000, 0);
    WriteFile(BigFile, BigBytes);
    WriteFile(MillionFile, Generate(0, MoveLines));

    const double peak = PeakLoadBytes();

    benchmark::Initialize(&argc, argv);
    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (const std::string &f : {BigFile, MillionFile, WriteTarget, SaveTarget})
        std::remove(f.c_str());

    const double mb = double(BigBytes.size()) / 1e6;
    const double read = reporter.Median("BM_ReadBaseline"), load = reporter.Median("BM_LoadFromFile");
    const double write = reporter.Median("BM_WriteBaseline"), save = reporter.Median("BM_SaveToFile");
    const double swapped = reporter.Median("BM_SaveToFileSwapped");
    const double move = reporter.Median("BM_MoveEntryToEnd");
    if (read <= 0 || load <= 0 || write <= 0 || save <= 0 || move <= 0) {
        std::printf("\nsome benchmarks did not run; no summary\n");
        return 0;
    }
    char detail[128];
    bool ok = true;
    std::printf("\nWord list, %.1f MB file, medians of 5 repetitions\n", mb);
    std::printf("  read() + memchr count   %8.0f MB/s\n", mb / read);
    std::printf("  LoadFromFile            %8.0f MB/s\n", mb / load);
    std::printf("  write()                 %8.0f MB/s\n", mb / write);
    std::printf("  SaveToFile              %8.0f MB/s\n", mb / save);
    if (swapped > 0)
        std::printf("  SaveToFile, all lines rewritten %.0f MB/s (%.2fx write(), for comparison)\n", mb / swapped, write / swapped);
    std::printf("Goals\n");
    std::snprintf(detail, sizeof detail, "%.2fx", read / load);
    ok &= Verdict("load speed >= 0.5x read() + memchr", read / load >= 0.5, detail);
    std::snprintf(detail, sizeof detail, "%.2fx", write / save);
    ok &= Verdict("save speed >= 0.5x write()", write / save >= 0.5, detail);
    if (peak >= 0)
        std::snprintf(detail, sizeof detail, "%.0f MB = %.2fx file", peak / 1e6, peak / double(BigBytes.size()));
    else
        std::snprintf(detail, sizeof detail, "not measurable here");
    ok &= Verdict("peak memory while loading <= 2x file size", peak >= 0 && peak <= 2.0 * double(BigBytes.size()), detail);
    std::snprintf(detail, sizeof detail, "%.3f ms", move * 1e3);
    ok &= Verdict("MoveEntryToEnd near the front of 1M lines < 16 ms", move < 0.016, detail);
    return ok ? 0 : 1;
}
