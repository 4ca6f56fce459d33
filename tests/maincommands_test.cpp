// The main window's command table: the menus, which commands each permission flag closes,
// and the messages given instead of a window.
#include "app/MainCommands.h"
#include "db/LoginContext.h"

#include <QtTest>

namespace {

// An administrator with every flag, then the named flags taken away.
LoginContext withoutFlags(const QStringList &missing)
{
    LoginContext c;
    const QHash<QString, bool *> flags = {
        {"qxadmin", &c.qxadmin},   {"qxsysset", &c.qxsysset},   {"qxborrow", &c.qxborrow},
        {"qxreturn", &c.qxreturn}, {"qxadddata", &c.qxadddata}, {"qxbk", &c.qxbk},
        {"qxrd", &c.qxrd},         {"qxqk", &c.qxqk},           {"qxdel", &c.qxdel}};
    for (bool *f : flags)
        *f = true;
    for (const QString &name : missing)
        *flags.value(name) = false;
    return c;
}

QStringList sorted(QSet<QString> set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

} // namespace

class MainCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void menusInOrder();
    void entriesOfEachMenu_data();
    void entriesOfEachMenu();
    void toolBarInOrder();
    void everyCommandHasAnIcon();
    void customListCaptions_data();
    void customListCaptions();
    void disabledCommands_data();
    void disabledCommands();
    void systemMenuClosedWithoutSysset();
    void refusals_data();
    void refusals();
    void labelsFollowDialect();
    void notBuiltMessageUsesTheMenuText_data();
    void notBuiltMessageUsesTheMenuText();
};

void MainCommandsTest::menusInOrder()
{
    LoginContext c;
    const QVector<MainCommands::Menu> menus = MainCommands::menus(c);
    QStringList titles;
    for (const auto &m : menus)
        titles << m.title;
    QCOMPARE(titles, QStringList({"基本操作", "系统管理", "基础信息设置", "查询和统计", "工具",
                                  "数据导入", "帮助"}));
    QStringList first;
    for (const auto &e : menus[0].entries)
        first << (e.isSeparator() ? QStringLiteral("-") : e.caption);
    QCOMPARE(first, QStringList({"借    阅", "归    还", "续    借", "添加图书", "添加读者",
                                 "添加期刊", "修改密码", "收费", "-", "图书管理", "读者管理",
                                 "期刊管理", "管理员日志", "退    出"}));
    QCOMPARE(menus[0].entries[0].shortcut, QStringLiteral("F5"));
    QCOMPARE(menus[0].entries[1].shortcut, QStringLiteral("F6"));
    // The return window and the periodical management stay open beside the others.
    QStringList modeless;
    for (const auto &m : menus)
        for (const auto &e : m.entries)
            if (e.modeless)
                modeless << e.command;
    QCOMPARE(modeless, QStringList({"归    还", "期刊管理"}));
    QCOMPARE(menus[5].entries.last().caption, QStringLiteral("马克marc数据导入"));
}

void MainCommandsTest::entriesOfEachMenu_data()
{
    // The captions as the menus show them, blanks included; "-" is a separator.
    QTest::addColumn<int>("menu");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("系统管理") << 1 << QStringList{"系统管理员权限设置", "图书馆信息设置",
                                                  "系 统 初 始 化",     "备 份 数 据 库",
                                                  "数 据 库 设 置",     "-",
                                                  "批处理数据"};
    QTest::newRow("基础信息设置") << 2
                                  << QStringList{"读者类别设置", "物品级别设置", "图书分类设置",
                                                 "二级分类设置", "出版社名设置", "单位/部门名",
                                                 "存放位置",     "证件名设置",   "币种名设置",
                                                 "密级设置",     "a2设置",       "a3设置"};
    QTest::newRow("查询和统计") << 3 << QStringList{"借阅记录查询", "逾期借阅记录", "分 类 统 计",
                                                    "入库信息统计", "图书借阅统计", "期刊借阅统计",
                                                    "读者借阅统计", "资金统计",     "数据盘点",
                                                    "预定信息",     "网页推荐信息"};
    QTest::newRow("工具") << 4 << QStringList{"记事本", "计算器", "打印机", "Pos小票打印机"};
    QTest::newRow("数据导入") << 5
                              << QStringList{"Excel导入读者数据", "Excel导入图书数据",
                                             "Excel导入期刊数据", "Excel导入借阅记录",
                                             "马克marc数据导入"};
    QTest::newRow("帮助") << 6 << QStringList{"使用帮助", "关    于"};
}

void MainCommandsTest::entriesOfEachMenu()
{
    QFETCH(int, menu);
    QFETCH(QStringList, captions);
    const MainCommands::Menu m = MainCommands::menus(LoginContext())[menu];
    QCOMPARE(m.title, QString::fromUtf8(QTest::currentDataTag()));
    QStringList shown;
    for (const auto &e : m.entries) {
        shown << (e.isSeparator() ? QStringLiteral("-") : e.caption);
        QVERIFY(e.shortcut.isEmpty());
        QVERIFY(!e.modeless);
    }
    QCOMPARE(shown, captions);
}

void MainCommandsTest::toolBarInOrder()
{
    QStringList captions, commands;
    for (const auto &b : MainCommands::toolButtons()) {
        captions << b.caption;
        commands << b.command;
    }
    QCOMPARE(captions, QStringList({"借阅[F5]", "归还[F6]", "图书管理", "读者管理", "信息设置",
                                    "帮助", "退出"}));
    QCOMPARE(commands, QStringList({"借    阅", "归    还", "图书管理", "读者管理",
                                    "图书馆信息设置", "使用帮助", "退    出"}));
}

void MainCommandsTest::everyCommandHasAnIcon()
{
    QStringList commands;
    for (const auto &m : MainCommands::menus(LoginContext())) {
        for (const auto &e : m.entries) {
            if (!e.isSeparator())
                commands << e.command;
        }
    }
    for (const auto &b : MainCommands::toolButtons())
        commands << b.command;
    for (const QString &command : commands)
        QVERIFY2(!MainCommands::iconName(command).isEmpty(), qPrintable(command));
    // The tool bar shows the same picture as the menu entry of its command.
    QCOMPARE(MainCommands::iconName(QStringLiteral("借    阅")), QStringLiteral("go-next"));
    QCOMPARE(MainCommands::iconName(QStringLiteral("没有这个命令")), QString());
}

void MainCommandsTest::customListCaptions_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::newRow("default") << QStringLiteral("密级") << QStringLiteral("密级设置");
    QTest::newRow("named") << QStringLiteral("语种") << QStringLiteral("语种设置");
    QTest::newRow("empty") << QString("") << QStringLiteral("设置");
}

void MainCommandsTest::customListCaptions()
{
    QFETCH(QString, label);
    QFETCH(QString, caption);
    LoginContext c;
    c.customListLabel2 = label;
    const MainCommands::Entry e = MainCommands::menus(c)[2].entries[10];
    QCOMPARE(e.command, QStringLiteral("a2设置"));
    QCOMPARE(e.caption, caption);
}

void MainCommandsTest::disabledCommands_data()
{
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("disabled");
    QTest::newRow("all flags") << QStringList() << QStringList();
    QTest::newRow("no borrow") << QStringList{"qxborrow"} << QStringList{"借    阅", "续    借"};
    QTest::newRow("no return") << QStringList{"qxreturn"} << QStringList{"归    还"};
    QTest::newRow("no add data") << QStringList{"qxadddata"}
                                 << QStringList{"添加图书", "添加期刊", "添加读者"};
    QTest::newRow("no books") << QStringList{"qxbk"} << QStringList{"图书管理"};
    QTest::newRow("no readers") << QStringList{"qxrd"} << QStringList{"读者管理"};
    QTest::newRow("no periodicals") << QStringList{"qxqk"} << QStringList{"期刊管理"};
    // qxadmin and qxdel close no entry: qxadmin is tested when a command is chosen.
    QTest::newRow("no admin, no delete") << QStringList{"qxadmin", "qxdel"} << QStringList();
    QTest::newRow("borrow and books")
        << QStringList{"qxborrow", "qxbk"} << QStringList{"借    阅", "续    借", "图书管理"};
}

void MainCommandsTest::disabledCommands()
{
    QFETCH(QStringList, missing);
    QFETCH(QStringList, disabled);
    disabled.sort();
    QCOMPARE(sorted(MainCommands::disabledCommands(withoutFlags(missing))), disabled);
    QVERIFY(MainCommands::disabledMenus(withoutFlags(missing)).isEmpty());
}

void MainCommandsTest::systemMenuClosedWithoutSysset()
{
    const LoginContext c = withoutFlags({"qxsysset"});
    QCOMPARE(MainCommands::disabledMenus(c), QSet<QString>{QStringLiteral("系统管理")});
    const QSet<QString> off = MainCommands::disabledCommands(c);
    for (const char *command : {"系统管理员权限设置", "图书馆信息设置", "系 统 初 始 化",
                                "备 份 数 据 库", "数 据 库 设 置", "批处理数据"})
        QVERIFY2(off.contains(QString::fromUtf8(command)), command);
    QCOMPARE(off.size(), 6);
    // The tool button 信息设置 runs 图书馆信息设置, so it is closed with the menu.
    bool found = false;
    for (const auto &b : MainCommands::toolButtons())
        found = found || (b.caption == QStringLiteral("信息设置") && off.contains(b.command));
    QVERIFY(found);
}

void MainCommandsTest::refusals_data()
{
    QTest::addColumn<bool>("admin");
    QTest::addColumn<bool>("server");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");
    const QString noRight = QStringLiteral("没有权限!");
    const QString noAdmin = QStringLiteral("没有管理员权限!");
    const QString pgBackup = QStringLiteral("请使用PostgreSQL的备份工具(pg_dump)备份!");
    QTest::newRow("log") << false << false << "管理员日志" << noRight;
    QTest::newRow("administrators") << false << false << "系统管理员权限设置" << noRight;
    QTest::newRow("batch") << false << false << "批处理数据" << noRight;
    QTest::newRow("periodical import") << false << false << "Excel导入期刊数据" << noAdmin;
    QTest::newRow("loan import") << false << false << "Excel导入借阅记录" << noAdmin;
    QTest::newRow("marc import") << false << false << "马克marc数据导入" << noAdmin;
    QTest::newRow("reader import is free") << false << false << "Excel导入读者数据" << QString();
    QTest::newRow("admin opens the log") << true << false << "管理员日志" << QString();
    QTest::newRow("admin opens marc") << true << false << "马克marc数据导入" << QString();
    QTest::newRow("backup of the file") << true << false << "备 份 数 据 库" << QString();
    QTest::newRow("backup of the server") << true << true << "备 份 数 据 库" << pgBackup;
}

void MainCommandsTest::refusals()
{
    QFETCH(bool, admin);
    QFETCH(bool, server);
    QFETCH(QString, command);
    QFETCH(QString, message);
    LoginContext c = withoutFlags(admin ? QStringList() : QStringList{"qxadmin"});
    c.dialect = server ? SqlDialect::Server : SqlDialect::Embedded;
    QCOMPARE(MainCommands::refusal(c, command), message);
}

void MainCommandsTest::labelsFollowDialect()
{
    LoginContext c;
    c.adminName = QStringLiteral("张三");
    QCOMPARE(MainCommands::administratorLabel(c), QStringLiteral("  当前管理员:张三"));
    QCOMPARE(MainCommands::databaseLabel(c), QStringLiteral("  当前数据库是: 本地数据库"));
    QCOMPARE(MainCommands::aboutDatabaseLine(c), QStringLiteral("当前数据库是:本地数据库"));
    c.dialect = SqlDialect::Server;
    QCOMPARE(MainCommands::databaseLabel(c), QStringLiteral("  当前系统是: PostgreSQL"));
    QCOMPARE(MainCommands::aboutDatabaseLine(c), QStringLiteral("当前数据库是PostgreSQL"));
}

void MainCommandsTest::notBuiltMessageUsesTheMenuText_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "数据盘点"
                           << "数据盘点";
    QTest::newRow("spaced") << "借    阅"
                            << "借阅";
    QTest::newRow("library's own list name") << "a1设置"
                                             << "图书级别设置";
}

void MainCommandsTest::notBuiltMessageUsesTheMenuText()
{
    QFETCH(QString, command);
    QFETCH(QString, shown);
    LoginContext c;
    c.customListLabel1 = QStringLiteral("图书级别");
    QCOMPARE(MainCommands::notBuiltMessage(c, command),
             QStringLiteral("“%1”的窗口还没有做好,暂时不能使用.").arg(shown));
}

QTEST_GUILESS_MAIN(MainCommandsTest)
#include "maincommands_test.moc"
