#include "WordList.h"

#include "LineText.h"
#include "Exceptions.h"
#include "Headroom.h"
#include "ReadFile.h"
#include "ReplaceFile.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Where one line's bytes are: a run of the loaded file (Text) or of the bytes that
// were put or added since (Side). Twelve bytes, so that a million lines are a 12 MB
// index that Insert and Delete move with one memmove.
struct Span {
    quint32 OffLo;
    quint16 OffHi; // top bit set: the bytes are in Side
    quint16 LenHi;
    quint32 LenLo;

    static constexpr quint64 SideBit = quint64(1) << 47;

    static Span Make(quint64 off, quint64 len, bool side)
    {
        if (side)
            off |= SideBit;
        return Span{quint32(off), quint16(off >> 32), quint16(len >> 32), quint32(len)};
    }
    quint64 Raw() const { return OffLo | (quint64(OffHi) << 32); }
    bool InSide() const { return Raw() & SideBit; }
    qsizetype Offset() const { return qsizetype(Raw() & (SideBit - 1)); }
    qsizetype Length() const { return qsizetype(LenLo | (quint64(LenHi) << 32)); }
};
static_assert(sizeof(Span) == 12, "the index must stay compact");

// Byte masks of 64 consecutive bytes: which are CR, which are LF.
struct Masks {
    quint64 Cr = 0;
    quint64 Lf = 0;
};

#ifdef __SSE2__
quint64 Mask16(__m128i v, __m128i c)
{
    return quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(v, c)));
}
#endif

Masks Scan64(const char *p)
{
    Masks m;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
        m.Cr |= Mask16(v, cr) << (16 * k);
        m.Lf |= Mask16(v, lf) << (16 * k);
    }
#else
    for (int k = 0; k < 64; ++k) {
        m.Cr |= quint64(p[k] == '\r') << k;
        m.Lf |= quint64(p[k] == '\n') << k;
    }
#endif
    return m;
}

int Ones(quint64 x)
{
#ifdef __POPCNT__
    return __builtin_popcountll(x);
#else
    // Without the instruction the builtin is a library call, which this loop feels.
    x -= (x >> 1) & 0x5555555555555555ull;
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((x * 0x0101010101010101ull) >> 56);
#endif
}

// Line ends of text[0, n): every CR ends a line, and so does every LF that does not
// directly follow a CR. A last line without an end still counts.
qint64 CountLines(const char *text, qsizetype n)
{
    qint64 ends = 0;
    quint64 carry = 0; // 1 when the byte before the block is a CR
    qsizetype i = 0;
    for (; i + 64 <= n; i += 64) {
        const Masks m = Scan64(text + i);
        const quint64 afterCr = (m.Cr << 1) | carry;
        ends += Ones(m.Cr | (m.Lf & ~afterCr));
        carry = m.Cr >> 63;
    }
    for (; i < n; ++i) {
        if (text[i] == '\r')
            ++ends;
        else if (text[i] == '\n' && !(i > 0 && text[i - 1] == '\r'))
            ++ends;
    }
    if (n > 0 && text[n - 1] != '\r' && text[n - 1] != '\n')
        ++ends;
    return ends;
}

// Appends the lines of text[0, n) as spans of Text to index, which has room for them.
void SplitLines(const char *text, qsizetype n, std::vector<Span> &index)
{
    qsizetype start = 0;
    const auto end = [&](qsizetype at) {
        if (text[at] == '\n' && at > 0 && text[at - 1] == '\r') {
            start = at + 1; // the LF of a CR LF: the CR ended the line already
            return;
        }
        index.push_back(Span::Make(quint64(start), quint64(at - start), false));
        start = at + 1;
    };
    qsizetype i = 0;
    for (; i + 64 <= n; i += 64) {
        const Masks m = Scan64(text + i);
        for (quint64 bits = m.Cr | m.Lf; bits; bits &= bits - 1)
            end(i + __builtin_ctzll(bits));
    }
    for (; i < n; ++i) {
        if (text[i] == '\r' || text[i] == '\n')
            end(i);
    }
    if (start < n)
        index.push_back(Span::Make(quint64(start), quint64(n - start), false));
}

} // namespace

struct WordList::Impl {
    QByteArray Text;         // the loaded file, as read
    QByteArray Side;         // bytes of lines put, added or inserted since
    qsizetype SideLive = 0;  // bytes of Side that lines still use
    std::vector<Span> Index; // the lines, in order
    bool Utf8 = false;       // the loaded text is UTF-8 (and not plain ASCII)

    const char *Data(const Span &s) const { return (s.InSide() ? Side.constData() : Text.constData()) + s.Offset(); }

    // A span for s, its bytes appended to Side. Side is unchanged when this throws.
    Span Store(const QByteArray &s)
    {
        const qsizetype at = Side.size();
        try {
            Side.append(s);
        } catch (const std::bad_alloc &) {
            throw EOutOfMemory();
        }
        return Span::Make(quint64(at), quint64(s.size()), true);
    }

    void Release(const Span &s)
    {
        if (s.InSide())
            SideLive -= s.Length();
    }

    // Side only grows; once most of it is bytes no line uses, copy the live ones out.
    // Without the memory for that copy, Side simply stays as it is.
    void Collect() noexcept
    {
        const qsizetype dead = Side.size() - SideLive;
        if (dead <= std::max<qsizetype>(SideLive, 1 << 20))
            return;
        QByteArray live;
        try {
            live.reserve(SideLive);
        } catch (const std::bad_alloc &) {
            return;
        }
        for (Span &s : Index) {
            if (!s.InSide())
                continue;
            const qsizetype at = live.size();
            live.append(Side.constData() + s.Offset(), s.Length());
            s = Span::Make(quint64(at), quint64(s.Length()), true);
        }
        Side.swap(live);
    }

    void Check(int i, int last) const
    {
        if (i < 0 || i > last)
            throw EListError();
    }

    // Room for one more line in Index, so that the insertion itself cannot fail.
    void Reserve()
    {
        if (Index.size() >= size_t(INT_MAX))
            throw EOutOfMemory();
        if (Index.size() < Index.capacity())
            return;
        try {
            Index.reserve(std::max<size_t>(16, Index.size() * 2));
        } catch (const std::bad_alloc &) {
            throw EOutOfMemory();
        } catch (const std::length_error &) {
            throw EOutOfMemory();
        }
    }
};

namespace {

// The file's content in order: every line followed by CR LF. Lines that still lie in
// the loaded file with a CR LF after them go out in runs straight from its bytes (a
// list loaded from a CR LF file and saved again is one write); everything else is
// gathered in a buffer of at most a megabyte first.
class Writer {
public:
    explicit Writer(TReplaceFile &file) : File(file) {}

    // file: the loaded bytes; side: the bytes of lines changed since.
    void Lines(const QByteArray &file, const QByteArray &side, const std::vector<Span> &index)
    {
        const char *text = file.constData();
        const qsizetype size = file.size();
        qsizetype runAt = 0, runEnd = -1;
        for (const Span &s : index) {
            const qsizetype at = s.Offset(), end = at + s.Length();
            if (!s.InSide() && end + 2 <= size && text[end] == '\r' && text[end + 1] == '\n') {
                if (at != runEnd) {
                    Emit(text + runAt, runEnd - runAt);
                    runAt = at;
                }
                runEnd = end + 2;
                continue;
            }
            Emit(text + runAt, runEnd - runAt);
            runEnd = -1;
            Line((s.InSide() ? side.constData() : text) + at, s.Length());
        }
        Emit(text + runAt, runEnd - runAt);
        Flush();
    }

private:
    static constexpr qsizetype StageSize = 1 << 20;
    static constexpr qsizetype DirectSize = 1 << 16;

    void Line(const char *p, qsizetype n)
    {
        if (Used + n + 2 <= Room) { // the common case: a short line into the buffer
            std::memcpy(Stage.get() + Used, p, size_t(n));
            Stage[size_t(Used + n)] = '\r';
            Stage[size_t(Used + n + 1)] = '\n';
            Used += n + 2;
            return;
        }
        Emit(p, n);
        Emit("\r\n", 2);
    }

    void Emit(const char *p, qsizetype n)
    {
        if (n <= 0)
            return;
        if (n >= DirectSize) {
            Flush();
            Write(p, n);
            return;
        }
        if (Used + n > StageSize)
            Flush();
        if (Used + n > Room)
            Grow(Used + n);
        std::memcpy(Stage.get() + Used, p, size_t(n));
        Used += n;
    }

    // The buffer grows with what a save needs, so that a small list takes little.
    void Grow(qsizetype need)
    {
        const qsizetype room = std::min(StageSize, std::max(need, 2 * Room));
        std::unique_ptr<char[]> grown(new char[size_t(room)]);
        if (Used > 0)
            std::memcpy(grown.get(), Stage.get(), size_t(Used));
        Stage = std::move(grown);
        Room = room;
    }

    void Flush()
    {
        Write(Stage.get(), Used);
        Used = 0;
    }

    void Write(const char *p, qsizetype n) { File.Write(p, n); }

    TReplaceFile &File;
    std::unique_ptr<char[]> Stage;
    qsizetype Room = 0;
    qsizetype Used = 0;
};

} // namespace

WordList::WordList() : d(new Impl) {}
WordList::~WordList() { delete d; }

int WordList::Count() const { return static_cast<int>(d->Index.size()); }

QByteArray WordList::Get(int i) const
{
    d->Check(i, Count() - 1);
    const Span &s = d->Index[size_t(i)];
    return QByteArray(d->Data(s), s.Length());
}

void WordList::Put(int i, const QByteArray &s)
{
    d->Check(i, Count() - 1);
    const Span span = d->Store(s);
    d->Release(d->Index[size_t(i)]);
    d->Index[size_t(i)] = span;
    d->SideLive += s.size();
    d->Collect();
}

int WordList::Add(const QByteArray &s)
{
    Insert(Count(), s);
    return Count() - 1;
}

void WordList::Insert(int i, const QByteArray &s)
{
    d->Check(i, Count());
    d->Reserve();
    const Span span = d->Store(s);
    d->Index.insert(d->Index.begin() + i, span);
    d->SideLive += s.size();
}

void WordList::Delete(int i)
{
    d->Check(i, Count() - 1);
    d->Release(d->Index[size_t(i)]);
    d->Index.erase(d->Index.begin() + i);
    d->Collect();
}

bool WordList::IsUtf8Text() const
{
    return d->Utf8;
}

void WordList::LoadFromFile(const QString &path)
{
    TReadFile file(path);
    QByteArray text = file.ReadAll();
    // The text ends at the first NUL.
    const void *nul = std::memchr(text.constData(), 0, size_t(text.size()));
    const qsizetype n = nul ? static_cast<const char *>(nul) - text.constData() : text.size();
    // For short lines the index costs more than the text (a file of nothing but
    // line breaks needs an entry per byte): weigh it before asking for it, since
    // past a cgroup's limit the process is killed rather than refused.
    const qint64 lines = CountLines(text.constData(), n);
    if (lines > INT_MAX || lines > Headroom::Bytes() / qint64(sizeof(Span)))
        throw EReadError::TooLarge(path);
    std::vector<Span> index;
    try {
        index.reserve(size_t(lines));
    } catch (const std::bad_alloc &) {
        throw EReadError::TooLarge(path);
    }
    SplitLines(text.constData(), n, index);
    Q_ASSERT(index.size() == size_t(lines)); // else the index grew and copied itself
    const bool utf8 = LineText::IsUtf8Text(text.constData(), n);

    d->Text.swap(text);
    d->Utf8 = utf8;
    d->Index.swap(index);
    d->Side.clear();
    d->SideLive = 0;
}

void WordList::SaveToFile(const QString &path) const
{
    TReplaceFile file(path);
    Writer out(file);
    out.Lines(d->Text, d->Side, d->Index);
    file.Commit();
}

// Both whole-list edits move the lines' places in the index and copy no byte: they
// need no memory, so they cannot stop halfway and leave an entry split or doubled.

void WordList::MoveEntryToEnd(int p)
{
    // As taking line p to the end twice: the entry at p ends last, the lines after it
    // move down by two; the unpaired last line of an odd list stays where it is.
    d->Check(p, Count() - 1);
    if (p + 1 < Count())
        std::rotate(d->Index.begin() + p, d->Index.begin() + p + 2, d->Index.end());
}

void WordList::SwapQuestionsAndAnswers()
{
    for (size_t i = 0; i + 1 < d->Index.size(); i += 2)
        std::swap(d->Index[i], d->Index[i + 1]);
}
