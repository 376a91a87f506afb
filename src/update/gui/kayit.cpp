#include "kayit.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace kervio::kayit {

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Bekleyin Kayıt Yapıyor"));
    setFixedSize(321, 47);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(8, 8, 8, 8);
    l->addWidget(ProgressBar1);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

} // namespace kervio::kayit
