// Times reading a spreadsheet file row by row as the imports read it.
//
//   sheet_bench [--print] FILE [FILE...]
//
// Each file (.xlsx, .xls or .csv) is opened with SheetReader and read to its last row; the
// time, the rows and columns and the characters of all cells are printed. Peak memory is
// what /usr/bin/time -v reports for the run. --print also prints the rows, a cell to a line
// (to look at what a file gives).
#include "import/SheetReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <ctime>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    const bool print = files.removeAll(QStringLiteral("--print")) > 0;
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: sheet_bench FILE [FILE...]\n");
        return 2;
    }
    int status = 0;
    for (const QString &file : files) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpu = std::clock();
        SheetReader reader;
        QString error;
        if (!reader.open(file, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            status = 1;
            continue;
        }
        const double openSeconds = timer.elapsed() / 1000.0;
        qint64 characters = 0;
        int rows = 1;
        int row = 0;
        QStringList cells;
        if (print)
            std::printf("1: [%s]\n", qPrintable(reader.headings().join(QStringLiteral("] ["))));
        while (reader.next(&row, &cells)) {
            ++rows;
            if (print)
                std::printf("%d: [%s]\n", row, qPrintable(cells.join(QStringLiteral("] ["))));
            for (const QString &cell : cells)
                characters += cell.size();
        }
        if (!reader.error().isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(reader.error()));
            status = 1;
        }
        std::printf("%s: %d rows x %d columns, %lld characters: open %.2f s, all %.2f s "
                    "(cpu %.2f s)\n",
                    qPrintable(file), rows, reader.columnCount(), characters, openSeconds,
                    timer.elapsed() / 1000.0, double(std::clock() - cpu) / CLOCKS_PER_SEC);
    }
    return status;
}
