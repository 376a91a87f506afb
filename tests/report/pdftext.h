#pragma once
// Text of a PDF as poppler's pdftotext lays it out.
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtTest>

namespace kervio::test {

inline QString pdfText(const QString &pdf, const QStringList &extra = {})
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QStringLiteral("<pdftotext missing: install poppler-utils>");
    QProcess p;
    p.start(tool, QStringList{QStringLiteral("-layout")} + extra + QStringList{pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: ") + QString::fromUtf8(p.readAllStandardError()) + u'>';
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Whitespace runs collapsed, so layout spacing does not matter.
inline QString simplified(const QString &s)
{
    return s.simplified();
}

// True when every non-blank line of `lines` occurs in `text`, in this order.
inline bool containsInOrder(const QString &text, const QStringList &lines, QString *missing = nullptr)
{
    const QStringList got = text.split(u'\n');
    int at = 0;
    for (const QString &l : lines) {
        const QString want = simplified(l);
        if (want.isEmpty())
            continue;
        while (at < got.size() && !simplified(got[at]).contains(want))
            ++at;
        if (at == got.size()) {
            if (missing)
                *missing = l;
            return false;
        }
        ++at;
    }
    return true;
}

} // namespace kervio::test
