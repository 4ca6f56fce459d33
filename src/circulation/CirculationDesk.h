#pragma once

#include <QString>

class QWidget;

// The borrowing window and the return window work as one desk: each opens the other without
// a modal barrier (F6 from borrowing, F5 from returning), there is at most one of each, and
// closing either closes both.
namespace CirculationDesk {

inline const QString BorrowCommand = QStringLiteral("借    阅");
inline const QString ReturnCommand = QStringLiteral("归    还");

// Each of the two windows announces itself from its constructor, naming its command.
void enter(const QString &command, QWidget *window);

// The open window of the command, or null.
QWidget *window(const QString &command);

// Shows the window of the command from the other desk window: raised when it is open,
// otherwise created through the main window's command table as a child window of `from`
// (so that it takes input while `from` is modal), not modal and destroyed when closed.
QWidget *show(const QString &command, QWidget *from);

// Called from a desk window's close event: closes the other one when it is open.
void closing(QWidget *window);

} // namespace CirculationDesk
