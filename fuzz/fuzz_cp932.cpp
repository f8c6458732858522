// Code page 932 both ways. Bytes: Decode then Encode gives the bytes back, except
// that a duplicate code (ED 40 and FA 5C are one character) may come back as its
// twin, which decodes to the same character; the decoded text is always storable.
// Arbitrary UTF-16: Encode agrees with FirstUnencodable, a text it calls storable
// decodes back exactly (the JIS characters in the code page's form), and the text
// before a character it refuses does.
#include "Cp932.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

static void Require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_cp932: %s\n", what);
        std::abort();
    }
}

// Every two-byte code that decodes to one character but encodes back to other
// bytes, with the character it stands for.
static const QHash<QByteArray, QString> &Duplicates()
{
    static const QHash<QByteArray, QString> table = [] {
        QHash<QByteArray, QString> t;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const QByteArray code = QByteArray(1, char(lead)).append(char(trail));
                const QString ch = Cp932::Decode(code);
                if (ch.size() == 1 && !Cp932::IsByteEscape(ch.at(0).unicode()) && Cp932::Encode(ch) != code)
                    t.insert(code, ch);
            }
        }
        return t;
    }();
    return table;
}

static void Bytes(const QByteArray &bytes)
{
    const QString text = Cp932::Decode(bytes);
    bool ok = false;
    const QByteArray back = Cp932::Encode(text, &ok);
    Require(ok, "a decoded text is not storable");
    Require(Cp932::FirstUnencodable(text).isEmpty(), "FirstUnencodable names a character of a decoded text");
    if (back == bytes)
        return;
    Require(Cp932::Decode(back) == text, "the re-encoded bytes decode to another text");
    // Character by character: where the bytes differ, the original must be a
    // duplicate code of the same length standing for that character.
    Require(back.size() == bytes.size(), "a duplicate code changed the length");
    qsizetype at = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype len = pair ? 2 : 1;
        const QString ch = text.mid(i, len);
        const QByteArray mine = Cp932::Encode(ch);
        const QByteArray original = bytes.mid(at, mine.size());
        if (mine != original) {
            const auto dup = Duplicates().constFind(original);
            Require(dup != Duplicates().constEnd() && *dup == ch, "bytes changed that are no duplicate code");
        }
        at += mine.size();
        i += len - 1;
    }
    Require(at == bytes.size(), "the characters do not cover the bytes");
}

// What the code page gives back of a storable text: the JIS characters Linux
// input methods type come back in the code page's form of the same character.
static QString Stored(const QString &text)
{
    static const QHash<char16_t, char16_t> jis = {
        {0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D}, {0x00A2, 0xFFE0},
        {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x2014, 0x2015},
    };
    QString out = text;
    for (QChar &c : out)
        c = QChar(jis.value(c.unicode(), c.unicode()));
    return out;
}

static void Utf16(const QString &text)
{
    bool ok = false;
    const QByteArray bytes = Cp932::Encode(text, &ok);
    const QString bad = Cp932::FirstUnencodable(text);
    Require(ok == bad.isEmpty(), "Encode and FirstUnencodable disagree");
    if (ok) {
        Require(Cp932::Decode(bytes) == Stored(text), "a storable text does not come back");
        return;
    }
    // The character named is one of the text's, and everything before it comes back.
    const qsizetype at = text.indexOf(bad);
    Require(at >= 0, "FirstUnencodable names a character the text does not hold");
    Require(Cp932::Decode(Cp932::Encode(text.left(at))) == Stored(text.left(at)),
            "the text before the character named does not come back");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Bytes(bytes);
    Utf16(QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2));
    return 0;
}
