#include "Exceptions.h"

#include "Texts.h"

EListError::EListError() : Exception(Texts::Get(Texts::SListIndexError)) {}
EFOpenError::EFOpenError(const QString &path) : EStreamError(Texts::Format(Texts::SFOpenError, path)) {}
EFCreateError::EFCreateError(const QString &path) : EStreamError(Texts::Format(Texts::SFCreateError, path)) {}
EWriteError::EWriteError() : EFilerError(Texts::Get(Texts::SWriteError)) {}
EReadError::EReadError() : EFilerError(Texts::Get(Texts::SReadError)) {}
EReadError EReadError::TooLarge(const QString &path) { return EReadError(Texts::Format(Texts::SFileTooLarge, path)); }
EOutOfMemory::EOutOfMemory() : Exception(Texts::Get(Texts::SOutOfMemory)) {}
