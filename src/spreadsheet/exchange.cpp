#include "exchange.h"
#include "exportsheet.h"
#include "core/errors.h"
#include "core/appinfo.h"
#include "shell/session.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kervio {

namespace {

constexpr int LauncherWaitMs = 15000;

// Row 1 becomes the current row as a click on it would make it.
void moveToFirstRow(Session &session)
{
    const LedgerTable &L = session.ledger();
    if (L.currentRow() == 1)
        return;
    const int col = L.currentColumn() >= 1 && L.currentColumn() <= 5 ? L.currentColumn() : 1;
    session.setCurrentCell(1, col);
}

// Runs a desktop launcher. Some launchers return at once, others only when
// the application they started ends: a launcher still running after the
// wait has found its application and is left to run on its own.
// Returns the exit code, or -1 when it is still running.
int runLauncher(const QString &program, const QStringList &args)
{
    auto *p = new QProcess;
    p->setProgram(program);
    p->setArguments(args);
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start();
    if (!p->waitForStarted()) {
        delete p;
        return 127;
    }
    if (!p->waitForFinished(LauncherWaitMs)) {
        QObject::connect(p, &QProcess::finished, p, &QObject::deleteLater);
        return -1;
    }
    const int code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : 128;
    delete p;
    return code;
}

} // namespace

bool openWithDesktop(const QString &path)
{
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty())
        return false;
    const int code = runLauncher(xdgOpen, {path});
    return code == 0 || code == -1;
}

QString CekExcel2(Session &session, const FileOpener &open)
{
    moveToFirstRow(session);
    const ExportSheet sheet = buildExportSheet(session);

    QTemporaryFile reserve(QDir::tempPath() + QStringLiteral("/Kervio-XXXXXX.xlsx"));
    reserve.setAutoRemove(false);
    if (!reserve.open())
        throw KervioError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(reserve.fileTemplate())));
    const QString path = reserve.fileName();
    reserve.close();
    try {
        writeExportWorkbook(sheet, path);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    if (!open || !open(path))
        session.dialogs().message(QStringLiteral("Çalışma kitabı hazırlandı, ancak onu açacak bir program bulunamadı:\r")
                                  + QDir::toNativeSeparators(path));
    return path;
}

void BitBtn26Click(Session &session, const FileOpener &open)
{
    session.guarded([&] { CekExcel2(session, open); });
}

QString CekExcelMail(Session &session, const QString &mailFolder)
{
    moveToFirstRow(session);
    const QString path = mailFolder + QStringLiteral("Rapor.xlsx");
    writeExportWorkbook(buildExportSheet(session), path);
    return path;
}

QStringList mailComposerArguments(const QString &company, const QString &attachment)
{
    return {QStringLiteral("--utf8"), QStringLiteral("--subject"), company, QStringLiteral("--body"), company,
            QStringLiteral("--attach"), attachment, QStringLiteral("@")};
}

void EmailDoc(Session &session, const QString &mailFolder)
{
    session.guarded([&] {
        const QString composer = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
        if (composer.isEmpty()) {
            session.dialogs().message(QStringLiteral("Mail gönderebilmek için, bilgisyarınızda Outlook kurulu olmalıdır."));
            return;
        }
        const QString path = mailFolder + QStringLiteral("Rapor.xlsx");
        if (QFile::exists(path) && !QFile::remove(path))
            throw KervioError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
        CekExcelMail(session, mailFolder);
        const int code = runLauncher(composer, mailComposerArguments(session.params().text(Parameters::Company), path));
        if (code > 0)
            throw KervioError(QStringLiteral("E-posta programı açılamadı (xdg-email çıkış kodu %1).").arg(code));
    });
}

void mailgonderClick(Session &session)
{
    const QString folder = executableFolder();
    QDir::setCurrent(folder);
    EmailDoc(session, folder);
}

} // namespace kervio
