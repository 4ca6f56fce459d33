// MARC records: ISO 2709 (UNIMARC, MARC 21, GBK or UTF-8) and MARCXML.
#include "import/MarcReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    MarcReader::read(bytes, 1000);
    MarcReader::readIso2709(bytes, 1000);
    MarcRecord record;
    QString error;
    MarcReader::parseRecord(bytes, &record, &error);
    return 0;
}
