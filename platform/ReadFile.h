#pragma once
// Reading a whole file safely: only a regular file is read (a folder, FIFO or
// device fails at once instead of blocking or reading forever), with its size
// known before any byte is read.
#include <QByteArray>
#include <QString>

class TReadFile {
public:
    // Opens path for reading. EFOpenError (with path as given) when it cannot be
    // opened or is not a regular file.
    explicit TReadFile(const QString &path);
    ~TReadFile();
    TReadFile(const TReadFile &) = delete;
    TReadFile &operator=(const TReadFile &) = delete;

    // The file's size when it was opened.
    qint64 Size() const { return FSize; }
    // Reads the file from its first byte to its end. EReadError when reading fails;
    // EReadError::TooLarge when it does not fit in memory.
    QByteArray ReadAll();

private:
    QString FPath;
    int Fd = -1;
    qint64 FSize = 0;
};
