// Arbitrary bytes as a word-list file: the lines must be what the reading rules
// give, hold no NUL, CR or LF, and survive a save and a second load unchanged.
#include "WordList.h"
#include "ListRules.h"

#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

using Lines = QList<QByteArray>;

static Lines Content(const WordList &list)
{
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.append(list.Get(i));
    return lines;
}

static void Require(bool ok)
{
    if (!ok)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir dir;
    static const QString in = dir.filePath(QStringLiteral("in.dat"));
    static const QString out = dir.filePath(QStringLiteral("out.dat"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile f(in);
        Require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
    }

    WordList list;
    list.Add("stale");
    list.LoadFromFile(in);
    const Lines lines = Content(list);
    Require(lines == SplitByRules(bytes));
    QByteArray expected;
    for (const QByteArray &l : lines) {
        Require(!l.contains('\0') && !l.contains('\r') && !l.contains('\n'));
        expected += l + "\r\n";
    }

    list.SaveToFile(out);
    QFile saved(out);
    Require(saved.open(QIODevice::ReadOnly) && saved.readAll() == expected);

    WordList again;
    again.LoadFromFile(out);
    Require(Content(again) == lines);

    // Moving an entry leaves gaps between the lines that still lie in the loaded
    // bytes; the next save must not write what lies in those gaps.
    if (list.Count() > 0) {
        list.MoveEntryToEnd(int(size % size_t(list.Count())));
        const Lines moved = Content(list);
        Require(moved.size() == lines.size());
        list.SaveToFile(out);
        QByteArray movedBytes;
        for (const QByteArray &l : moved)
            movedBytes += l + "\r\n";
        saved.close();
        Require(saved.open(QIODevice::ReadOnly) && saved.readAll() == movedBytes);
        list.SwapQuestionsAndAnswers();
        list.SwapQuestionsAndAnswers();
        Require(Content(list) == moved);
    }
    return 0;
}
