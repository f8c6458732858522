#include "Cp932.h"

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

QByteArray Cp932::Encode(const QString &text, bool *ok)
{
    bool good = true;
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size() && !IsByteEscape(text.at(end).unicode()))
            ++end;
        if (end > i) {
            const QByteArray utf8 = text.mid(i, end - i).toUtf8();
            const char *p = utf8.constData();
            size_t left = static_cast<size_t>(utf8.size());
            while (left > 0) {
                const size_t used = FromUtf8().Convert(p, left, out);
                p += used;
                left -= used;
                if (left > 0) {
                    good = false;
                    out.append('?');
                    // Skip the whole UTF-8 sequence of the refused character.
                    do {
                        ++p;
                        --left;
                    } while (left > 0 && (static_cast<unsigned char>(*p) & 0xC0) == 0x80);
                }
            }
        }
        if (end < text.size())
            out.append(static_cast<char>(text.at(end).unicode() - 0xF700));
        i = end + 1;
    }
    if (ok)
        *ok = good;
    return out;
}

QString Cp932::FirstUnencodable(const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        bool ok = true;
        Encode(ch, &ok);
        if (!ok)
            return ch;
        i += len;
    }
    return QString();
}
