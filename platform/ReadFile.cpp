#include "ReadFile.h"

#include "Exceptions.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
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

QByteArray TReadFile::ReadAll()
{
    if (FSize > std::numeric_limits<qsizetype>::max() / 2)
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
