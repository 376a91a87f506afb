// The ledger table keeps its sums up to date at every edit; a walk over the
// rows, kept beside it, must always come to the same sums.
#include "core/errors.h"
#include "ledger/ledgertable.h"
#include "ledger/textfuncs.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>
#include <array>
#include <vector>

using namespace kervio;

namespace {

constexpr int SumColumns[6] = {ColDebit, ColCredit, ColDebitDiff, ColCreditDiff, ColDebitAdat, ColCreditAdat};

// An entry row as the walk sees it: whether it is numbered, and per summed
// column the text and, for an ordinary amount, its value in millionths.
struct WalkRow {
    bool numbered = false;
    std::array<QString, 6> text;
    std::array<qint64, 6> millionths{};
    std::array<bool, 6> huge{}; // more than 20 integer digits: summed as doubles
};

// "-1.234,567" from -1234567000 millionths: grouped or not, with as many
// decimals as asked (the value has no more).
QString amountText(qint64 millionths, bool grouped, int decimals)
{
    const bool negative = millionths < 0;
    const quint64 v = quint64(negative ? -millionths : millionths);
    QString whole = QString::number(v / 1000000);
    if (grouped)
        for (int at = int(whole.size()) - 3; at > 0; at -= 3)
            whole.insert(at, u'.');
    QString text = (negative ? QStringLiteral("-") : QString()) + whole;
    if (decimals > 0)
        text += u',' + QStringLiteral("%1").arg(v % 1000000, 6, 10, QChar(u'0')).left(decimals);
    return text;
}

// The sums a plain walk over the rows gives, as the summary reads them.
LedgerSums walkSums(const std::vector<WalkRow> &rows)
{
    size_t end = 0;
    while (end < rows.size() && rows[end].numbered)
        ++end;
    LedgerSums s;
    const bool anyHuge = std::any_of(rows.begin(), rows.begin() + qsizetype(end), [](const WalkRow &r) {
        return std::any_of(r.huge.begin(), r.huge.end(), [](bool h) { return h; });
    });
    if (anyHuge) {
        for (size_t r = 0; r < end; ++r)
            for (int k = 0; k < 6; ++k)
                s.value[k] += parseAmount(rows[r].text[size_t(k)], Regional::turkish());
        s.balance = s.value[LedgerSums::Debit] - s.value[LedgerSums::Credit];
        s.net = s.value[LedgerSums::DebitDiff] - s.value[LedgerSums::CreditDiff];
        s.adatBalance = s.value[LedgerSums::DebitAdat] - s.value[LedgerSums::CreditAdat];
        s.totalsEqual = s.value[LedgerSums::Debit] == s.value[LedgerSums::Credit];
        s.debitPositive = s.value[LedgerSums::Debit] > 0;
        s.creditPositive = s.value[LedgerSums::Credit] > 0;
        return s;
    }
    qint64 exact[6] = {};
    for (size_t r = 0; r < end; ++r)
        for (int k = 0; k < 6; ++k)
            exact[k] += rows[r].millionths[size_t(k)];
    auto toDouble = [](qint64 m) { return double(static_cast<long double>(m) / 1e6L); };
    for (int k = 0; k < 6; ++k)
        s.value[k] = toDouble(exact[k]);
    s.balance = toDouble(exact[LedgerSums::Debit] - exact[LedgerSums::Credit]);
    s.net = toDouble(exact[LedgerSums::DebitDiff] - exact[LedgerSums::CreditDiff]);
    s.adatBalance = toDouble(exact[LedgerSums::DebitAdat] - exact[LedgerSums::CreditAdat]);
    s.totalsEqual = exact[LedgerSums::Debit] == exact[LedgerSums::Credit];
    s.debitPositive = exact[LedgerSums::Debit] > 0;
    s.creditPositive = exact[LedgerSums::Credit] > 0;
    return s;
}

QString differences(const LedgerSums &got, const LedgerSums &want)
{
    QStringList d;
    for (int k = 0; k < LedgerSums::Count; ++k)
        if (got.value[k] != want.value[k])
            d << QStringLiteral("value %1: %2 != %3").arg(k).arg(got.value[k], 0, 'g', 17).arg(want.value[k], 0, 'g', 17);
    if (got.balance != want.balance)
        d << QStringLiteral("balance %1 != %2").arg(got.balance, 0, 'g', 17).arg(want.balance, 0, 'g', 17);
    if (got.net != want.net)
        d << QStringLiteral("net %1 != %2").arg(got.net, 0, 'g', 17).arg(want.net, 0, 'g', 17);
    if (got.adatBalance != want.adatBalance)
        d << QStringLiteral("adat balance %1 != %2").arg(got.adatBalance, 0, 'g', 17).arg(want.adatBalance, 0, 'g', 17);
    if (got.totalsEqual != want.totalsEqual || got.debitPositive != want.debitPositive
        || got.creditPositive != want.creditPositive)
        d << QStringLiteral("flags");
    return d.join(QStringLiteral("; "));
}

// A table and its walk, edited alike.
class Edits {
public:
    explicit Edits(quint32 seed) : m_random(seed) {}

    LedgerTable table{Regional::turkish()};
    std::vector<WalkRow> walk = std::vector<WalkRow>(1, WalkRow{true, {}, {}, {}}); // grid row 1

    int randomRow() { return 1 + int(m_random.bounded(quint32(table.lastRow()))); }

    void setAmount(int row, int slot, bool huge)
    {
        WalkRow &w = walk[size_t(row - 1)];
        QString text;
        qint64 value = 0;
        if (huge) {
            // 21 to 25 integer digits, beyond what the exact sums hold
            text = QStringLiteral("1") + QString(20 + int(m_random.bounded(5)), u'0') + QStringLiteral(",5");
        } else if (m_random.bounded(7) > 0) {
            const int decimals = int(m_random.bounded(7));
            qint64 unit = 1;
            for (int i = decimals; i < 6; ++i)
                unit *= 10;
            // up to a hundred million either way: the walk's long double
            // sums of them stay exact, as the table's do
            value = (qint64(m_random.generate64() % 200000000000000ULL) - 100000000000000LL) / unit * unit;
            text = amountText(value, m_random.bounded(2) == 0, decimals);
        }
        w.text[size_t(slot)] = text;
        w.millionths[size_t(slot)] = value;
        w.huge[size_t(slot)] = huge;
        table.setCell(row, SumColumns[slot], text);
    }

    // One edit of the kinds the program makes, chosen at random.
    void step()
    {
        const quint32 kind = m_random.bounded(100);
        if (kind < 55) {
            setAmount(randomRow(), int(m_random.bounded(6)), m_random.bounded(200) == 0);
        } else if (kind < 62) {
            // several cells of one row at once, as the recalculation edits them
            const int row = randomRow();
            LedgerTable::Row &cells = table.cellsForEdit(row);
            quint16 changed = 0;
            for (int slot : {0, 2, 4}) {
                WalkRow &w = walk[size_t(row - 1)];
                w.millionths[size_t(slot)] = qint64(m_random.bounded(100000)) * 10000;
                w.text[size_t(slot)] = amountText(w.millionths[size_t(slot)], true, 2);
                w.huge[size_t(slot)] = false;
                cells[size_t(SumColumns[slot])] = w.text[size_t(slot)];
                changed |= quint16(1u << SumColumns[slot]);
            }
            table.cellsChanged(row, changed);
        } else if (kind < 72) {
            // a row without a number ends the entries
            const int row = randomRow();
            const bool numbered = m_random.bounded(3) > 0;
            walk[size_t(row - 1)].numbered = numbered;
            table.setCell(row, ColNumber, numbered ? QString::number(row) : QString());
        } else if (kind < 78) {
            const int row = 1 + int(m_random.bounded(quint32(table.gridRowCount())));
            table.insertEmptyRow(row);
            walk.insert(walk.begin() + (row - 1), WalkRow{});
        } else if (kind < 83) {
            const int row = randomRow();
            table.removeRowAt(row);
            if (walk.size() == 1)
                walk[0] = WalkRow{};
            else
                walk.erase(walk.begin() + (row - 1));
        } else if (kind < 88 && table.lastRow() > 1) {
            const int from = randomRow(), to = randomRow();
            table.moveRow(from, to);
            if (from != to) {
                WalkRow moved = walk[size_t(from - 1)];
                walk.erase(walk.begin() + (from - 1));
                walk.insert(walk.begin() + (to - 1), moved);
            }
        } else if (kind < 92) {
            std::vector<int> order(size_t(table.lastRow()));
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = int(i) + 1;
            std::shuffle(order.begin(), order.end(), m_random);
            table.applyPermutation(order);
            std::vector<WalkRow> shuffled;
            for (int o : order)
                shuffled.push_back(walk[size_t(o - 1)]);
            walk = shuffled;
        } else if (kind < 96) {
            table.renumber();
            for (WalkRow &w : walk)
                w.numbered = true;
        } else {
            const int count = 2 + int(m_random.bounded(60));
            table.setGridRowCount(count);
            walk.resize(size_t(count - 1));
        }
    }

private:
    QRandomGenerator m_random;
};

// Three numbered entries: two debits and a credit.
void threeEntries(LedgerTable &t, const char *debit1, const char *debit2, const char *credit3)
{
    t.setGridRowCount(4);
    t.renumber();
    t.setCell(1, ColDebit, QString::fromLatin1(debit1));
    t.setCell(2, ColDebit, QString::fromLatin1(debit2));
    t.setCell(3, ColCredit, QString::fromLatin1(credit3));
}

} // namespace

class TestLedgerTable : public QObject {
    Q_OBJECT
private slots:
    void sumsFollowRandomEdits_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 20240531u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void sumsFollowRandomEdits()
    {
        QFETCH(quint32, seed);
        Edits e(seed);
        e.table.setGridRowCount(40);
        e.walk.resize(39);
        for (int i = 0; i < 3000; ++i) {
            e.step();
            QCOMPARE(size_t(e.table.lastRow()), e.walk.size());
            const QString diff = differences(e.table.entrySums(), walkSums(e.walk));
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("after edit %1: %2").arg(i).arg(diff)));
        }
    }

    // More than 20 integer digits in one cell: the sums fall back to a walk
    // in doubles while the cell is there, and are exact again once it is gone.
    void hugeCellFallsBackAndReturns()
    {
        LedgerTable t(Regional::turkish());
        threeEntries(t, "0,10", "0,20", "0,30");
        QVERIFY(t.entrySums().totalsEqual); // 0,1 + 0,2 == 0,3 exactly
        t.setCell(2, ColCredit, QStringLiteral("123456789012345678901"));
        const LedgerSums huge = t.entrySums();
        QCOMPARE(huge.value[LedgerSums::Credit], 0.30 + 123456789012345678901.0);
        QCOMPARE(huge.value[LedgerSums::Debit], 0.1 + 0.2);
        QVERIFY(!huge.totalsEqual);
        t.setCell(2, ColCredit, QString());
        const LedgerSums exact = t.entrySums();
        QVERIFY(exact.totalsEqual);
        QCOMPARE(exact.balance, 0.0);
    }

    // Exact totals beyond 64 bits (x 10^9) become the double nearest to
    // them, negative ones too: the last bits below a double's decide it.
    void exactTotalsBeyondSixtyFourBits()
    {
        LedgerTable t(Regional::turkish());
        threeEntries(t, "98765432109,999999999", "12345678901,000000003", "-55555555555,555555557");
        const LedgerSums s = t.entrySums();
        auto nearest = [](__int128 v) { return double(static_cast<long double>(v) / 1e9L); };
        const __int128 debit = __int128(111111111011LL) * 1000000000 + 2;
        QCOMPARE(s.value[LedgerSums::Debit], nearest(debit));
        QCOMPARE(s.value[LedgerSums::Credit], nearest(-(__int128(55555555555LL) * 1000000000 + 555555557)));
        QCOMPARE(s.balance, nearest(debit + __int128(55555555555LL) * 1000000000 + 555555557));
        // twenty integer digits are still summed exactly
        t.setCell(3, ColCredit, QStringLiteral("12345678901234567890,5"));
        const __int128 twenty = __int128(1234567890123456789LL) * 10 * 1000000000 + __int128(500000000);
        QCOMPARE(t.entrySums().value[LedgerSums::Credit], nearest(twenty));
        QCOMPARE(t.entrySums().balance, nearest(debit - twenty));
    }

    // A changed row is announced to whoever listens, also to a listener
    // that comes after another has gone.
    void changesAreAnnouncedToListeners()
    {
        LedgerTable t(Regional::turkish());
        t.setGridRowCount(3);
        t.renumber();
        auto change = [&](const char *text) {
            LedgerTable::Row &cells = t.cellsForEdit(1);
            cells[ColDebit] = QString::fromLatin1(text);
            t.cellsChanged(1, 1u << ColDebit);
        };
        change("1,00"); // nobody listens
        {
            QSignalSpy first(&t, &QAbstractItemModel::dataChanged);
            change("2,00");
            QCOMPARE(first.size(), 1);
            QCOMPARE(first.at(0).at(0).toModelIndex(), t.index(0, ColDebit));
        }
        QSignalSpy second(&t, &QAbstractItemModel::dataChanged);
        t.storeRow(2, t.packedRow(2).withCell(ColCredit, u"3,00"), 1u << ColCredit);
        QCOMPARE(second.size(), 1);
        QCOMPARE(second.at(0).at(1).toModelIndex(), t.index(1, ColCredit));
        QCOMPARE(t.entrySums().value[LedgerSums::Credit], 3.0);
    }

    // An unreadable amount is an error only among the entries.
    void unreadableCellRaisesOnlyAmongTheEntries()
    {
        LedgerTable t(Regional::turkish());
        t.setGridRowCount(4);
        t.renumber();
        t.setCell(3, ColDebitDiff, QStringLiteral("1,2,3"));
        QString raised;
        try {
            t.entrySums();
        } catch (const KervioError &e) {
            raised = e.text();
        }
        QCOMPARE(raised, QStringLiteral("'1,2,3' is not a valid floating point value"));
        t.setCell(2, ColNumber, QString()); // the entries end above it
        t.setCell(1, ColDebit, QStringLiteral("5"));
        QCOMPARE(t.entrySums().value[LedgerSums::Debit], 5.0);
    }

    // Every kind of text a cell can hold, edited in every way the table
    // offers, reads back exactly as a plain copy of the rows holds it. Rows
    // of more than 65,535 characters keep their offsets in two units.
    void cellsReadBackAfterEdits_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {7u, 8u, 9u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void cellsReadBackAfterEdits()
    {
        QFETCH(quint32, seed);
        const QString texts[] = {QString(), QStringLiteral(""), QStringLiteral("1"), QStringLiteral("İşlem ılık ĞÜŞÖÇ"),
                                 QStringLiteral("a,\"b\"\r\nc"), QString(QChar(0)) + u'x',
                                 QString::fromUtf8("\xF0\x9F\x98\x80"), QString(QChar(0xD800)),
                                 QString(65535, u'x'), QString(40000, u'y')};
        QRandomGenerator random(seed);
        auto anyText = [&] { return texts[random.bounded(quint32(std::size(texts)))]; };
        LedgerTable t(Regional::turkish());
        std::vector<LedgerTable::Row> mirror{t.row(0), t.row(1)};
        for (int step = 0; step < 400; ++step) {
            const int n = t.gridRowCount();
            const int row = 1 + int(random.bounded(quint32(n - 1)));
            const int col = int(random.bounded(quint32(LedgerTable::ColumnCount)));
            const quint32 kind = random.bounded(100);
            if (kind < 50) {
                // a copy taken before, as the recovery snapshot takes it, keeps the old texts
                const PackedRow copy = t.packedRow(row);
                const QString text = anyText();
                t.setCell(row, col, text);
                QVERIFY(copy == PackedRow(mirror[size_t(row)]));
                mirror[size_t(row)][size_t(col)] = text;
            } else if (kind < 65) {
                LedgerTable::Row &cells = t.cellsForEdit(row);
                quint16 changed = 0;
                for (int c = 0; c < LedgerTable::ColumnCount; ++c) {
                    if (random.bounded(3) == 0) {
                        cells[size_t(c)] = anyText();
                        mirror[size_t(row)][size_t(c)] = cells[size_t(c)];
                        changed |= quint16(1u << c);
                    }
                }
                t.cellsChanged(row, changed);
            } else if (kind < 75) {
                t.insertEmptyRow(row);
                mirror.insert(mirror.begin() + row, LedgerTable::Row{});
            } else if (kind < 85) {
                t.removeRowAt(row);
                if (n == 2)
                    mirror[1] = LedgerTable::Row{};
                else
                    mirror.erase(mirror.begin() + row);
            } else if (kind < 95) {
                const int to = 1 + int(random.bounded(quint32(n - 1)));
                t.moveRow(row, to);
                if (row != to) {
                    LedgerTable::Row moved = mirror[size_t(row)];
                    mirror.erase(mirror.begin() + row);
                    mirror.insert(mirror.begin() + to, moved);
                }
            } else {
                std::vector<LedgerTable::Row> rows(mirror.begin() + 1, mirror.end());
                t.replaceEntries(std::move(rows));
            }
            QCOMPARE(size_t(t.gridRowCount()), mirror.size());
            for (int r = 0; r < t.gridRowCount(); ++r) {
                QVERIFY2(t.row(r) == mirror[size_t(r)], qPrintable(QStringLiteral("row %1 after step %2").arg(r).arg(step)));
                QVERIFY(PackedRow(mirror[size_t(r)]) == t.packedRow(r));
                for (int c = 0; c < LedgerTable::ColumnCount; ++c)
                    QVERIFY(t.cellView(r, c) == mirror[size_t(r)][size_t(c)]);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLedgerTable)
#include "tst_ledgertable.moc"
