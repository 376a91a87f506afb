#include "tempfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>

namespace kervio {

namespace {

const QString StagingPrefix = QStringLiteral("kervio-disari-");
const QString WorkbookPrefix = QStringLiteral("Kervio-");

bool processRuns(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true; // without a way to ask, nothing is taken for stale
#endif
}

// Removes the handed workbook when the program ends.
class HandedWorkbook {
public:
    ~HandedWorkbook() { drop(); }
    void replace(const QString &path)
    {
        if (path != m_path)
            drop();
        m_path = path;
    }

private:
    void drop()
    {
        if (!m_path.isEmpty())
            QFile::remove(m_path);
        m_path.clear();
    }
    QString m_path;
};

HandedWorkbook &handedWorkbook()
{
    static HandedWorkbook book;
    return book;
}

} // namespace

QString exportStagingTemplate()
{
    return QDir::tempPath() + u'/' + StagingPrefix + QString::number(QCoreApplication::applicationPid())
        + QStringLiteral("-XXXXXX");
}

QString handedWorkbookTemplate()
{
    return QDir::tempPath() + u'/' + WorkbookPrefix + QString::number(QCoreApplication::applicationPid())
        + QStringLiteral("-XXXXXX.xlsx");
}

int removeStaleExportFiles()
{
    static const QRegularExpression staging(QStringLiteral("^kervio-disari-(\\d+)-\\w+$"));
    static const QRegularExpression workbook(QStringLiteral("^Kervio-(\\d+)-\\w+\\.xlsx$"));
    const qint64 own = QCoreApplication::applicationPid();
    int removed = 0;
    QDir temp(QDir::tempPath());
    const QFileInfoList entries = temp.entryInfoList({StagingPrefix + u'*', WorkbookPrefix + u'*'},
                                                     QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &e : entries) {
        if (e.isSymLink())
            continue; // never follow a link planted here
        const bool isStaging = e.isDir();
        const QRegularExpressionMatch m = (isStaging ? staging : workbook).match(e.fileName());
        if (!m.hasMatch())
            continue;
        const qint64 pid = m.captured(1).toLongLong();
        if (pid <= 0 || pid == own || processRuns(pid))
            continue;
        const bool gone = isStaging ? QDir(e.absoluteFilePath()).removeRecursively() : QFile::remove(e.absoluteFilePath());
        removed += gone ? 1 : 0;
    }
    return removed;
}

void keepHandedWorkbook(const QString &path)
{
    handedWorkbook().replace(path);
}

} // namespace kervio
