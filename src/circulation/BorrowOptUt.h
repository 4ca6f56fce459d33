#pragma once

#include <QDialog>
#include <QSqlRecord>
#include <QString>
#include <QVector>
#include <functional>

class QLineEdit;
class QPushButton;
class QTableWidget;
class ResultGrid;

// The reader picker of the borrowing window (title "选择"): the first readers, a search by
// name or pinyin initials and one by number; the chosen reader's number is handed to the
// callback, which runs the borrowing window's reader lookup, before the picker closes.
class TBorrowOptRdFm : public QDialog {
    Q_OBJECT
public:
    TBorrowOptRdFm(std::function<void(const QString &readerNumber)> choose,
                   QWidget *parent = nullptr);

    QLineEdit *nameField() const { return m_name; }
    QLineEdit *numberField() const { return m_number; }
    ResultGrid *grid() const { return m_grid; }
    QPushButton *chooseButton() const { return m_choose; }

private:
    void chooseCurrent();

    std::function<void(const QString &)> m_callback;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_number = nullptr;
    ResultGrid *m_grid = nullptr;
    QPushButton *m_choose = nullptr;
};

// The item picker of the borrowing window (title "选择") over the books or the periodicals
// (kind "图书" or "期刊"): the first items, a search by title or pinyin initials and one by
// number. The callback gets the chosen item's 编号, or its 条形码 when the borrowing window
// looks items up by barcode.
class TBorrowOptBkFm : public QDialog {
    Q_OBJECT
public:
    TBorrowOptBkFm(const QString &kind, bool byBarcode,
                   std::function<void(const QString &value)> choose, QWidget *parent = nullptr);

    QLineEdit *nameField() const { return m_name; }
    QLineEdit *numberField() const { return m_number; }
    ResultGrid *grid() const { return m_grid; }
    QPushButton *chooseButton() const { return m_choose; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseCurrent();

    QString m_kind;
    bool m_byBarcode;
    std::function<void(const QString &)> m_callback;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_number = nullptr;
    ResultGrid *m_grid = nullptr;
    QPushButton *m_choose = nullptr;
    QString m_openMessage;
};

// The duplicate picker: the rows the borrowing window's item lookup found for one value. A
// single click on a row, "选择(&S)" or the close box closes it; the row current then is the
// one the lookup goes on with. It is not deleted when it closes, so that its caller can read
// chosenRow() after exec().
class TBorrowOptBarCodeFm : public QDialog {
    Q_OBJECT
public:
    explicit TBorrowOptBarCodeFm(const QVector<QSqlRecord> &rows, QWidget *parent = nullptr);

    // The row current when the picker closed: 0 unless another was chosen.
    int chosenRow() const;
    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
};
