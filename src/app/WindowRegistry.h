#pragma once

#include <QString>
#include <functional>

class QWidget;

// Which window each main-window command opens. Commands are named by their menu entry
// text exactly as the menu shows it (e.g. "读者类别设置", "借    阅"). Each subsystem
// registers its windows in its own register function, called by registerAll().
namespace WindowRegistry {

using Factory = std::function<QWidget *(QWidget *parent)>;

void add(const QString &command, Factory factory);
// The factory of the command, or an empty function when no window is built for it yet.
Factory find(const QString &command);
// Registers the windows of every subsystem (once).
void registerAll();

} // namespace WindowRegistry
