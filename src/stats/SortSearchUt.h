#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class ResultGrid;

// The classification statistics window (分类统计): copies on the shelf and their value per
// category of books or periodicals, printed or exported.
class TSortSearchFM : public QDialog {
    Q_OBJECT
public:
    explicit TSortSearchFM(QWidget *parent = nullptr);

    QComboBox *kindBox() const { return m_kind; }
    ResultGrid *grid() const { return m_grid; }
    QPushButton *countButton() const { return m_count; }
    QPushButton *excelButton() const { return m_excel; }
    QPushButton *printButton() const { return m_print; }
    // The kind of the rows shown.
    QString shownKind() const { return m_shownKind; }

private:
    void count(const QString &kind);
    void printClicked();
    void excelClicked();

    QComboBox *m_kind = nullptr;
    ResultGrid *m_grid = nullptr;
    QPushButton *m_count = nullptr;
    QPushButton *m_excel = nullptr;
    QPushButton *m_print = nullptr;
    QString m_shownKind;
};
