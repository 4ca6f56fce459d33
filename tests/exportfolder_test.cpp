// The export folder of a run: exported files live there while the program runs and are gone
// when it ends; a full or read-only disk is named in the export's message.
#include "ExcelExport.h"
#include "PromptRecorder.h"
#include "export/ExportFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <sys/mount.h>

namespace {

// In the child process: exports a list, tells what was handed over and what the folder
// holds, and ends the way the mode says.
int runChild(int argc, char **argv, const QByteArray &mode)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    ExcelExport::setOpener([&out](const QString &path) {
        out << "opened " << path << '\n';
        return true;
    });
    auto exportList = [&out] {
        QTreeWidget list;
        list.setHeaderLabels({QStringLiteral("名称")});
        new QTreeWidgetItem(&list, {QStringLiteral("红楼梦")});
        ExportListViewToExcel(nullptr, &list);
        out << "holds " << QDir(ExportFolder::path()).entryList(QDir::Files).join(u',') << '\n';
        out.flush();
    };
    if (mode == "event loop") {
        // As the program: windows, an event loop, and the end when it quits.
        QTimer::singleShot(0, &app, [&] {
            exportList();
            QTimer::singleShot(100, &app, &QCoreApplication::quit);
        });
        return app.exec();
    }
    exportList();
    return 0;
}

QString lineAfter(const QString &output, const QString &key)
{
    for (const QString &line : output.split(u'\n')) {
        if (line.startsWith(key + u' '))
            return line.mid(key.size() + 1);
    }
    return QString();
}

// A small file system of its own (tmpfs), for a disk that is full or read only; needs the
// right to mount.
class SmallDisk {
public:
    explicit SmallDisk(bool readOnly)
    {
        if (!m_dir.isValid())
            return;
        const QByteArray where = QFile::encodeName(m_dir.path());
        m_mounted = ::mount("tmpfs", where.constData(), "tmpfs", readOnly ? MS_RDONLY : 0UL,
                            "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool isMounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

class ExportFolderTest : public QObject {
    Q_OBJECT
private slots:
    void oneFolderForTheRun()
    {
        QString error;
        const QString first = ExportFolder::newFile(QStringLiteral(".xlsx"), &error);
        const QString second = ExportFolder::newFile(QStringLiteral(".xlsx"), &error);
        QVERIFY2(!first.isEmpty() && !second.isEmpty(), qPrintable(error));
        QVERIFY(first != second);
        QVERIFY(first.endsWith(QLatin1String(".xlsx")));
        const QFileInfo folder(QFileInfo(first).absolutePath());
        QCOMPARE(QFileInfo(second).absolutePath(), folder.absoluteFilePath());
        QCOMPARE(folder.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        QCOMPARE(folder.absoluteFilePath(), ExportFolder::path());
        QVERIFY(QFileInfo::exists(first));

        // Removed (by a cleaner of the temporary folder, say), it is made again.
        QVERIFY(QDir(folder.absoluteFilePath()).removeRecursively());
        const QString third = ExportFolder::newFile(QStringLiteral(".xlsx"), &error);
        QVERIFY2(!third.isEmpty(), qPrintable(error));
        QVERIFY(QFileInfo::exists(third));

        ExportFolder::remove();
        QVERIFY(!QFileInfo::exists(third));
        QVERIFY(!QFileInfo::exists(QFileInfo(third).absolutePath()));
    }

    void removedWhenTheProgramEnds_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("event loop quits") << QStringLiteral("event loop");
        QTest::newRow("application object ends") << QStringLiteral("plain");
    }

    void removedWhenTheProgramEnds()
    {
        QFETCH(QString, mode);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TSGL_EXPORTFOLDER_CHILD"), mode);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
        const QString opened = lineAfter(output, QStringLiteral("opened"));
        QVERIFY2(!opened.isEmpty(), qPrintable(output));
        // Handed over and kept while the program ran, so the spreadsheet program can open it.
        QCOMPARE(lineAfter(output, QStringLiteral("holds")), QFileInfo(opened).fileName());
        // Gone with its folder once the program ended.
        QVERIFY2(!QFileInfo::exists(opened), qPrintable(opened));
        QVERIFY(!QFileInfo::exists(QFileInfo(opened).absolutePath()));
    }

    void diskProblemsAreNamed_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QStringList>("reasons");
        // The library's error with the system's, then what is wrong with the disk.
        QTest::newRow("disk full") << false
                                   << QStringList{QStringLiteral("\n写入 Excel 文件失败："),
                                                  QStringLiteral("\n磁盘空间不足：文件夹 ")};
        // The folder cannot be made at all.
        QTest::newRow("read only") << true
                                   << QStringList{QStringLiteral("\n不能在临时文件夹 "),
                                                  QStringLiteral(" 中建立导出文件夹：")};
    }

    void diskProblemsAreNamed()
    {
        QFETCH(bool, readOnly);
        QFETCH(QStringList, reasons);
        SmallDisk disk(readOnly);
        if (!disk.isMounted())
            QSKIP("a small file system cannot be mounted here");
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(disk.path()));
        ExportFolder::remove();

        // More than the disk holds, in texts that do not pack small.
        QTreeWidget list;
        list.setHeaderLabels({QStringLiteral("编号"), QStringLiteral("名称")});
        QRandomGenerator random(7);
        for (int i = 0; i < 2000; ++i) {
            QByteArray bytes(60, Qt::Uninitialized);
            for (char &b : bytes)
                b = char(random.bounded(256));
            new QTreeWidgetItem(&list, {QString::number(i), QString::fromLatin1(bytes.toBase64())});
        }
        PromptRecorder prompts;
        bool handedOver = false;
        const ExcelExport::Opener previous =
            ExcelExport::setOpener([&handedOver](const QString &) { return handedOver = true; });
        ExportListViewToExcel(nullptr, &list);
        ExcelExport::setOpener(previous);
        const QString folder = ExportFolder::path();
        const QStringList left =
            folder.isEmpty() ? QStringList() : QDir(folder).entryList(QDir::Files);
        ExportFolder::remove();
        qputenv("TMPDIR", oldTmp);

        QVERIFY(!handedOver);
        QCOMPARE(prompts.entries().size(), 1);
        const QString text = prompts.last();
        QVERIFY2(text.startsWith(QStringLiteral("NO excel ！\n")), qPrintable(text));
        for (const QString &reason : reasons)
            QVERIFY2(text.contains(reason), qPrintable(text));
        QVERIFY2(text.contains(disk.path()), qPrintable(text));
        QCOMPARE(left, QStringList()); // the unfinished file is not left behind
    }
};

int main(int argc, char **argv)
{
    const QByteArray childMode = qgetenv("TSGL_EXPORTFOLDER_CHILD");
    if (!childMode.isEmpty())
        return runChild(argc, argv, childMode);
    QApplication app(argc, argv);
    ExportFolderTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "exportfolder_test.moc"
