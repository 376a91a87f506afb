#include "program.h"
#include "ledgergrid.h"
#include "mainwindow.h"
#include "core/scripteddialogs.h"
#include "gui/guiapp.h"
#include "gui/widgetdialogs.h"
#include "shell/cli.h"
#include "shell/workrecovery.h"
#include "spreadsheet/gui/importwindow.h"
#include "update/gui/helpwindow.h"
#include "update/gui/updateprogresswindow.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

namespace kervio {

namespace {

const QString WorkedExample = QStringLiteral(":/worked-example.krv");

// The main window as the program starts it, at its design size, holding the
// worked example (recalculated, "FAİZ BUL" pressed), drawn into a picture.
int renderScreenshot(MainWindow &window, const QString &out)
{
    window.resize(1081, 649);
    window.show();
    QApplication::processEvents();
    bool loaded = false;
    window.act([&] { loaded = loadWorkedExample(window.session()); });
    if (!loaded)
        return 1;
    window.act([&] { window.session().setCurrentCell(4, ColTransactionDate); });
    window.findChild<LedgerGrid *>()->setFocus();
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    if (!picture.save(out, "PNG")) {
        std::fprintf(stderr, "%s yazılamadı\n", out.toUtf8().constData());
        return 1;
    }
    return 0;
}

} // namespace

bool loadWorkedExample(Session &session)
{
    if (!session.openLedgerFile(WorkedExample))
        return false;
    session.findBalancingRate();
    return true;
}

ProgramWindows::ProgramWindows(Session &session)
    : m_mainWindow(new MainWindow(session)),
      // a window of the main window: it stays in front of it, and goes with it
      m_importWindow(new spreadsheet::ImportWindow(session, m_mainWindow.data())),
      m_helpWindow(std::make_unique<HelpWindow>()),
      m_waitingWindow(std::make_unique<UpdateProgressWindow>())
{
    m_mainWindow->attachHelp(m_helpWindow.get());
    m_mainWindow->attachUpdate(m_waitingWindow.get());
    m_mainWindow->attachReport();
    m_mainWindow->attachSpreadsheet(m_importWindow.data());
    // the import window's help button shows the help window's import topic
    m_importWindow->setHelpAvailable(true);
    QObject::connect(m_importWindow.data(), &spreadsheet::ImportWindow::helpRequested, m_mainWindow.data(), [this] {
        m_mainWindow->act([this] { m_helpWindow->showImportHelp(); });
    });
}

MainWindow *ProgramWindows::mainWindow() const
{
    return m_mainWindow.data();
}

spreadsheet::ImportWindow &ProgramWindows::importWindow() const
{
    return *m_importWindow;
}

ProgramWindows::~ProgramWindows()
{
    delete m_mainWindow.data();
}

void ProgramWindows::keepRecoveryCopies(const QString &folder)
{
    m_recovery = std::make_unique<WorkRecovery>(m_mainWindow->session(), folder);
    m_mainWindow->attachRecovery(m_recovery.get());
    m_mainWindow->act([this] { m_recovery->offerLeftCopies(); });
}

int runProgram(int argc, char **argv)
{
    KervioApplication app(argc, argv);
    prepareApplication();
    WidgetDialogs boxes;
    app.dialogs = &boxes;
    Session session(Regional::system(), &boxes);
    ProgramWindows windows(session);
    MainWindow *mainWindow = windows.mainWindow();
    boxes.setParentWidget(mainWindow);

    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while the help window is
    // open: the update's script waits for the process to end.
    QObject::connect(mainWindow, &QObject::destroyed, &app, &QCoreApplication::quit);
    mainWindow->showMaximized();

    // the toolkit has taken its own options out of the arguments by now
    const QString file = CommandLine(QApplication::arguments()).fileToOpen();
    if (!file.isEmpty())
        mainWindow->openFile(file);
    // after the file, so that a restored work takes its place, not the other way round
    windows.keepRecoveryCopies(RecoveryFolder::defaultPath());
    return app.exec();
}

int runScreenshot(int argc, char **argv, const QString &picturePath)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KervioApplication app(argc, argv);
    prepareApplication();
    // The picture is made by the same start as the program, with the boxes
    // written to standard error, the Turkish separators and settings of its own.
    ScriptedDialogs script;
    script.sink = [](const QString &t) { std::fprintf(stderr, "%s\n", t.toUtf8().constData()); };
    app.dialogs = &script;
    QTemporaryDir pictureSettings;
    Session session(Regional::turkish(), &script);
    session.setSettingsPath(pictureSettings.filePath(QStringLiteral("Ayarlar.ini")));
    ProgramWindows windows(session);
    return renderScreenshot(*windows.mainWindow(), picturePath);
}

} // namespace kervio
