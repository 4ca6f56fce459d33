#pragma once

#include "SheetSource.h"
#include "XlsxReader.h"

#include <memory>

// The active sheet of an .xlsx file, read as a stream: one pass over the sheet finds the
// used range and the shared strings the sheet uses, the second gives the rows as they are
// unpacked. Only those shared strings are held. A sheet whose rows or cells are out of order
// (no spreadsheet program writes one) is read whole instead.
class XlsxSheetSource : public SheetSource {
public:
    explicit XlsxSheetSource(const XlsxReader::Limits &limits = XlsxReader::Limits());
    ~XlsxSheetSource() override;

    bool open(const QString &path, QString *error) override;
    int rowCount() const override;
    int columnCount() const override;
    bool readRow(int row, QStringList *cells, QString *error) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
