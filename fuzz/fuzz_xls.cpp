// An Excel 97-2003 file (.xls, an OLE2 container) through FreeXL and the sheet reader.
#include "FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    readSheet(fuzzFile("xls", reinterpret_cast<const char *>(data), size));
    return 0;
}
