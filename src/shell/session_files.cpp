// The ledger file and settings commands of the main window.
#include "session.h"
#include "files/ledgerfile.h"
#include "files/settings.h"
#include "core/errors.h"

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
    recalculateAll();
    return true;
}

void Session::saveLedger()
{
    QString path = dialogs().saveFileName({QStringLiteral("Vade Farkı Dosyası Sakla"), kLedgerFilter,
                                           fileDialogFolder(), params().text(Parameters::Company)});
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
        {QStringLiteral("Vade Farkı Dosyası Aç"), kLedgerFilter, fileDialogFolder(), QString()});
    if (path.isEmpty())
        return;
    openLedgerFile(path);
}

void Session::loadRateSettings()
{
    const RateSettings s = readRateSettings(settingsPath());
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
    writeRateSettings(settingsPath(), s);
}

} // namespace kervio
