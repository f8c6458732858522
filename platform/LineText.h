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

// The bytes for typed text. *ok (when given) is false when they would not read
// back (through Decode) as the text: see FirstUnencodable.
QByteArray Encode(const QString &text, TLineEncoding encoding, bool *ok = nullptr);

// The first character of text that Decode(Encode(text)) does not give back, or an
// empty text. Code page 932 may give back its own form of the same JIS character
// (Cp932::StoredForm); UTF-8 gives back everything but half a surrogate pair and
// a byte-order mark at the start, which typed text never gets.
QString FirstUnencodable(const QString &text, TLineEncoding encoding);

// The most characters a caption or a message shows of a line: far more than fit
// on a screen, few enough to lay out at once however long the line is.
constexpr qsizetype ShownLimit = 1024;
// The start of text that a caption or message shows: at most ShownLimit
// characters, never half a surrogate pair.
QString ShownStart(const QString &text);
// ShownStart of the line's text, decoding only as much of a huge line as it needs.
QString DecodeShownStart(const QByteArray &line, TLineEncoding encoding);

} // namespace LineText
