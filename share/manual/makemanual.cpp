// Lays out the user manual as PDF: the HTML source with the pictures of the
// windows and, where the source asks for them, the bodies of the help texts.
//   makemanual --source kullanim.html --pictures DIR --help-folder DIR --output OUT.pdf
// DIR of --pictures holds anapencere.png (the program's --screenshot); the
// other pictures are cut from it or drawn here.
#include "core/savefile.h"
#include "gui/guiapp.h"
#include "update/gui/kayit.h"
#include "update/gui/yardim.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
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

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kervio::prepareApplication();

    QString source, pictures, helpFolder, output;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--source")
            source = args[i + 1];
        else if (args[i] == u"--pictures")
            pictures = args[i + 1];
        else if (args[i] == u"--help-folder")
            helpFolder = args[i + 1];
        else if (args[i] == u"--output")
            output = args[i + 1];
    }
    if (source.isEmpty() || pictures.isEmpty() || helpFolder.isEmpty() || output.isEmpty())
        fail(QStringLiteral("kullanım: makemanual --source F --pictures D --help-folder D --output F.pdf"));

    QTextDocument doc;
    QHash<QString, QImage> images;
    const QImage main(QDir(pictures).filePath(QStringLiteral("anapencere.png")));
    if (main.isNull())
        fail(QStringLiteral("anapencere.png okunamadı"));
    images[QStringLiteral("anapencere.png")] = main;
    // parts of the main window, by its fixed layout
    images[QStringLiteral("dugmeler.png")] = main.copy(0, 0, 156, 627);
    images[QStringLiteral("parametreler.png")] = main.copy(156, 0, main.width() - 156, 120);
    images[QStringLiteral("tablo.png")] = main.copy(156, 120, main.width() - 156, 110);
    images[QStringLiteral("ozet.png")] = main.copy(156, main.height() - 22 - 111, main.width() - 156, 111);

    kervio::yardim::TyardimF help;
    help.setProgramFolder(helpFolder);
    QDir::setCurrent(helpFolder);
    help.show();
    kervio::yardim::kervio2::tfXPButton2Click(help);
    QApplication::processEvents();
    images[QStringLiteral("yardim.png")] = help.grab().toImage();
    help.hide();

    kervio::kayit::TForm2 form2;
    form2.show();
    QApplication::processEvents();
    images[QStringLiteral("bekleyin.png")] = form2.grab().toImage();

    QMessageBox ask(QMessageBox::Question, QStringLiteral("Kavrel Kervio"),
                    QStringLiteral("Bu işlem programınızın versionunu yükseltecektir!\nDevam etmek istiyormusunuz?"),
                    QMessageBox::Yes | QMessageBox::No);
    ask.show();
    QApplication::processEvents();
    images[QStringLiteral("guncelle-soru.png")] = ask.grab().toImage();

    for (auto it = images.cbegin(); it != images.cend(); ++it) {
        if (it->isNull())
            fail(it.key() + QStringLiteral(" çizilemedi"));
        doc.addResource(QTextDocument::ImageResource, QUrl(it.key()), *it);
        it->save(QDir(pictures).filePath(it.key()));
    }

    QString html = readText(source);
    if (html.isEmpty())
        fail(source + QStringLiteral(" okunamadı"));
    html.replace(QStringLiteral("<!--YARDIMVADE-->"), helpBody(QDir(helpFolder).filePath(QStringLiteral("yardimvade"))));
    html.replace(QStringLiteral("<!--YARDIMEXL-->"), helpBody(QDir(helpFolder).filePath(QStringLiteral("yardimexl"))));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9.5);
    doc.setDefaultFont(font);
    doc.setHtml(html);

    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Kavrel Kervio Kullanım Kılavuzu"));
        writer.setCreator(QStringLiteral("Kavrel Kervio"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 16, 18, 16),
                                         QPageLayout::Millimeter));
        writer.setResolution(300);
        doc.print(&writer);
    }
    if (pdf.isEmpty() || !kervio::saveFileContents(output, pdf))
        fail(output + QStringLiteral(" yazılamadı"));
    return 0;
}
