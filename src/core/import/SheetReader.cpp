#include "SheetReader.h"

#include "SheetData.h"
#include "XlsxReader.h"

#include <QDateTime>
#include <QFileInfo>

struct SheetReader::Impl {
    SheetData sheet;
    int nextRow = 1; // 0-based row that next() gives
    QString error;
};

SheetReader::SheetReader()
    : d(std::make_unique<Impl>())
{
}

SheetReader::~SheetReader() = default;

bool SheetReader::open(const QString &path, QString *error)
{
    d = std::make_unique<Impl>();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("xlsx")) {
        d->error = QStringLiteral("不能读取这种文件: %1").arg(QFileInfo(path).fileName());
        if (error)
            *error = d->error;
        return false;
    }
    if (!XlsxReader::read(path, &d->sheet, &d->error)) {
        if (error)
            *error = d->error;
        return false;
    }
    return true;
}

int SheetReader::rowCount() const
{
    return d->sheet.rowCount();
}

int SheetReader::columnCount() const
{
    return d->sheet.columnCount;
}

QStringList SheetReader::headings() const
{
    QStringList texts;
    for (int c = 0; c < columnCount(); ++c)
        texts << cellText(d->sheet.cell(0, c));
    return texts;
}

bool SheetReader::next(int *row, QStringList *cells)
{
    if (d->nextRow >= rowCount())
        return false;
    cells->clear();
    for (int c = 0; c < columnCount(); ++c)
        cells->append(cellText(d->sheet.cell(d->nextRow, c)));
    *row = d->nextRow + 1;
    ++d->nextRow;
    return true;
}

QString SheetReader::error() const
{
    return d->error;
}

QString SheetReader::cellText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        if (moment.time() == QTime(0, 0))
            return moment.date().toString(QStringLiteral("yyyy-MM-dd"));
        return moment.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    default:
        return value.toString();
    }
}
