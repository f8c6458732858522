#include "Texts.h"

#include <QFile>
#include <QHash>

static const QHash<int, QString> &Table()
{
    static const QHash<int, QString> table = [] {
        QHash<int, QString> t;
        QFile f(QStringLiteral(":/tavi/texts.tsv"));
        if (f.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = f.readAll().split('\n');
            for (const QByteArray &line : lines) {
                const int tab = line.indexOf('\t');
                if (tab > 0)
                    t.insert(line.left(tab).toInt(), QString::fromUtf8(line.mid(tab + 1)));
            }
        }
        return t;
    }();
    return table;
}

QString Texts::Get(int key)
{
    return Table().value(key);
}

QString Texts::Format(int key, const QString &arg)
{
    QString text = Get(key);
    const int at = text.indexOf(QLatin1String("%s"));
    if (at >= 0)
        text.replace(at, 2, arg);
    return text;
}
