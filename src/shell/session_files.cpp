// The ledger file and settings commands of the main window.
#include "session.h"
#include "files/ledgerfile.h"
#include "files/settings.h"
#include "core/errors.h"
#include "core/locations.h"

#include <QDir>
#include <QFileInfo>

namespace kervio {

namespace {

const QString kLedgerFilter = QStringLiteral("Vade Farkı Dosyası (*.krv)");

QString fullPath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList Session::ledgerFileLines() const
{
    return kervio::ledgerFileLines(params(), ledger(), regional());
}

void Session::saveLedgerFile(const QString &path)
{
    if (!writeLedgerFile(path, params(), ledger(), regional()))
        throw KervioError(QStringLiteral("Dosya Saklanamıyor:\r") + fullPath(path));
    m_sourcePath = fullPath(path);
    m_proposeSourcePath = false;
    emit ledgerFileSaved(m_sourcePath);
}

bool Session::loadLedgerFile(const QString &path)
{
    std::optional<LedgerFileContent> content = readLedgerFile(path);
    if (!content) {
        dialogs().message(QStringLiteral("Dosya açılamadı:\n") + fullPath(path));
        return false;
    }
    applyLedgerFileContent(std::move(*content), params(), ledger());
    return true;
}

bool Session::openLedgerFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    if (!loadLedgerFile(path))
        return false;
    m_sourcePath = fullPath(path);
    m_proposeSourcePath = false;
    try {
        recalculateAll();
    } catch (...) {
        emit ledgerFileOpened(m_sourcePath);
        throw;
    }
    emit ledgerFileOpened(m_sourcePath);
    return true;
}

QString Session::ledgerDialogFolder() const
{
    if (m_makeFileFolder)
        QDir().mkpath(m_fileFolder);
    return m_fileFolder;
}

void Session::restoreWork(LedgerFileContent content, const QString &sourcePath)
{
    // the stored rates as they were, whatever field has the focus
    const Parameters::RateSource source = params().rateSource();
    params().setRateSource(Parameters::RateSource::None);
    applyLedgerFileContent(std::move(content), params(), ledger());
    params().setRateSource(source);
    m_sourcePath = sourcePath;
    m_proposeSourcePath = !sourcePath.isEmpty();
    m_document.recalculateSummary();
}

void Session::saveLedger()
{
    FileDialogRequest request{QStringLiteral("Vade Farkı Dosyası Sakla"), kLedgerFilter, ledgerDialogFolder(),
                              params().text(Parameters::Company)};
    if (m_proposeSourcePath) {
        request.initialDir = QFileInfo(m_sourcePath).absolutePath();
        request.proposedName = QFileInfo(m_sourcePath).fileName();
    }
    QString path = dialogs().saveFileName(request);
    if (path.isEmpty())
        return;
    if (!path.contains(QStringLiteral(".krv")))
        path += QStringLiteral(".krv");
    if (QFileInfo::exists(path)
        && dialogs().question(QStringLiteral("Kavrel Kervio"), QStringLiteral("Dosya mevcut Üzerine kayıt edilsinmi?"),
                              Dialogs::Icon::Question, Dialogs::Buttons::YesNo)
            != Dialogs::Answer::Yes)
        return;
    saveLedgerFile(path);
}

void Session::openLedger()
{
    const QString path = dialogs().openFileName(
        {QStringLiteral("Vade Farkı Dosyası Aç"), kLedgerFilter, ledgerDialogFolder(), QString()});
    if (path.isEmpty())
        return;
    openLedgerFile(path);
}

QString Session::settingsPathToRead() const
{
    return settingsFileToRead(m_settingsPath, m_settingsDefaults);
}

QString Session::settingsPathToWrite() const
{
    prepareSettingsFile(m_settingsPath, m_settingsDefaults);
    return m_settingsPath;
}

void Session::loadRateSettings()
{
    const RateSettings s = readRateSettings(settingsPathToRead());
    params().setText(Parameters::DaysInYear, s.daysInYear);
    params().setText(Parameters::YearlyRate, s.yearlyRate);
    params().setText(Parameters::MonthlyRate, s.monthlyRate);
    params().setText(Parameters::DebitGrace, s.debitGraceDays);
    params().setText(Parameters::CreditGrace, s.creditGraceDays);
    params().setDebitWeekend(s.debitWeekend);
    params().setCreditWeekend(s.creditWeekend);
}

void Session::saveRateSettings()
{
    RateSettings s;
    s.daysInYear = params().text(Parameters::DaysInYear);
    s.yearlyRate = params().text(Parameters::YearlyRate);
    s.monthlyRate = params().text(Parameters::MonthlyRate);
    s.debitGraceDays = params().text(Parameters::DebitGrace);
    s.creditGraceDays = params().text(Parameters::CreditGrace);
    s.debitWeekend = params().debitWeekend();
    s.creditWeekend = params().creditWeekend();
    writeRateSettings(settingsPathToWrite(), s);
}

} // namespace kervio
