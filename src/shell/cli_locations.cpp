#include "cli_locations.h"
#include "shell/cli_common.h"
#include "core/locations.h"
#include "update/helptexts.h"

#include <QFileInfo>

namespace kervio {

int printLocations()
{
    const Locations where = programLocations();
    auto line = [](const char *name, const QString &value) { writeOutputLine(QLatin1String(name) + u'=' + value); };
    auto yesNo = [](bool on) { return on ? QStringLiteral("evet") : QStringLiteral("hayır"); };
    const QString manual = manualPath(where.programFolder);
    line("tasinabilir", yesNo(where.portable));
    line("program", where.programFolder);
    line("veri", where.dataFolder);
    line("ayarlar", where.settingsFile);
    line("ilk_ayarlar", QFileInfo(where.settingsDefaults).isFile() ? where.settingsDefaults : QString());
    line("kayitlar", where.ledgerFolder);
    for (HelpTopic topic : {HelpTopic::Calculation, HelpTopic::Import})
        line(helpFileName(topic).toLatin1().constData(), findHelpFile(helpFileName(topic), where.programFolder));
    line("kilavuz", QFileInfo(manual).isFile() ? manual : QString());
    line("guncelleme", yesNo(where.selfUpdate));
    return 0;
}

} // namespace kervio
