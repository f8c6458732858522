#pragma once
// An ordered list of text lines, byte strings in code page 932 (or whatever the
// file held), paired into entries by position: question line 2k, answer line 2k + 1.
#include <QByteArray>
#include <QString>

class WordList {
public:
    WordList();
    ~WordList();
    WordList(const WordList &) = delete;
    WordList &operator=(const WordList &) = delete;

    int Count() const;
    // A copy of line i. EListError unless 0 <= i < Count.
    QByteArray Get(int i) const;
    // Line i becomes s. EListError unless 0 <= i < Count.
    void Put(int i, const QByteArray &s);
    // Appends s; returns its index.
    int Add(const QByteArray &s);
    // s becomes line i. EListError unless 0 <= i <= Count.
    void Insert(int i, const QByteArray &s);
    // Removes line i. EListError unless 0 <= i < Count.
    void Delete(int i);

    // Replaces the whole content with the lines of the file. EFOpenError when it
    // cannot be opened, EReadError when its lines cannot be held in the memory this
    // process may use; the list is unchanged then.
    void LoadFromFile(const QString &path);
    // True when the text last loaded (up to a NUL) is well-formed UTF-8 holding a
    // byte >= 0x80: its lines are then shown as UTF-8, otherwise as code page 932.
    // Only the display depends on it; the bytes are never converted.
    bool IsUtf8Text() const;

    // Writes every line followed by CR LF, replacing the file as TReplaceFile does
    // (owner, group, mode and links kept). EFCreateError when the file cannot be
    // created or replaced, EWriteError on a short write; the file it replaces
    // stays intact then.
    void SaveToFile(const QString &path) const;

    // Moves the entry whose question line is p to the end of the list.
    void MoveEntryToEnd(int p);
    // Exchanges question and answer line in every complete entry.
    void SwapQuestionsAndAnswers();

private:
    struct Impl;
    Impl *d;
};
