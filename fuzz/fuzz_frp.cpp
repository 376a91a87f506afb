// Prepared-report files: the reader must refuse or accept any bytes without
// crashing or allocating what the file does not hold, and whatever it
// accepts must come back unchanged through the writer.
#include "report/frpfile.h"

#include <cstdint>
#include <cstdlib>

using namespace kervio;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    const std::optional<ComposedReport> report = parseFrp(bytes, &why);
    if (!report) {
        if (why.isEmpty())
            abort();
        return 0;
    }
    const std::optional<ComposedReport> again = parseFrp(frpBytes(*report));
    if (!again || !(*again == *report))
        abort();
    return 0;
}
