#pragma once
// Stand-ins for the running program: a shell script that, once started,
// leaves a note of its version beside itself.
#include "core/savefile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kervio::test {

inline QByteArray programText(const char *version)
{
    return QByteArray("#!/bin/sh\necho ") + version + " > \"$(dirname \"$0\")/yeniden-basladi\"\n";
}

inline bool writeExecutable(const QString &path, const QByteArray &bytes)
{
    return saveFileContents(path, bytes)
        && QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ReadOwner);
}

} // namespace kervio::test
