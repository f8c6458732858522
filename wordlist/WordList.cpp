#include "WordList.h"

#include "Exceptions.h"

#include <QFile>
#include <vector>

// Plain first version: one QByteArray per line. File I/O follows the byte rules.
struct WordList::Impl {
    std::vector<QByteArray> Lines;
};

WordList::WordList() : d(new Impl) {}
WordList::~WordList() { delete d; }

int WordList::Count() const { return static_cast<int>(d->Lines.size()); }

QByteArray WordList::Get(int i) const
{
    if (i < 0 || i >= Count())
        throw EListError();
    return d->Lines[i];
}

void WordList::Put(int i, const QByteArray &s)
{
    if (i < 0 || i >= Count())
        throw EListError();
    d->Lines[i] = s;
}

int WordList::Add(const QByteArray &s)
{
    d->Lines.push_back(s);
    return Count() - 1;
}

void WordList::Insert(int i, const QByteArray &s)
{
    if (i < 0 || i > Count())
        throw EListError();
    d->Lines.insert(d->Lines.begin() + i, s);
}

void WordList::Delete(int i)
{
    if (i < 0 || i >= Count())
        throw EListError();
    d->Lines.erase(d->Lines.begin() + i);
}

void WordList::LoadFromFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EFOpenError(path);
    QByteArray bytes = f.readAll();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    std::vector<QByteArray> lines;
    qsizetype p = 0;
    while (p < bytes.size()) {
        qsizetype e = p;
        while (e < bytes.size() && bytes[e] != '\r' && bytes[e] != '\n')
            ++e;
        lines.push_back(bytes.mid(p, e - p));
        p = e;
        if (p < bytes.size() && bytes[p] == '\r')
            ++p;
        if (p < bytes.size() && bytes[p] == '\n')
            ++p;
    }
    d->Lines.swap(lines);
}

void WordList::SaveToFile(const QString &path) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFCreateError(path);
    QByteArray content;
    for (const QByteArray &l : d->Lines)
        content += l + "\r\n";
    if (f.write(content) != content.size())
        throw EWriteError();
}

void WordList::MoveEntryToEnd(int p)
{
    for (int step = 0; step < 2; ++step) {
        Add(Get(p));
        Delete(p);
    }
}

void WordList::SwapQuestionsAndAnswers()
{
    for (int i = 0; i < Count() - 1; i += 2) {
        const QByteArray q = Get(i);
        const QByteArray a = Get(i + 1);
        Put(i, a);
        Put(i + 1, q);
    }
}
