#pragma once
// The exception family every failure of the program belongs to. Each carries the
// text the standard error report shows.
#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
    const QString &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// An index outside the bounds of a list operation.
class EListError : public Exception {
public:
    EListError();
};

class EStreamError : public Exception {
    using Exception::Exception;
};

// A file that cannot be opened for reading.
class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const QString &path);
};

// A file that cannot be created for writing.
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const QString &path);
};

class EFilerError : public EStreamError {
    using EStreamError::EStreamError;
};

// Fewer bytes could be written than the content holds.
class EWriteError : public EFilerError {
public:
    EWriteError();
};

// The bytes of an opened file could not all be read, or the file is too large
// to hold in memory.
class EReadError : public EFilerError {
public:
    EReadError();
    explicit EReadError(QString message) : EFilerError(std::move(message)) {}
    static EReadError TooLarge(const QString &path);
};

class EOutOfMemory : public Exception {
public:
    EOutOfMemory();
};

class EInvalidOperation : public Exception {
    using Exception::Exception;
};

// The silent failure: ends a handler without a report.
class EAbort : public Exception {
public:
    EAbort() : Exception(QString()) {}
};
