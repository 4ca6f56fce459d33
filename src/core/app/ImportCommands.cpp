#include "ImportCommands.h"

#include "CommandLine.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "import/BookImport.h"
#include "import/ImportLoop.h"
#include "import/LoanImport.h"
#include "import/MarcImport.h"
#include "import/PeriodicalImport.h"
#include "import/ReaderImport.h"
#include "import/SheetReader.h"

#include <QDateTime>
#include <QTextStream>

#include <memory>

namespace ImportCommands {

namespace {

const QString kUsage = QStringLiteral(
    "用法: tsgl import books|readers|periodicals|loans 文件 [--start N | --random-numbers]\n"
    "      tsgl import marc 文件 [--start N]\n"
    "(文件: .xls, .xlsx 或 .csv; --start N: 从N开始自动编号; --random-numbers: 系统随机自动编号)");

std::unique_ptr<ImportMapping> mappingFor(const QString &kind)
{
    if (kind == QLatin1String("books"))
        return std::make_unique<BookImport>();
    if (kind == QLatin1String("readers"))
        return std::make_unique<ReaderImport>();
    if (kind == QLatin1String("periodicals"))
        return std::make_unique<PeriodicalImport>();
    if (kind == QLatin1String("loans"))
        return std::make_unique<LoanImport>();
    return nullptr;
}

} // namespace

const CirculationCommands::Command *find(const QString &name)
{
    static const CirculationCommands::Command command{QStringLiteral("import"), 2, kUsage, &import};
    return name == command.name ? &command : nullptr;
}

int import(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString kind = arguments.value(0);
    const QString path = arguments.value(1);
    if (kind == QLatin1String("marc"))
        return MarcImport::runCommand(path, out, err);
    const std::unique_ptr<ImportMapping> mapping = mappingFor(kind);
    if (!mapping) {
        err << QStringLiteral("不能导入这种数据: %1").arg(kind) << Qt::endl << kUsage << Qt::endl;
        return 2;
    }
    const CommandLine::CommandOptions &options = CommandLine::commandOptions();
    const bool fromStart = !options.start.isEmpty();
    if (!mapping->takesNumbers() && (fromStart || options.randomNumbers)) {
        err << QStringLiteral("借阅记录的导入没有编号选项 (--start, --random-numbers).")
            << Qt::endl;
        return 2;
    }
    std::int64_t start = 0;
    QString error;
    if (fromStart && !ImportNumbering::parseStart(options.start, &start, &error)) {
        err << error << Qt::endl;
        return 2;
    }

    SheetReader reader;
    if (!reader.open(path, &error)) {
        err << error << Qt::endl;
        return 2;
    }
    out << ImportTexts::rowsLabel(reader.rowCount()) << Qt::endl
        << ImportTexts::columnsLabel(reader.columnCount()) << Qt::endl;

    const QDateTime now = QDateTime::currentDateTime();
    ImportLoop loop(*mapping, ImportNumbering(options.randomNumbers, fromStart, start),
                    ImportContext{now.date(), loginContext().adminName});
    ImportLoop::Callbacks callbacks;
    callbacks.failed = [&](const FailedRow &row) {
        out << row.resultLine() << Qt::endl;
        err << QStringLiteral("第%1行: ").arg(row.row) << row.reason << Qt::endl;
    };
    const ImportSummary summary = loop.run(reader, SharedConnection::database(), callbacks);
    for (const QString &line : ImportTexts::finalLines(summary))
        out << line << Qt::endl;
    out << ImportTexts::elapsedText(summary.elapsedMs) << Qt::endl
        << ImportTexts::doneText() << Qt::endl;
    if (!summary.fileError.isEmpty())
        return 2;
    return summary.failed > 0 ? 1 : 0;
}

} // namespace ImportCommands
