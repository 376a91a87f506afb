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

QStringList Session::GetStringsToSave3() const
{
    return ledgerFileLines(m_params, m_ledger, m_reg);
}

void Session::SaveToFile(const QString &path)
{
    if (!writeLedgerFile(path, GetStringsToSave3()))
        throw KervioError(QStringLiteral("Dosya Saklanamıyor:\r") + fullPath(path));
}

bool Session::LoadFromFile(const QString &path)
{
    std::optional<LedgerFileContent> content;
    if (std::optional<QStringList> lines = readLedgerFileLines(path))
        content = parseLedgerFileLines(std::move(*lines));
    if (!content) {
        dialogs().message(QStringLiteral("Dosya açılamadı:\n") + fullPath(path));
        return false;
    }
    applyLedgerFileContent(std::move(*content), m_params, m_ledger);
    return true;
}

bool Session::openLedger(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    if (!LoadFromFile(path))
        return false;
    BitBtn1Click();
    return true;
}

void Session::BitBtn45Click()
{
    QString path = dialogs().saveFileName({QStringLiteral("Vade Farkı Dosyası Sakla"), kLedgerFilter,
                                           fileDialogFolder(), m_params.text(Parameters::Company)});
    if (path.isEmpty())
        return;
    if (!path.contains(QStringLiteral(".krv")))
        path += QStringLiteral(".krv");
    if (QFileInfo::exists(path)
        && dialogs().question(QStringLiteral("Kavrel Kervio"), QStringLiteral("Dosya mevcut Üzerine kayıt edilsinmi?"),
                              Dialogs::Icon::Question, Dialogs::Buttons::YesNo)
            != Dialogs::Answer::Yes)
        return;
    SaveToFile(path);
}

void Session::BitBtn46Click()
{
    const QString path = dialogs().openFileName(
        {QStringLiteral("Vade Farkı Dosyası Aç"), kLedgerFilter, fileDialogFolder(), QString()});
    if (path.isEmpty())
        return;
    openLedger(path);
}

void Session::hafizadanoku()
{
    const AyarSettings s = readAyar(settingsPath());
    m_params.setText(Parameters::DaysInYear, s.yilgun);
    m_params.setText(Parameters::YearlyRate, s.ayfaiz);
    m_params.setText(Parameters::MonthlyRate, s.yilfaiz);
    m_params.setText(Parameters::DebitGrace, s.borcgun);
    m_params.setText(Parameters::CreditGrace, s.alacakgun);
    m_params.setDebitWeekend(s.borcCheck);
    m_params.setCreditWeekend(s.alacakCheck);
}

void Session::hafizayayaz()
{
    AyarSettings s;
    s.yilgun = m_params.text(Parameters::DaysInYear);
    s.ayfaiz = m_params.text(Parameters::YearlyRate);
    s.yilfaiz = m_params.text(Parameters::MonthlyRate);
    s.borcgun = m_params.text(Parameters::DebitGrace);
    s.alacakgun = m_params.text(Parameters::CreditGrace);
    s.borcCheck = m_params.debitWeekend();
    s.alacakCheck = m_params.creditWeekend();
    writeAyar(settingsPath(), s);
}

} // namespace kervio
