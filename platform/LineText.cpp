#include "LineText.h"

#include "Cp932.h"

bool LineText::IsUtf8Text(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    const auto *end = p + size;
    bool high = false;
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        high = true;
        int len;
        unsigned min;
        unsigned cp;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2, min = 0x80, cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3, min = 0x800, cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4, min = 0x10000, cp = b & 0x07;
        } else {
            return false;
        }
        if (end - p < len)
            return false;
        for (int i = 1; i < len; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += len;
    }
    return high;
}

QString LineText::Decode(const QByteArray &line, TLineEncoding encoding)
{
    if (encoding == TLineEncoding::Cp932)
        return Cp932::Decode(line);
    QString text = QString::fromUtf8(line);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QByteArray LineText::Encode(const QString &text, TLineEncoding encoding, bool *ok)
{
    if (encoding == TLineEncoding::Cp932)
        return Cp932::Encode(text, ok);
    if (ok)
        *ok = FirstUnencodable(text, encoding).isEmpty();
    return text.toUtf8();
}

QString LineText::FirstUnencodable(const QString &text, TLineEncoding encoding)
{
    if (encoding == TLineEncoding::Cp932)
        return Cp932::FirstUnencodable(text);
    const QString back = Decode(text.toUtf8(), encoding);
    qsizetype i = 0;
    const qsizetype common = qMin(back.size(), text.size());
    while (i < common && back.at(i) == text.at(i))
        ++i;
    if (i == common && back.size() == text.size())
        return QString();
    i = qMin(i, text.size() - 1);
    if (i > 0 && text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate())
        --i;
    const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
    return text.mid(i, pair ? 2 : 1);
}

QString LineText::ShownStart(const QString &text)
{
    if (text.size() <= ShownLimit)
        return text;
    const bool splitPair = text.at(ShownLimit - 1).isHighSurrogate() && text.at(ShownLimit).isLowSurrogate();
    return text.left(splitPair ? ShownLimit - 1 : ShownLimit);
}

QString LineText::DecodeShownStart(const QByteArray &line, TLineEncoding encoding)
{
    // A character takes at most four bytes.
    return ShownStart(Decode(line.left(4 * ShownLimit), encoding));
}
