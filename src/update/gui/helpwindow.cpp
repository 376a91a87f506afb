#include "helpwindow.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

namespace kervio {

namespace {

QString noticeText()
{
    return QStringLiteral("Kavrel Yazılım - Cari Hesap Vade Farkı Hesaplama");
}

QFont tahomaPoints(int pointSize, bool bold)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Kavrel Kervio Yardım"));
    resize(870, 500);
    setFont(tahomaPoints(8, false));
    buildTopicPanel();
    buildTextView();
    buildStatusBar();

    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(m_topicPanel);
    l->addWidget(m_textView, 1);
    l->addWidget(m_statusBar);

    connect(m_topicSelector, &QComboBox::activated, this, &HelpWindow::showTopic);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void HelpWindow::buildTopicPanel()
{
    m_topicPanel = new QFrame(this);
    m_topicPanel->setObjectName(QStringLiteral("topicPanel"));
    m_topicPanel->setFixedHeight(41);
    m_topicPanel->setStyleSheet(
        QStringLiteral("#topicPanel { background: rgb(204, 236, 204); border: 1px solid rgb(0, 128, 128); }"));
    m_topicLabel = new QLabel(QStringLiteral("Yardım Alınacak Konuyu Seçin"), m_topicPanel);
    m_topicLabel->setObjectName(QStringLiteral("topicLabel"));
    m_topicLabel->setFont(tahomaPoints(12, true));
    m_topicSelector = new QComboBox(m_topicPanel);
    m_topicSelector->setObjectName(QStringLiteral("topicSelector"));
    m_topicSelector->setFont(tahomaPoints(8, true));
    m_topicSelector->addItem(QStringLiteral("Kervio İşlemleri"));
    m_topicSelector->addItem(QStringLiteral("Excel'den Aktarım İşlemleri"));
    m_topicSelector->setCurrentIndex(int(HelpTopic::Calculation));
    m_topicSelector->setMinimumWidth(260);
    auto *pl = new QHBoxLayout(m_topicPanel);
    pl->setContentsMargins(8, 4, 8, 4);
    pl->addWidget(m_topicLabel);
    pl->addSpacing(12);
    pl->addWidget(m_topicSelector);
    pl->addStretch(1);
}

void HelpWindow::buildTextView()
{
    m_textView = new QTextEdit(this);
    m_textView->setObjectName(QStringLiteral("helpTextView"));
    m_textView->setReadOnly(true);
    m_textView->setTabChangesFocus(false);
    m_textView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                        | Qt::LinksAccessibleByMouse);
    QPalette p = m_textView->palette();
    p.setColor(QPalette::Base, QColor(251, 232, 210));
    // the selection stays visible when the view loses the focus
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    m_textView->setPalette(p);
}

void HelpWindow::buildStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setSizeGripEnabled(false);
    m_noticeLabel = new QLabel(noticeText(), m_statusBar);
    m_noticeLabel->setObjectName(QStringLiteral("noticeLabel"));
    m_noticeLabel->setFixedWidth(300);
    m_versionLabel = new QLabel(QStringLiteral("Version") + versionSuffix(), m_statusBar);
    m_versionLabel->setObjectName(QStringLiteral("versionLabel"));
    m_versionLabel->setMinimumWidth(50);
    m_statusBar->addWidget(m_noticeLabel);
    m_statusBar->addWidget(m_versionLabel, 1);
}

QString HelpWindow::programFolder() const
{
    return m_programFolder.isEmpty() ? executableFolder() : m_programFolder;
}

void HelpWindow::loadHelp(HelpTopic topic)
{
    const QString path = findHelpFile(helpFileName(topic), programFolder());
    const std::optional<HelpText> help = path.isEmpty() ? std::nullopt : readHelpText(path);
    if (!help)
        return;
    if (help->rich)
        m_textView->setHtml(help->text);
    else
        m_textView->setPlainText(help->text);
    m_textView->moveCursor(QTextCursor::Start);
}

void HelpWindow::showTopic(int index)
{
    if (const std::optional<HelpTopic> topic = helpTopicAt(index))
        loadHelp(*topic);
}

void HelpWindow::showHelp(HelpTopic topic)
{
    show();
    raise();
    activateWindow();
    loadHelp(topic);
}

void HelpWindow::showCalculationHelp()
{
    showHelp(HelpTopic::Calculation);
}

void HelpWindow::showImportHelp()
{
    showHelp(HelpTopic::Import);
}

bool openManual(const QString &programFolder)
{
    const QString manual = manualPath(programFolder);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(manual)))
        return true;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // platforms without desktop services (offscreen, minimal) still have the desktop's opener
    return QProcess::startDetached(QStringLiteral("xdg-open"), {manual});
#else
    return false;
#endif
}

} // namespace kervio
