#include "Headroom.h"

#include <QByteArrayList>
#include <QFile>
#include <algorithm>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr qint64 Unlimited = std::numeric_limits<qint64>::max();
// cgroup v1 writes "no limit" as a huge page-rounded number.
constexpr qint64 NoLimitAbove = qint64(1) << 62;

QString g_root;

QByteArray Slurp(const QString &path)
{
    QFile f(g_root + path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A number file such as memory.max; -1 when absent or not a number ("max").
qint64 Number(const QString &path)
{
    bool ok = false;
    const qint64 n = Slurp(path).trimmed().toLongLong(&ok);
    return ok ? n : -1;
}

// The value of key in a "key value" file such as memory.stat; 0 when absent.
qint64 Field(const QByteArray &text, const QByteArray &key)
{
    for (const QByteArray &line : text.split('\n')) {
        const QByteArrayList parts = line.simplified().split(' ');
        if (parts.size() >= 2 && (parts[0] == key || parts[0] == key + ':'))
            return parts[1].toLongLong();
    }
    return 0;
}

qint64 Sub(qint64 a, qint64 b) { return std::max<qint64>(a - b, 0); }

// What a limit leaves: cur minus the current use (pages of /proc/self/statm field).
qint64 RlimitRoom(int resource, int statmField)
{
    rlimit rl{};
    if (::getrlimit(resource, &rl) != 0 || rl.rlim_cur == RLIM_INFINITY)
        return Unlimited;
    const QByteArrayList statm = Slurp(QStringLiteral("/proc/self/statm")).simplified().split(' ');
    const qint64 used = statm.size() > statmField ? statm[statmField].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
    return Sub(qint64(std::min<rlim_t>(rl.rlim_cur, rlim_t(Unlimited))), used);
}

// The least any memory cgroup from the process's own up to the root leaves, page
// cache counted as free (the kernel reclaims it before it kills).
qint64 CgroupRoom(qint64 swapFree)
{
    qint64 room = Unlimited;
    const QString fs = QStringLiteral("/sys/fs/cgroup");
    const bool v2Root = QFile::exists(g_root + fs + QStringLiteral("/cgroup.controllers"));
    for (const QByteArray &line : Slurp(QStringLiteral("/proc/self/cgroup")).split('\n')) {
        const QByteArrayList parts = line.split(':');
        if (parts.size() < 3)
            continue;
        const bool v2 = parts[0] == "0" && parts[1].isEmpty();
        if (!v2 && !parts[1].split(',').contains("memory"))
            continue;
        const QString base = v2 ? (v2Root ? fs : fs + QStringLiteral("/unified")) : fs + QStringLiteral("/memory");
        QString path = QString::fromUtf8(parts.mid(2).join(':'));
        for (;;) {
            const QString dir = base + (path == QLatin1String("/") ? QString() : path) + QLatin1Char('/');
            const QByteArray stat = Slurp(dir + QStringLiteral("memory.stat"));
            if (v2) {
                const qint64 max = Number(dir + QStringLiteral("memory.max"));
                if (max >= 0) {
                    const qint64 used = Number(dir + QStringLiteral("memory.current"));
                    const qint64 cache = Field(stat, "active_file") + Field(stat, "inactive_file");
                    qint64 swap = swapFree;
                    const qint64 swapMax = Number(dir + QStringLiteral("memory.swap.max"));
                    if (swapMax >= 0)
                        swap = std::min(swap, Sub(swapMax, Number(dir + QStringLiteral("memory.swap.current"))));
                    room = std::min(room, Sub(max, Sub(used, cache)) + swap);
                }
            } else {
                const qint64 max = Number(dir + QStringLiteral("memory.limit_in_bytes"));
                if (max >= 0 && max < NoLimitAbove) {
                    const qint64 used = Number(dir + QStringLiteral("memory.usage_in_bytes"));
                    const qint64 cache = Field(stat, "total_active_file") + Field(stat, "total_inactive_file");
                    room = std::min(room, Sub(max, Sub(used, cache)) + swapFree);
                }
            }
            if (path.isEmpty() || path == QLatin1String("/"))
                break;
            path.truncate(std::max<qsizetype>(path.lastIndexOf(QLatin1Char('/')), 1));
        }
    }
    return room;
}

} // namespace

qint64 Headroom::Bytes()
{
    const QByteArray meminfo = Slurp(QStringLiteral("/proc/meminfo"));
    qint64 room = Unlimited, swapFree = 0;
    if (!meminfo.isEmpty()) {
        swapFree = Field(meminfo, "SwapFree") * 1024;
        room = Field(meminfo, "MemAvailable") * 1024 + swapFree;
    }
    room = std::min(room, RlimitRoom(RLIMIT_AS, 0));
    room = std::min(room, RlimitRoom(RLIMIT_DATA, 5));
    return std::min(room, CgroupRoom(swapFree));
}

void Headroom::SetRootForTesting(const QString &root)
{
    g_root = root;
}
