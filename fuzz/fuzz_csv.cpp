// A comma- or tab-separated text file in UTF-8 or GBK.
#include "FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    readSheet(fuzzFile("csv", reinterpret_cast<const char *>(data), size));
    return 0;
}
