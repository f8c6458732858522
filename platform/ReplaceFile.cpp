#include "ReplaceFile.h"

#include "Exceptions.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links followed at the end of the path before giving up, as the system does.
constexpr int MaxLinks = 40;

bool WriteFully(int fd, const char *p, qsizetype n, qint64 at)
{
    while (n > 0) {
        const ssize_t w = ::pwrite(fd, p, size_t(n), off_t(at));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= w;
        at += w;
    }
    return true;
}

// Copies the whole content of from into to, both from their first byte.
bool CopyContent(int from, int to)
{
    char buffer[1 << 16];
    qint64 at = 0;
    for (;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!WriteFully(to, buffer, n, at))
            return false;
        at += n;
    }
}

// A new file in dir named after base (hidden, with a random part), or -1.
int CreateBeside(int dir, const QByteArray &base, const char *suffix, mode_t mode, QByteArray &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = '.' + base.left(200) + '~' + QByteArray::number(QRandomGenerator::system()->generate(), 36) + suffix;
        const int fd = ::openat(dir, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A file mounted on its own (a bind mount) cannot be renamed over.
bool MountedOnItsOwn(int fd, int dir)
{
    struct stat a, b;
    if (::fstat(fd, &a) != 0 || ::fstat(dir, &b) != 0 || a.st_dev != b.st_dev)
        return true;
#ifdef STATX_MNT_ID
    struct statx x, y;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &x) == 0 && ::statx(dir, "", AT_EMPTY_PATH, STATX_MNT_ID, &y) == 0 &&
        (x.stx_mask & y.stx_mask & STATX_MNT_ID))
        return x.stx_mnt_id != y.stx_mnt_id;
#endif
    return false;
}

void Close(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

TReplaceFile::TReplaceFile(const QString &path) : FPath(path)
{
    QByteArray target = QFile::encodeName(path);
    const auto refuse = [this] {
        Abandon();
        return EFCreateError(FPath);
    };
    if (path.isEmpty() || target.contains('\0'))
        throw refuse();

    // Resolve the path once: the folder is opened, and a link at the end is read
    // and followed here, by hand, so that nothing afterwards resolves it again.
    struct stat st {};
    for (int hop = 0;; ++hop) {
        const qsizetype slash = target.lastIndexOf('/');
        const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
        Name = target.mid(slash + 1);
        if (hop > MaxLinks || Name.isEmpty() || Name == "." || Name == "..")
            throw refuse();
        Dir = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (Dir < 0)
            throw refuse();
        if (::fstatat(Dir, Name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                throw refuse();
            break;
        }
        if (!S_ISLNK(st.st_mode)) {
            Existed = true;
            break;
        }
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlinkat(Dir, Name.constData(), link.data(), size_t(link.size()));
        if (n <= 0 || n >= link.size())
            throw refuse();
        link.truncate(n);
        target = link.startsWith('/') ? link : folder + '/' + link;
        Close(Dir);
    }

    // Only a regular file that this process may write is replaced (renaming over a
    // FIFO or a device would replace it; a read-only file stays read-only).
    if (Existed) {
        if (!S_ISREG(st.st_mode))
            throw refuse();
        Target = ::openat(Dir, Name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (Target < 0 || ::fstat(Target, &st) != 0 || !S_ISREG(st.st_mode))
            throw refuse();
        OldSize = st.st_size;
        InPlace = st.st_nlink > 1 || MountedOnItsOwn(Target, Dir);
    }
    if (!InPlace) {
        // Created with 0666 so that a new file gets the mode the umask gives; an
        // existing file's owner, group and mode go on before any byte does.
        Temp = CreateBeside(Dir, Name, ".tmp", 0666, TempName);
        if (Temp < 0)
            throw refuse();
        if (Existed && (::fchown(Temp, st.st_uid, st.st_gid) != 0 || ::fchmod(Temp, st.st_mode & 07777) != 0)) {
            ::unlinkat(Dir, TempName.constData(), 0);
            Close(Temp);
            InPlace = true;
        }
    }
    if (InPlace && !CopyAside(st))
        throw refuse();
}

TReplaceFile::~TReplaceFile()
{
    Abandon();
}

// The old content, copied to a file of its own beside the target before the
// target is touched.
bool TReplaceFile::CopyAside(const struct stat &target)
{
    int source = ::openat(Dir, Name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    bool ok = source >= 0 && ::fstat(source, &st) == 0 && st.st_dev == target.st_dev && st.st_ino == target.st_ino;
    if (ok) {
        Copy = CreateBeside(Dir, Name, ".orig", 0600, CopyName);
        ok = Copy >= 0 && CopyContent(source, Copy) && ::fdatasync(Copy) == 0;
    }
    Close(source);
    return ok;
}

void TReplaceFile::Write(const char *p, qsizetype n)
{
    if (Done)
        throw EWriteError();
    if (n <= 0)
        return;
    Touched = Touched || InPlace;
    if (!WriteFully(InPlace ? Target : Temp, p, n, Written)) {
        Abandon();
        throw EWriteError();
    }
    Written += n;
}

void TReplaceFile::Commit()
{
    if (Done)
        throw EWriteError();
    if (InPlace) {
        Touched = true;
        if (::ftruncate(Target, off_t(Written)) != 0 || ::fdatasync(Target) != 0) {
            Abandon();
            throw EWriteError();
        }
        ::unlinkat(Dir, CopyName.constData(), 0);
        Close(Copy);
    } else {
        // The bytes reach the disk before the name does: a crash leaves the old file.
        if (::fdatasync(Temp) != 0) {
            Abandon();
            throw EWriteError();
        }
        // A new file must not replace one that appeared under its name meanwhile.
        int renamed = -1;
        if (!Existed) {
            renamed = ::renameat2(Dir, TempName.constData(), Dir, Name.constData(), RENAME_NOREPLACE);
            if (renamed != 0 && errno != EINVAL && errno != ENOSYS) {
                Abandon();
                throw EFCreateError(FPath);
            }
        }
        if (renamed != 0 && ::renameat(Dir, TempName.constData(), Dir, Name.constData()) != 0) {
            Abandon();
            throw EFCreateError(FPath);
        }
        Close(Temp);
    }
    Done = true;
    Abandon();
}

// Puts the copied old content back into the target; false if it could not, and
// then the copy stays where it is.
bool TReplaceFile::PutBack() noexcept
{
    return CopyContent(Copy, Target) && ::ftruncate(Target, off_t(OldSize)) == 0 && ::fdatasync(Target) == 0;
}

void TReplaceFile::Abandon() noexcept
{
    if (!Done) {
        if (Temp >= 0)
            ::unlinkat(Dir, TempName.constData(), 0);
        if (Copy >= 0 && (!Touched || PutBack()))
            ::unlinkat(Dir, CopyName.constData(), 0);
        Done = true;
    }
    Close(Temp);
    Close(Copy);
    Close(Target);
    Close(Dir);
}
