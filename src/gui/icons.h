#pragma once
#include <QIcon>

namespace kervio {

// The button pictures, painted in code so that the program carries no image files.
enum class Picture { Save, Open, ExcelOut, ExcelIn, Print, Rates, Recalc, Reset, Sort, Help, Preview, Mail, Update, Manual, Find };

QIcon pictureIcon(Picture p, int size = 32);

// The program's icon (the one installed into the icon theme), every size.
QIcon programIcon();
// The name of the desktop entry and the icon.
inline constexpr const char *DesktopId = "tr.com.kavrel.Kervio";

} // namespace kervio
