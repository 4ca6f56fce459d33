#include "ReportModel.h"

#include <algorithm>

ReportPage &ReportModel::addPage()
{
    pages.append(ReportPage());
    return pages.last();
}

ReportItem &ReportModel::addText(ReportPage &page, const QRectF &rect, const QString &text,
                                 double fontSize, bool bold, Qt::Alignment alignment,
                                 const QString &role)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Text;
    item.rect = rect;
    item.text = text;
    item.fontSize = fontSize;
    item.bold = bold;
    item.alignment = alignment;
    item.role = role;
    page.items.append(item);
    return page.items.last();
}

ReportItem &ReportModel::addLine(ReportPage &page, const QPointF &from, const QPointF &to,
                                 double penWidth, const QString &role)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Line;
    item.rect = QRectF(from, to);
    item.penWidth = penWidth;
    item.role = role;
    page.items.append(item);
    return page.items.last();
}

ReportItem &ReportModel::addFrame(ReportPage &page, const QRectF &rect, double penWidth,
                                  const QString &role)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Frame;
    item.rect = rect;
    item.penWidth = penWidth;
    item.role = role;
    page.items.append(item);
    return page.items.last();
}

ReportItem &ReportModel::addBarcode(ReportPage &page, const QRectF &rect, const ::Barcode &barcode,
                                    const QString &role)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Barcode;
    item.rect = rect;
    item.barcode = barcode;
    item.text = barcode.text();
    item.fontSize = 8;
    item.role = role;
    page.items.append(item);
    return page.items.last();
}

ReportItem &ReportModel::addPicture(ReportPage &page, const QRectF &rect, const QImage &picture,
                                    const QString &role)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Picture;
    item.rect = rect;
    item.picture = picture;
    item.role = role;
    page.items.append(item);
    return page.items.last();
}

QVector<const ReportItem *> ReportModel::items(int page, const QString &role) const
{
    QVector<const ReportItem *> out;
    if (page < 0 || page >= pages.size())
        return out;
    for (const ReportItem &item : pages[page].items) {
        if (item.role == role)
            out.append(&item);
    }
    return out;
}

QStringList ReportModel::texts(int page, const QString &role) const
{
    QStringList out;
    for (const ReportItem *item : items(page, role))
        out.append(item->text);
    return out;
}

QStringList ReportModel::allTexts(int page) const
{
    QVector<const ReportItem *> texts;
    if (page < 0 || page >= pages.size())
        return {};
    for (const ReportItem &item : pages[page].items) {
        if (!item.text.isEmpty())
            texts.append(&item);
    }
    std::stable_sort(texts.begin(), texts.end(), [](const ReportItem *a, const ReportItem *b) {
        if (qAbs(a->rect.top() - b->rect.top()) > 0.5)
            return a->rect.top() < b->rect.top();
        return a->rect.left() < b->rect.left();
    });
    QStringList out;
    for (const ReportItem *item : texts)
        out.append(item->text);
    return out;
}
