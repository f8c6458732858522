#include "BoxText.h"

#include <algorithm>

QString BoxText::Show(const QByteArray &line, TLineEncoding encoding)
{
    ShownLine = line;
    ShownEncoding = encoding;
    // A character takes at most four bytes, so this start holds more than Limit
    // characters whenever the line does.
    ShownText = LineText::Decode(line.left(4 * Limit), encoding);
    Cut = line.size() > 4 * Limit || ShownText.size() > Limit;
    if (Cut) {
        // Never half a surrogate pair at the cut.
        const bool splitPair = ShownText.at(Limit - 1).isHighSurrogate();
        ShownText.truncate(splitPair ? Limit - 1 : Limit);
    }
    return ShownText;
}

namespace {

const QByteArray Mark("\xEF\xBB\xBF");

bool StartsWithMark(const QByteArray &line, TLineEncoding encoding)
{
    return encoding == TLineEncoding::Utf8 && line.startsWith(Mark);
}

} // namespace

QByteArray BoxText::Line(const QString &text, TLineEncoding encoding) const
{
    // The remembered line stands for the text only in the encoding it was shown in:
    // a box keeps its text when the next list fails to show, and that list may be
    // in the other encoding.
    const bool sameList = encoding == ShownEncoding;
    if (text == ShownText && sameList)
        return ShownLine;
    const QByteArray bytes = LineText::Encode(text, encoding);
    // A UTF-8 list's byte-order mark is not shown; a changed first line keeps it.
    if (sameList && StartsWithMark(ShownLine, encoding))
        return Mark + bytes;
    return bytes;
}

QByteArray BoxText::NewLine(const QString &text, TLineEncoding encoding) const
{
    const QByteArray line = Line(text, encoding);
    return StartsWithMark(line, encoding) ? line.mid(Mark.size()) : line;
}

QString BoxText::FirstUnstorable(const QString &text, TLineEncoding encoding) const
{
    if (text == ShownText && encoding == ShownEncoding)
        return QString();
    return LineText::FirstUnencodable(text, encoding);
}

bool BoxText::HandOverMark(QByteArray &first, QByteArray &newFirst, TLineEncoding encoding)
{
    if (!StartsWithMark(first, encoding))
        return false;
    first.remove(0, Mark.size());
    newFirst.prepend(Mark);
    return true;
}

QString BoxText::UnstorableMessage(const QString &ch)
{
    const char32_t code = ch.size() == 2 ? QChar::surrogateToUcs4(ch.at(0), ch.at(1)) : ch.at(0).unicode();
    const QString number = QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
    // An invisible character is named by its number alone.
    const QString shown = QChar::isPrint(code) ? QStringLiteral("「") + ch + QStringLiteral("」(") + number + QStringLiteral(") ")
                                               : number + QLatin1Char(' ');
    return shown + QStringLiteral("は単語ファイルに保存できない文字です。");
}

QValidator::State OneLineValidator::validate(QString &input, int &pos) const
{
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    const auto unwanted = [&](QChar c) { return isBreak(c) || c == QChar::Null; };
    if (std::none_of(input.cbegin(), input.cend(), unwanted))
        return Acceptable;
    QString out;
    out.reserve(input.size());
    int cursor = -1;
    bool brokeLine = false;
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (i == pos)
            cursor = int(out.size());
        const QChar c = input.at(i);
        if (isBreak(c)) {
            brokeLine = true;
        } else if (c != QChar::Null) {
            if (brokeLine && !out.isEmpty())
                out += QLatin1Char(' ');
            brokeLine = false;
            out += c;
        }
    }
    pos = cursor < 0 ? int(out.size()) : qMin(cursor, int(out.size()));
    input = out;
    return Acceptable;
}
