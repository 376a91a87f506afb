#pragma once
// A file's bytes written and read as they stand, for tests of file formats.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

namespace kervio::test {

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

} // namespace kervio::test
