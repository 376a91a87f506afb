#include "exchange.h"
#include "exportsheet.h"
#include "core/errors.h"
#include "core/appinfo.h"
#include "core/dialogs.h"
#include "ledger/document.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kervio {

namespace {

constexpr int LauncherWaitMs = 15000;
const QString MailWorkbookName = QStringLiteral("Rapor.xlsx");

// Row 1 becomes the current row as a click on it would make it.
void moveToFirstRow(Document &document)
{
    const LedgerTable &L = document.ledger();
    if (L.currentRow() == 1)
        return;
    document.moveCursorToRow(1);
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

// An empty file of a new name in the user's temporary folder.
QString reserveTemporaryWorkbook()
{
    QTemporaryFile reserve(QDir::tempPath() + QStringLiteral("/Kervio-XXXXXX.xlsx"));
    reserve.setAutoRemove(false);
    if (!reserve.open())
        throw KervioError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(reserve.fileTemplate())));
    return reserve.fileName();
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

void writeLedgerWorkbook(Document &document, const QString &path)
{
    moveToFirstRow(document);
    writeExportWorkbook(buildExportSheet(document), path);
}

QString exportToSpreadsheet(Document &document, Dialogs &dialogs, const FileOpener &open)
{
    const QString path = reserveTemporaryWorkbook();
    try {
        writeLedgerWorkbook(document, path);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    if (!open || !open(path))
        dialogs.message(QStringLiteral("Çalışma kitabı hazırlandı, ancak onu açacak bir program bulunamadı:\r")
                        + QDir::toNativeSeparators(path));
    return path;
}

QString writeMailWorkbook(Document &document, const QString &mailFolder)
{
    const QString path = mailFolder + MailWorkbookName;
    writeLedgerWorkbook(document, path);
    return path;
}

QStringList mailComposerArguments(const QString &company, const QString &attachment)
{
    return {QStringLiteral("--utf8"), QStringLiteral("--subject"), company, QStringLiteral("--body"), company,
            QStringLiteral("--attach"), attachment, QStringLiteral("@")};
}

void mailWorkbook(Document &document, Dialogs &dialogs, const QString &mailFolder)
{
    const QString composer = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (composer.isEmpty()) {
        dialogs.message(QStringLiteral("Mail gönderebilmek için, bilgisyarınızda Outlook kurulu olmalıdır."));
        return;
    }
    const QString path = mailFolder + MailWorkbookName;
    if (QFile::exists(path) && !QFile::remove(path))
        throw KervioError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
    writeMailWorkbook(document, mailFolder);
    const int code = runLauncher(composer, mailComposerArguments(document.params().text(Parameters::Company), path));
    if (code > 0)
        throw KervioError(QStringLiteral("E-posta programı açılamadı (xdg-email çıkış kodu %1).").arg(code));
}

void mailFromProgramFolder(Document &document, Dialogs &dialogs)
{
    const QString folder = executableFolder();
    QDir::setCurrent(folder);
    mailWorkbook(document, dialogs, folder);
}

} // namespace kervio
