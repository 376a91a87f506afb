#include "program.h"
#include "kervio2.h"
#include "core/appinfo.h"
#include "core/scripteddialogs.h"
#include "gui/guiapp.h"
#include "gui/widgetdialogs.h"
#include "spreadsheet/gui/importwindow.h"
#include "update/gui/helpwindow.h"
#include "update/gui/updateprogresswindow.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

namespace kervio {

namespace {

// The main window as the program starts it, at its design size, holding the
// worked example (recalculated, "FAİZ BUL" pressed), drawn into a picture.
int renderScreenshot(Tkervio2F &window, const QString &out)
{
    window.resize(1081, 649);
    window.show();
    QApplication::processEvents();
    window.act([&] { loadWorkedExample(window.session()); });
    window.act([&] { window.session().setCurrentCell(4, ColTransactionDate); });
    window.StringGrid3->setFocus();
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    if (!picture.save(out, "PNG")) {
        std::fprintf(stderr, "%s yazılamadı\n", out.toUtf8().constData());
        return 1;
    }
    return 0;
}

QString screenshotPath(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--screenshot") == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    return {};
}

} // namespace

bool isScreenshotRequest(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--screenshot") == 0)
            return true;
    return false;
}

void loadWorkedExample(Session &session)
{
    Parameters &p = session.params();
    p.setText(Parameters::Company, QStringLiteral("Örnek Ticaret A.Ş."));
    p.setCalculationDate(QDate(2024, 12, 31));
    p.setText(Parameters::DaysInYear, QStringLiteral("365"));
    p.setText(Parameters::YearlyRate, QStringLiteral("24"));
    p.setText(Parameters::MonthlyRate, QStringLiteral("2"));
    p.setText(Parameters::DebitGrace, QStringLiteral("0"));
    p.setText(Parameters::CreditGrace, QStringLiteral("0"));
    p.setDebitWeekend(false);
    p.setCreditWeekend(false);
    LedgerTable &L = session.ledger();
    const QChar s = session.regional().date;
    auto date = [s](const char *d, const char *m, const char *y) {
        return QLatin1String(d) + s + QLatin1String(m) + s + QLatin1String(y);
    };
    L.clearEntries();
    L.setGridRowCount(5);
    const struct {
        QString t, v, text, debit, credit;
    } rows[] = {
        {date("01", "10", "2024"), date("31", "10", "2024"), QStringLiteral("Satış faturası"), QStringLiteral("10000"), {}},
        {date("15", "11", "2024"), date("15", "01", "2025"), QStringLiteral("Çek tahsilatı"), {}, QStringLiteral("4000")},
        {date("20", "11", "2024"), date("30", "11", "2024"), QStringLiteral("Havale"), {}, QStringLiteral("2500")},
    };
    int r = 1;
    for (const auto &row : rows) {
        L.setCell(r, ColTransactionDate, row.t);
        L.setCell(r, ColDueDate, row.v);
        L.setCell(r, ColDescription, row.text);
        L.setCell(r, ColDebit, row.debit);
        L.setCell(r, ColCredit, row.credit);
        ++r;
    }
    L.renumber();
    session.recalculateAll();
    session.findBalancingRate();
}

KervioWindows::KervioWindows(Session &session)
    : m_kervio2F(new Tkervio2F(session)),
      // a window of the main window: it stays in front of it, and goes with it
      m_aktarexcelF(new spreadsheet::ImportWindow(session, m_kervio2F.data())),
      m_yardimF(std::make_unique<HelpWindow>()),
      m_form2(std::make_unique<UpdateProgressWindow>())
{
    m_kervio2F->attachHelp(m_yardimF.get());
    m_kervio2F->attachUpdate(m_form2.get());
    m_kervio2F->attachReport();
    m_kervio2F->attachSpreadsheet(m_aktarexcelF.data());
}

Tkervio2F *KervioWindows::kervio2F() const
{
    return m_kervio2F.data();
}

spreadsheet::ImportWindow &KervioWindows::aktarexcelF() const
{
    return *m_aktarexcelF;
}

KervioWindows::~KervioWindows()
{
    delete m_kervio2F.data();
}

int runGui(int argc, char **argv)
{
    const bool screenshot = isScreenshotRequest(argc, argv);
    const QString picturePath = screenshot ? screenshotPath(argc, argv) : QString();
    if (screenshot) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (picturePath.isEmpty()) {
            std::fputs("Kullanım: kervio --screenshot OUT.png\n", stderr);
            return 2;
        }
    }
    KervioApplication app(argc, argv);
    prepareApplication();

    // The picture is made by the same start as the program, with the boxes
    // written to standard error, the Turkish separators and settings of its own.
    WidgetDialogs boxes;
    ScriptedDialogs script;
    script.sink = [](const QString &t) { std::fprintf(stderr, "%s\n", t.toUtf8().constData()); };
    Dialogs *dialogs = screenshot ? static_cast<Dialogs *>(&script) : &boxes;
    app.dialogs = dialogs;
    QTemporaryDir pictureSettings;
    Session session(screenshot ? Regional::turkish() : Regional::system(), dialogs);
    if (screenshot)
        session.setSettingsPath(pictureSettings.filePath(QStringLiteral("Ayarlar.ini")));
    KervioWindows windows(session);
    Tkervio2F *kervio2F = windows.kervio2F();
    boxes.setParentWidget(kervio2F);
    if (screenshot)
        return renderScreenshot(*kervio2F, picturePath);

    kervio2F->setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while the help window is
    // open: the update's script waits for the process to end.
    QObject::connect(kervio2F, &QObject::destroyed, &app, &QCoreApplication::quit);
    kervio2F->showMaximized();

    const QStringList args = QApplication::arguments().mid(1);
    for (const QString &a : args)
        if (!a.startsWith(u'-')) {
            kervio2F->openFile(a);
            break;
        }
    return app.exec();
}

} // namespace kervio
