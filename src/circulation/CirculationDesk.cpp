#include "CirculationDesk.h"

#include "app/WindowRegistry.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace CirculationDesk {

namespace {

QHash<QString, QPointer<QWidget>> &open()
{
    static QHash<QString, QPointer<QWidget>> windows;
    return windows;
}

QString otherOf(const QString &command)
{
    return command == BorrowCommand ? ReturnCommand : BorrowCommand;
}

} // namespace

void enter(const QString &command, QWidget *window)
{
    open().insert(command, window);
}

QWidget *window(const QString &command)
{
    return open().value(command).data();
}

QWidget *show(const QString &command, QWidget *from)
{
    if (QWidget *w = window(command)) {
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->show();
        w->raise();
        w->activateWindow();
        return w;
    }
    const WindowRegistry::Factory factory = WindowRegistry::find(command);
    if (!factory)
        return nullptr;
    QWidget *w = factory(from);
    if (!w)
        return nullptr;
    w->setWindowFlag(Qt::Window, true);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowModality(Qt::NonModal);
    enter(command, w);
    w->show();
    return w;
}

void closing(QWidget *window)
{
    for (auto it = open().cbegin(); it != open().cend(); ++it) {
        if (it.value() != window)
            continue;
        const QString other = otherOf(it.key());
        open().remove(it.key());
        if (QWidget *partner = open().value(other).data()) {
            open().remove(other);
            partner->close();
        }
        return;
    }
}

} // namespace CirculationDesk
