#include "otherwindows.h"


namespace kervio {


TaktarexcelF::TaktarexcelF(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("aktarexcelF"));
    setWindowTitle(QStringLiteral("Kavrel Kervio Excel'den Veri Aktarma"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);
}

} // namespace kervio
