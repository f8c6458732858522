#pragma once
// Word-list text for the benchmarks: lines of 5 to 40 bytes, CR LF after each, half
// plain ASCII, half code page 932 double-byte text (a half-width katakana evens out
// an odd length). The same seed gives the same bytes in every tool.
#include <QByteArray>

inline QByteArray GenerateList(qint64 minBytes, qint64 lines)
{
    quint64 state = 0x9E3779B97F4A7C15ull;
    const auto next = [&](quint32 n) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return quint32(state % n);
    };
    QByteArray out;
    out.reserve(minBytes > 0 ? minBytes + 64 : lines * 25);
    for (qint64 i = 0; minBytes > 0 ? out.size() < minBytes : i < lines; ++i) {
        int len = 5 + int(next(36));
        if (next(2)) {
            while (len-- > 0)
                out += next(6) ? char('a' + next(26)) : ' ';
        } else {
            if (len % 2) {
                out += char(0xA1 + next(0x3F));
                --len;
            }
            for (; len > 0; len -= 2) {
                const quint32 kind = next(3);
                out += char(kind == 0 ? 0x82 : kind == 1 ? 0x83 : 0x88 + next(0x17)); // kana or kanji rows
                const quint32 trail = 0x40 + next(0xBC);
                out += char(trail == 0x7F ? 0x80 : trail);
            }
        }
        out += "\r\n";
    }
    return out;
}
