#pragma once
// Code page 932 (Shift-JIS as Windows writes it) <-> display text, through glibc's
// iconv "CP932". Decoding is lossless: a byte that has no character (0x80, 0xA0,
// 0xFD-0xFF, a lead byte without a valid trail byte) is kept as the private-use
// character U+F700 + byte, which encodes back to that byte.
#include <QByteArray>
#include <QString>

namespace Cp932 {

QString Decode(const QByteArray &bytes);

// Encodes text to code page 932. A character the code page cannot hold is written
// as '?' and *ok (when given) is set to false; otherwise *ok is set to true.
QByteArray Encode(const QString &text, bool *ok = nullptr);

// The first character of text that code page 932 cannot hold, or an empty text.
QString FirstUnencodable(const QString &text);

// True when ch is one of the private-use characters that stand for a raw byte.
constexpr bool IsByteEscape(char16_t ch) { return ch >= 0xF780 && ch <= 0xF7FF; }

} // namespace Cp932
