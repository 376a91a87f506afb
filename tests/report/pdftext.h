#pragma once
// Text of a PDF as poppler's pdftotext lays it out.
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
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

// One word of a PDF as poppler's pdftotext -bbox places it, in points from
// the top left corner of its page (counted from 0).
struct PdfWord {
    QString text;
    QRectF box;
    int page = 0;
};

inline QList<PdfWord> pdfWords(const QString &pdf)
{
    QList<PdfWord> out;
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return out;
    QProcess p;
    p.start(tool, QStringList{QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return out;
    static const QRegularExpression item(QStringLiteral(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    int page = -1;
    for (auto it = item.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        const QPointF from(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF to(m.captured(3).toDouble(), m.captured(4).toDouble());
        out.push_back(PdfWord{m.captured(5), QRectF(from, to), page});
    }
    return out;
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
