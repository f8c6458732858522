#pragma once
// How a word list's lines meet the screen. A list's bytes are never converted;
// only what a window shows (and what a learner types back) goes through the
// encoding chosen once when the list was loaded.
#include <QByteArray>
#include <QString>

enum class TLineEncoding { Cp932, Utf8 };

namespace LineText {

// True when [data, data + size) is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF) holding at least one byte >= 0x80: such a
// text is shown as UTF-8. Anything else is code page 932, as pure ASCII may be.
bool IsUtf8Text(const char *data, qsizetype size);

// The text a line shows. A UTF-8 byte-order mark at the start is not drawn.
QString Decode(const QByteArray &line, TLineEncoding encoding);

// The bytes for typed text. *ok (when given) is false when a character has no
// code in the encoding (it is written as '?').
QByteArray Encode(const QString &text, TLineEncoding encoding, bool *ok = nullptr);

// The first character the encoding cannot hold, or an empty text.
QString FirstUnencodable(const QString &text, TLineEncoding encoding);

} // namespace LineText
