#include "programupdate.h"
#include "signature.h"

#include "files/inifile.h"
#include "core/savefile.h"
#include "core/appinfo.h"
#include "core/dialogs.h"
#include "core/locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QTimer>

#include <memory>

#ifndef KERVIO_UPDATE_SERVER
#define KERVIO_UPDATE_SERVER "http://www.kavrel.com.tr"
#endif
#ifndef KERVIO_UPDATE_PUBLIC_KEY
#define KERVIO_UPDATE_PUBLIC_KEY "18c99bb6d43da01b8062799009f7a7cbad5b8710c496bb25973bd299a640fba6"
#endif

namespace kervio {

namespace {

const char *const Ask = "Bu işlem programınızın versionunu yükseltecektir!\n\rDevam etmek istiyormusunuz?";
const char *const Offline = "Internet bağlantınız yok! Bağlantı Yaptıktan sonra tekrar deneyiniz.";
const char *const Done = "Güncelleme yapıldı";
const char *const NotDone = "Güncelleme yapılamadı";
const char *const ByPackageManager =
    "Kurulu program, sistemin paket yöneticisiyle güncellenir (örneğin: sudo apt upgrade). "
    "Programda bir değişiklik yapılmadı.";

QString folderWithSeparator(const QString &path)
{
    QString d = QFileInfo(path).absolutePath();
    if (!d.endsWith(u'/'))
        d += u'/';
    return d;
}

// Where the new executable is downloaded: "Dosya" beside the running one.
QString downloadFolder(const QString &executable)
{
    return folderWithSeparator(executable) + QStringLiteral("Dosya/");
}

} // namespace

ProgramUpdate::ProgramUpdate(Dialogs *dialogs) : m_dialogs(dialogs), m_publicKey(builtInPublicKey())
{
    installer.sourceFolder = QStringLiteral("Dosya/");
    installer.requestClose = [this] { m_closeRequested = true; };
}

QString ProgramUpdate::confirmationText()
{
    return QString::fromUtf8(Ask);
}

QString ProgramUpdate::installedProgramText()
{
    return QString::fromUtf8(ByPackageManager);
}

bool ProgramUpdate::mayReplaceProgram() const
{
    return resolveLocations(systemLocationFacts(folderWithSeparator(executablePath()))).selfUpdate;
}

QString ProgramUpdate::downloadPath()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("/download/Kervio20.exe");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("/download/macos/Kervio20");
#else
    return QStringLiteral("/download/linux/Kervio20");
#endif
}

QString ProgramUpdate::builtInServer()
{
    return QStringLiteral(KERVIO_UPDATE_SERVER);
}

QByteArray ProgramUpdate::builtInPublicKey()
{
    return QByteArray::fromHex(KERVIO_UPDATE_PUBLIC_KEY);
}

void ProgramUpdate::setExecutablePath(const QString &path)
{
    m_executable = path;
    installer.executablePath = path;
}

QString ProgramUpdate::executablePath() const
{
    return QFileInfo(m_executable.isEmpty() ? QCoreApplication::applicationFilePath() : m_executable)
        .absoluteFilePath();
}

QString ProgramUpdate::settingsPath() const
{
    if (!m_settingsPath.isEmpty())
        return m_settingsPath;
    return folderWithSeparator(executablePath()) + QStringLiteral("Ayarlar.ini");
}

QUrl ProgramUpdate::updateUrl() const
{
    QString server = IniFile(settingsPath()).readString(QStringLiteral("Guncelleme"), QStringLiteral("sunucu")).trimmed();
    if (server.isEmpty())
        server = builtInServer();
    if (!server.contains(QStringLiteral("://")))
        server.prepend(QStringLiteral("http://"));
    while (server.endsWith(u'/'))
        server.chop(1);
    return QUrl(server + downloadPath());
}

bool ProgramUpdate::isOnline() const
{
    if (connectivity)
        return connectivity();
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
    const QNetworkInformation *info = QNetworkInformation::instance();
    // without a backend the state is unknown: let the download decide
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

namespace {

bool isHttpAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https");
}

// Runs a GET to its end. The user waits, as for any command; only the network
// runs meanwhile. No data for `idleMs`, a transfer longer than `totalMs` or a
// body over the limit ends it.
std::unique_ptr<QNetworkReply> getAndWait(QNetworkAccessManager &nam, const QUrl &url, int idleMs, int totalMs)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(idleMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(nam.get(request));
    QNetworkReply *r = reply.get();
    QEventLoop loop;
    QTimer total;
    total.setSingleShot(true);
    QObject::connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&total, &QTimer::timeout, r, &QNetworkReply::abort);
    QObject::connect(r, &QNetworkReply::downloadProgress, r, [r](qint64 received, qint64 size) {
        if (received > ProgramUpdate::MaxDownloadBytes || size > ProgramUpdate::MaxDownloadBytes)
            r->abort();
    });
    total.start(totalMs);
    if (!r->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return reply;
}

// Why a finished reply brought no file; empty when it did.
QString replyFailure(QNetworkReply &reply)
{
    if (reply.error() != QNetworkReply::NoError)
        return reply.errorString();
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200)
        return QStringLiteral("HTTP ") + QString::number(status);
    return {};
}

} // namespace

bool ProgramUpdate::fetch(const QUrl &url, QByteArray &out)
{
    out.clear();
    if (!isHttpAddress(url)) {
        m_lastFailure = QStringLiteral("geçersiz adres: ") + url.toString();
        return false;
    }
    QNetworkAccessManager nam;
    const std::unique_ptr<QNetworkReply> reply = getAndWait(nam, url, m_idleMs, m_totalMs);
    if (const QString failure = replyFailure(*reply); !failure.isEmpty()) {
        m_lastFailure = url.toString() + QStringLiteral(": ") + failure;
        return false;
    }
    out = reply->readAll();
    if (out.size() > MaxDownloadBytes) {
        m_lastFailure = url.toString() + QStringLiteral(": çok büyük");
        out.clear();
        return false;
    }
    return true;
}

bool ProgramUpdate::downloadFile(const QString &address, const QString &file)
{
    QByteArray data;
    if (!fetch(QUrl(address), data))
        return false;
    if (!saveFileContents(file, data)) {
        m_lastFailure = file + QStringLiteral(" yazılamadı");
        return false;
    }
    return true;
}

bool ProgramUpdate::downloadVerified(const QString &target)
{
    const QString sig = target + QStringLiteral(".sig");
    // nothing unverified may stay where the updater looks
    auto discard = [&] {
        QFile::remove(target);
        QFile::remove(sig);
    };
    discard();
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        m_lastFailure = QFileInfo(target).absolutePath() + QStringLiteral(" oluşturulamadı");
        return false;
    }
    const QString address = updateUrl().toString();
    if (!downloadFile(address, target) || !downloadFile(address + QStringLiteral(".sig"), sig)) {
        discard();
        return false;
    }
    if (!verifyDetachedSignature(target, sig, m_publicKey)) {
        m_lastFailure = QStringLiteral("imza doğrulanamadı");
        discard();
        return false;
    }
    QFile::remove(sig);
    QFile::setPermissions(target, QFile::permissions(executablePath()));
    return true;
}

bool ProgramUpdate::userConfirms() const
{
    return m_dialogs->question(QStringLiteral("Kavrel Kervio"), confirmationText(), Dialogs::Icon::Question,
                               Dialogs::Buttons::YesNo)
        == Dialogs::Answer::Yes;
}

// Closing no longer asks once the installer has taken over; it asks again
// when the program stays as it was, unless an earlier run is still waiting
// for the program to end.
bool ProgramUpdate::install()
{
    if (setConfirmOnClose)
        setConfirmOnClose(false);
    installer.executablePath = executablePath();
    installer.sourceFolder = QDir::toNativeSeparators(downloadFolder(executablePath()));
    const bool done = installer.install();
    if (!done) {
        if (m_lastFailure.isEmpty())
            m_lastFailure = QStringLiteral("güncelleyici tamamlanamadı");
        if (!installer.hasInstalled() && setConfirmOnClose)
            setConfirmOnClose(true);
    }
    return done;
}

bool ProgramUpdate::downloadAndInstall()
{
    // under the running program's own name, so the installer finds it
    const QString target = downloadFolder(executablePath()) + QFileInfo(executablePath()).fileName();
    return downloadVerified(target) && install();
}

void ProgramUpdate::run()
{
    m_lastFailure.clear();
    m_closeRequested = false;
    if (!mayReplaceProgram()) {
        m_dialogs->message(installedProgramText());
        return;
    }
    if (!userConfirms())
        return;
    if (!isOnline()) {
        m_dialogs->message(QString::fromUtf8(Offline));
        return;
    }
    if (showProgressWindow)
        showProgressWindow();
    {
        auto hide = qScopeGuard([this] {
            if (hideProgressWindow)
                hideProgressWindow();
        });
        m_dialogs->message(QString::fromUtf8(downloadAndInstall() ? Done : NotDone));
    }
    if (m_closeRequested) {
        m_closeRequested = false;
        if (closeMainWindow)
            closeMainWindow();
    }
}

} // namespace kervio
