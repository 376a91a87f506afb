#pragma once
#include "files/recoverycopy.h"
#include "ledger/regional.h"

#include <QObject>
#include <QThreadPool>
#include <optional>
#include <utility>

namespace kervio {

class Session;

// Keeps a recovery copy of the session's work while it differs from what was
// last saved or opened, and offers the copies that programs which ended
// without saving left behind. The copy goes when the work is saved, when a
// file is opened in its place and when the user confirms closing; a program
// that ends any other way leaves it for the next start.
class WorkRecovery : public QObject {
    Q_OBJECT
public:
    // The quiet time after a change before the copy is written, and the
    // longest a change waits while the changes go on.
    static constexpr int QuietMs = 2000;
    static constexpr int LongestWaitMs = 30000;

    // The work as the session holds it now counts as saved.
    WorkRecovery(Session &session, const QString &folder, QObject *parent = nullptr);
    // Waits for the copy being written; the copy stays.
    ~WorkRecovery() override;

    // False when the folder could not be made or locked: no copy is kept.
    bool isKeeping() const { return m_folder.isOpen(); }
    QString copyPath() const { return m_folder.copyPath(); }
    QString folder() const { return m_folder.folder(); }

    // Asks about each left copy, newest first, until one is restored: Yes
    // puts it back (unsaved, as this program's copy), No deletes it. A
    // damaged copy is reported and moved aside, never loaded.
    void offerLeftCopies();

    // Writes the copy when the work differs from the saved state and from the
    // last copy, removes it when the work is back to the saved state. Only
    // a snapshot of the work is taken here; the lines are made, compared and
    // written on a thread of its own.
    void keepCopy();
    // Until the copies handed to the writing thread are on disk.
    void waitForWriting();

signals:
    // The ledger or the parameters changed: a copy is due.
    void workChanged();
    // A copy could not be written into the folder; the next change tries again.
    void copyNotWritten(const QString &folder);

private:
    struct Snapshot;
    Snapshot snapshot() const;
    std::pair<QStringList, size_t> linesOf(Snapshot s) const;
    void markSaved();
    // after the writes handed over before it
    void removeCopy();
    QString timeText(const QDateTime &when) const;
    QString questionText(const LeftCopy &copy, const QString &sourcePath) const;

    Session &m_session;
    const Regional m_regional;
    RecoveryFolder m_folder;
    // One thread, so the jobs run in order. It alone reads and writes the
    // hashes of the work at the last save and in the copy on disk (but
    // while the left copies are offered, when it is idle).
    QThreadPool m_writer;
    std::optional<size_t> m_savedHash;
    std::optional<size_t> m_copyHash;
    bool m_closing = false;
    bool m_offering = false;
};

} // namespace kervio
