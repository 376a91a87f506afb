#include "programupdate.h"

#include "files/inifile.h"
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

#include <sodium.h>

#include <memory>

#ifndef KERVIO_UPDATE_SERVER
#define KERVIO_UPDATE_SERVER "http://www.kavrel.com.tr"
#endif
#ifndef KERVIO_PROGRAM_VERSION
#define KERVIO_PROGRAM_VERSION "2.0"
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

// The update that runs now, which the waiting window's "İptal" reaches;
// there is only ever one, on the interface thread.
ProgramUpdate *s_running = nullptr;

} // namespace

ProgramUpdate::ProgramUpdate(Dialogs *dialogs)
    : m_dialogs(dialogs), m_publicKey(builtInPublicKey()), m_runningVersion(builtInVersion())
{
    installer.sourceFolder = QStringLiteral("Dosya/");
    installer.requestClose = [this] { m_closeRequested = true; };
}

ProgramUpdate::~ProgramUpdate()
{
    if (s_running == this)
        s_running = nullptr;
}

void ProgramUpdate::cancel()
{
    m_cancelled = true;
    if (m_abortTransfer)
        m_abortTransfer();
}

void ProgramUpdate::cancelRunning()
{
    if (s_running)
        s_running->cancel();
}

QString ProgramUpdate::builtInVersion()
{
    return QStringLiteral(KERVIO_PROGRAM_VERSION);
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

bool ProgramUpdate::fail(const QString &why)
{
    if (m_lastFailure.isEmpty())
        m_lastFailure = why;
    return false;
}

// Runs a GET to its end and hands the body to `sink` as it arrives. The
// waiting window is modal meanwhile, so only its "İptal" can be used. No data
// for the idle time, a transfer longer than the total time, a body over
// `maxBytes` (announced or received), a cancel or a sink that fails ends it.
bool ProgramUpdate::fetch(const QUrl &url, qint64 maxBytes, const std::function<bool(const QByteArray &)> &sink)
{
    if (!isHttpAddress(url))
        return fail(QStringLiteral("geçersiz adres: ") + url.toString());
    if (m_cancelled)
        return false;
    QNetworkAccessManager nam;
    QNetworkRequest request(url);
    request.setTransferTimeout(m_idleMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    const std::unique_ptr<QNetworkReply> reply(nam.get(request));
    QNetworkReply *r = reply.get();
    QString problem;
    qint64 received = 0;
    const auto stop = [r, &problem](const QString &why) {
        if (problem.isEmpty())
            problem = why;
        r->abort();
    };
    QObject::connect(r, &QNetworkReply::metaDataChanged, r, [&] {
        const qint64 announced = r->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced > maxBytes)
            stop(QStringLiteral("çok büyük (%1 bayt; en çok %2)").arg(announced).arg(maxBytes));
    });
    QObject::connect(r, &QNetworkReply::readyRead, r, [&] {
        const QByteArray piece = r->readAll();
        received += piece.size();
        if (received > maxBytes)
            stop(QStringLiteral("çok büyük (en çok %1 bayt)").arg(maxBytes));
        else if (!sink(piece))
            stop(QStringLiteral("yazılamadı"));
    });
    QEventLoop loop;
    QTimer total;
    total.setSingleShot(true);
    QObject::connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&total, &QTimer::timeout, r, [&] { stop(QStringLiteral("süre doldu")); });
    m_abortTransfer = [&] { stop(QStringLiteral("iptal edildi")); };
    auto forget = qScopeGuard([this] { m_abortTransfer = nullptr; });
    total.start(m_totalMs);
    if (!r->isFinished())
        loop.exec();
    if (!problem.isEmpty())
        return fail(url.toString() + QStringLiteral(": ") + problem);
    if (const QString failure = replyFailure(*r); !failure.isEmpty())
        return fail(url.toString() + QStringLiteral(": ") + failure);
    // what arrived after the last readyRead
    const QByteArray rest = r->readAll();
    received += rest.size();
    if (received > maxBytes)
        return fail(url.toString() + QStringLiteral(": çok büyük"));
    if (!rest.isEmpty() && !sink(rest))
        return fail(url.toString() + QStringLiteral(": yazılamadı"));
    return true;
}

bool ProgramUpdate::downloadFile(const QString &address, const QString &file, qint64 maxBytes, QByteArray *sha256)
{
    // a fresh file: an existing one, or a link in its place, goes first
    QFile::remove(file);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return fail(file + QStringLiteral(" yazılamadı"));
    if (sodium_init() < 0)
        return fail(QStringLiteral("libsodium başlatılamadı"));
    crypto_hash_sha256_state hash;
    crypto_hash_sha256_init(&hash);
    const bool fetched = fetch(QUrl(address), maxBytes, [&](const QByteArray &piece) {
        crypto_hash_sha256_update(&hash, reinterpret_cast<const unsigned char *>(piece.constData()),
                                  static_cast<unsigned long long>(piece.size()));
        return out.write(piece) == piece.size();
    });
    out.close();
    if (!fetched || out.error() != QFileDevice::NoError) {
        QFile::remove(file);
        return fail(file + QStringLiteral(" yazılamadı"));
    }
    if (sha256) {
        sha256->resize(crypto_hash_sha256_BYTES);
        crypto_hash_sha256_final(&hash, reinterpret_cast<unsigned char *>(sha256->data()));
    }
    return true;
}

// The manifest names this program, on this platform, in a version not older
// than the running one, and a size within the limit.
bool ProgramUpdate::acceptable(const std::optional<UpdateManifest> &manifest)
{
    if (!manifest)
        return fail(QStringLiteral("güncelleme bildirimi imzası doğrulanamadı"));
    if (manifest->platform != UpdateManifest::platformName())
        return fail(QStringLiteral("başka bir platform için: ") + manifest->platform);
    if (manifest->fileName != QFileInfo(downloadPath()).fileName())
        return fail(QStringLiteral("başka bir dosya için: ") + manifest->fileName);
    if (!isNotOlderVersion(manifest->version, m_runningVersion))
        return fail(QStringLiteral("eski sürüm: ") + manifest->version);
    if (manifest->size <= 0 || manifest->size > UpdateManifest::MaxExecutableBytes)
        return fail(QStringLiteral("boyutu sınırın dışında: ") + QString::number(manifest->size));
    return true;
}

bool ProgramUpdate::downloadVerified(const QString &target)
{
    const QString manifestFile = target + manifestSuffix();
    // nothing unverified may stay where the updater looks
    auto discard = qScopeGuard([&] {
        QFile::remove(target);
        QFile::remove(manifestFile);
    });
    QFile::remove(target);
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return fail(QFileInfo(target).absolutePath() + QStringLiteral(" oluşturulamadı"));
    const QString address = updateUrl().toString();
    QByteArray signedManifest;
    if (!fetch(QUrl(address + manifestSuffix()), UpdateManifest::MaxBytes, [&](const QByteArray &piece) {
            signedManifest += piece;
            return true;
        }))
        return false;
    const std::optional<UpdateManifest> manifest = UpdateManifest::verify(signedManifest, m_publicKey);
    if (!acceptable(manifest))
        return false;
    QByteArray sha256;
    if (!downloadFile(address, target, manifest->size, &sha256))
        return false;
    if (QFileInfo(target).size() != manifest->size)
        return fail(QStringLiteral("boyutu bildirimdekinden farklı"));
    if (sha256 != manifest->sha256)
        return fail(QStringLiteral("SHA-256 özeti bildirimdekinden farklı"));
    discard.dismiss();
    QFile::remove(manifestFile);
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
    m_cancelled = false;
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
        s_running = this;
        auto hide = qScopeGuard([this] {
            s_running = nullptr;
            if (hideProgressWindow)
                hideProgressWindow();
        });
        const bool done = downloadAndInstall();
        // a cancel is the user's own doing: the window goes, nothing is said
        if (!m_cancelled || done)
            m_dialogs->message(QString::fromUtf8(done ? Done : NotDone));
    }
    if (m_closeRequested) {
        m_closeRequested = false;
        if (closeMainWindow)
            closeMainWindow();
    }
}

} // namespace kervio
