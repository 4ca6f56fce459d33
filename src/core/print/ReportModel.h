#pragma once

#include "Barcode.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>

// One thing printed on a page, placed in millimetres from the page's top left corner.
struct ReportItem {
    enum class Kind {
        Text,    // text in rect, on one line (elided) or wrapped
        Line,    // a rule from rect.topLeft() to rect.bottomRight()
        Frame,   // a rectangle around rect
        Barcode, // bars in rect with the text under them
        Picture, // an image scaled into rect, keeping its proportions
    };

    Kind kind = Kind::Text;
    QRectF rect;
    QString text;
    double fontSize = 10; // points
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool wrap = false;
    double penWidth = 0.2; // millimetres, for lines and frames
    ::Barcode barcode;
    QImage picture;
    // What the item is in its template ("title", "columnTitle", "cell", "totals", "pageFooter",
    // "pageSum", …) and, for values of a row, the row and field it shows.
    QString role;
    int row = -1;
    QString field;
};

struct ReportPage {
    QVector<ReportItem> items;
};

// A report ready to be drawn: pages of positioned items, built by a template from rows and
// drawn by ReportPainter on the screen, a printer or a PDF file.
class ReportModel {
public:
    static QString fontFamily() { return QStringLiteral("Noto Sans CJK SC"); }

    QString title;             // the document name for the printer queue and the preview
    QSizeF pageSize{210, 297}; // millimetres; wider than high means landscape
    QVector<ReportPage> pages;

    int pageCount() const { return pages.size(); }
    ReportPage &addPage();

    ReportItem &addText(ReportPage &page, const QRectF &rect, const QString &text,
                        double fontSize = 10, bool bold = false,
                        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
                        const QString &role = QString());
    ReportItem &addLine(ReportPage &page, const QPointF &from, const QPointF &to,
                        double penWidth = 0.2, const QString &role = QString());
    ReportItem &addFrame(ReportPage &page, const QRectF &rect, double penWidth = 0.3,
                         const QString &role = QString());
    ReportItem &addBarcode(ReportPage &page, const QRectF &rect, const ::Barcode &barcode,
                           const QString &role = QStringLiteral("barcode"));
    ReportItem &addPicture(ReportPage &page, const QRectF &rect, const QImage &picture,
                           const QString &role = QString());

    // The items of a page with a role, in the order they were added.
    QVector<const ReportItem *> items(int page, const QString &role) const;
    QStringList texts(int page, const QString &role) const;
    // Every text of a page, top to bottom and left to right, for a plain-text view.
    QStringList allTexts(int page) const;
};
