#include "BoxText.h"

#include "Cp932.h"

#include <algorithm>

QString BoxText::Show(const QByteArray &line)
{
    ShownLine = line;
    ShownText = Cp932::Decode(line);
    return ShownText;
}

QByteArray BoxText::Line(const QString &text) const
{
    if (text == ShownText)
        return ShownLine;
    return Cp932::Encode(text);
}

QString BoxText::FirstUnstorable(const QString &text)
{
    return Cp932::FirstUnencodable(text);
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
