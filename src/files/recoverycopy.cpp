#include "recoverycopy.h"
#include "core/savefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QUrl>
#include <QUuid>

namespace kervio {

namespace {

const QString CopySuffix = QStringLiteral(".krv");
const QString LockSuffix = QStringLiteral(".lock");

QByteArray checksum(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

std::unique_ptr<QLockFile> lockFor(const QString &folder, const QString &name)
{
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(name + LockSuffix));
    // only a lock whose program is gone is stale, never one that is merely old
    lock->setStaleLockTime(0);
    return lock;
}

QString nameOf(const QString &copyPath)
{
    const QString file = QFileInfo(copyPath).fileName();
    return file.left(file.size() - CopySuffix.size());
}

} // namespace

QByteArray recoveryCopyBytes(const QStringList &ledgerLines, const QString &sourcePath)
{
    QByteArray bytes = ledgerFileBytes(ledgerLines);
    const QByteArray items = ',' + QUrl::toPercentEncoding(sourcePath, "/") + ',' + checksum(bytes);
    qsizetype end = bytes.indexOf("\r\n");
    if (end < 0)
        end = bytes.size();
    bytes.insert(end, items);
    return bytes;
}

std::optional<RecoveredWork> readRecoveryCopy(const QString &path)
{
    std::optional<QByteArray> read = readFileContents(path);
    if (!read)
        return std::nullopt;
    QByteArray bytes = std::move(*read);
    const qsizetype end = bytes.indexOf("\r\n");
    if (end < 0)
        return std::nullopt;
    const qsizetype sumAt = bytes.lastIndexOf(',', end - 1);
    const qsizetype sourceAt = sumAt > 0 ? bytes.lastIndexOf(',', sumAt - 1) : -1;
    if (sourceAt < 0)
        return std::nullopt;
    const QByteArray sum = bytes.mid(sumAt + 1, end - sumAt - 1);
    const QByteArray source = bytes.mid(sourceAt + 1, sumAt - sourceAt - 1);
    bytes.remove(sourceAt, end - sourceAt);
    if (sum != checksum(bytes))
        return std::nullopt;
    std::optional<LedgerFileContent> content = parseLedgerFileBytes(bytes);
    if (!content)
        return std::nullopt;
    return RecoveredWork{std::move(*content), QString::fromUtf8(QByteArray::fromPercentEncoding(source))};
}

// --- left copies ----------------------------------------------------------------

LeftCopy::LeftCopy(QString copyPath, std::unique_ptr<QLockFile> lock)
    : m_path(std::move(copyPath)), m_written(QFileInfo(m_path).lastModified()), m_lock(std::move(lock))
{
}

LeftCopy::LeftCopy(LeftCopy &&) noexcept = default;
LeftCopy &LeftCopy::operator=(LeftCopy &&) noexcept = default;
LeftCopy::~LeftCopy() = default;

// --- the folder --------------------------------------------------------------------

QString RecoveryFolder::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("kurtarma"));
}

RecoveryFolder::RecoveryFolder(QString folder) : m_folder(std::move(folder)) {}

RecoveryFolder::~RecoveryFolder() = default;

bool RecoveryFolder::open()
{
    if (isOpen())
        return true;
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
        return false;
    // a name no other program has, running or ended
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces);
        std::unique_ptr<QLockFile> lock = lockFor(m_folder, name);
        if (lock->tryLock(0) && !QFileInfo::exists(QDir(m_folder).filePath(name + CopySuffix))) {
            m_name = name;
            m_lock = std::move(lock);
            return true;
        }
    }
    return false;
}

bool RecoveryFolder::isOpen() const
{
    return m_lock != nullptr;
}

QString RecoveryFolder::copyPath() const
{
    return isOpen() ? QDir(m_folder).filePath(m_name + CopySuffix) : QString();
}

bool RecoveryFolder::writeCopy(const QStringList &ledgerLines, const QString &sourcePath)
{
    return isOpen() && saveFileContents(copyPath(), recoveryCopyBytes(ledgerLines, sourcePath));
}

void RecoveryFolder::removeCopy()
{
    if (isOpen())
        QFile::remove(copyPath());
}

std::vector<LeftCopy> RecoveryFolder::takeLeftCopies()
{
    std::vector<LeftCopy> found;
    const QDir dir(m_folder);
    for (const QFileInfo &info : dir.entryInfoList({QLatin1Char('*') + CopySuffix}, QDir::Files)) {
        const QString name = nameOf(info.filePath());
        if (name == m_name)
            continue;
        std::unique_ptr<QLockFile> lock = lockFor(m_folder, name);
        // held by a running program: its own copy, not left
        if (lock->tryLock(0))
            found.emplace_back(info.filePath(), std::move(lock));
    }
    // the locks of programs that ended before they wrote a copy
    for (const QFileInfo &info : dir.entryInfoList({QLatin1Char('*') + LockSuffix}, QDir::Files)) {
        const QString name = info.fileName().chopped(LockSuffix.size());
        if (name != m_name && !dir.exists(name + CopySuffix)) {
            std::unique_ptr<QLockFile> lock = lockFor(m_folder, name);
            if (lock->tryLock(0))
                lock->unlock();
        }
    }
    std::sort(found.begin(), found.end(),
              [](const LeftCopy &a, const LeftCopy &b) { return a.written() > b.written(); });
    return found;
}

bool RecoveryFolder::claim(LeftCopy copy)
{
    if (!isOpen())
        return false;
    QFile::remove(copyPath());
    return QFile::rename(copy.m_path, copyPath());
}

void RecoveryFolder::discard(LeftCopy copy)
{
    QFile::remove(copy.m_path);
}

QString RecoveryFolder::setAside(LeftCopy copy)
{
    const QDir aside(QDir(m_folder).filePath(QStringLiteral("hasarli")));
    if (!aside.mkpath(QStringLiteral(".")))
        return copy.m_path;
    const QString fileName = QFileInfo(copy.m_path).fileName();
    QString target = aside.filePath(fileName);
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = aside.filePath(nameOf(fileName) + QStringLiteral("-%1").arg(n) + CopySuffix);
    return QFile::rename(copy.m_path, target) ? target : copy.m_path;
}

} // namespace kervio
