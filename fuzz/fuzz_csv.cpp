// Any bytes as a csv workbook: read, and every cell turned into its text.
#include "workbookinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kervio;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const Regional &reg : {Regional::turkish(), Regional{u'.', u',', u'/'}})
        fuzz::useSheet([&] { return readCsvText(bytes, reg, 6500); }, reg);
    return 0;
}
