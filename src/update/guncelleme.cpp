#include "guncelleme.h"
#include "files/inifile.h"
#include "core/savefile.h"
#include "core/appinfo.h"
#include "core/dialogs.h"

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

#include <cctype>
#include <memory>
#include <sodium.h>

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

QString folderWithSeparator(const QString &path)
{
    QString d = QFileInfo(path).absolutePath();
    if (!d.endsWith(u'/'))
        d += u'/';
    return d;
}

} // namespace

Guncelleme::Guncelleme(Dialogs *dialogs) : m_dialogs(dialogs), m_publicKey(BuiltInPublicKey())
{
    SchUpdater1.UpdateSrc = QStringLiteral("Dosya/");
    SchUpdater1.CloseRequest = [this] { m_closeRequested = true; };
}

QString Guncelleme::DownloadPath()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("/download/Kervio20.exe");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("/download/macos/Kervio20");
#else
    return QStringLiteral("/download/linux/Kervio20");
#endif
}

QString Guncelleme::BuiltInServer()
{
    return QStringLiteral(KERVIO_UPDATE_SERVER);
}

QByteArray Guncelleme::BuiltInPublicKey()
{
    return QByteArray::fromHex(KERVIO_UPDATE_PUBLIC_KEY);
}

void Guncelleme::setExecutablePath(const QString &path)
{
    m_executable = path;
    SchUpdater1.ExecutablePath = path;
}

QString Guncelleme::executablePath() const
{
    return QFileInfo(m_executable.isEmpty() ? QCoreApplication::applicationFilePath() : m_executable)
        .absoluteFilePath();
}

QString Guncelleme::settingsPath() const
{
    if (!m_settingsPath.isEmpty())
        return m_settingsPath;
    return folderWithSeparator(executablePath()) + QStringLiteral("Ayarlar.ini");
}

QUrl Guncelleme::updateUrl() const
{
    QString server = IniFile(settingsPath()).readString(QStringLiteral("Guncelleme"), QStringLiteral("sunucu")).trimmed();
    if (server.isEmpty())
        server = BuiltInServer();
    if (!server.contains(QStringLiteral("://")))
        server.prepend(QStringLiteral("http://"));
    while (server.endsWith(u'/'))
        server.chop(1);
    return QUrl(server + DownloadPath());
}

bool Guncelleme::IsConnected() const
{
    if (connectivity)
        return connectivity();
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
    const QNetworkInformation *info = QNetworkInformation::instance();
    // without a backend the state is unknown: let the download decide
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

bool Guncelleme::fetch(const QUrl &url, QByteArray &out)
{
    out.clear();
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https")) {
        m_lastFailure = QStringLiteral("geçersiz adres: ") + url.toString();
        return false;
    }
    QNetworkAccessManager nam;
    QNetworkRequest request(url);
    request.setTransferTimeout(m_idleMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(nam.get(request));
    QEventLoop loop;
    QTimer total;
    total.setSingleShot(true);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&total, &QTimer::timeout, reply.get(), &QNetworkReply::abort);
    QNetworkReply *r = reply.get();
    QObject::connect(r, &QNetworkReply::downloadProgress, r, [r](qint64 received, qint64 size) {
        if (received > MaxDownloadBytes || size > MaxDownloadBytes)
            r->abort();
    });
    total.start(m_totalMs);
    // the user waits, as for any command; only the network runs meanwhile
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (reply->error() != QNetworkReply::NoError) {
        m_lastFailure = url.toString() + QStringLiteral(": ") + reply->errorString();
        return false;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200) {
        m_lastFailure = url.toString() + QStringLiteral(": HTTP ") + QString::number(status);
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

bool Guncelleme::DownloadFile(const QString &address, const QString &file)
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

bool Guncelleme::VerifyFile(const QString &file, const QString &signatureFile, const QByteArray &publicKey)
{
    if (sodium_init() < 0 || publicKey.size() != crypto_sign_PUBLICKEYBYTES)
        return false;
    QFile sf(signatureFile);
    if (!sf.open(QIODevice::ReadOnly) || sf.size() > 1024)
        return false;
    QByteArray sig = sf.readAll();
    if (sig.size() != crypto_sign_BYTES) {
        const QByteArray hex = sig.trimmed();
        if (hex.size() != 2 * crypto_sign_BYTES)
            return false;
        for (char c : hex)
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return false;
        sig = QByteArray::fromHex(hex);
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(sig.constData()),
                                       reinterpret_cast<const unsigned char *>(data.constData()),
                                       static_cast<unsigned long long>(data.size()),
                                       reinterpret_cast<const unsigned char *>(publicKey.constData()))
        == 0;
}

bool Guncelleme::downloadVerified(const QString &target)
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
    if (!DownloadFile(address, target) || !DownloadFile(address + QStringLiteral(".sig"), sig)) {
        discard();
        return false;
    }
    if (!VerifyFile(target, sig, m_publicKey)) {
        m_lastFailure = QStringLiteral("imza doğrulanamadı");
        discard();
        return false;
    }
    QFile::remove(sig);
    QFile::setPermissions(target, QFile::permissions(executablePath()));
    return true;
}

void Guncelleme::ProgramGuncelle()
{
    m_lastFailure.clear();
    m_closeRequested = false;
    if (m_dialogs->question(QStringLiteral("Kavrel Kervio"), QString::fromUtf8(Ask), Dialogs::Icon::Question,
                            Dialogs::Buttons::YesNo)
        != Dialogs::Answer::Yes)
        return;
    const QString folder = folderWithSeparator(executablePath());
    if (!IsConnected()) {
        m_dialogs->message(QString::fromUtf8(Offline));
        return;
    }
    if (showForm2)
        showForm2();
    auto hide = qScopeGuard([this] {
        if (hideForm2)
            hideForm2();
    });

    // under the running program's own name, so the updater finds it
    const QString target = folder + QStringLiteral("Dosya/") + QFileInfo(executablePath()).fileName();
    if (!downloadVerified(target)) {
        m_dialogs->message(QString::fromUtf8(NotDone));
        return;
    }
    if (setConfirmOnClose)
        setConfirmOnClose(false);
    SchUpdater1.ExecutablePath = executablePath();
    SchUpdater1.UpdateSrc = QDir::toNativeSeparators(folder + QStringLiteral("Dosya/"));
    const bool done = SchUpdater1.UpdateApp();
    if (!done) {
        if (m_lastFailure.isEmpty())
            m_lastFailure = QStringLiteral("güncelleyici tamamlanamadı");
        // the program stays as it was, closing asks again, unless an
        // earlier run is still waiting for the program to end
        if (!SchUpdater1.Updated() && setConfirmOnClose)
            setConfirmOnClose(true);
    }
    m_dialogs->message(QString::fromUtf8(done ? Done : NotDone));
    hide.dismiss();
    if (hideForm2)
        hideForm2();
    if (m_closeRequested) {
        m_closeRequested = false;
        if (closeMainWindow)
            closeMainWindow();
    }
}

} // namespace kervio
