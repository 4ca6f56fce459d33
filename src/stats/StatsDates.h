#pragma once

#include <QDate>

class QDateEdit;
class QWidget;

namespace StatsDates {

// A date picker as the statistics windows show them: yyyy-MM-dd with a calendar.
QDateEdit *dateField(const QDate &date, QWidget *parent);

} // namespace StatsDates
