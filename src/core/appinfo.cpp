#include "appinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef KERVIO_VERSION
#error "KERVIO_VERSION names the project's version"
#endif

namespace kervio {

QString versionSuffix()
{
    return QStringLiteral(" " KERVIO_VERSION " Güncelleme:0");
}

QString executableFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty())
        dir = QDir::currentPath();
    dir = QDir::toNativeSeparators(dir);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

} // namespace kervio
