// A whole .xlsx file (a zip archive) as the sheet reader gets it.
#include "FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    readSheet(fuzzFile("xlsx", reinterpret_cast<const char *>(data), size));
    return 0;
}
