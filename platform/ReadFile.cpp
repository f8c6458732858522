#include "ReadFile.h"

#include "Exceptions.h"
#include "Headroom.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

TReadFile::TReadFile(const QString &path) : FPath(path)
{
    // A name with a NUL in it names no file (the system would read only its start).
    const QByteArray native = QFile::encodeName(path);
    if (native.contains('\0'))
        throw EFOpenError(path);
    // O_NONBLOCK so that opening a FIFO without a writer does not wait.
    Fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
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

QByteArray TReadFile::ReadAll()
{
    // A file larger than the memory this process may still use can never be held,
    // and asking for it would only meet the out-of-memory killer halfway through.
    const qint64 room = Headroom::Bytes();
    if (FSize > std::numeric_limits<qsizetype>::max() / 2 || FSize > room)
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
    // The size is where reading starts, not where it ends: files under /proc report
    // 0, and a file may have grown since it was opened.
    if (done < FSize)
        return bytes;
    char tail[1 << 16];
    for (;;) {
        const ssize_t n = ::read(Fd, tail, sizeof tail);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EReadError();
        if (n == 0)
            break;
        if (bytes.size() + n > room)
            throw EReadError::TooLarge(FPath);
        try {
            bytes.append(tail, n);
        } catch (const std::bad_alloc &) {
            throw EReadError::TooLarge(FPath);
        }
    }
    return bytes;
}
