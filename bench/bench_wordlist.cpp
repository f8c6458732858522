// The word list against the least any program must do with the same bytes, in the
// same run, repetitions interleaved:
//   load  ~100 MB vs one read() plus a memchr line count            (goal: >= 0.7x)
//   save  ~100 MB vs a durable write: a new file in the same folder,
//         fdatasync, rename over the target                          (goal: >= 0.8x)
//   peak memory growth while loading                                 (goal: <= 2x the file)
//   MoveEntryToEnd near the front of 1,000,000 lines                 (goal: < 16 ms)
// Files are generated in TAVI_BENCH_DIR (default: the current folder) and removed.
// With TAVI_BENCH_ROWS set, each verdict is also appended to that file as one
// tab-separated row for bench/report.
#include "Generate.h"
#include "WordList.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstdarg>
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

// What any durable save must do: the bytes into a new file beside the target,
// fdatasync, then rename it over the target, so that a crash leaves one whole file.
void BM_DurableWriteBaseline(benchmark::State &state)
{
    const std::string fresh = WriteTarget + ".new";
    for (auto _ : state) {
        const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            state.SkipWithError("cannot create the file");
            break;
        }
        qsizetype done = 0;
        while (done < BigBytes.size()) {
            const ssize_t n = ::write(fd, BigBytes.constData() + done, size_t(BigBytes.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        const bool ok = done == BigBytes.size() && ::fdatasync(fd) == 0;
        ::close(fd);
        if (!ok || ::rename(fresh.c_str(), WriteTarget.c_str()) != 0) {
            state.SkipWithError("durable write failed");
            break;
        }
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

// The same after every entry was swapped, so that no two lines go out as one run of
// the loaded bytes: the copying path, shown for comparison.
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

BENCHMARK(BM_ReadBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DurableWriteBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveToFileSwapped)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MoveEntryToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();

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

    // Median, least and most seconds of a benchmark's repetitions; -1 when it did not run.
    double Median(const std::string &name) const { return Pick(name, 1); }
    double Least(const std::string &name) const { return Pick(name, 0); }
    double Most(const std::string &name) const { return Pick(name, 2); }

private:
    double Pick(const std::string &name, int which) const
    {
        auto it = Seconds.find(name);
        if (it == Seconds.end() || it->second.empty())
            return -1;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        return which == 0 ? v.front() : which == 2 ? v.back() : v[v.size() / 2];
    }
};

FILE *Rows = nullptr;

// One verdict: printed, and appended to the report's rows when asked for.
bool Verdict(const char *what, const std::string &figure, const std::string &floor, double ratio, const char *goal,
             bool pass, const std::string &spread)
{
    std::printf("  %-34s %-22s %-30s %6.2fx  %-12s %s  (%s)\n", what, figure.c_str(), floor.c_str(), ratio, goal,
                pass ? "PASS" : "FAIL", spread.c_str());
    if (Rows)
        std::fprintf(Rows, "%s\t%s\t%s\t%.2fx\t%s\t%s\t%s\n", what, figure.c_str(), floor.c_str(), ratio, goal,
                     pass ? "PASS" : "FAIL", spread.c_str());
    return pass;
}

std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char *format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
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

    BigBytes = GenerateList(100 * 1000 * 1000, 0);
    WriteFile(BigFile, BigBytes);
    WriteFile(MillionFile, GenerateList(0, MoveLines));

    const double peak = PeakLoadBytes();

    // Repetitions interleaved in random order, so that a slow spell of a shared
    // machine does not fall on one side of a comparison only.
    std::vector<char *> args(argv, argv + argc);
    // Five repetitions unless told otherwise (a later option wins).
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string repetitions = "--benchmark_repetitions=5";
    args.insert(args.begin() + 1, {interleave.data(), repetitions.data()});
    int count = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (const std::string &f : {BigFile, MillionFile, WriteTarget, SaveTarget, WriteTarget + ".new"})
        std::remove(f.c_str());

    const double mb = double(BigBytes.size()) / 1e6;
    const auto ms = [&](const char *name) { return reporter.Median(name) * 1e3; };
    const auto spread = [&](const char *name) {
        return Format("%.0f-%.0f ms", reporter.Least(name) * 1e3, reporter.Most(name) * 1e3);
    };
    const double read = ms("BM_ReadBaseline"), load = ms("BM_LoadFromFile");
    const double durable = ms("BM_DurableWriteBaseline"), save = ms("BM_SaveToFile");
    const double swapped = ms("BM_SaveToFileSwapped");
    const double move = ms("BM_MoveEntryToEnd");
    if (read <= 0 || load <= 0 || durable <= 0 || save <= 0 || move <= 0) {
        std::printf("\nsome benchmarks did not run; no summary\n");
        return 1;
    }
    if (const char *rows = std::getenv("TAVI_BENCH_ROWS"); rows && *rows)
        Rows = std::fopen(rows, "a");
    bool ok = true;
    std::printf("\nWord list, %.1f MB file, medians of the repetitions (least-most)\n", mb);
    std::printf("  read() + memchr count            %8.0f MB/s\n", mb / read * 1e3);
    std::printf("  LoadFromFile                     %8.0f MB/s\n", mb / load * 1e3);
    std::printf("  write + fdatasync + rename       %8.0f MB/s\n", mb / durable * 1e3);
    std::printf("  SaveToFile                       %8.0f MB/s\n", mb / save * 1e3);
    if (swapped > 0)
        std::printf("  SaveToFile, every entry swapped  %8.0f MB/s (%.2fx the durable write, for comparison)\n",
                    mb / swapped * 1e3, durable / swapped);
    std::printf("Goals\n");
    ok &= Verdict("LoadFromFile 100 MB", Format("%.0f ms", load), Format("read()+memchr %.0f ms", read), read / load,
                  ">= 0.70x", read / load >= 0.7, spread("BM_LoadFromFile") + "; floor " + spread("BM_ReadBaseline"));
    ok &= Verdict("SaveToFile 100 MB", Format("%.0f ms", save), Format("write+fdatasync+rename %.0f ms", durable),
                  durable / save, ">= 0.80x", durable / save >= 0.8,
                  spread("BM_SaveToFile") + "; floor " + spread("BM_DurableWriteBaseline"));
    const double file = double(BigBytes.size());
    ok &= Verdict("Peak memory loading 100 MB", peak >= 0 ? Format("%.0f MB", peak / 1e6) : std::string("unmeasurable"),
                  Format("file %.0f MB", file / 1e6), peak / file, "<= 2.00x", peak >= 0 && peak <= 2.0 * file,
                  "one run");
    ok &= Verdict("MoveEntryToEnd, 1M lines", Format("%.2f ms", move), "16 ms", move / 16, "<= 1.00x", move < 16,
                  Format("%.2f-%.2f ms", reporter.Least("BM_MoveEntryToEnd") * 1e3, reporter.Most("BM_MoveEntryToEnd") * 1e3));
    if (Rows)
        std::fclose(Rows);
    return ok ? 0 : 1;
}
