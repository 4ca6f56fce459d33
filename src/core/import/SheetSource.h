#pragma once

#include <QString>
#include <QStringList>

// The rows of one worksheet from one kind of file, for SheetReader: the used range is known
// once the file is open, and the rows are asked for from the first down.
class SheetSource {
public:
    virtual ~SheetSource() = default;

    // Reads as much as it takes to know the used range. False with the message for the user.
    virtual bool open(const QString &path, QString *error) = 0;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    // The texts of a row (0-based, ascending from one call to the next): columnCount() of
    // them. False, with the message, when the file turns out damaged.
    virtual bool readRow(int row, QStringList *cells, QString *error) = 0;
    // Whether readRow() may be called from another thread than open() (RowPrefetch).
    virtual bool readsInAnyThread() const { return true; }
};
