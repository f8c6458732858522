#include "Cp932.h"

#include <QHash>
#include <QList>

#include <cerrno>
#include <iconv.h>

namespace {

// One converter per direction, opened on first use and kept: iconv_open is costly
// next to converting a caption.
class Converter {
public:
    Converter(const char *to, const char *from) : Cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (Cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(Cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts as much of [in, in + len) as it can into out. Returns the number of
    // input bytes consumed; stops at the first byte sequence it cannot convert.
    size_t Convert(const char *in, size_t len, QByteArray &out)
    {
        iconv(Cd, nullptr, nullptr, nullptr, nullptr);
        char *src = const_cast<char *>(in);
        size_t left = len;
        char buf[4096];
        while (left > 0) {
            char *dst = buf;
            size_t room = sizeof buf;
            const size_t r = iconv(Cd, &src, &left, &dst, &room);
            out.append(buf, dst - buf);
            if (r == static_cast<size_t>(-1) && errno != E2BIG)
                break;
        }
        return len - left;
    }

private:
    iconv_t Cd;
};

Converter &ToUtf8()
{
    static thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter &FromUtf8()
{
    static thread_local Converter c("CP932", "UTF-8");
    return c;
}

// Half of a surrogate pair without its other half: no character at all, and
// toUtf8() would silently turn it into a '?' that iconv then takes as fine.
bool LoneSurrogate(const QString &text, qsizetype i)
{
    const QChar c = text.at(i);
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text.at(i - 1).isHighSurrogate();
    return false;
}

// Every code of each character that has more than one (the NEC and IBM rows).
const QHash<QString, QList<QByteArray>> &Duplicates()
{
    static const QHash<QString, QList<QByteArray>> table = [] {
        QHash<QString, QList<QByteArray>> codes;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const QByteArray code = QByteArray(1, char(lead)).append(char(trail));
                const QString ch = Cp932::Decode(code);
                if (ch.size() == 1 && !Cp932::IsByteEscape(ch.at(0).unicode()))
                    codes[ch].append(code);
            }
        }
        codes.removeIf([](const auto &entry) { return entry.value().size() < 2; });
        return codes;
    }();
    return table;
}

// The code for ch written right after the kept byte stray. Its usual code may
// start with a byte that stray pairs with, which would read as another character;
// ch was read from one of its codes that does not, so a character with duplicates
// takes that one.
QByteArray CodeAfterStray(char stray, const QString &ch)
{
    const QString expected = QChar(char16_t(0xF700 + static_cast<unsigned char>(stray))) + ch;
    const QByteArray code = Cp932::Encode(ch);
    if (Cp932::Decode(QByteArray(1, stray) + code) == expected)
        return code;
    for (const QByteArray &twin : Duplicates().value(ch))
        if (Cp932::Decode(QByteArray(1, stray) + twin) == expected)
            return twin;
    return code;
}

} // namespace

QString Cp932::Decode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    QByteArray utf8;
    const char *p = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        utf8.clear();
        const size_t used = ToUtf8().Convert(p, left, utf8);
        text += QString::fromUtf8(utf8);
        p += used;
        left -= used;
        if (left > 0) {
            text += QChar(char16_t(0xF700 + static_cast<unsigned char>(*p)));
            ++p;
            --left;
        }
    }
    return text;
}

namespace {

// The bytes for text: each character in its code ('?' where it has none), each
// stand-in as its byte. Whether they read back as the text is checked apart.
QByteArray EncodeBytes(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size() && !Cp932::IsByteEscape(text.at(end).unicode()) && !LoneSurrogate(text, end))
            ++end;
        if (end > i && i > 0 && Cp932::IsByteEscape(text.at(i - 1).unicode())) {
            // The character after a kept byte goes alone, in a code the byte cannot
            // pair with where it has one.
            const qsizetype len = text.at(i).isHighSurrogate() ? 2 : 1;
            out += CodeAfterStray(out.back(), text.mid(i, len));
            i += len;
        }
        if (end > i) {
            const QByteArray utf8 = text.mid(i, end - i).toUtf8();
            const char *p = utf8.constData();
            size_t left = static_cast<size_t>(utf8.size());
            while (left > 0) {
                const size_t used = FromUtf8().Convert(p, left, out);
                p += used;
                left -= used;
                if (left > 0) {
                    out.append('?');
                    // Skip the whole UTF-8 sequence of the refused character.
                    do {
                        ++p;
                        --left;
                    } while (left > 0 && (static_cast<unsigned char>(*p) & 0xC0) == 0x80);
                }
            }
        }
        if (end < text.size() && Cp932::IsByteEscape(text.at(end).unicode()))
            out.append(static_cast<char>(text.at(end).unicode() - 0xF700));
        else if (end < text.size())
            out.append('?');
        i = end + 1;
    }
    return out;
}

// Where the bytes for text stop reading back as text in the code page's forms: the
// index of the first character that comes back as something else (or not at all),
// or -1. The whole result is decoded, so a kept byte that pairs with the next
// character, a character iconv stores as a look-alike (U+00A5 as '\\') or drops
// (tag characters) and a character with no code are all caught.
qsizetype FirstMismatch(const QString &text, const QByteArray &bytes)
{
    const QString back = Cp932::Decode(bytes);
    const QString expected = Cp932::StoredForm(text);
    qsizetype i = 0;
    const qsizetype common = qMin(back.size(), expected.size());
    while (i < common && back.at(i) == expected.at(i))
        ++i;
    if (i == common && back.size() == expected.size())
        return -1;
    i = qMin(i, text.size() - 1);
    if (i > 0 && text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate())
        --i;
    return i;
}

} // namespace

QString Cp932::StoredForm(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        switch (c.unicode()) {
        case 0x301C: c = QChar(0xFF5E); break; // WAVE DASH, 81 60
        case 0x2016: c = QChar(0x2225); break; // DOUBLE VERTICAL LINE, 81 61
        case 0x2212: c = QChar(0xFF0D); break; // MINUS SIGN, 81 7C
        case 0x00A2: c = QChar(0xFFE0); break; // CENT SIGN, 81 91
        case 0x00A3: c = QChar(0xFFE1); break; // POUND SIGN, 81 92
        case 0x00AC: c = QChar(0xFFE2); break; // NOT SIGN, 81 CA
        case 0x2014: c = QChar(0x2015); break; // EM DASH, 81 5C
        default: break;
        }
    }
    return out;
}

QByteArray Cp932::Encode(const QString &text, bool *ok)
{
    QByteArray out = EncodeBytes(text);
    if (ok)
        *ok = FirstMismatch(text, out) < 0;
    return out;
}

QString Cp932::FirstUnencodable(const QString &text)
{
    const qsizetype i = FirstMismatch(text, EncodeBytes(text));
    if (i < 0)
        return QString();
    const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
    return text.mid(i, pair ? 2 : 1);
}
