#include "updateprogresswindow.h"
#include "update/programupdate.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace kervio {

UpdateProgressWindow::UpdateProgressWindow(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("updateProgressWindow"));
    setWindowTitle(QStringLiteral("Bekleyin Kayıt Yapıyor"));
    // the rest of the program waits; only "İptal" can be used meanwhile
    setWindowModality(Qt::ApplicationModal);
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_cancel = new QPushButton(QStringLiteral("İptal"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setShortcut(Qt::Key_Escape);
    connect(m_cancel, &QPushButton::clicked, this, [] { ProgramUpdate::cancelRunning(); });
    auto *l = new QHBoxLayout(this);
    l->setContentsMargins(8, 8, 8, 8);
    l->addWidget(m_progressBar, 1);
    l->addWidget(m_cancel);
    setFixedSize(321, 47);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

} // namespace kervio
