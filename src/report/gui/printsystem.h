#pragma once
#include <QString>

namespace kervio {

// Why the print system will not take a job for the printer `name` right
// now, in Turkish, or an empty text: the printer is gone from it, or it
// refuses new jobs. The toolkit hands a job over without telling whether it
// was taken, so this is asked before. Always empty where the program is
// built without CUPS.
QString printSystemRefusal(const QString &name);

} // namespace kervio
