#include "ReadFile.h"

#include "Exceptions.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

TReadFile::TReadFile(const QString &path) : FPath(path)
{
    // O_NONBLOCK so that opening a FIFO without a writer does not wait.
    Fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (Fd < 0)
        throw EFOpenError(path);
    struct stat st;
    if (::fstat(Fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(Fd);
        throw EFOpenError(path);
    }
    FSize = st.st_size;
}

TReadFile::~TReadFile()
{
    ::close(Fd);
}

// Memory and swap together: a file larger than that can never be held, and asking
// for it would only meet the out-of-memory killer halfway through the read.
static qint64 MemoryLimit()
{
    struct sysinfo si;
    if (::sysinfo(&si) != 0)
        return std::numeric_limits<qint64>::max();
    return (qint64(si.totalram) + qint64(si.totalswap)) * qint64(si.mem_unit);
}

QByteArray TReadFile::ReadAll()
{
    if (FSize > std::numeric_limits<qsizetype>::max() / 2 || FSize > MemoryLimit())
        throw EReadError::TooLarge(FPath);
    QByteArray bytes;
    try {
        bytes.resize(FSize);
    } catch (const std::bad_alloc &) {
        throw EReadError::TooLarge(FPath);
    }
    qint64 done = 0;
    while (done < FSize) {
        const ssize_t n = ::read(Fd, bytes.data() + done, static_cast<size_t>(FSize - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EReadError();
        if (n == 0)
            break; // the file shrank since it was opened: keep what was read
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}
