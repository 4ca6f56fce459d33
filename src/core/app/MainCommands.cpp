#include "MainCommands.h"

#include "db/LoginContext.h"

#include <QHash>

namespace MainCommands {

namespace {

Entry entry(const char *text, const char *shortcut = "", bool modeless = false)
{
    const QString t = QString::fromUtf8(text);
    return Entry{t, t, QString::fromLatin1(shortcut), modeless};
}

Entry separator()
{
    return Entry{};
}

Entry customList(int n, const QString &label)
{
    return Entry{QStringLiteral("a%1设置").arg(n), label + QStringLiteral("设置"), QString(),
                 false};
}

} // namespace

QVector<Menu> menus(const LoginContext &c)
{
    return {
        {QStringLiteral("基本操作"),
         {entry("借    阅", "F5"), entry("归    还", "F6", true), entry("续    借"),
          entry("添加图书"), entry("添加读者"), entry("添加期刊"), entry("修改密码"), entry("收费"),
          separator(), entry("图书管理"), entry("读者管理"), entry("期刊管理", "", true),
          entry("管理员日志"), entry("退    出")}},
        {QStringLiteral("系统管理"),
         {entry("系统管理员权限设置"), entry("图书馆信息设置"), entry("系 统 初 始 化"),
          entry("备 份 数 据 库"), entry("数 据 库 设 置"), separator(), entry("批处理数据")}},
        {QStringLiteral("基础信息设置"),
         {entry("读者类别设置"), entry("物品级别设置"), entry("图书分类设置"),
          entry("二级分类设置"), entry("出版社名设置"), entry("单位/部门名"), entry("存放位置"),
          entry("证件名设置"), entry("币种名设置"), customList(1, c.customListLabel1),
          customList(2, c.customListLabel2), customList(3, c.customListLabel3)}},
        {QStringLiteral("查询和统计"),
         {entry("借阅记录查询"), entry("逾期借阅记录"), entry("分 类 统 计"), entry("入库信息统计"),
          entry("图书借阅统计"), entry("期刊借阅统计"), entry("读者借阅统计"), entry("资金统计"),
          entry("数据盘点"), entry("预定信息"), entry("网页推荐信息")}},
        {QStringLiteral("工具"),
         {entry("记事本"), entry("计算器"), entry("打印机"), entry("Pos小票打印机")}},
        // The MARC import is the only way to bring in MARC records, so its entry is shown.
        {QStringLiteral("数据导入"),
         {entry("Excel导入读者数据"), entry("Excel导入图书数据"), entry("Excel导入期刊数据"),
          entry("Excel导入借阅记录"), entry("马克marc数据导入")}},
        {QStringLiteral("帮助"), {entry("使用帮助"), entry("关    于")}},
    };
}

QVector<ToolButton> toolButtons()
{
    auto b = [](const char *caption, const char *command) {
        return ToolButton{QString::fromUtf8(caption), QString::fromUtf8(command)};
    };
    return {b("借阅[F5]", "借    阅"), b("归还[F6]", "归    还"),       b("图书管理", "图书管理"),
            b("读者管理", "读者管理"), b("信息设置", "图书馆信息设置"), b("帮助", "使用帮助"),
            b("退出", "退    出")};
}

QString iconName(const QString &command)
{
    // Names of the freedesktop icon naming scheme, so that the desktop's own theme is used
    // where it has them; each is in the Tango theme the program falls back to.
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> n;
        auto add = [&n](const char *icon, std::initializer_list<const char *> commands) {
            for (const char *command : commands)
                n.insert(QString::fromUtf8(command), QString::fromLatin1(icon));
        };
        add("go-next", {"借    阅"});
        add("go-previous", {"归    还"});
        add("view-refresh", {"续    借"});
        add("document-new", {"添加图书"});
        add("contact-new", {"添加读者"});
        add("x-office-presentation", {"添加期刊"});
        add("system-lock-screen", {"修改密码"});
        add("list-add", {"收费"});
        add("x-office-address-book", {"图书管理"});
        add("system-users", {"读者管理", "读者类别设置", "系统管理员权限设置"});
        add("folder", {"期刊管理"});
        add("text-x-generic", {"管理员日志"});
        add("system-log-out", {"退    出"});
        add("document-properties", {"图书馆信息设置"});
        add("edit-clear", {"系 统 初 始 化"});
        add("document-save", {"备 份 数 据 库"});
        add("network-server", {"数 据 库 设 置"});
        add("edit-select-all", {"批处理数据"});
        add("emblem-favorite", {"物品级别设置"});
        add("format-justify-fill",
            {"图书分类设置", "二级分类设置", "出版社名设置", "单位/部门名", "存放位置",
             "证件名设置", "币种名设置", "a1设置", "a2设置", "a3设置"});
        add("edit-find", {"借阅记录查询"});
        add("appointment", {"逾期借阅记录"});
        add("x-office-spreadsheet", {"分 类 统 计", "入库信息统计", "资金统计"});
        add("utilities-system-monitor", {"图书借阅统计", "期刊借阅统计", "读者借阅统计"});
        add("edit-find-replace", {"数据盘点"});
        add("appointment-new", {"预定信息"});
        add("internet-web-browser", {"网页推荐信息"});
        add("accessories-text-editor", {"记事本"});
        add("accessories-calculator", {"计算器"});
        add("printer", {"打印机"});
        add("document-print", {"Pos小票打印机"});
        add("document-open", {"Excel导入读者数据", "Excel导入图书数据", "Excel导入期刊数据",
                              "Excel导入借阅记录", "马克marc数据导入"});
        add("help-browser", {"使用帮助"});
        add("dialog-information", {"关    于"});
        return n;
    }();
    return names.value(command);
}

QSet<QString> disabledMenus(const LoginContext &c)
{
    QSet<QString> out;
    if (!c.qxsysset)
        out.insert(SystemMenu);
    return out;
}

QSet<QString> disabledCommands(const LoginContext &c)
{
    QSet<QString> out;
    auto off = [&out](std::initializer_list<const char *> commands) {
        for (const char *command : commands)
            out.insert(QString::fromUtf8(command));
    };
    const QSet<QString> closedMenus = disabledMenus(c);
    for (const Menu &m : menus(c)) {
        if (!closedMenus.contains(m.title))
            continue;
        for (const Entry &e : m.entries) {
            if (!e.isSeparator())
                out.insert(e.command);
        }
    }
    if (!c.qxborrow)
        off({"借    阅", "续    借"});
    if (!c.qxreturn)
        off({"归    还"});
    if (!c.qxadddata)
        off({"添加图书", "添加读者", "添加期刊"});
    if (!c.qxbk)
        off({"图书管理"});
    if (!c.qxrd)
        off({"读者管理"});
    if (!c.qxqk)
        off({"期刊管理"});
    return out;
}

QString refusal(const LoginContext &c, const QString &command)
{
    static const QSet<QString> needAdmin = {QStringLiteral("管理员日志"),
                                            QStringLiteral("系统管理员权限设置"),
                                            QStringLiteral("批处理数据")};
    static const QSet<QString> importsNeedAdmin = {QStringLiteral("Excel导入期刊数据"),
                                                   QStringLiteral("Excel导入借阅记录"),
                                                   QStringLiteral("马克marc数据导入")};
    if (!c.qxadmin && needAdmin.contains(command))
        return QStringLiteral("没有权限!");
    if (!c.qxadmin && importsNeedAdmin.contains(command))
        return QStringLiteral("没有管理员权限!");
    // A server database is saved with the server's own tools.
    if (command == Backup && c.dialect == SqlDialect::Server)
        return QStringLiteral("请使用PostgreSQL的备份工具(pg_dump)备份!");
    return QString();
}

QString notBuiltMessage(const LoginContext &c, const QString &command)
{
    QString caption = command;
    for (const Menu &m : menus(c)) {
        for (const Entry &e : m.entries) {
            if (e.command == command)
                caption = e.caption;
        }
    }
    caption.remove(QLatin1Char(' '));
    return QStringLiteral("“%1”的窗口还没有做好,暂时不能使用.").arg(caption);
}

QString administratorLabel(const LoginContext &c)
{
    return QStringLiteral("  当前管理员:") + c.adminName;
}

QString databaseLabel(const LoginContext &c)
{
    return c.dialect == SqlDialect::Server ? QStringLiteral("  当前系统是: PostgreSQL")
                                           : QStringLiteral("  当前数据库是: 本地数据库");
}

QString aboutDatabaseLine(const LoginContext &c)
{
    return c.dialect == SqlDialect::Server ? QStringLiteral("当前数据库是PostgreSQL")
                                           : QStringLiteral("当前数据库是:本地数据库");
}

QString statusBarCompany(const LoginContext &c)
{
    return c.company + QLatin1Char(' ') + c.web;
}

} // namespace MainCommands
