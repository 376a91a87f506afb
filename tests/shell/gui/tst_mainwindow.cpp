// The main window driven as a user drives it: keys and clicks on the real
// widgets, answers to its questions from a script.
#include "ledger/textfuncs.h"
#include "core/appinfo.h"
#include "gui/guiapp.h"
#include "shell/gui/ledgergrid.h"
#include "shell/gui/mainwindow.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace kervio;
using Answer = Dialogs::Answer;

namespace {

// A box takes the focus away from the grid while it is shown, as a real one does.
class FocusStealingDialogs : public ScriptedDialogs {
public:
    QWidget *thief = nullptr;
    void message(const QString &text) override
    {
        if (thief)
            thief->setFocus(Qt::OtherFocusReason);
        ScriptedDialogs::message(text);
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startup();
    void workedExampleTypedRowByRow();
    void parameterKeyFilters_data();
    void parameterKeyFilters();
    void amountKeyFilterAndGrouping_data();
    void amountKeyFilterAndGrouping();
    void enterWalkAndAutomaticNewRow();
    void cursorNeverReachesComputedColumns();
    void insertOnRowThreeOfFive();
    void dragRowByItsNumber();
    void deleteRow_data();
    void deleteRow();
    void rateLink_data();
    void rateLink();
    void badRateShowsErrorAndProgramGoesOn();
    void focusColoursAndEnterMovesOn();
    void closingQuestion_data();
    void closingQuestion();
    void f3AndF7();
    void saveAndReopenThroughDialogs();
    void boxDuringRecalculationDoesNotRestartIt();
    void clickIntoEmptyDateTemplate_data();
    void clickIntoEmptyDateTemplate();
    void keyAfterRefusedDateDoesNothingMore_data();
    void keyAfterRefusedDateDoesNothingMore();
    void averageDueDatesReadLikeResults();
    void smallScreenScrolls_data();
    void smallScreenScrolls();

private:
    // A control of the window by its object name.
    template <typename T>
    T *child(const char *name) const
    {
        T *w = m_window->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("the window has no control named %s", name);
        return w;
    }
    LedgerGrid *grid() const { return child<LedgerGrid>("ledgerGrid"); }
    LedgerTable &ledger() { return m_session->ledger(); }
    QLineEdit *editor() { return grid()->cellEditor(); }
    void clickCell(int row, int col);
    void typeInCell(const QString &text);
    void enter();
    void typeRow(const QString &t, const QString &v, const QString &desc, const QString &debit, const QString &credit);
    void setParameters();
    void fillRows(int count);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FocusStealingDialogs> m_dialogs;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::initTestCase()
{
    prepareApplication();
}

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = std::make_unique<FocusStealingDialogs>();
    m_session = std::make_unique<Session>(Regional::turkish(), m_dialogs.get());
    m_session->setSettingsPath(m_dir->filePath(QStringLiteral("Ayarlar.ini")));
    m_session->setFileDialogFolder(m_dir->path());
    m_window = std::make_unique<MainWindow>(*m_session);
    m_window->resize(1081, 649);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestMainWindow::cleanup()
{
    m_session->setConfirmOnClose(false);
    m_window.reset();
    m_session.reset();
    m_dialogs.reset();
    m_dir.reset();
}

void TestMainWindow::clickCell(int row, int col)
{
    LedgerGrid *g = grid();
    const QRect r = g->visualRect(g->model()->index(row - 1, col));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
}

void TestMainWindow::typeInCell(const QString &text)
{
    QVERIFY(editor());
    QTest::keyClicks(editor(), text);
}

void TestMainWindow::enter()
{
    QTest::keyClick(editor(), Qt::Key_Return);
}

void TestMainWindow::typeRow(const QString &t, const QString &v, const QString &desc, const QString &debit,
                             const QString &credit)
{
    for (const QString &text : {t, v, desc, debit, credit}) {
        typeInCell(text);
        enter();
    }
}

void TestMainWindow::setParameters()
{
    child<QDateEdit>("calculationDateEdit")->setDate(QDate(2024, 12, 31));
    for (auto [edit, text] : {std::pair{child<QLineEdit>("daysInYearEdit"), "365"}, {child<QLineEdit>("yearlyRateEdit"), "24"},
                              {child<QLineEdit>("debitGraceDaysEdit"), "0"}, {child<QLineEdit>("creditGraceDaysEdit"), "0"}}) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }
}

// Entries typed into the ledger as a file would bring them.
void TestMainWindow::fillRows(int count)
{
    ledger().setGridRowCount(count + 1);
    for (int r = 1; r <= count; ++r) {
        ledger().setCell(r, ColTransactionDate, QStringLiteral("%1.11.2024").arg(r, 2, 10, QChar(u'0')));
        ledger().setCell(r, ColDueDate, QStringLiteral("%1.12.2024").arg(r, 2, 10, QChar(u'0')));
        ledger().setCell(r, ColDescription, QStringLiteral("kayıt %1").arg(r));
        ledger().setCell(r, ColDebit, QString::number(100 * r));
    }
    ledger().renumber();
}

// --- tests ---------------------------------------------------------------------
void TestMainWindow::startup()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kavrel Kervio Programı 2.0 Güncelleme:0"));
    QCOMPARE(child<QLabel>("versionLabel")->text(), QStringLiteral("Version 2.0 Güncelleme:0"));
    const QDate today = QDate::currentDate();
    for (const char *date :
         {"calculationDateEdit", "overallAverageDueDateEdit", "debitAverageDueDateEdit", "creditAverageDueDateEdit"})
        QCOMPARE(child<QDateEdit>(date)->date(), today);
    QCOMPARE(ledger().gridRowCount(), 2);
    QCOMPARE(ledger().cell(1, ColNumber), QStringLiteral("1"));
    QCOMPARE(grid()->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Açıklama"));
    for (int c = ColDebitAdat; c <= ColIndex2; ++c)
        QVERIFY(grid()->isColumnHidden(c));
    QVERIFY(!grid()->isColumnHidden(ColCreditDiff));
    QVERIFY(child<QLabel>("netDifferenceNote")->text().contains(QStringLiteral("vadesinden  daha")));
    // the commands of the windows not made here
    for (const char *command : {"exportButton", "importButton", "printButton", "previewNetReportButton", "mailButton",
                                "helpButton", "manualButton", "updateButton"})
        QVERIFY2(!child<QPushButton>(command)->isEnabled(), command);
    QVERIFY(child<QPushButton>("saveLedgerButton")->isEnabled() && child<QPushButton>("findRateButton")->isEnabled());
    QVERIFY(child<QLineEdit>("debitTotalEdit")->isReadOnly());
    // settings read at start, with no rate link between the two stored rates
    m_window.reset();
    QFile ini(m_session->settingsPath());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Ayar]\r\nyilgun=360\r\nayfaiz=30\r\nyilfaiz=2\r\nborcCheck=1\r\n");
    ini.close();
    m_window = std::make_unique<MainWindow>(*m_session);
    QCOMPARE(child<QLineEdit>("daysInYearEdit")->text(), QStringLiteral("360"));
    QCOMPARE(child<QLineEdit>("yearlyRateEdit")->text(), QStringLiteral("30"));
    QCOMPARE(child<QLineEdit>("monthlyRateEdit")->text(), QStringLiteral("2"));
    QVERIFY(child<QCheckBox>("debitWeekendCheck")->isChecked());
    QVERIFY(!child<QCheckBox>("creditWeekendCheck")->isChecked());
}

void TestMainWindow::workedExampleTypedRowByRow()
{
    setParameters();
    QCOMPARE(child<QLineEdit>("monthlyRateEdit")->text(), QStringLiteral("2"));
    clickCell(1, ColTransactionDate);
    typeRow("01102024", "31102024", "Satis", "10000", "");
    typeRow("15112024", "15012025", "Cek", "", "4000");
    typeRow("20112024", "30112024", "Havale", "", "2500");

    QCOMPARE(ledger().currentRow(), 4);
    QCOMPARE(ledger().currentColumn(), int(ColTransactionDate));
    const QStringList row1 = {"01.10.2024", "31.10.2024", "Satis", "10.000,00", "", "-61", "401,10", "", "-610.000,00", ""};
    const QStringList row3 = {"20.11.2024", "30.11.2024", "Havale", "", "2.500,00", "-31", "", "50,96", "", "-77.500,00"};
    for (int c = 0; c < row1.size(); ++c) {
        QCOMPARE(ledger().cell(1, c + 1), row1[c]);
        QCOMPARE(ledger().cell(3, c + 1), row3[c]);
    }
    QCOMPARE(ledger().cell(2, ColCreditDiff), QStringLiteral("-39,45"));
    QCOMPARE(ledger().cell(4, ColNumber), QStringLiteral("4"));

    QCOMPARE(child<QLineEdit>("debitTotalEdit")->text(), QStringLiteral("10.000,00"));
    QCOMPARE(child<QLineEdit>("creditTotalEdit")->text(), QStringLiteral("6.500,00"));
    QCOMPARE(child<QLineEdit>("balanceEdit")->text(), QStringLiteral("3.500,00"));
    QCOMPARE(child<QLineEdit>("debitDifferenceEdit")->text(), QStringLiteral("401,10"));
    QCOMPARE(child<QLineEdit>("creditDifferenceEdit")->text(), QStringLiteral("11,51"));
    QCOMPARE(child<QLineEdit>("netDifferenceEdit")->text(), QStringLiteral("389,59"));
    QCOMPARE(child<QLineEdit>("debitAverageDaysEdit")->text(), QStringLiteral("-61"));
    QCOMPARE(child<QLineEdit>("creditAverageDaysEdit")->text(), QStringLiteral("-3"));
    QCOMPARE(child<QLineEdit>("overallAverageDaysEdit")->text(), QStringLiteral("-169"));
    QCOMPARE(child<QDateEdit>("debitAverageDueDateEdit")->date(), QDate(2024, 10, 31));
    QCOMPARE(child<QDateEdit>("creditAverageDueDateEdit")->date(), QDate(2024, 12, 28));
    QCOMPARE(child<QDateEdit>("overallAverageDueDateEdit")->date(), QDate(2024, 7, 15));

    // the credit weekend box takes effect at the next recalculation
    QTest::mouseClick(child<QCheckBox>("creditWeekendCheck"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>("creditDifferenceEdit")->text(), QStringLiteral("11,51"));
    QTest::mouseClick(child<QPushButton>("recalculateButton"), Qt::LeftButton);
    QCOMPARE(ledger().cell(3, ColDays), QStringLiteral("-29"));
    QCOMPARE(child<QLineEdit>("creditDifferenceEdit")->text(), QStringLiteral("8,22"));
    QCOMPARE(child<QLineEdit>("netDifferenceEdit")->text(), QStringLiteral("392,88"));

    QTest::mouseClick(child<QPushButton>("findRateButton"), Qt::LeftButton);
    QVERIFY(!child<QLineEdit>("balancingYearlyRateEdit")->text().isEmpty());
    QCOMPARE(child<QLineEdit>("balancingYearlyRateEdit")->text(), m_session->summary().text(Summary::YearlyRateResult));
    QVERIFY(m_dialogs->shown.empty());
}

void TestMainWindow::parameterKeyFilters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("days: digits only, 3 at most") << "daysInYearEdit" << "3a6-5,1 " << "365";
    QTest::newRow("debit grace: 4 at most") << "debitGraceDaysEdit" << "1.2x34567" << "1234";
    QTest::newRow("credit grace") << "creditGraceDaysEdit" << "-7 " << "7";
    QTest::newRow("yearly rate: decimal comma passes") << "yearlyRateEdit" << "2a4,5-" << "24,5";
    QTest::newRow("monthly rate: no thousands dot") << "monthlyRateEdit" << "1.75 " << "175";
    QTest::newRow("company: free text") << "companyNameEdit" << "Ab-1, C" << "Ab-1, C";
}

void TestMainWindow::parameterKeyFilters()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    auto *edit = m_window->findChild<QLineEdit *>(field);
    QVERIFY(edit);
    edit->setFocus();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
}

void TestMainWindow::amountKeyFilterAndGrouping_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("shownAfterEach");
    QTest::newRow("grouping while typing") << int(ColDebit) << QStringList{"1", "2", "3", "4", "5"}
                                           << QStringList{"1", "12", "123", "1.234", "12.345"};
    QTest::newRow("decimal part stays") << int(ColCredit) << QStringList{"1", "2", ",", "5"}
                                        << QStringList{"1", "12", "12,", "12,5"};
    QTest::newRow("letters, sign, dot, blank swallowed") << int(ColDebit) << QStringList{"1", "a", "-", ".", " ", "2"}
                                                         << QStringList{"1", "1", "1", "1", "1", "12"};
    QTest::newRow("millions") << int(ColCredit) << QStringList{"1", "2", "3", "4", "5", "6", "7"}
                              << QStringList{"1", "12", "123", "1.234", "12.345", "123.456", "1.234.567"};
    QTest::newRow("description takes anything") << int(ColDescription) << QStringList{"a", "-", "1", "2", "3", "4"}
                                                << QStringList{"a", "a-", "a-1", "a-12", "a-123", "a-1234"};
}

void TestMainWindow::amountKeyFilterAndGrouping()
{
    QFETCH(int, column);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, shownAfterEach);
    clickCell(1, column);
    QCOMPARE(ledger().currentColumn(), column);
    for (int i = 0; i < keys.size(); ++i) {
        typeInCell(keys[i]);
        QCOMPARE(editor()->text(), shownAfterEach[i]);
        QCOMPARE(ledger().cell(1, column), shownAfterEach[i]);
    }
    QCOMPARE(editor()->cursorPosition(), editor()->text().size());
}

void TestMainWindow::enterWalkAndAutomaticNewRow()
{
    setParameters();
    clickCell(1, ColTransactionDate);
    typeInCell("05112024");
    enter();
    QCOMPARE(ledger().currentColumn(), int(ColDueDate));
    QCOMPARE(ledger().cell(1, ColDueDate), QStringLiteral("05.11.2024")); // the one date copied on the move
    enter();
    QCOMPARE(ledger().currentColumn(), int(ColDescription));
    QCOMPARE(ledger().gridRowCount(), 2);
    // any key in the description of the last row, once its due date is filled
    enter();
    QCOMPARE(ledger().gridRowCount(), 3);
    QCOMPARE(ledger().cell(2, ColNumber), QStringLiteral("2"));
    QCOMPARE(ledger().currentColumn(), int(ColDebit));
    enter();
    QCOMPARE(ledger().currentColumn(), int(ColCredit));
    enter();
    QCOMPARE(ledger().currentRow(), 2);
    QCOMPARE(ledger().currentColumn(), int(ColTransactionDate));
    // on the last row Enter after the credit stays on it
    clickCell(2, ColCredit);
    enter();
    QCOMPARE(ledger().currentRow(), 2);
    QCOMPARE(ledger().currentColumn(), int(ColTransactionDate));
    // not in a row that is not the last one, nor without a due date
    clickCell(1, ColDescription);
    typeInCell("yz");
    clickCell(2, ColDescription);
    typeInCell("abc");
    QCOMPARE(ledger().gridRowCount(), 3);
    // Up recalculates the row it leaves: the year comes from the calculation date
    clickCell(2, ColTransactionDate);
    typeInCell("0712");
    QTest::keyClick(editor(), Qt::Key_Up);
    QCOMPARE(ledger().currentRow(), 1);
    QCOMPARE(ledger().cell(2, ColTransactionDate), QStringLiteral("07.12.2024"));
}

void TestMainWindow::cursorNeverReachesComputedColumns()
{
    setParameters();
    fillRows(3);
    clickCell(2, ColCredit);
    QCOMPARE(ledger().currentColumn(), int(ColCredit));
    for (int col : {ColDays, ColDebitDiff, ColCreditDiff}) {
        clickCell(1, col);
        QCOMPARE(ledger().currentRow(), 2);
        QCOMPARE(ledger().currentColumn(), int(ColCredit));
    }
    QTest::keyClick(editor(), Qt::Key_Tab);
    QCOMPARE(ledger().currentColumn(), int(ColCredit));
    QTest::keyClick(editor(), Qt::Key_End);
    QTest::keyClick(editor(), Qt::Key_Right);
    QCOMPARE(ledger().currentColumn(), int(ColCredit));
    QTest::keyClick(editor(), Qt::Key_Down);
    QCOMPARE(ledger().currentRow(), 3);
    QCOMPARE(ledger().currentColumn(), int(ColCredit));
    QTest::keyClick(editor(), Qt::Key_Down); // below the last row: stays
    QCOMPARE(ledger().currentRow(), 3);
    QTest::keyClick(editor(), Qt::Key_Return);
    QCOMPARE(ledger().currentColumn(), int(ColTransactionDate));
    // and never onto the row-number column
    QTest::keyClick(editor(), Qt::Key_Home);
    QTest::keyClick(editor(), Qt::Key_Left);
    QTest::keyClick(editor(), Qt::Key_Backtab);
    QCOMPARE(ledger().currentColumn(), int(ColTransactionDate));
    QTest::keyClick(editor(), Qt::Key_Tab);
    QCOMPARE(ledger().currentColumn(), int(ColDueDate));
}

void TestMainWindow::insertOnRowThreeOfFive()
{
    setParameters();
    fillRows(5);
    clickCell(3, ColDescription);
    QTest::keyClick(editor(), Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(ledger().gridRowCount(), 7);
    for (int r = 1; r <= 6; ++r)
        QCOMPARE(ledger().cell(r, ColNumber), QString::number(r));
    QVERIFY(ledger().cell(3, ColDescription).isEmpty());
    QCOMPARE(ledger().cell(4, ColDescription), QStringLiteral("kayıt 3"));
    QCOMPARE(ledger().cell(6, ColDescription), QStringLiteral("kayıt 5"));
    QCOMPARE(child<QLineEdit>("debitTotalEdit")->text(), QStringLiteral("1.500,00")); // recalculated
    // the context menu carries the same entries
    const QStringList captions = {"  Satır Ekle   ", "  Satır Sil   ", "  Yeniden Hesapla", "  Sıfırla"};
    const QList<QAction *> items = grid()->findChild<QMenu *>(QStringLiteral("ledgerMenu"))->actions();
    QCOMPARE(items.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(items[i]->text(), captions[i]);
    QCOMPARE(items[1]->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
}

void TestMainWindow::dragRowByItsNumber()
{
    fillRows(4);
    QHeaderView *numbers = grid()->verticalHeader();
    const int x = numbers->width() / 2;
    auto centreOf = [&](int row) { return QPoint(x, numbers->sectionViewportPosition(row - 1) + numbers->sectionSize(0) / 2); };
    QTest::mousePress(numbers->viewport(), Qt::LeftButton, {}, centreOf(1));
    const QPoint past = centreOf(3) + QPoint(0, 4); // beyond the middle of row 3
    for (int y = centreOf(1).y(); y <= past.y(); y += 4)
        QTest::mouseMove(numbers->viewport(), QPoint(x, y));
    QTest::mouseRelease(numbers->viewport(), Qt::LeftButton, {}, past);
    // the row goes whole, its number with it, until the next renumbering
    const QStringList order = {"kayıt 2", "kayıt 3", "kayıt 1", "kayıt 4"};
    const QStringList numbersAfter = {"2", "3", "1", "4"};
    for (int r = 1; r <= 4; ++r) {
        QCOMPARE(ledger().cell(r, ColDescription), order[r - 1]);
        QCOMPARE(ledger().cell(r, ColNumber), numbersAfter[r - 1]);
        QCOMPARE(numbers->logicalIndex(r - 1), r - 1); // the header shows the model as it is
    }
}

void TestMainWindow::deleteRow_data()
{
    QTest::addColumn<bool>("emptyDate");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("row2After");
    QTest::newRow("yes deletes") << false << int(Answer::Yes) << 1 << "kayıt 3";
    QTest::newRow("no keeps") << false << int(Answer::No) << 1 << "kayıt 2";
    QTest::newRow("cancel keeps") << false << int(Answer::Cancel) << 1 << "kayıt 2";
    QTest::newRow("no date: no question") << true << int(Answer::No) << 0 << "kayıt 3";
}

void TestMainWindow::deleteRow()
{
    QFETCH(bool, emptyDate);
    QFETCH(int, answer);
    QFETCH(int, questions);
    QFETCH(QString, row2After);
    setParameters();
    fillRows(3);
    if (emptyDate) {
        ledger().setCell(2, ColTransactionDate, QString());
        ledger().setCell(2, ColDueDate, QString());
    }
    clickCell(2, ColDescription);
    m_dialogs->clear();
    m_dialogs->answers.push_back(Answer(answer));
    QTest::keyClick(editor(), Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(int(m_dialogs->shown.size()), questions);
    if (questions) {
        QCOMPARE(m_dialogs->shown[0].text, QStringLiteral("Kaydı Silmek istediğinizden eminmisiniz?"));
        QCOMPARE(m_dialogs->shown[0].title, QStringLiteral("Kavrel Kervio Programı"));
    }
    QCOMPARE(ledger().cell(2, ColDescription), row2After);
    for (int r = 1; r < ledger().gridRowCount(); ++r)
        QCOMPARE(ledger().cell(r, ColNumber), QString::number(r));
}

void TestMainWindow::rateLink_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("other");
    QTest::newRow("24 yearly") << "yearlyRateEdit" << "24" << "2";
    QTest::newRow("30 yearly") << "yearlyRateEdit" << "30" << "2,5";
    QTest::newRow("25 yearly") << "yearlyRateEdit" << "25" << "2,08333333333333";
    QTest::newRow("1,75 monthly") << "monthlyRateEdit" << "1,75" << "21";
}

void TestMainWindow::rateLink()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, other);
    QLineEdit *edit = m_window->findChild<QLineEdit *>(field);
    const bool yearly = field == QLatin1String("yearlyRateEdit");
    QLineEdit *otherEdit = child<QLineEdit>(yearly ? "monthlyRateEdit" : "yearlyRateEdit");
    QTest::mouseClick(edit, Qt::LeftButton);
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(edit, typed);
    QCOMPARE(otherEdit->text(), other);
    QCOMPARE(otherEdit->cursorPosition(), 0); // a long rate shows its start, not "33333333"
    QCOMPARE(m_session->params().text(yearly ? Parameters::MonthlyRate : Parameters::YearlyRate), other);
    // emptying the field gives 0 in the other
    for (int i = 0; i < typed.size(); ++i)
        QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(otherEdit->text(), QStringLiteral("0"));
    QVERIFY(m_dialogs->shown.empty());
}

void TestMainWindow::badRateShowsErrorAndProgramGoesOn()
{
    QTest::mouseClick(child<QLineEdit>("yearlyRateEdit"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>("yearlyRateEdit"), "12");
    QCOMPARE(child<QLineEdit>("monthlyRateEdit")->text(), QStringLiteral("1"));
    QTest::keyClicks(child<QLineEdit>("yearlyRateEdit"), ",5,");
    QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("'12,5,' is not a valid floating point value")});
    QCOMPARE(m_dialogs->shown[0].kind, ScriptedDialogs::Shown::Error);
    QCOMPARE(child<QLineEdit>("yearlyRateEdit")->text(), QStringLiteral("12,5,"));
    QCOMPARE(child<QLineEdit>("monthlyRateEdit")->text(), QStringLiteral("1,04166666666667"));
    // the recalculation meets the same rate and reports it, the window goes on
    setParameters(); // types 24 after the bad text: the field is re-typed from scratch
    child<QLineEdit>("yearlyRateEdit")->setFocus();
    child<QLineEdit>("yearlyRateEdit")->selectAll();
    QTest::keyClicks(child<QLineEdit>("yearlyRateEdit"), "1,2,3");
    fillRows(1);
    m_dialogs->clear();
    QTest::mouseClick(child<QPushButton>("recalculateButton"), Qt::LeftButton);
    QVERIFY(m_dialogs->texts().contains(QStringLiteral("'1,2,3' is not a valid floating point value")));
    QCOMPARE(ledger().cell(1, ColDebit), QStringLiteral("100,00")); // what was written before stays
    QVERIFY(m_window->isVisible());
}

void TestMainWindow::focusColoursAndEnterMovesOn()
{
    const QColor yellow(255, 255, 0), white(Qt::white);
    for (const char *name : {"companyNameEdit", "daysInYearEdit", "yearlyRateEdit", "monthlyRateEdit",
                             "debitGraceDaysEdit", "debitTotalEdit"}) {
        QLineEdit *e = child<QLineEdit>(name);
        QTest::mouseClick(e, Qt::LeftButton);
        QCOMPARE(e->palette().color(QPalette::Base), yellow);
        QTest::mouseClick(child<QCheckBox>("debitWeekendCheck"), Qt::LeftButton);
        QCOMPARE(e->palette().color(QPalette::Base), white);
    }
    QTest::mouseClick(child<QLineEdit>("companyNameEdit"), Qt::LeftButton);
    QTest::keyClick(child<QLineEdit>("companyNameEdit"), Qt::Key_Return);
    QVERIFY(child<QDateEdit>("calculationDateEdit")->hasFocus());
    QTest::mouseClick(child<QLineEdit>("daysInYearEdit"), Qt::LeftButton);
    QTest::keyClick(child<QLineEdit>("daysInYearEdit"), Qt::Key_Return);
    QVERIFY(child<QLineEdit>("yearlyRateEdit")->hasFocus());
    QTest::keyClick(child<QLineEdit>("yearlyRateEdit"), Qt::Key_Return);
    QVERIFY(child<QLineEdit>("yearlyRateEdit")->hasFocus());
    QTest::mouseClick(child<QLineEdit>("debitTotalEdit"), Qt::LeftButton);
    QTest::keyClick(child<QLineEdit>("debitTotalEdit"), Qt::Key_Return);
    QVERIFY(child<QLineEdit>("creditTotalEdit")->hasFocus());
    // a summary field names the yearly rate as the source, like the yearly field
    QCOMPARE(m_session->params().rateSource(), Parameters::RateSource::Yearly);
}

void TestMainWindow::closingQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("yes") << int(Answer::Yes) << true;
    QTest::newRow("no") << int(Answer::No) << false;
    QTest::newRow("cancel") << int(Answer::Cancel) << false;
}

void TestMainWindow::closingQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    fillRows(2);
    m_dialogs->answers.push_back(Answer(answer));
    QCOMPARE(m_window->close(), closes);
    QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("Programı kapatmak istediğinize eminmisiniz?")});
    QCOMPARE(m_dialogs->shown[0].title, QStringLiteral("Kavrel Kervio Programı"));
    QCOMPARE(m_window->isVisible(), !closes);
    QCOMPARE(ledger().cell(2, ColDescription), QStringLiteral("kayıt 2"));
    // without the confirmation flag no question is asked
    m_window->show();
    m_dialogs->clear();
    m_session->setConfirmOnClose(false);
    QVERIFY(m_window->close());
    QVERIFY(m_dialogs->shown.empty());
}

void TestMainWindow::f3AndF7()
{
    setParameters();
    fillRows(2);
    clickCell(1, ColDescription);
    QTest::keyClick(editor(), Qt::Key_F3);
    QCOMPARE(ledger().cell(2, ColDays), QStringLiteral("-29"));
    QCOMPARE(child<QLineEdit>("debitTotalEdit")->text(), QStringLiteral("300,00"));
    QTest::keyClick(editor(), Qt::Key_F7); // answered No
    QCOMPARE(m_dialogs->texts().last(), QStringLiteral("Dosyayı Boşaltmak istediğinizden eminmisiniz?"));
    QCOMPARE(ledger().gridRowCount(), 3);
    m_dialogs->answers.push_back(Answer::Yes);
    QTest::keyClick(editor(), Qt::Key_F7);
    QCOMPARE(ledger().gridRowCount(), 2);
    QCOMPARE(ledger().cell(1, ColNumber), QStringLiteral("1"));
    QVERIFY(ledger().cell(1, ColDescription).isEmpty());
    QVERIFY(child<QLineEdit>("debitTotalEdit")->text().isEmpty());
    QCOMPARE(child<QLineEdit>("balancingYearlyRateEdit")->text(), QStringLiteral("0,00"));
    QCOMPARE(child<QLineEdit>("yearlyRateEdit")->text(), QStringLiteral("24")); // parameters stay
}

void TestMainWindow::saveAndReopenThroughDialogs()
{
    setParameters();
    child<QLineEdit>("companyNameEdit")->setFocus();
    QTest::keyClicks(child<QLineEdit>("companyNameEdit"), "Cari, \"A\"");
    QTest::mouseClick(child<QCheckBox>("debitWeekendCheck"), Qt::LeftButton);
    fillRows(3);
    QTest::mouseClick(child<QPushButton>("recalculateButton"), Qt::LeftButton);
    const QString path = m_dir->filePath(QStringLiteral("Cari2024"));
    m_dialogs->fileNames.push_back(path);
    QTest::mouseClick(child<QPushButton>("saveLedgerButton"), Qt::LeftButton);
    QVERIFY(QFile::exists(path + QStringLiteral(".krv")));
    QCOMPARE(m_dialogs->fileDialogs.size(), size_t(1));
    const FileDialogRequest save = m_dialogs->fileDialogs[0];
    QCOMPARE(save.title, QStringLiteral("Vade Farkı Dosyası Sakla"));
    QCOMPARE(save.filter, QStringLiteral("Vade Farkı Dosyası (*.krv)"));
    QCOMPARE(save.initialDir, m_dir->path());
    QCOMPARE(save.proposedName, QStringLiteral("Cari, \"A\""));
    const QStringList before = m_session->ledgerFileLines();

    // empty everything, then open the file again
    m_dialogs->answers.push_back(Answer::Yes);
    QTest::mouseClick(child<QPushButton>("resetButton"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>("debitWeekendCheck"), Qt::LeftButton);
    child<QLineEdit>("companyNameEdit")->clear();
    QCOMPARE(ledger().gridRowCount(), 2);
    m_dialogs->fileNames.push_back(path + QStringLiteral(".krv"));
    QTest::mouseClick(child<QPushButton>("openLedgerButton"), Qt::LeftButton);
    QCOMPARE(m_dialogs->fileDialogs.back().title, QStringLiteral("Vade Farkı Dosyası Aç"));
    QCOMPARE(ledger().gridRowCount(), 4);
    QCOMPARE(child<QLineEdit>("companyNameEdit")->text(), QStringLiteral("Cari, \"A\""));
    QVERIFY(child<QCheckBox>("debitWeekendCheck")->isChecked());
    QCOMPARE(child<QDateEdit>("calculationDateEdit")->date(), QDate(2024, 12, 31));
    QCOMPARE(child<QLineEdit>("debitTotalEdit")->text(), QStringLiteral("600,00"));
    QCOMPARE(m_session->ledgerFileLines(), before);

    // an existing file: No writes nothing
    m_dialogs->fileNames.push_back(path);
    m_dialogs->answers.push_back(Answer::No);
    QFile::remove(path + QStringLiteral(".krv"));
    QFile f(path + QStringLiteral(".krv"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    QTest::mouseClick(child<QPushButton>("saveLedgerButton"), Qt::LeftButton);
    QCOMPARE(m_dialogs->texts().last(), QStringLiteral("Dosya mevcut Üzerine kayıt edilsinmi?"));
    QCOMPARE(QFileInfo(path + QStringLiteral(".krv")).size(), qint64(1));
}

void TestMainWindow::boxDuringRecalculationDoesNotRestartIt()
{
    m_dialogs->thief = child<QLineEdit>("companyNameEdit");
    setParameters();
    clickCell(1, ColDueDate);
    typeInCell("31022024");
    enter(); // the move recalculates the row and refuses the date
    const QStringList expected = {QStringLiteral("31.02.2024 Tarih Girişiniz doğru değil.")};
    QCOMPARE(m_dialogs->texts(), expected);
    QVERIFY(ledger().cell(1, ColDueDate).isEmpty());
    // the lone date was copied into the transaction date: entering the row refuses it again, once
    m_dialogs->clear();
    clickCell(1, ColTransactionDate);
    QCOMPARE(m_dialogs->texts(), expected);
    // the grid losing the focus recalculates the row it leaves
    typeInCell("0500");
    QTest::mouseClick(child<QLineEdit>("debitGraceDaysEdit"), Qt::LeftButton);
    QCOMPARE(m_dialogs->texts().size(), 2);
    QCOMPARE(m_dialogs->texts().last(), QStringLiteral("\"05.00.    \" tarih girişiniz uygun değil!"));
    QVERIFY(ledger().cell(1, ColTransactionDate).isEmpty());
}

void TestMainWindow::clickIntoEmptyDateTemplate_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<double>("where"); // across the editor, 0 left edge, 1 right edge
    for (int col : {int(ColTransactionDate), int(ColDueDate)})
        for (double where : {0.05, 0.5, 0.8, 0.97})
            QTest::addRow("column %d at %.2f", col, where) << col << where;
}

void TestMainWindow::clickIntoEmptyDateTemplate()
{
    QFETCH(int, column);
    QFETCH(double, where);
    setParameters();
    clickCell(1, ColTransactionDate);
    typeRow("01102024", "31102024", "Satis", "100", "");
    // the cursor waits on the new empty row; the user clicks into the open editor
    QCOMPARE(ledger().currentRow(), 2);
    if (column == ColDueDate)
        enter();
    QCOMPARE(ledger().currentColumn(), column);
    QVERIFY(editor() && editor()->isVisible());
    QCOMPARE(editor()->displayText(), QStringLiteral("__.__.____"));
    QTest::mouseClick(editor(), Qt::LeftButton, {}, QPoint(int(editor()->width() * where), editor()->height() / 2));
    typeInCell("15112024");
    QCOMPARE(editor()->displayText(), QStringLiteral("15.11.2024"));
    enter();
    QCOMPARE(ledger().cell(2, column), QStringLiteral("15.11.2024"));
    QCOMPARE(ledger().currentColumn(), column + 1);
    QVERIFY(m_dialogs->shown.empty());
    // a template with digits in it is edited where the mouse hits
    clickCell(1, column);
    const QPoint end(editor()->width() - 2, editor()->height() / 2);
    QTest::mouseClick(editor(), Qt::LeftButton, {}, end);
    QCOMPARE(editor()->cursorPosition(), 10);
}

void TestMainWindow::keyAfterRefusedDateDoesNothingMore_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("rowAfter");
    QTest::addColumn<int>("columnAfter");
    // Enter moves to the due date before the row is recalculated; Down stops
    QTest::newRow("Enter") << int(Qt::Key_Return) << 1 << int(ColDueDate);
    QTest::newRow("Down") << int(Qt::Key_Down) << 1 << int(ColTransactionDate);
    QTest::newRow("Up on row 2") << int(Qt::Key_Up) << 2 << int(ColTransactionDate);
}

void TestMainWindow::keyAfterRefusedDateDoesNothingMore()
{
    QFETCH(int, key);
    QFETCH(int, rowAfter);
    QFETCH(int, columnAfter);
    setParameters();
    fillRows(3);
    clickCell(rowAfter, ColTransactionDate);
    typeInCell("0010"); // day 00: refused
    m_dialogs->clear();
    QTest::keyClick(editor(), Qt::Key(key));
    QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("\"00.10.2024\" tarih girişiniz uygun değil!")});
    QCOMPARE(ledger().currentRow(), rowAfter);
    QCOMPARE(ledger().currentColumn(), columnAfter);
    // emptied, not refilled from the due date by a second run of the key
    QVERIFY(ledger().cell(rowAfter, ColTransactionDate).trimmed().remove(u'.').isEmpty());
}

void TestMainWindow::averageDueDatesReadLikeResults()
{
    const QColor resultText = child<QLineEdit>("debitTotalEdit")->palette().color(QPalette::Text);
    const QColor resultBase = child<QLineEdit>("debitTotalEdit")->palette().color(QPalette::Base);
    for (const char *name : {"overallAverageDueDateEdit", "debitAverageDueDateEdit", "creditAverageDueDateEdit"}) {
        QDateEdit *d = child<QDateEdit>(name);
        QVERIFY(d->isEnabled());
        QVERIFY(d->isReadOnly());
        QCOMPARE(d->buttonSymbols(), QAbstractSpinBox::NoButtons);
        QCOMPARE(d->palette().color(QPalette::Text), resultText);
        QCOMPARE(d->palette().color(QPalette::Base), resultBase);
        // the user cannot change a result
        const QDate before = d->date();
        d->setFocus();
        QTest::keyClick(d, Qt::Key_Up);
        QTest::keyClicks(d, "01");
        QCOMPARE(d->date(), before);
    }
}

void TestMainWindow::smallScreenScrolls_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("1024x768") << QSize(1024, 740) << true;
    QTest::newRow("1280x720") << QSize(1280, 690) << false;
    QTest::newRow("1366x768") << QSize(1366, 740) << false;
    QTest::newRow("design size") << QSize(1081, 649) << false;
}

void TestMainWindow::smallScreenScrolls()
{
    QFETCH(QSize, size);
    QFETCH(bool, scrolls);
    m_window->resize(size);
    QApplication::processEvents();
    auto *area = m_window->findChild<QScrollArea *>();
    QVERIFY(area);
    QCOMPARE(area->horizontalScrollBar()->maximum() > 0, scrolls);
    QCOMPARE(area->verticalScrollBar()->maximum(), 0);
    // the grid takes the room there is: the window's height less the panels
    QVERIFY(grid()->height() >= size.height() - 22 - 34 - 86 - 111 - area->horizontalScrollBar()->height());
    // every field and command comes into view when the user goes to it
    child<QPushButton>("updateButton")->setEnabled(true); // as the program's start enables it
    for (const char *name : {"updateButton", "balancingMonthlyRateEdit", "findRateButton", "saveLedgerButton"}) {
        QWidget *w = child<QWidget>(name);
        w->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const QRect shown = QRect(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
        QVERIFY2(area->viewport()->rect().contains(shown), qPrintable(w->objectName()));
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
