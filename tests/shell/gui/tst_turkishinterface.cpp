// Qt's own texts are Turkish whatever the desktop's language: this program
// runs as a user with an English desktop (LANG=en_US.UTF-8) starts it.
#include "ledger/regional.h"
#include "gui/guiapp.h"
#include "shell/gui/mainwindow.h"
#include "gui/widgetdialogs.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <memory>

using namespace kervio;
using Answer = Dialogs::Answer;

namespace {

QString withoutMnemonic(QString text)
{
    return text.remove(u'&');
}

// The texts of the buttons of the next box shown; the one with `press` is clicked.
void readNextBox(QObject *context, QStringList *texts, const QString &press)
{
    QTimer::singleShot(0, context, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QAbstractButton *pressed = nullptr;
        for (QAbstractButton *b : box->buttons()) {
            *texts << withoutMnemonic(b->text());
            if (withoutMnemonic(b->text()) == press)
                pressed = b;
        }
        if (pressed)
            pressed->click();
        else
            box->reject();
    });
}

} // namespace

class TestTurkishInterface : public QObject {
    Q_OBJECT

private slots:
    void separatorsStayTheSystems()
    {
        QCOMPARE(QLocale::system().name(), QStringLiteral("en_US"));
        QCOMPARE(QLocale().language(), QLocale::Turkish);
        const Regional r = Regional::system();
        QCOMPARE(r.decimal, QChar(u'.'));
        QCOMPARE(r.thousands, QChar(u','));
        QCOMPARE(r.date, QChar(u'/'));
    }

    void boxButtons_data()
    {
        QTest::addColumn<int>("kind"); // 0 question Yes/No/Cancel, 1 question Yes/No, 2 message, 3 error
        QTest::addColumn<QString>("press");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("answer");
        const QStringList three = {"Evet", "Hayır", "İptal"};
        QTest::newRow("closing question, Evet") << 0 << "Evet" << three << int(Answer::Yes);
        QTest::newRow("closing question, Hayır") << 0 << "Hayır" << three << int(Answer::No);
        QTest::newRow("closing question, İptal") << 0 << "İptal" << three << int(Answer::Cancel);
        QTest::newRow("update question") << 1 << "Hayır" << QStringList{"Evet", "Hayır"} << int(Answer::No);
        QTest::newRow("notice") << 2 << "Tamam" << QStringList{"Tamam"} << -1;
        QTest::newRow("error") << 3 << "Tamam" << QStringList{"Tamam"} << -1;
    }
    void boxButtons()
    {
        QFETCH(int, kind);
        QFETCH(QString, press);
        QFETCH(QStringList, buttons);
        QFETCH(int, answer);
        WidgetDialogs boxes;
        QStringList shown;
        readNextBox(this, &shown, press);
        int got = -1;
        if (kind <= 1)
            got = int(boxes.question(QStringLiteral("Kavrel Kervio Programı"), QStringLiteral("?"), Dialogs::Icon::Question,
                                     kind == 0 ? Dialogs::Buttons::YesNoCancel : Dialogs::Buttons::YesNo));
        else if (kind == 2)
            boxes.message(QStringLiteral("Tablo aktarıldı!"));
        else
            boxes.error(QStringLiteral("'x' is not a valid floating point value"));
        std::sort(shown.begin(), shown.end());
        std::sort(buttons.begin(), buttons.end());
        QCOMPARE(shown, buttons);
        QCOMPARE(got, answer);
    }

    void calendarNamesAndDateText()
    {
        ScriptedDialogs dialogs;
        QTemporaryDir dir;
        Session session(Regional::turkish(), &dialogs);
        session.setSettingsPath(dir.filePath(QStringLiteral("Ayarlar.ini")));
        MainWindow window(session);
        auto *calculationDate = window.findChild<QDateEdit *>(QStringLiteral("calculationDateEdit"));
        QVERIFY(calculationDate);
        calculationDate->setDate(QDate(2024, 12, 2));
        QCalendarWidget *calendar = calculationDate->calendarWidget();
        QVERIFY(calendar);
        calendar->setCurrentPage(2024, 12);
        auto *month = calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
        QVERIFY(month);
        QCOMPARE(month->text(), QStringLiteral("Aralık"));
        auto *days = calendar->findChild<QTableView *>(QStringLiteral("qt_calendar_calendarview"));
        QVERIFY(days);
        QStringList header;
        for (int c = 0; c < days->model()->columnCount(); ++c)
            if (!days->isColumnHidden(c) && !days->model()->index(0, c).data().toString().isEmpty())
                header << days->model()->index(0, c).data().toString();
        QCOMPARE(header, (QStringList{"Pzt", "Sal", "Çar", "Per", "Cum", "Cmt", "Paz"}));
        // the picker's text keeps the program's own form
        QCOMPARE(calculationDate->text(), QStringLiteral("02.12.2024"));
    }

    void fieldMenuAndFileDialog()
    {
        QLineEdit field;
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList entries;
        for (QAction *a : menu->actions())
            if (!a->isSeparator())
                entries << withoutMnemonic(a->text().section(u'\t', 0, 0));
        QCOMPARE(entries, (QStringList{"Geri al", "Yinele", "Kes", "Kopyala", "Yapıştır", "Sil", "Tümünü Seç"}));

        QFileDialog files(nullptr, QStringLiteral("Vade Farkı Dosyası Sakla"));
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setAcceptMode(QFileDialog::AcceptSave);
        auto *name = files.findChild<QLabel *>(QStringLiteral("fileNameLabel"));
        QVERIFY(name);
        QCOMPARE(withoutMnemonic(name->text()), QStringLiteral("Dosya adı:"));
        QStringList buttons;
        for (QPushButton *b : files.findChildren<QPushButton *>())
            buttons << withoutMnemonic(b->text());
        QVERIFY2(buttons.contains(QStringLiteral("Kaydet")) && buttons.contains(QStringLiteral("İptal")),
                 qPrintable(buttons.join(u',')));
    }

    void missingTranslationDoesNotStopTheStart()
    {
        QTemporaryDir empty;
        QVERIFY(!installTurkishInterface(empty.path()));
        QCOMPARE(QLocale().language(), QLocale::Turkish);
        QVERIFY(installTurkishInterface(QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    }
};

int main(int argc, char **argv)
{
    // a desktop in English; QLocale::system() reads these
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    qputenv("LANGUAGE", "en_US:en");
    QApplication app(argc, argv);
    prepareApplication();
    TestTurkishInterface test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_turkishinterface.moc"
