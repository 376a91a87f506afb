// The program's windows as the program creates them: every command that a
// later window brings is enabled and reaches that window.
#include "report/composition.h"
#include "gui/guiapp.h"
#include "shell/gui/program.h"
#include "shell/gui/ledgergrid.h"
#include "shell/gui/mainwindow.h"
#include "gui/widgetdialogs.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"
#include "spreadsheet/gui/importwindow.h"
#include "update/gui/helpwindow.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;

namespace {

// The chain member that holds the focus (the grid for its cell editor).
QString focusedControl(const MainWindow &w)
{
    QWidget *f = QApplication::focusWidget();
    const LedgerGrid *grid = w.findChild<LedgerGrid *>();
    if (f && grid->owns(f))
        return grid->objectName();
    return f ? f->objectName() : QStringLiteral("(none)");
}

// Answers the real boxes and dialogs as they come up, modal, one after the other.
void answerModals(QObject *context, const std::function<void(QWidget *)> &answer, int count)
{
    auto *poll = new QTimer(context);
    auto left = std::make_shared<int>(count);
    QObject::connect(poll, &QTimer::timeout, context, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        answer(modal);
        if (--*left == 0)
            poll->deleteLater();
    });
    poll->start(20);
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<ProgramWindows> m_windows;

    MainWindow &main() { return *m_windows->mainWindow(); }
    // A control of the main window by its object name.
    template <typename T>
    T *child(const char *name)
    {
        T *w = main().findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("the window has no control named %s", name);
        return w;
    }

private slots:
    void init()
    {
        prepareApplication();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_session = std::make_unique<Session>(Regional::turkish(), m_dialogs.get());
        m_session->setSettingsPath(m_dir.filePath(QStringLiteral("Ayarlar.ini")));
        m_windows = std::make_unique<ProgramWindows>(*m_session);
        main().show();
    }
    void cleanup()
    {
        m_windows.reset();
        m_session.reset();
        m_dialogs.reset();
    }

    void everyCommandIsEnabled()
    {
        for (const char *name : {"saveLedgerButton", "openLedgerButton", "exportButton", "importButton", "printButton",
                                 "saveRatesButton", "recalculateButton", "resetButton", "sortButton", "helpButton",
                                 "manualButton", "previewNetReportButton", "mailButton", "updateButton", "findRateButton"})
            QVERIFY2(child<QPushButton>(name)->isEnabled(), name);
        QVERIFY(m_windows->importWindow().findChild<QPushButton *>("helpButton")->isEnabled());
        QVERIFY(!m_windows->importWindow().isVisible());
        QVERIFY(!m_windows->helpWindow().isVisible());
    }

    void printButtonsPreviewTheLedger_data()
    {
        QTest::addColumn<bool>("net");
        QTest::newRow("YAZDIR") << false;
        QTest::newRow("picture button") << true;
    }
    void printButtonsPreviewTheLedger()
    {
        QFETCH(bool, net);
        bool loaded = false;
        main().act([&] { loaded = loadWorkedExample(*m_session); });
        QVERIFY(loaded);
        int shown = 0;
        QString firstPage;
        main().report().showPreview = [&](const ComposedReport &r) {
            ++shown;
            for (const DrawItem &item : r.pages.front().items)
                firstPage += item.text + u'\n';
        };
        QTest::mouseClick(child<QPushButton>(net ? "previewNetReportButton" : "printButton"), Qt::LeftButton);
        QCOMPARE(shown, 1);
        QVERIFY(firstPage.contains(QStringLiteral("10.000,00")));
        QVERIFY(firstPage.contains(QStringLiteral("Sayfa 1")));
        QVERIFY(m_dialogs->shown.empty());
    }

    void helpButtonsKeepTheTopic()
    {
        HelpWindow &help = m_windows->helpWindow();
        help.findChild<QComboBox *>(QStringLiteral("topicSelector"))->setCurrentIndex(1);
        QTest::mouseClick(child<QPushButton>("helpButton"), Qt::LeftButton);
        QVERIFY(help.isVisible());
        QCOMPARE(help.findChild<QComboBox *>(QStringLiteral("topicSelector"))->currentIndex(), 1);
    }

    void tabOrder_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("visits");
        const QStringList parameters = {"calculationDateEdit", "daysInYearEdit",     "yearlyRateEdit",
                                        "monthlyRateEdit",     "debitGraceDaysEdit", "creditGraceDaysEdit",
                                        "debitWeekendCheck",   "creditWeekendCheck", "updateButton",
                                        "ledgerGrid"};
        const QStringList summary = {"creditTotalEdit",          "balanceEdit",
                                     "debitDifferenceEdit",      "creditDifferenceEdit",
                                     "netDifferenceEdit",        "overallAverageDaysEdit",
                                     "debitAverageDaysEdit",     "creditAverageDaysEdit",
                                     "balancingYearlyRateEdit",  "balancingMonthlyRateEdit",
                                     "overallAverageDueDateEdit", "debitAverageDueDateEdit",
                                     "creditAverageDueDateEdit", "findRateButton"};
        QTest::newRow("Tab through the parameters, out of the date picker")
            << "companyNameEdit" << int(Qt::Key_Tab) << parameters;
        QTest::newRow("Shift+Tab back") << "updateButton" << int(Qt::Key_Backtab)
                                        << QStringList{"creditWeekendCheck", "debitWeekendCheck", "creditGraceDaysEdit",
                                                       "debitGraceDaysEdit", "monthlyRateEdit",   "yearlyRateEdit",
                                                       "daysInYearEdit",     "calculationDateEdit", "companyNameEdit"};
        QTest::newRow("Enter: company name to the date") << "companyNameEdit" << int(Qt::Key_Return)
                                                         << QStringList{"calculationDateEdit"};
        QTest::newRow("Enter: grace days") << "debitGraceDaysEdit" << int(Qt::Key_Return)
                                           << QStringList{"creditGraceDaysEdit", "debitWeekendCheck"};
        QTest::newRow("Enter through the summary") << "debitTotalEdit" << int(Qt::Key_Return) << summary;
        QTest::newRow("Tab through the summary") << "debitTotalEdit" << int(Qt::Key_Tab) << summary;
    }
    void tabOrder()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(QStringList, visits);
        QApplication::setActiveWindow(&main());
        QVERIFY(QTest::qWaitForWindowActive(&main()));
        QCOMPARE(focusedControl(main()), QStringLiteral("companyNameEdit")); // where the window opens
        main().findChild<QWidget *>(start)->setFocus(Qt::MouseFocusReason);
        QCOMPARE(focusedControl(main()), start);
        QStringList visited;
        for (int i = 0; i < visits.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            visited << focusedControl(main());
        }
        QCOMPARE(visited, visits);
    }

    void tabIntoTheGridTypesIntoTheCell()
    {
        QApplication::setActiveWindow(&main());
        QVERIFY(QTest::qWaitForWindowActive(&main()));
        child<QPushButton>("updateButton")->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(child<QPushButton>("updateButton"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<LedgerGrid>("ledgerGrid")->cellEditor());
        QTest::keyClicks(QApplication::focusWidget(), "01102024");
        QCOMPARE(m_session->ledger().cell(1, ColTransactionDate), QStringLiteral("01.10.2024"));
    }

    void importWindowStaysInFront()
    {
        // the real boxes and file dialog, as the program shows them
        WidgetDialogs boxes;
        Session session(Regional::turkish(), &boxes);
        session.setSettingsPath(m_dir.filePath(QStringLiteral("Ayarlar.ini")));
        ProgramWindows windows(session);
        boxes.setParentWidget(windows.mainWindow());
        windows.mainWindow()->show();
        QApplication::setActiveWindow(windows.mainWindow());
        QVERIFY(QTest::qWaitForWindowActive(windows.mainWindow()));
        QFile csv(m_dir.filePath(QStringLiteral("ekstre.csv")));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("01.11.2024;01.11.2024;Fatura;100;\n");
        csv.close();

        QTest::mouseClick(windows.mainWindow()->findChild<QPushButton *>(QStringLiteral("importButton")), Qt::LeftButton);
        spreadsheet::ImportWindow &import = windows.importWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &import);
        QList<QWidget *> owners;
        QStringList boxTexts;
        answerModals(this, [&](QWidget *modal) {
            owners << modal->parentWidget();
            if (auto *files = qobject_cast<QFileDialog *>(modal)) {
                // the name typed in, then Enter, as a user does
                auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                name->setText(csv.fileName());
                QTest::keyClick(name, Qt::Key_Return);
            } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                boxTexts << box->text();
                box->accept();
            }
        }, 2);
        QTest::mouseClick(import.findChild<QPushButton *>("openWorkbookButton"), Qt::LeftButton);
        QCOMPARE(boxTexts, QStringList{QStringLiteral("Tablo aktarıldı!")});
        QCOMPARE(import.staging().cell(3, 1), QStringLiteral("Fatura"));
        // the dialogs belonged to the import window, which is in front again
        QCOMPARE(owners, (QList<QWidget *>{&import, &import}));
        QTRY_COMPARE(QApplication::activeWindow(), &import);
        // a window of the main window: the window manager keeps it above it
        QCOMPARE(import.parentWidget(), windows.mainWindow());
        QVERIFY(import.isWindow());
    }

    void importButtonShowsTheImportWindow()
    {
        QTest::mouseClick(child<QPushButton>("importButton"), Qt::LeftButton);
        QVERIFY(m_windows->importWindow().isVisible());
        QTest::mouseClick(m_windows->importWindow().findChild<QPushButton *>("helpButton"), Qt::LeftButton);
        QVERIFY(m_windows->helpWindow().isVisible());
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
