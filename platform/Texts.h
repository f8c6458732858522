#pragma once
// The program's message table, keyed by number (resources/texts.tsv).
#include <QString>

namespace Texts {

enum Key : int {
    SFCreateError = 61441,
    SFOpenError = 61442,
    SReadError = 61443,
    SWriteError = 61444,
    SListIndexError = 61452,
    SFileTooLarge = 61460,
    SOutOfMemory = 61461,
    SMemoTooLarge = 61619,
};

// The text under key; an empty text for an unknown key.
QString Get(int key);

// The text under key with its "%s" replaced by arg, by plain substitution: arg is
// taken verbatim, whatever '%', '&' or other characters it holds.
QString Format(int key, const QString &arg);

} // namespace Texts
