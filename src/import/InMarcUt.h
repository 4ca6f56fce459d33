#pragma once

#include "import/ImportLoop.h"
#include "import/MarcBook.h"
#include "import/MarcReader.h"

#include <QDialog>
#include <QVector>

class MarcRunner;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// 马克marc数据导入: reads the records of a MARC file (ISO 2709 or MARCXML) into a preview list
// and adds one 图书 row for each, numbered from the start value. Reading and importing run on a
// worker thread (MarcRunner), so the window stays responsive with large files; both can be
// stopped. The preview list can be exported to a spreadsheet (生成Excel, LvToExcel).
class TInMarcFm : public QDialog {
    Q_OBJECT

public:
    explicit TInMarcFm(QWidget *parent = nullptr);
    ~TInMarcFm() override;

    // For tests and screenshots.
    QPushButton *openButton() const { return m_open; }
    QPushButton *readButton() const { return m_read; }
    QPushButton *importButton() const { return m_import; }
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *excelButton() const { return m_excel; }
    QPushButton *listExcelButton() const { return m_listExcel; }
    QLineEdit *startEdit() const { return m_startEdit; }
    QProgressBar *progressBar() const { return m_progress; }
    QTreeWidget *previewList() const { return m_preview; }
    QPlainTextEdit *resultBox() const { return m_result; }
    QPlainTextEdit *statementBox() const { return m_statement; }
    QString countText() const;
    QString readTimeText() const;
    QString elapsedText() const;
    QString doneText() const;
    MarcRunner *runner() const { return m_runner; }
    const QVector<MarcBook> &books() const { return m_books; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void openFile();
    void readFile();
    void importBooks();
    void exportExcel();
    void exportList();
    void readProgress(qint64 done, qint64 total);
    void readFinished(const MarcReadResult &result, const QVector<MarcBook> &books,
                      qint64 elapsedMs);
    void fillPreview();
    void importAdvanced(int done, int total, const QVector<FailedRow> &failed);
    void importFinished(const ImportSummary &summary);
    void setBusy(bool busy);

    MarcRunner *m_runner = nullptr;
    QString m_path;
    QVector<MarcBook> m_books;
    int m_filled = 0; // books shown in the preview list so far

    QPushButton *m_open = nullptr;
    QPushButton *m_read = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_excel = nullptr;
    QPushButton *m_listExcel = nullptr;
    QPushButton *m_exit = nullptr;
    QLineEdit *m_startEdit = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_readTime = nullptr;
    QLabel *m_elapsed = nullptr;
    QLabel *m_done = nullptr;
    QPlainTextEdit *m_statement = nullptr;
    QPlainTextEdit *m_result = nullptr;
    QTreeWidget *m_preview = nullptr;
};

// Registers 马克marc数据导入 with the main window's commands.
void registerMarcWindows();
