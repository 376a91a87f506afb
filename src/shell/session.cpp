#include "session.h"
#include "typingrules.h"
#include "core/appinfo.h"
#include "core/errorhandler.h"
#include "core/locations.h"

namespace kervio {

Session::Session(const Regional &reg, Dialogs *dialogs, QObject *parent)
    : QObject(parent), m_document(reg), m_dialogs(dialogs)
{
    const Locations where = programLocations();
    m_settingsPath = where.settingsFile;
    m_settingsDefaults = where.settingsDefaults;
    m_fileFolder = where.ledgerFolder;
    m_makeFileFolder = !where.portable;
    m_document.setMessageSink([this](const QString &text) { m_dialogs->message(text); });
}

bool Session::guarded(const std::function<void()> &action)
{
    return runGuarded(*m_dialogs, action, [this] { emit summaryChanged(); });
}

void Session::startFresh()
{
    const QDate today = QDate::currentDate();
    params().setCalculationDate(today);
    for (auto p : {Summary::OverallDate, Summary::DebitDate, Summary::CreditDate})
        summary().setDate(p, today);
    ledger().renumber();
    const QStringList header = LedgerTable::headerTexts();
    for (int c = 0; c < LedgerTable::ColumnCount; ++c)
        ledger().setCell(0, c, header[c]);
    loadRateSettings();
    m_confirmOnClose = true;
}

bool Session::mayClose()
{
    if (!m_confirmOnClose)
        return true;
    if (m_dialogs->question(mainWindowCaption(), QStringLiteral("Programı kapatmak istediğinize eminmisiniz?"),
                            Dialogs::Icon::Question, Dialogs::Buttons::YesNoCancel)
        != Dialogs::Answer::Yes)
        return false;
    emit closeConfirmed();
    return true;
}

bool Session::typeIntoLedger(QChar typed)
{
    if (typed == u'\r') {
        m_document.moveByEnter();
        return true;
    }
    if (typed == regional().decimal)
        m_separatorTyped = true;
    return !acceptsCharacter(ledgerColumnCharacters(ledger().currentColumn()), typed, regional());
}

bool Session::regroupTypedAmount()
{
    if (m_separatorTyped) {
        m_separatorTyped = false;
        return false;
    }
    LedgerTable &L = ledger();
    const int row = L.currentRow(), col = L.currentColumn();
    if (col != ColDebit && col != ColCredit)
        return false;
    const std::optional<QString> grouped = regroupedAmount(L.cell(row, col), regional());
    if (!grouped)
        return false;
    L.setCell(row, col, *grouped);
    return true;
}

void Session::clearLedger()
{
    if (m_dialogs->question(applicationTitle(), QStringLiteral("Dosyayı Boşaltmak istediğinizden eminmisiniz?"),
                            Dialogs::Icon::None, Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return;
    m_document.clear();
}

void Session::deleteCurrentRow()
{
    LedgerTable &ledger = m_document.ledger();
    if (!ledger.cell(ledger.currentRow(), ColTransactionDate).isEmpty()) {
        if (m_dialogs->question(mainWindowCaption(), QStringLiteral("Kaydı Silmek istediğinizden eminmisiniz?"),
                                Dialogs::Icon::Question, Dialogs::Buttons::YesNoCancel) == Dialogs::Answer::Yes)
            m_document.removeCurrentRow();
    }
    // an undated row goes without a question, also the one that moved up
    if (ledger.cell(ledger.currentRow(), ColTransactionDate).isEmpty())
        m_document.removeCurrentRow();
    ledger.renumber();
    m_document.recalculateAll();
}

} // namespace kervio
