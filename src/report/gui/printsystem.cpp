#include "printsystem.h"

#include "report/pageselection.h"

#ifdef KERVIO_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace kervio {

QString printSystemRefusal(const QString &name)
{
#ifdef KERVIO_HAVE_CUPS
    // a CUPS instance name "queue/instance" takes the jobs of its queue
    const QByteArray queue = name.section(u'/', 0, 0).toLocal8Bit();
    const QByteArray instance = name.section(u'/', 1).toLocal8Bit();
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return PrintText::printerNotFound(name);
    const char *accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool refuses = accepting && qstrcmp(accepting, "false") == 0;
    cupsFreeDests(1, dest);
    if (refuses)
        return PrintText::jobRefused(name);
#else
    Q_UNUSED(name);
#endif
    return {};
}

} // namespace kervio
