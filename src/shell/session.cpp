#include "session.h"
#include "core/errors.h"
#include "ledger/textfuncs.h"
#include "core/appinfo.h"

#include <QCollator>
#include <algorithm>
#include <cmath>
#include <map>

namespace kervio {

namespace {

// Day numbers counted as the calculation counts them: days since 30.12.1899.
const qint64 EpochJd = QDate(1899, 12, 30).toJulianDay();
const qint64 LastJd = QDate(10000, 1, 1).toJulianDay();

double dayNumber(const QDate &d)
{
    return double(d.toJulianDay() - EpochJd);
}

// An average due date H + days, kept within what a date picker can show.
void setLimitedDate(Summary &s, Summary::Picker p, const QDate &h, int64_t days)
{
    const __int128 x = __int128(h.toJulianDay()) + days;
    if (x < EpochJd)
        s.setDate(p, QDate(1899, 12, 31));
    else if (x > LastJd)
        s.setDate(p, QDate(9999, 12, 31));
    else if (x == EpochJd || x == LastJd)
        return;
    else
        s.setDate(p, QDate::fromJulianDay(qint64(x)));
}

} // namespace

Session::Session(const Regional &reg, Dialogs *dialogs, QObject *parent)
    : QObject(parent), m_reg(reg), m_dialogs(dialogs), m_ledger(reg), m_params(reg), m_summary(reg)
{
    m_settingsPath = executableFolder() + QStringLiteral("Ayarlar.ini");
}

bool Session::guarded(const std::function<void()> &action)
{
    try {
        action();
        emit summaryChanged();
        return true;
    } catch (const SilentAbort &) {
    } catch (const KervioError &e) {
        emit summaryChanged();
        m_dialogs->error(e.text());
        return false;
    }
    emit summaryChanged();
    return false;
}

// --- cursor -------------------------------------------------------------------

void Session::setCurrentCell(int row, int col)
{
    if (row < 1 || row >= m_ledger.gridRowCount() || !StringGrid3SelectCell(col, row))
        return;
    if (row == m_ledger.currentRow() && col == m_ledger.currentColumn())
        return;
    m_ledger.setCurrent(row, col);
    StringGrid3Click();
}

void Session::moveCurrentRow(int row)
{
    setCurrentCell(row, m_ledger.currentColumn() >= 1 ? m_ledger.currentColumn() : 1);
}

// --- recalculation -------------------------------------------------------------

void Session::StringGrid3Click()
{
    m_lastClick = ClickResult::Stopped;
    m_lastClick = recalcCurrentRow();
}

namespace {
// A cell that already reads dd.mm.yyyy with the regional separator and a
// year the completion accepts comes out of it unchanged.
bool alreadyComplete(const QString &t, QChar sep)
{
    if (t.size() != 10 || t[2] != sep || t[5] != sep)
        return false;
    int v[8];
    static const int pos[8] = {0, 1, 3, 4, 6, 7, 8, 9};
    for (int i = 0; i < 8; ++i) {
        const char16_t c = t[pos[i]].unicode();
        if (c < '0' || c > '9')
            return false;
        v[i] = c - '0';
    }
    const int day = v[0] * 10 + v[1], month = v[2] * 10 + v[3];
    const int year = v[4] * 1000 + v[5] * 100 + v[6] * 10 + v[7];
    return day >= 1 && month >= 1 && year >= 1905 && year <= 2999;
}
} // namespace

bool Session::completeDate(int row, int col)
{
    const QString text = m_ledger.cell(row, col);
    if (alreadyComplete(text, m_reg.date))
        return false;
    QString d = text.mid(0, 2);
    QString m = text.mid(3, 2);
    QString y = text.mid(6, 4);
    if (ParseDigits(d) < 10)
        d = QStringLiteral("0") + PlainNumberText(ParseDigits(d));
    if (PlainNumberText(ParseDigits(m)).size() < 2)
        m = QStringLiteral("0") + PlainNumberText(ParseDigits(m));
    if (ParseDigits(y) == 0 && ParseDigits(m) > 0)
        y = QString::number(m_params.calculationDate().year()).rightJustified(4, u'0');
    {
        const double yn = ParseDigits(y);
        const QString ys = PlainNumberText(yn);
        if (ys.size() == 1 && yn > 0)
            y = QStringLiteral("200") + ys;
    }
    {
        const QString ys = PlainNumberText(ParseDigits(y));
        if (ys.size() == 2)
            y = QStringLiteral("20") + ys;
    }
    {
        const QString ys = PlainNumberText(ParseDigits(y));
        if (ys.size() == 3)
            y = QStringLiteral("1") + ys;
    }
    const double dn = ParseDigits(d), mn = ParseDigits(m), yn = ParseDigits(y);
    const QString joined = d + m_reg.date + m + m_reg.date + y;
    if (dn >= 1 && mn >= 1 && yn >= 1905 && yn <= 2999) {
        m_ledger.setCell(row, col, joined);
        return true;
    }
    m_dialogs->message(QStringLiteral("\"") + joined + QStringLiteral("\" tarih girişiniz uygun değil!"));
    m_ledger.setCell(row, col, QString());
    throw SilentAbort();
}

Session::ClickResult Session::recalcCurrentRow()
{
    LedgerTable &L = m_ledger;
    const int r = L.currentRow();
    if (r < 1 || r >= L.gridRowCount())
        return ClickResult::Stopped;

    if (m_params.text(Parameters::YearlyRate).isEmpty())
        m_params.setText(Parameters::YearlyRate, QStringLiteral("0"));

    if (ParseAmount(L.cell(r, ColDebit), m_reg) < 0.01) {
        L.setCell(r, ColDebitDiff, QString());
        L.setCell(r, ColDebitAdat, QString());
    }
    if (ParseAmount(L.cell(r, ColCredit), m_reg) < 0.01) {
        L.setCell(r, ColCreditDiff, QString());
        L.setCell(r, ColCreditAdat, QString());
    }

    double d1 = ParseDigits(L.cell(r, ColTransactionDate));
    if (d1 > 0 && completeDate(r, ColTransactionDate))
        d1 = ParseDigits(L.cell(r, ColTransactionDate));
    double d2 = ParseDigits(L.cell(r, ColDueDate));
    if (d2 > 0 && completeDate(r, ColDueDate))
        d2 = ParseDigits(L.cell(r, ColDueDate));

    if (d1 < 1 && L.cell(r, ColDueDate).size() == 10) {
        L.setCell(r, ColTransactionDate, L.cell(r, ColDueDate));
        d1 = d2;
    }
    if (d2 < 1 && L.cell(r, ColTransactionDate).size() == 10) {
        L.setCell(r, ColDueDate, L.cell(r, ColTransactionDate));
        d2 = d1;
    }

    // fewer than six characters in the digits' text: no due date
    if (!(d2 >= 100000 && d2 < 1e15) && PlainNumberText(d2).size() < 6) {
        L.setCell(r, ColDueDate, QString());
        return ClickResult::Stopped;
    }
    if (!IsValidDateText(L.cell(r, ColDueDate))) {
        m_dialogs->message(L.cell(r, ColDueDate) + QStringLiteral(" Tarih Girişiniz doğru değil."));
        L.setCell(r, ColDueDate, QString());
        return ClickResult::Stopped;
    }

    if (!L.cell(r, ColDebit).isEmpty()) {
        L.setCell(r, ColDebit, FormatAmount(ParseAmount(L.cell(r, ColDebit), m_reg), m_reg));
        L.setCell(r, ColDebitDiff, FormatAmount(ParseAmount(L.cell(r, ColDebitDiff), m_reg), m_reg));
    }
    if (!L.cell(r, ColCredit).isEmpty()) {
        L.setCell(r, ColCredit, FormatAmount(ParseAmount(L.cell(r, ColCredit), m_reg), m_reg));
        L.setCell(r, ColCreditDiff, FormatAmount(ParseAmount(L.cell(r, ColCreditDiff), m_reg), m_reg));
    }

    const QString due = L.cell(r, ColDueDate);
    if (due.size() != 10)
        return ClickResult::Stopped;
    const QStringView dv(due);
    const QDate v(StrToInt(dv.mid(6, 4)), StrToInt(dv.mid(3, 2)), StrToInt(dv.mid(0, 2)));
    const double V = dayNumber(v);
    const double H = dayNumber(m_params.calculationDate());

    const double gb = ParseAmount(m_params.text(Parameters::DebitGrace), m_reg);
    L.setCell(r, ColDays, FloatToStr(gb + V - H, m_reg));

    auto weekendShift = [&](bool on) {
        if (!on)
            return 0.0;
        const int dow = v.dayOfWeek();
        return dow == 7 ? 1.0 : dow == 6 ? 2.0 : 0.0;
    };
    auto termDifference = [&](double adat) {
        const double rate = StrToFloat(m_params.text(Parameters::YearlyRate), m_reg);
        const double year = StrToFloat(m_params.text(Parameters::DaysInYear), m_reg);
        return Divide(-(rate * adat), year * 100);
    };

    // Interest numbers and term differences go to their format as they are:
    // the format reads them at 15 significant digits, so a tiny value shows
    // as 0,00 instead of being mangled through an E-notation text.
    const double debit = ParseAmount(L.cell(r, ColDebit), m_reg);
    if (debit > 0) {
        const double w = weekendShift(m_params.debitWeekend());
        const double days = gb + V + w - H;
        L.setCell(r, ColDays, FloatToStr(days, m_reg));
        const double adat = debit * days;
        L.setCell(r, ColDebitAdat, FormatAmount(adat, m_reg));
        L.setCell(r, ColDebitDiff, FormatAmount(termDifference(adat), m_reg));
    }
    const double credit = ParseAmount(L.cell(r, ColCredit), m_reg);
    if (credit > 0) {
        const double ga = ParseAmount(m_params.text(Parameters::CreditGrace), m_reg);
        const double w = weekendShift(m_params.creditWeekend());
        const double days = ga + V + w - H;
        L.setCell(r, ColDays, FloatToStr(days, m_reg));
        const double adat = credit * days;
        L.setCell(r, ColCreditAdat, FormatAmount(adat, m_reg));
        L.setCell(r, ColCreditDiff, FormatAmount(termDifference(adat), m_reg));
    }

    recalcSummary();
    return ClickResult::Completed;
}

void Session::recalcSummary()
{
    const LedgerSums s = m_ledger.entrySums();
    using F = Summary::Format;
    const double sb = s.value[LedgerSums::Debit];
    const double sa = s.value[LedgerSums::Credit];
    const double sbv = s.value[LedgerSums::DebitDiff];
    const double sav = s.value[LedgerSums::CreditDiff];
    const double sab = s.value[LedgerSums::DebitAdat];
    const double saa = s.value[LedgerSums::CreditAdat];
    m_summary.setNumber(Summary::DebitTotal, sb, F::Amount);
    m_summary.setNumber(Summary::CreditTotal, sa, F::Amount);
    m_summary.setNumber(Summary::Balance, s.balance, F::Amount);
    m_summary.setNumber(Summary::DebitDiff, sbv, F::Amount);
    m_summary.setNumber(Summary::CreditDiff, sav, F::Amount);
    m_summary.setNumber(Summary::NetDiff, s.net, F::Amount);

    const QDate h = m_params.calculationDate();
    if (s.debitPositive) {
        const int64_t avg = RoundHalfEven(Divide(sab, sb));
        m_summary.setNumber(Summary::DebitDays, double(avg), F::Whole);
        setLimitedDate(m_summary, Summary::DebitDate, h, avg);
    }
    if (s.creditPositive) {
        const int64_t avg = RoundHalfEven(Divide(saa, sa));
        m_summary.setNumber(Summary::CreditDays, double(avg), F::Whole);
        setLimitedDate(m_summary, Summary::CreditDate, h, avg);
    }
    if (!s.totalsEqual && (s.debitPositive || s.creditPositive)) {
        const int64_t avg = RoundHalfEven(Divide(s.adatBalance, s.balance));
        m_summary.setNumber(Summary::OverallDays, double(avg), F::Whole);
        setLimitedDate(m_summary, Summary::OverallDate, h, avg);
    } else if (s.totalsEqual) {
        const int64_t avg = RoundHalfEven(m_summary.amount(Summary::DebitDays) - m_summary.amount(Summary::CreditDays));
        m_summary.setNumber(Summary::OverallDays, double(avg), F::Whole);
        setLimitedDate(m_summary, Summary::OverallDate, h, avg);
    }
}

void Session::BitBtn1Click()
{
    const int count = m_ledger.gridRowCount();
    if (m_ledger.currentRow() != 1)
        moveCurrentRow(1);
    else if (count == 2)
        StringGrid3Click(); // a lone entry row is recalculated too
    for (int i = 0; i < count - 2; ++i) {
        // The row was just recalculated by the move onto it; running it again
        // changes nothing unless that run stopped early.
        if (m_lastClick != ClickResult::Completed)
            StringGrid3Click();
        if (m_ledger.currentRow() + 1 < m_ledger.gridRowCount())
            moveCurrentRow(m_ledger.currentRow() + 1);
    }
}

void Session::BitBtn19Click()
{
    const long double bd = m_summary.amount(Summary::DebitDays);
    const long double ad = m_summary.amount(Summary::CreditDays);
    const long double balance = ParseAmount(m_summary.text(Summary::Balance), m_reg);
    const long double debit = ParseAmount(m_summary.text(Summary::DebitTotal), m_reg);
    const long double credit = ParseAmount(m_summary.text(Summary::CreditTotal), m_reg);
    long double s = 0, gap = 0;
    if (credit > debit) {
        s = debit;
        gap = bd - ad;
    } else if (debit > credit) {
        s = credit;
        gap = ad - bd;
    } else {
        return; // balanced: there is no rate to find
    }
    auto divide = [](long double a, long double b) {
        if (b == 0) {
            if (a == 0)
                raiseInvalidOperation();
            raiseDivisionByZero();
        }
        return a / b;
    };
    long double x = divide(divide(balance, s), gap);
    x = x * 365 * 100 * 10000;
    if (!std::isfinite(double(x)) || std::fabs(x) >= 9223372036854775808.0L)
        raiseInvalidOperation();
    const int64_t n = std::llrint(x); // ties to even in the default mode
    const double yearly = double(n) / 10000;
    const double monthly = yearly / 12;
    m_summary.setText(Summary::YearlyRateResult, FloatToStr(yearly, m_reg));
    m_summary.setText(Summary::MonthlyRateResult, FloatToStr(monthly, m_reg));
}

namespace {

// The sort key of a row: year, month and day of its transaction date.
QString sortKey(const LedgerTable::Row &row)
{
    const QString &due = row[ColDueDate];
    bool dueDigits = false;
    for (QChar c : due)
        if (c.unicode() >= '1' && c.unicode() <= '9')
            dueDigits = true;
    if (!dueDigits)
        return QStringLiteral("99999999");
    const QString &t = row[ColTransactionDate];
    const QString yp = t.mid(6, 4), mp = t.mid(3, 2), dp = t.mid(0, 2);
    QString year = yp;
    {
        const double n = ParseDigits(yp);
        const QString s = PlainNumberText(n);
        if (s.size() == 1 && n > 0)
            year = QStringLiteral("200") + s;
        else if (s.size() == 2)
            year = QStringLiteral("20") + s;
        else if (s.size() == 3)
            year = QStringLiteral("1") + s;
    }
    auto twoDigits = [](const QString &piece) {
        const double n = ParseDigits(piece);
        return n < 10 ? QStringLiteral("0") + PlainNumberText(n) : piece;
    };
    return year + twoDigits(mp) + twoDigits(dp);
}

// The order the exchange sort leaves: for each position p, every later row
// whose key is smaller than the one now at p is exchanged with it. Ties are
// not stable, and which equal row ends where follows that procedure, so it
// is replayed; only the exchanges are visited, found with a min-tree.
std::vector<int> exchangeSortOrder(const std::vector<int> &rank)
{
    const int n = int(rank.size());
    std::vector<int> val = rank;
    std::vector<int> id(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        id[size_t(i)] = i;
    int size = 1;
    while (size < n)
        size <<= 1;
    std::vector<int> tree(size_t(2 * size), INT32_MAX);
    for (int i = 0; i < n; ++i)
        tree[size_t(size + i)] = val[size_t(i)];
    for (int i = size - 1; i > 0; --i)
        tree[size_t(i)] = std::min(tree[size_t(2 * i)], tree[size_t(2 * i + 1)]);
    auto update = [&](int pos) {
        int i = size + pos;
        tree[size_t(i)] = val[size_t(pos)];
        for (i >>= 1; i > 0; i >>= 1)
            tree[size_t(i)] = std::min(tree[size_t(2 * i)], tree[size_t(2 * i + 1)]);
    };
    // first index >= from whose value is below v, or -1
    auto firstBelow = [&](int from, int v) {
        if (from >= n)
            return -1;
        // climb from the leaf, then descend
        int i = size + from;
        if (tree[size_t(i)] < v)
            return from;
        while (true) {
            // move to the next subtree to the right
            while (i & 1) {
                i >>= 1;
                if (i == 0)
                    return -1;
            }
            ++i;
            if (tree[size_t(i)] < v)
                break;
        }
        while (i < size)
            i = tree[size_t(2 * i)] < v ? 2 * i : 2 * i + 1;
        const int pos = i - size;
        return pos < n ? pos : -1;
    };
    std::vector<int> chain;
    for (int p = 0; p + 1 < n; ++p) {
        chain.clear();
        int cur = val[size_t(p)];
        int q = p + 1;
        while (true) {
            const int j = firstBelow(q, cur);
            if (j < 0)
                break;
            chain.push_back(j);
            cur = val[size_t(j)];
            q = j + 1;
        }
        if (chain.empty())
            continue;
        // p takes the last record, each record's place takes the one before
        int carriedVal = val[size_t(p)], carriedId = id[size_t(p)];
        for (int j : chain) {
            std::swap(carriedVal, val[size_t(j)]);
            std::swap(carriedId, id[size_t(j)]);
            update(j);
        }
        val[size_t(p)] = carriedVal;
        id[size_t(p)] = carriedId;
        update(p);
    }
    return id;
}

} // namespace

void Session::BitBtn2Click()
{
    LedgerTable &L = m_ledger;
    const int last = L.lastRow();
    std::vector<QString> keys;
    keys.reserve(size_t(last));
    for (int r = 1; r <= last; ++r) {
        keys.push_back(sortKey(L.row(r)));
        L.setCell(r, ColIndex2, keys.back());
    }
    // Keys compare as the platform's case-insensitive collation does (the
    // system's, not the window's Turkish default); ranks make the replay cheap.
    QCollator coll(QLocale::system());
    coll.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QString> unique = keys;
    std::sort(unique.begin(), unique.end(), [&](const QString &a, const QString &b) { return coll.compare(a, b) < 0; });
    std::vector<int> rank(keys.size());
    std::map<QString, int> rankOf;
    {
        int rk = 0;
        for (size_t i = 0; i < unique.size(); ++i) {
            if (i > 0 && coll.compare(unique[i - 1], unique[i]) != 0)
                ++rk;
            rankOf.emplace(unique[i], rk);
        }
    }
    for (size_t i = 0; i < keys.size(); ++i)
        rank[i] = rankOf[keys[i]];
    std::vector<int> order = exchangeSortOrder(rank);
    bool moved = false;
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] += 1; // grid rows
        moved = moved || order[i] != int(i) + 1;
    }
    if (moved)
        L.applyPermutation(order);
    L.renumber();
    BitBtn1Click();
}

void Session::BitBtn4Click()
{
    if (m_dialogs->question(ApplicationTitle(), QStringLiteral("Dosyayı Boşaltmak istediğinizden eminmisiniz?"),
                            Dialogs::Icon::None, Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return;
    m_ledger.clearEntries();
    m_ledger.setCell(1, ColNumber, QStringLiteral("1"));
    for (Summary::Field f : {Summary::DebitTotal, Summary::CreditTotal, Summary::Balance, Summary::DebitDiff,
                             Summary::CreditDiff, Summary::NetDiff, Summary::CreditDays, Summary::OverallDays})
        m_summary.setText(f, QString());
    m_summary.setText(Summary::YearlyRateResult, QStringLiteral("0,00"));
    m_summary.setText(Summary::MonthlyRateResult, QStringLiteral("0,00"));
    m_summary.setText(Summary::DebitDays, QString());
    const QDate today = QDate::currentDate();
    m_summary.setDate(Summary::OverallDate, today);
    m_summary.setDate(Summary::CreditDate, today);
    m_summary.setDate(Summary::DebitDate, today);
}

// --- rows -------------------------------------------------------------------------

void Session::MenuItem11Click()
{
    const int r = m_ledger.currentRow();
    m_ledger.insertEmptyRow(r);
    // the cursor stays with the entry it was on, now one row lower
    m_ledger.setCurrent(r + 1, m_ledger.currentColumn());
    m_ledger.renumber();
    BitBtn1Click();
}

void Session::MenuItem12Click()
{
    if (!m_ledger.cell(m_ledger.currentRow(), ColTransactionDate).isEmpty()) {
        if (m_dialogs->question(MainCaption(), QStringLiteral("Kaydı Silmek istediğinizden eminmisiniz?"),
                                Dialogs::Icon::Question, Dialogs::Buttons::YesNoCancel) == Dialogs::Answer::Yes)
            DeleteRow();
    }
    if (m_ledger.cell(m_ledger.currentRow(), ColTransactionDate).isEmpty())
        DeleteRow();
    m_ledger.renumber();
    BitBtn1Click();
}

void Session::DeleteRow()
{
    const int r = m_ledger.currentRow();
    if (r < 1 || r >= m_ledger.gridRowCount())
        return;
    m_ledger.removeRowAt(r);
}

void Session::autoNewRow()
{
    const int r = m_ledger.currentRow();
    if (m_ledger.currentColumn() == ColDescription && m_ledger.cell(r, ColDueDate).size() > 7 &&
        r == m_ledger.lastRow()) {
        const int count = m_ledger.gridRowCount();
        m_ledger.setGridRowCount(count + 1);
        m_ledger.setCell(count, ColNumber, QString::number(count));
    }
}

} // namespace kervio
