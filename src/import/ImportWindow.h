#pragma once

#include "import/ImportLoop.h"

#include <QDialog>

#include <functional>
#include <memory>

class ImportMapping;
class ImportRunner;
class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// What the four spreadsheet import windows have in common: list A (the sheet's first row)
// and list B (the target items), the counts, the instructions, the numbering options, the
// progress bar, the result box and the statement of the last failed row, the failed-rows list
// with its export, and the buttons 选择Excel, 开始导入, 停止导入, 清空list, 生成Excel and 退出.
// Each window says which of them it shows and gives its mapping; the rows are read and
// written on a worker thread (ImportRunner), so the window stays responsive and can be
// stopped between rows.
class ImportWindow : public QDialog {
    Q_OBJECT

public:
    struct Setup {
        QString objectName;
        QString title;
        std::shared_ptr<const ImportMapping> mapping;
        QString randomCaption;     // the random-numbering check box; empty: no numbering options
        QString failureReasonText; // the instruction about why rows fail
        bool showNumberingHint = true; // "如果您的Excel数据中没有编号,…"
        bool showFailedList = true;    // the failed-rows list and 生成Excel
        bool showStatement = true;     // the box with the last failed statement
        bool showElapsed = true;       // "时间:…"
    };

    ImportWindow(const Setup &setup, QWidget *parent);
    ~ImportWindow() override;

    // For tests and screenshots.
    QPushButton *chooseButton() const { return m_choose; }
    QPushButton *startButton() const { return m_start; }
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *clearButton() const { return m_clear; }
    QPushButton *exportButton() const { return m_export; }
    QCheckBox *randomCheck() const { return m_random; }
    QCheckBox *startNumberCheck() const { return m_fromStart; }
    QLineEdit *startNumberEdit() const { return m_startEdit; }
    QPushButton *startNumberButton() const { return m_startOk; }
    QListWidget *headingList() const { return m_listA; }
    QListWidget *targetList() const { return m_listB; }
    QPlainTextEdit *resultBox() const { return m_result; }
    QPlainTextEdit *statementBox() const { return m_statement; }
    QTreeWidget *failedList() const { return m_failed; }
    QProgressBar *progressBar() const { return m_progress; }
    ImportRunner *runner() const { return m_runner; }
    QString rowsText() const;
    QString columnsText() const;
    QString elapsedText() const;
    QString doneText() const;
    std::int64_t startNumber() const { return m_startNumber; }
    // Rows per transaction (tests make batches small to see them committed one by one).
    void setBatchSize(int rows);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout(const Setup &setup);
    void chooseFile();
    void startImport();
    void takeStartNumber();
    void clearLists();
    void exportFailed();
    void rowsAdvanced(int row, int lastRow, const QVector<FailedRow> &failed);
    void importFinished(const ImportSummary &summary);
    void showStartNumber();
    void setRunning(bool running);

    std::shared_ptr<const ImportMapping> m_mapping;
    ImportRunner *m_runner = nullptr;
    QString m_path;
    std::int64_t m_startNumber = 0;

    QListWidget *m_listA = nullptr;
    QListWidget *m_listB = nullptr;
    QLabel *m_rows = nullptr;
    QLabel *m_columns = nullptr;
    QProgressBar *m_progress = nullptr;
    QPlainTextEdit *m_result = nullptr;
    QPlainTextEdit *m_statement = nullptr;
    QTreeWidget *m_failed = nullptr;
    QCheckBox *m_random = nullptr;
    QCheckBox *m_fromStart = nullptr;
    QLineEdit *m_startEdit = nullptr;
    QPushButton *m_startOk = nullptr;
    QLabel *m_startLabel = nullptr;
    QLabel *m_elapsed = nullptr;
    QLabel *m_done = nullptr;
    QPushButton *m_choose = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_clear = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_quit = nullptr;
};
