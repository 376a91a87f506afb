#include "yardim.h"
#include "core/codepage1254.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTextDocument>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

namespace kervio::yardim {

namespace {

const char *const Topics[] = {"yardimvade", "yardimexl"};

// Our texts are UTF-8; older ones may be in the Turkish code page.
QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp1254(bytes);
}

} // namespace

QString TyardimF::NoticeText()
{
    return QStringLiteral("Kavrel Yazılım - Cari Hesap Vade Farkı Hesaplama");
}

TyardimF::TyardimF(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("yardimF"));
    setWindowTitle(QStringLiteral("Kavrel Kervio Yardım"));
    resize(870, 500);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    Panel1->setStyleSheet(QStringLiteral("#Panel1 { background: rgb(204, 236, 204); border: 1px solid rgb(0, 128, 128); }"));
    Label1 = new QLabel(QStringLiteral("Yardım Alınacak Konuyu Seçin"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont lf(QStringLiteral("Tahoma"));
    lf.setPointSize(12);
    lf.setBold(true);
    Label1->setFont(lf);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    QFont cf(QStringLiteral("Tahoma"));
    cf.setPointSize(8);
    cf.setBold(true);
    ComboBox1->setFont(cf);
    ComboBox1->addItem(QStringLiteral("Kervio İşlemleri"));
    ComboBox1->addItem(QStringLiteral("Excel'den Aktarım İşlemleri"));
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setMinimumWidth(260);
    auto *pl = new QHBoxLayout(Panel1);
    pl->setContentsMargins(8, 4, 8, 4);
    pl->addWidget(Label1);
    pl->addSpacing(12);
    pl->addWidget(ComboBox1);
    pl->addStretch(1);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setTabChangesFocus(false);
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                       | Qt::LinksAccessibleByMouse);
    QPalette p = RichEdit1->palette();
    p.setColor(QPalette::Base, QColor(251, 232, 210));
    // the selection stays visible when the view loses the focus
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    RichEdit1->setPalette(p);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    statusPanels[0] = new QLabel(NoticeText(), StatusBar1);
    statusPanels[0]->setFixedWidth(300);
    statusPanels[1] = new QLabel(StatusBar1);
    statusPanels[1]->setMinimumWidth(50);
    StatusBar1->addWidget(statusPanels[0]);
    StatusBar1->addWidget(statusPanels[1], 1);

    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(Panel1);
    l->addWidget(RichEdit1, 1);
    l->addWidget(StatusBar1);

    connect(ComboBox1, &QComboBox::activated, this, &TyardimF::ComboBox1Change);

    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    FormCreate();
}

void TyardimF::FormCreate()
{
    statusPanels[1]->setText(QStringLiteral("Version") + versionSuffix());
}

QString TyardimF::programFolder() const
{
    return m_programFolder.isEmpty() ? executableFolder() : m_programFolder;
}

QString TyardimF::findHelpFile(const QString &name) const
{
    const QString here = QDir::current().absoluteFilePath(name);
    if (QFileInfo(here).isFile())
        return here;
    const QString beside = QDir(programFolder()).absoluteFilePath(name);
    if (QFileInfo(beside).isFile())
        return beside;
    return {};
}

bool TyardimF::loadHelp(const QString &name)
{
    const QString path = findHelpFile(name);
    if (path.isEmpty())
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QString text = decode(f.readAll());
    // a rich text begins with its first tag; a "<" further on is just a character
    if (text.trimmed().startsWith(u'<') && Qt::mightBeRichText(text))
        RichEdit1->setHtml(text);
    else
        RichEdit1->setPlainText(text);
    RichEdit1->moveCursor(QTextCursor::Start);
    return true;
}

void TyardimF::ComboBox1Change(int index)
{
    if (index >= 0 && index < int(std::size(Topics)))
        loadHelp(QString::fromLatin1(Topics[index]));
}

void TyardimF::showHelp(const QString &name)
{
    show();
    raise();
    activateWindow();
    loadHelp(name);
}

QString ManualPath(const QString &programFolder)
{
    return QDir(programFolder).absoluteFilePath(QStringLiteral("Kervio_Kullanim.pdf"));
}

namespace kervio2 {

void tfXPButton2Click(TyardimF &yardimF)
{
    yardimF.showHelp(QStringLiteral("yardimvade"));
}

bool JvXPButton2Click(const QString &programFolder)
{
    const QString manual = ManualPath(programFolder);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(manual)))
        return true;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // platforms without desktop services (offscreen, minimal) still have the desktop's opener
    return QProcess::startDetached(QStringLiteral("xdg-open"), {manual});
#else
    return false;
#endif
}

} // namespace kervio2

namespace aktarexcel {

void tfXPButton2Click(TyardimF &yardimF)
{
    yardimF.showHelp(QStringLiteral("yardimexl"));
}

} // namespace aktarexcel

} // namespace kervio::yardim
