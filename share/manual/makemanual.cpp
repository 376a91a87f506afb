// Lays out the user manual as PDF: the HTML source with the pictures of the
// windows and, where the source asks for them, the bodies of the help texts.
//   makemanual --source manual.html --pictures DIR --help-folder DIR --output OUT.pdf
// DIR of --pictures holds mainwindow.png (the program's --screenshot); the
// other pictures are cut from it or drawn here.
#include "core/savefile.h"
#include "gui/guiapp.h"
#include "update/gui/helpwindow.h"
#include "update/gui/updateprogresswindow.h"
#include "update/programupdate.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPixmap>
#include <QRegularExpression>
#include <QTextDocument>
#include <cstdio>
#include <cstdlib>

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// The inside of <body>, headings pushed one level down to sit under the manual's chapter.
QString helpBody(const QString &path)
{
    QString t = readText(path);
    const qsizetype b = t.indexOf(QStringLiteral("<body"));
    const qsizetype e = t.lastIndexOf(QStringLiteral("</body>"));
    if (b >= 0 && e > b)
        t = t.mid(t.indexOf(u'>', b) + 1, e - t.indexOf(u'>', b) - 1);
    for (int level : {3, 2}) {
        t.replace(QStringLiteral("<h%1").arg(level), QStringLiteral("<h%1").arg(level + 1));
        t.replace(QStringLiteral("</h%1>").arg(level), QStringLiteral("</h%1>").arg(level + 1));
    }
    return t;
}

void fail(const QString &message)
{
    std::fprintf(stderr, "makemanual: %s\n", message.toUtf8().constData());
    std::exit(1);
}

struct Options {
    QString source, pictures, helpFolder, output;
};

Options readOptions()
{
    Options o;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--source")
            o.source = args[i + 1];
        else if (args[i] == u"--pictures")
            o.pictures = args[i + 1];
        else if (args[i] == u"--help-folder")
            o.helpFolder = args[i + 1];
        else if (args[i] == u"--output")
            o.output = args[i + 1];
    }
    if (o.source.isEmpty() || o.pictures.isEmpty() || o.helpFolder.isEmpty() || o.output.isEmpty())
        fail(QStringLiteral("kullanım: makemanual --source F --pictures D --help-folder D --output F.pdf"));
    return o;
}

QImage grabShown(QWidget &window)
{
    window.show();
    QApplication::processEvents();
    QImage image = window.grab().toImage();
    window.hide();
    return image;
}

// The main window's picture and its parts, and pictures of the smaller
// windows drawn here.
QHash<QString, QImage> pictures(const Options &o)
{
    QHash<QString, QImage> images;
    const QImage main(QDir(o.pictures).filePath(QStringLiteral("mainwindow.png")));
    if (main.isNull())
        fail(QStringLiteral("mainwindow.png okunamadı"));
    images[QStringLiteral("mainwindow.png")] = main;
    // parts of the main window, by its fixed layout
    images[QStringLiteral("buttons.png")] = main.copy(0, 0, 156, 627);
    images[QStringLiteral("parameters.png")] = main.copy(156, 0, main.width() - 156, 120);
    images[QStringLiteral("ledger.png")] = main.copy(156, 120, main.width() - 156, 110);
    images[QStringLiteral("summary.png")] = main.copy(156, main.height() - 22 - 111, main.width() - 156, 111);

    kervio::HelpWindow help;
    help.setProgramFolder(o.helpFolder);
    QDir::setCurrent(o.helpFolder);
    help.showCalculationHelp();
    images[QStringLiteral("help.png")] = grabShown(help);

    kervio::UpdateProgressWindow progress;
    images[QStringLiteral("update-progress.png")] = grabShown(progress);

    QMessageBox ask(QMessageBox::Question, kervio::applicationTitle(), kervio::ProgramUpdate::confirmationText(),
                    QMessageBox::Yes | QMessageBox::No);
    images[QStringLiteral("update-question.png")] = grabShown(ask);

    for (auto it = images.cbegin(); it != images.cend(); ++it) {
        if (it->isNull())
            fail(it.key() + QStringLiteral(" çizilemedi"));
        it->save(QDir(o.pictures).filePath(it.key()));
    }
    return images;
}

// The manual's HTML with the help texts in their places.
QString manualHtml(const Options &o)
{
    QString html = readText(o.source);
    if (html.isEmpty())
        fail(o.source + QStringLiteral(" okunamadı"));
    html.replace(QStringLiteral("<!--YARDIMVADE-->"), helpBody(QDir(o.helpFolder).filePath(QStringLiteral("yardimvade"))));
    html.replace(QStringLiteral("<!--YARDIMEXL-->"), helpBody(QDir(o.helpFolder).filePath(QStringLiteral("yardimexl"))));
    return html;
}

QByteArray layOutAsPdf(QTextDocument &doc)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        // the document is complete once the writer is gone
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Kavrel Kervio Kullanım Kılavuzu"));
        writer.setCreator(kervio::applicationTitle());
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter));
        writer.setResolution(300);
        doc.print(&writer);
    }
    return pdf;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kervio::prepareApplication();
    const Options options = readOptions();

    QTextDocument doc;
    const QHash<QString, QImage> images = pictures(options);
    for (auto it = images.cbegin(); it != images.cend(); ++it)
        doc.addResource(QTextDocument::ImageResource, QUrl(it.key()), *it);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9.5);
    doc.setDefaultFont(font);
    doc.setHtml(manualHtml(options));

    const QByteArray pdf = layOutAsPdf(doc);
    if (pdf.isEmpty() || !kervio::saveFileContents(options.output, pdf))
        fail(options.output + QStringLiteral(" yazılamadı"));
    return 0;
}
