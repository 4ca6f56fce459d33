#include "StatsDates.h"

#include <QDateEdit>

namespace StatsDates {

QDateEdit *dateField(const QDate &date, QWidget *parent)
{
    auto *edit = new QDateEdit(date, parent);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    return edit;
}

} // namespace StatsDates
