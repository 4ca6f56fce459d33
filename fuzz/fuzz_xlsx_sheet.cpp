// The XML of a worksheet, and after a line "--sst--" that of the shared strings, packed into
// an otherwise sound .xlsx file: mutations reach the sheet's markup instead of breaking the
// zip archive's checksums.
#include "FuzzFile.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

void addPart(QuaZip *zip, const QString &name, const QByteArray &content)
{
    QuaZipFile file(zip);
    if (file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, 0, 0)) // stored
        file.write(content);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const int split = input.indexOf("\n--sst--\n");
    const QByteArray sheet = split < 0 ? input : input.left(split);
    const QByteArray strings = split < 0 ? QByteArray() : input.mid(split + 9);
    const QString path = fuzzFile("xlsx", nullptr, 0);
    {
        QuaZip zip(path);
        if (!zip.open(QuaZip::mdCreate))
            return 0;
        addPart(&zip, QStringLiteral("xl/workbook.xml"),
                "<workbook xmlns:r=\"r\"><bookViews><workbookView activeTab=\"0\"/></bookViews>"
                "<sheets><sheet name=\"s\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
        addPart(&zip, QStringLiteral("xl/_rels/workbook.xml.rels"),
                "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
                "Target=\"worksheets/sheet1.xml\"/></Relationships>");
        addPart(&zip, QStringLiteral("xl/styles.xml"),
                "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>"
                "<xf numFmtId=\"22\"/></cellXfs></styleSheet>");
        addPart(&zip, QStringLiteral("xl/worksheets/sheet1.xml"), sheet);
        if (split >= 0)
            addPart(&zip, QStringLiteral("xl/sharedStrings.xml"), strings);
    }
    readSheet(path);
    return 0;
}
