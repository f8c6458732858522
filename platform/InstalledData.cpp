#include "InstalledData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString InstalledData::File(const QString &name)
{
    // TAVI_DATA_FROM_BIN: the data folder relative to the program's folder.
    const QString path = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral(TAVI_DATA_FROM_BIN "/") + name);
    return QFileInfo(path).isFile() ? QDir::cleanPath(path) : QString();
}
