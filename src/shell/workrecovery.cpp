#include "workrecovery.h"
#include "session.h"
#include "core/appinfo.h"
#include "ledger/textfuncs.h"

#include <QDir>
#include <QHash>
#include <QScopeGuard>

namespace kervio {

WorkRecovery::WorkRecovery(Session &session, const QString &folder, QObject *parent)
    : QObject(parent), m_session(session), m_folder(folder)
{
    m_writer.setMaxThreadCount(1); // in order: a removal never overtakes a write
    m_folder.open();
    markSaved();

    const LedgerTable *ledger = &session.ledger();
    const auto changed = [this] { emit workChanged(); };
    connect(ledger, &QAbstractItemModel::dataChanged, this, changed);
    connect(ledger, &QAbstractItemModel::rowsInserted, this, changed);
    connect(ledger, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(ledger, &QAbstractItemModel::rowsMoved, this, changed);
    connect(ledger, &QAbstractItemModel::modelReset, this, changed);
    connect(ledger, &QAbstractItemModel::layoutChanged, this, changed);
    const Parameters *params = &session.params();
    connect(params, &Parameters::textChanged, this, changed);
    connect(params, &Parameters::checksChanged, this, changed);
    connect(params, &Parameters::calculationDateChanged, this, changed);

    connect(&session, &Session::ledgerFileSaved, this, &WorkRecovery::markSaved);
    connect(&session, &Session::ledgerFileOpened, this, &WorkRecovery::markSaved);
    connect(&session, &Session::closeConfirmed, this, [this] {
        m_closing = true;
        removeCopy();
        waitForWriting();
    });
}

WorkRecovery::~WorkRecovery()
{
    waitForWriting();
}

size_t WorkRecovery::workHash(const QStringList &lines) const
{
    return qHashMulti(0, qHashRange(lines.begin(), lines.end()), m_session.sourcePath());
}

void WorkRecovery::markSaved()
{
    m_savedHash = workHash(m_session.ledgerFileLines());
    removeCopy();
}

void WorkRecovery::removeCopy()
{
    m_writer.start([this] { m_folder.removeCopy(); });
    m_copyHash.reset();
}

void WorkRecovery::waitForWriting()
{
    m_writer.waitForDone();
}

void WorkRecovery::keepCopy()
{
    if (m_closing || m_offering || !isKeeping())
        return;
    QStringList lines = m_session.ledgerFileLines();
    const size_t hash = workHash(lines);
    if (hash == m_savedHash) {
        removeCopy();
        return;
    }
    if (hash == m_copyHash)
        return;
    m_copyHash = hash;
    m_writer.start([this, lines = std::move(lines), source = m_session.sourcePath()] {
        if (!m_folder.writeCopy(lines, source))
            // tried again at the next change
            QMetaObject::invokeMethod(this, [this] { m_copyHash.reset(); }, Qt::QueuedConnection);
    });
}

QString WorkRecovery::questionText(const LeftCopy &copy, const QString &sourcePath) const
{
    const QDateTime when = copy.written();
    const QString file = sourcePath.isEmpty() ? QStringLiteral("(henüz hiç kaydedilmemiş yeni bir tablo)")
                                              : QDir::toNativeSeparators(sourcePath);
    return QStringLiteral("Program kapanmadan önce kaydedilmemiş bir çalışma kalmış.\n\n"
                          "Kurtarma kopyasının zamanı: %1 %2\nDosya: %3\n\n"
                          "Kaydedilmemiş çalışma geri yüklensin mi?\n"
                          "(Hayır derseniz kurtarma kopyası silinir.)")
        .arg(dateToText(when.date(), m_session.regional()), when.time().toString(QStringLiteral("HH:mm")), file);
}

void WorkRecovery::offerLeftCopies()
{
    if (!isKeeping())
        return;
    // no copy of this program's is written while the left ones are decided
    m_offering = true;
    const auto done = qScopeGuard([this] { m_offering = false; });
    waitForWriting();
    std::vector<LeftCopy> left = m_folder.takeLeftCopies();
    for (LeftCopy &copy : left) {
        std::optional<RecoveredWork> work = readRecoveryCopy(copy.path());
        if (!work) {
            const QDateTime when = copy.written();
            const QString aside = m_folder.setAside(std::move(copy));
            m_session.dialogs().message(
                QStringLiteral("%1 %2 zamanlı kurtarma kopyası bozuk olduğu için geri yüklenemedi.\n"
                               "Kopya şuraya ayrıldı:\n%3")
                    .arg(dateToText(when.date(), m_session.regional()), when.time().toString(QStringLiteral("HH:mm")),
                         QDir::toNativeSeparators(aside)));
            continue;
        }
        const Dialogs::Answer answer = m_session.dialogs().question(
            applicationTitle(), questionText(copy, work->sourcePath), Dialogs::Icon::Question, Dialogs::Buttons::YesNo);
        if (answer != Dialogs::Answer::Yes) {
            m_folder.discard(std::move(copy));
            continue;
        }
        // the copy stays, as this program's, until the work is saved
        m_folder.claim(std::move(copy));
        m_savedHash.reset();
        m_copyHash.reset();
        m_session.restoreWork(std::move(work->content), work->sourcePath);
        return; // the other copies stay for the next start
    }
}

} // namespace kervio
