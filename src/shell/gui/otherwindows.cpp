#include "otherwindows.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

namespace kervio {

namespace {
void centreOnDesktop(QWidget *w)
{
    if (const QScreen *s = QGuiApplication::primaryScreen())
        w->move(s->availableGeometry().center() - w->rect().center());
}
} // namespace

TaktarexcelF::TaktarexcelF(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("aktarexcelF"));
    setWindowTitle(QStringLiteral("Kavrel Kervio Excel'den Veri Aktarma"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);
}

TyardimF::TyardimF(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("yardimF"));
    setWindowTitle(QStringLiteral("Kavrel Kervio Yardım"));
    resize(870, 500);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);
    centreOnDesktop(this);
}

TraporF::TraporF(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("raporF"));
    RichEdit9 = new QTextEdit(this);
    RichEdit9->setObjectName(QStringLiteral("RichEdit9"));
    RichEdit9->setReadOnly(true);
    QFont f(QStringLiteral("Courier New"));
    f.setPointSize(8);
    RichEdit9->setFont(f);
    auto *l = new QVBoxLayout(this);
    l->addWidget(RichEdit9);
}

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Bekleyin Kayıt Yapıyor"));
    resize(321, 47);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    auto *l = new QVBoxLayout(this);
    l->addWidget(ProgressBar1);
    centreOnDesktop(this);
}

} // namespace kervio
