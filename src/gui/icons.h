#pragma once
#include <QIcon>

namespace kervio {

// The button pictures, painted in code so that the program carries no image files.
enum class Picture { Save, Open, ExcelOut, ExcelIn, Print, Rates, Recalc, Reset, Sort, Help, Preview, Mail, Update, Manual, Find };

QIcon pictureIcon(Picture p, int size = 32);

} // namespace kervio
