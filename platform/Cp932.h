#pragma once
// Code page 932 (Shift-JIS as Windows writes it) <-> display text, through glibc's
// iconv "CP932". Decoding is lossless: a byte that has no character (0x80, 0xA0,
// 0xFD-0xFF, a lead byte without a valid trail byte) is kept as the private-use
// character U+F700 + byte, which encodes back to that byte.
#include <QByteArray>
#include <QString>

namespace Cp932 {

QString Decode(const QByteArray &bytes);

// Encodes text to code page 932. A character the code page has no code for is
// written as '?'. *ok (when given) is true only when the bytes decode back to
// StoredForm(text): every character comes back as itself, or as the code page's
// form of the same JIS character.
QByteArray Encode(const QString &text, bool *ok = nullptr);

// The first character of text whose bytes do not read back as StoredForm gives it
// (no code, a look-alike, dropped, or a kept byte that pairs with the character
// after it), or an empty text.
QString FirstUnencodable(const QString &text);

// text as code page 932 gives it back. The JIS characters that Linux input methods
// and glibc write as U+301C, U+2016, U+2212, U+00A2, U+00A3, U+00AC and U+2014 are
// stored under their JIS codes (81 60, 81 61, 81 7C, 81 91, 81 92, 81 CA, 81 5C),
// which the code page reads as U+FF5E, U+2225, U+FF0D, U+FFE0, U+FFE1, U+FFE2 and
// U+2015. Every other character must come back as itself.
QString StoredForm(const QString &text);

// True when ch is one of the private-use characters that stand for a raw byte.
constexpr bool IsByteEscape(char16_t ch) { return ch >= 0xF780 && ch <= 0xF7FF; }

} // namespace Cp932
