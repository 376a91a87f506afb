#include "workrecovery.h"
#include "session.h"
#include "core/appinfo.h"
#include "ledger/textfuncs.h"

#include <QDir>
#include <QHash>
#include <QScopeGuard>

namespace kervio {

WorkRecovery::WorkRecovery(Session &session, const QString &folder, QObject *parent)
    : QObject(parent), m_session(session), m_regional(session.regional()), m_folder(folder)
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

// What the work is at one moment, taken in a few milliseconds: the cells'
// texts are shared, not copied, until one of them changes.
struct WorkRecovery::Snapshot {
    QString texts[6];
    bool debitWeekend = false, creditWeekend = false;
    QDate calculationDate;
    std::vector<PackedRow> rows;
    QString sourcePath;
};

namespace {

constexpr Parameters::Field SnapshotFields[6] = {Parameters::Company, Parameters::DaysInYear,
                                                 Parameters::YearlyRate, Parameters::MonthlyRate,
                                                 Parameters::DebitGrace, Parameters::CreditGrace};

} // namespace

WorkRecovery::Snapshot WorkRecovery::snapshot() const
{
    Snapshot s;
    const Parameters &p = m_session.params();
    for (int i = 0; i < 6; ++i)
        s.texts[i] = p.text(SnapshotFields[i]);
    s.debitWeekend = p.debitWeekend();
    s.creditWeekend = p.creditWeekend();
    s.calculationDate = p.calculationDate();
    const LedgerTable &l = m_session.ledger();
    s.rows.reserve(size_t(l.gridRowCount()));
    for (int r = 0; r < l.gridRowCount(); ++r)
        s.rows.push_back(l.packedRow(r));
    s.sourcePath = m_session.sourcePath();
    return s;
}

// On the writing thread: the ledger file's lines of a snapshot, made by the
// same function that saves a ledger, and a hash of them with the source.
std::pair<QStringList, size_t> WorkRecovery::linesOf(Snapshot s) const
{
    Parameters params(m_regional);
    for (int i = 0; i < 6; ++i)
        params.setText(SnapshotFields[i], s.texts[i]);
    params.setDebitWeekend(s.debitWeekend);
    params.setCreditWeekend(s.creditWeekend);
    params.setCalculationDate(s.calculationDate);
    LedgerTable ledger(m_regional);
    const LedgerTable::Row header = s.rows.front().unpacked();
    s.rows.erase(s.rows.begin());
    ledger.replaceEntries(std::move(s.rows));
    for (int c = 0; c < LedgerTable::ColumnCount; ++c)
        ledger.setCell(0, c, header[size_t(c)]);
    QStringList lines = ledgerFileLines(params, ledger, m_regional);
    const size_t hash = qHashMulti(0, qHashRange(lines.begin(), lines.end()), s.sourcePath);
    return {std::move(lines), hash};
}

void WorkRecovery::markSaved()
{
    m_writer.start([this, s = snapshot()]() mutable {
        m_savedHash = linesOf(std::move(s)).second;
        m_folder.removeCopy();
        m_copyHash.reset();
    });
}

void WorkRecovery::removeCopy()
{
    m_writer.start([this] {
        m_folder.removeCopy();
        m_copyHash.reset();
    });
}

void WorkRecovery::waitForWriting()
{
    m_writer.waitForDone();
}

void WorkRecovery::keepCopy()
{
    if (m_closing || m_offering || !isKeeping())
        return;
    m_writer.start([this, s = snapshot()]() mutable {
        const QString source = s.sourcePath;
        auto [lines, hash] = linesOf(std::move(s));
        if (hash == m_savedHash) {
            m_folder.removeCopy();
            m_copyHash.reset();
        } else if (hash != m_copyHash) {
            // a failure leaves no hash, so the next change tries again
            m_copyHash.reset();
            if (m_folder.writeCopy(lines, source))
                m_copyHash = hash;
            else
                QMetaObject::invokeMethod(
                    this, [this] { emit copyNotWritten(m_folder.folder()); }, Qt::QueuedConnection);
        }
    });
}

QString WorkRecovery::timeText(const QDateTime &when) const
{
    return dateToText(when.date(), m_regional) + u' ' + when.time().toString(QStringLiteral("HH:mm"));
}

QString WorkRecovery::questionText(const LeftCopy &copy, const QString &sourcePath) const
{
    const QString file = sourcePath.isEmpty() ? QStringLiteral("(henüz hiç kaydedilmemiş yeni bir tablo)")
                                              : QDir::toNativeSeparators(sourcePath);
    return QStringLiteral("Program kapanmadan önce kaydedilmemiş bir çalışma kalmış.\n\n"
                          "Kurtarma kopyasının zamanı: %1\nDosya: %2\n\n"
                          "Kaydedilmemiş çalışma geri yüklensin mi?\n"
                          "(Hayır derseniz kurtarma kopyası silinir.)")
        .arg(timeText(copy.written()), file);
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
            const QString when = timeText(copy.written());
            const QString aside = m_folder.setAside(std::move(copy));
            m_session.dialogs().message(QStringLiteral("%1 zamanlı kurtarma kopyası bozuk olduğu için geri yüklenemedi.\n"
                                                       "Kopya şuraya ayrıldı:\n%2")
                                            .arg(when, QDir::toNativeSeparators(aside)));
            continue;
        }
        const Dialogs::Answer answer = m_session.dialogs().question(
            applicationTitle(), questionText(copy, work->sourcePath), Dialogs::Icon::Question, Dialogs::Buttons::YesNo);
        if (answer != Dialogs::Answer::Yes) {
            m_folder.discard(std::move(copy));
            continue;
        }
        // the copy stays, as this program's, until the work is saved; the
        // writing thread is idle while the copies are offered
        m_folder.claim(std::move(copy));
        m_savedHash.reset();
        m_copyHash.reset();
        m_session.restoreWork(std::move(work->content), work->sourcePath);
        return; // the other copies stay for the next start
    }
}

} // namespace kervio
