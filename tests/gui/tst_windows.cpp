// The program's windows as the program creates them: every command that a
// later window brings is enabled and reaches that window.
#include "report/composition.h"
#include "shell/gui/guiapp.h"
#include "shell/gui/kervio2.h"
#include "shell/scripteddialogs.h"
#include "shell/session.h"
#include "spreadsheet/gui/aktarexcel.h"
#include "update/gui/yardim.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;

class TestWindows : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<KervioWindows> m_windows;

    Tkervio2F &main() { return *m_windows->kervio2F(); }

private slots:
    void init()
    {
        installFontSubstitutions();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_session = std::make_unique<Session>(Regional::turkish(), m_dialogs.get());
        m_session->setSettingsPath(m_dir.filePath(QStringLiteral("Ayarlar.ini")));
        m_windows = std::make_unique<KervioWindows>(*m_session);
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
        for (QPushButton *b : {main().BitBtn45, main().BitBtn46, main().BitBtn26, main().BitBtn23, main().BitBtn28,
                               main().BitBtn31, main().BitBtn1, main().BitBtn4, main().BitBtn2, main().tfXPButton2,
                               main().JvXPButton2, main().YazdirButton, main().mailgonder, main().BitBtn3,
                               main().BitBtn19})
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(m_windows->aktarexcelF().tfXPButton2->isEnabled());
        QVERIFY(!m_windows->aktarexcelF().isVisible());
        QVERIFY(!m_windows->yardimF().isVisible());
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
        main().act([&] { loadWorkedExample(*m_session); });
        int shown = 0;
        QString firstPage;
        main().report().showPreview = [&](const ComposedReport &r) {
            ++shown;
            for (const DrawItem &item : r.pages.front().items)
                firstPage += item.text + u'\n';
        };
        QTest::mouseClick(net ? main().YazdirButton : main().BitBtn28, Qt::LeftButton);
        QCOMPARE(shown, 1);
        QVERIFY(firstPage.contains(QStringLiteral("10.000,00")));
        QVERIFY(firstPage.contains(QStringLiteral("Sayfa 1")));
        QVERIFY(m_dialogs->shown.empty());
    }

    void helpButtonsKeepTheTopic()
    {
        yardim::TyardimF &help = m_windows->yardimF();
        help.ComboBox1->setCurrentIndex(1);
        QTest::mouseClick(main().tfXPButton2, Qt::LeftButton);
        QVERIFY(help.isVisible());
        QCOMPARE(help.ComboBox1->currentIndex(), 1);
    }

    void importButtonShowsTheImportWindow()
    {
        QTest::mouseClick(main().BitBtn23, Qt::LeftButton);
        QVERIFY(m_windows->aktarexcelF().isVisible());
        QTest::mouseClick(m_windows->aktarexcelF().tfXPButton2, Qt::LeftButton);
        QVERIFY(m_windows->yardimF().isVisible());
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
