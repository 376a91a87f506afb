#pragma once
// Changes the current directory for one test and back.
#include <QDir>
#include <QString>

namespace kervio::test {

struct CurrentDir {
    QString old = QDir::currentPath();
    explicit CurrentDir(const QString &d) { QDir::setCurrent(d); }
    ~CurrentDir() { QDir::setCurrent(old); }
};

} // namespace kervio::test
