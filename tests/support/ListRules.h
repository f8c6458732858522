#pragma once
// The word-list file rules written out plainly, step by step, for tests and fuzz
// targets to check the real reader and writer against.
#include <QByteArray>
#include <QList>

// The lines a file's bytes hold: the text ends at the first NUL; CR, LF and CR LF
// each end one line; a last line without an end still counts.
inline QList<QByteArray> SplitByRules(QByteArray text)
{
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    QList<QByteArray> lines;
    qsizetype p = 0;
    while (p < text.size()) {
        qsizetype e = p;
        while (e < text.size() && text[e] != '\r' && text[e] != '\n')
            ++e;
        lines.append(text.mid(p, e - p));
        p = e;
        if (p < text.size() && text[p] == '\r')
            ++p;
        if (p < text.size() && text[p] == '\n')
            ++p;
    }
    return lines;
}

// The bytes a save writes for lines: each followed by CR LF.
inline QByteArray JoinLines(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}
