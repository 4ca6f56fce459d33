#pragma once

#include <QSet>
#include <QString>
#include <QVector>

struct LoginContext;

// The main window's command table: its menus, entries and tool buttons, which commands an
// administrator may not use, and the messages a command gives instead of opening a window.
// A command is named by its menu entry text; the three lists the library names itself are
// named "a1设置" … "a3设置" and shown with the library's labels.
namespace MainCommands {

struct Entry {
    QString command; // empty for a separator
    QString caption; // the menu text
    QString shortcut;
    bool modeless = false; // shown without blocking the main window
    bool isSeparator() const { return command.isEmpty(); }
};

struct Menu {
    QString title;
    QVector<Entry> entries;
};

struct ToolButton {
    QString caption;
    QString command;
};

// The menus in order, with the captions of the customisable lists taken from the context.
QVector<Menu> menus(const LoginContext &context);
QVector<ToolButton> toolButtons();

// The freedesktop icon name of a command's menu entry and tool button (empty for a command
// that is not in the table).
QString iconName(const QString &command);

// Menus the administrator cannot open at all.
QSet<QString> disabledMenus(const LoginContext &context);
// Commands the administrator cannot choose, those of the disabled menus included.
QSet<QString> disabledCommands(const LoginContext &context);

// The message a command shows instead of opening its window (missing permission, or the
// backup of a server database), or an empty text when the command opens its window.
QString refusal(const LoginContext &context, const QString &command);

// The message of a command whose window this version does not have yet.
QString notBuiltMessage(const LoginContext &context, const QString &command);

// The tool bar's labels and the About window's database line.
QString administratorLabel(const LoginContext &context);
QString databaseLabel(const LoginContext &context);
QString aboutDatabaseLine(const LoginContext &context);
QString statusBarCompany(const LoginContext &context);

// Commands the main window handles itself.
inline const QString Exit = QStringLiteral("退    出");
inline const QString Borrow = QStringLiteral("借    阅");
inline const QString Return = QStringLiteral("归    还");
inline const QString Renew = QStringLiteral("续    借");
inline const QString Notepad = QStringLiteral("记事本");
inline const QString Calculator = QStringLiteral("计算器");
inline const QString Printer = QStringLiteral("打印机");
inline const QString Help = QStringLiteral("使用帮助");
inline const QString About = QStringLiteral("关    于");
inline const QString DatabaseSettings = QStringLiteral("数 据 库 设 置");
inline const QString Backup = QStringLiteral("备 份 数 据 库");
inline const QString SystemMenu = QStringLiteral("系统管理");

inline const QString ExitCaption = QStringLiteral("请确认");
inline const QString ExitQuestion = QStringLiteral("确认要退出吗?");

} // namespace MainCommands
