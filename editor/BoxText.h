#pragma once
// The one place where a list line meets an edit box. A line is shown decoded in the
// list's encoding (code page 932 or UTF-8); the box's text goes back encoded, except
// that text the learner left as it was gives back the line's own bytes: code page
// 932 has duplicate codes (ED 40 reads as the character FA 5C also stands for) and a
// decode and encode would turn such a line into other bytes. Whatever goes back
// reads back as the text the box showed.
#include <QByteArray>
#include <QString>
#include <QValidator>

#include "LineText.h"

class BoxText {
public:
    // The most characters a box shows, far more than any word or sentence. A
    // longer line is shown cut, since laying it out whole would stall the window.
    static constexpr qsizetype Limit = 128 * 1024;

    // Remembers line and returns the text to show for it.
    QString Show(const QByteArray &line, TLineEncoding encoding);
    // True when the text Show returned is only the start of the line: the box must
    // stay read-only, or the cut text could be stored in place of the line.
    bool IsCut() const { return Cut; }
    // The line for text in place of the shown one (a change): the remembered line
    // when text is what Show returned in the same encoding; otherwise text
    // encoded, after the byte-order mark the shown line started with (the first
    // line of a UTF-8 list keeps the file's mark).
    // Call FirstUnstorable first: a character it names would be lost here.
    QByteArray Line(const QString &text, TLineEncoding encoding) const;
    // The line for text as a new line (an add): as Line, but never with a
    // byte-order mark, which would sit in the middle of the file.
    QByteArray NewLine(const QString &text, TLineEncoding encoding) const;

    // The first character of text that the line for it would not read back as,
    // or an empty text. The remembered line reads back as what Show returned.
    QString FirstUnstorable(const QString &text, TLineEncoding encoding) const;
    // The learner's message for such a character.
    static QString UnstorableMessage(const QString &ch);

    // A UTF-8 list's byte-order mark belongs only at the very start of the file:
    // when newFirst is put in front of first, a mark at the start of first moves
    // to newFirst. True when it moved.
    static bool HandOverMark(QByteArray &first, QByteArray &newFirst, TLineEncoding encoding);

private:
    QByteArray ShownLine;
    QString ShownText;
    TLineEncoding ShownEncoding = TLineEncoding::Cp932;
    bool Cut = false;
};

// Keeps an edit box to one line, whatever is typed, pasted or dropped into it: a
// line break would split the entry in the file and a NUL would end the file there.
// Line breaks at either end of the text go; a run of them inside becomes one
// space; NUL goes.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
