#pragma once
// Replacing a file's content so that nothing is lost on any failure and the file
// stays the same file to everyone else.
//
// The path is resolved once: a symbolic link at its end is followed to the file it
// names, the folder is opened, and from then on only that folder and the names
// checked in it are used, never followed again (a name swapped for a link
// meanwhile is replaced, not followed). An existing file keeps its owner, group,
// mode and every hard link:
//  - normally the content goes to a new file beside it that is given the old
//    owner, group and mode, and is renamed over it: a reader sees either the whole
//    old file or the whole new one;
//  - where that rename cannot keep them (another user's file, a group the saver
//    cannot give, a file with more than one name or mounted on its own), the old
//    content is copied aside first (beside it), the file is written in place, and
//    the copy is put back if writing fails (and stays there if even that fails);
//    on success the copy is deleted.
// A folder that takes no new file refuses the save: there is nowhere to keep the
// old content safe.
#include <QByteArray>
#include <QString>

struct stat;

class TReplaceFile {
public:
    // EFCreateError (nothing written) when path cannot be replaced: no such folder,
    // not a regular file, no write access, or no room to keep the old content.
    explicit TReplaceFile(const QString &path);
    // Without Commit the file keeps its old content.
    ~TReplaceFile();
    TReplaceFile(const TReplaceFile &) = delete;
    TReplaceFile &operator=(const TReplaceFile &) = delete;

    // Appends n bytes. EWriteError when they cannot all be written; the file keeps
    // its old content then.
    void Write(const char *p, qsizetype n);
    // Makes the written content the file's, durably. EWriteError when it cannot be
    // stored, EFCreateError when the folder refuses the new file; the file keeps its
    // old content either way.
    void Commit();

private:
    void Abandon() noexcept;
    bool CopyAside(const struct stat &target);
    bool PutBack() noexcept;

    QString FPath;
    int Dir = -1;       // the folder, opened once
    QByteArray Name;    // the file's name in Dir
    bool Existed = false;
    int Target = -1;    // the existing file, opened when checked
    bool InPlace = false;
    int Temp = -1;      // rename: the new file beside the target
    QByteArray TempName;
    int Copy = -1;      // in place: the old content
    QByteArray CopyName;
    qint64 OldSize = 0;
    qint64 Written = 0;
    bool Touched = false; // in place: the target's bytes have been changed
    bool Done = false;
};
