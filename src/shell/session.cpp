#include "session.h"
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

void Session::clearLedger()
{
    if (m_dialogs->question(ApplicationTitle(), QStringLiteral("Dosyayı Boşaltmak istediğinizden eminmisiniz?"),
                            Dialogs::Icon::None, Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return;
    m_document.clear();
}

void Session::deleteCurrentRow()
{
    LedgerTable &ledger = m_document.ledger();
    if (!ledger.cell(ledger.currentRow(), ColTransactionDate).isEmpty()) {
        if (m_dialogs->question(MainCaption(), QStringLiteral("Kaydı Silmek istediğinizden eminmisiniz?"),
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
