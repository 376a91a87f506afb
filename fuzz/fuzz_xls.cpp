// Any bytes as a workbook saved as .xls: recognised by content, read, every
// cell turned into its text.
#include "workbookinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return kervio::fuzz::readWorkbookBytes(data, size, "xls");
}
