#pragma once

#include "circulation/Lending.h"

#include <QDialog>
#include <QMap>
#include <QSqlRecord>
#include <QVector>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// The borrowing window: identify the reader, look the items up one by one into the lending
// queue, then 借出. Every decision is the lending desk's (LendingDesk); the window shows the
// reader, the item and the queue and says what the desk answers.
class TBkBorrowFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkBorrowFm(QWidget *parent = nullptr);
    ~TBkBorrowFm() override;

    // The reader lookup (RdSearch) and the item lookup (bksearch) after setting the field's
    // text: the reader and item pickers hand their choice back this way.
    void lookUpReader(const QString &text);
    void lookUpItem(const QString &text);
    // Chooses one of several items found by one lookup; returns the row to use. Without a
    // chooser of its own the window asks with the duplicate picker.
    using DuplicateChooser = std::function<int(const QVector<QSqlRecord> &)>;
    void setDuplicateChooser(DuplicateChooser chooser);

    // 图书 or 期刊; 编号 or 条形码.
    QString itemKind() const;
    void setItemKind(const QString &kind);
    QString lookupColumn() const;
    void setLookupColumn(const QString &column);

    const LendingDesk &desk() const { return m_desk; }
    QLineEdit *readerField() const { return m_readerField; }
    QLineEdit *itemField() const { return m_itemField; }
    QPushButton *itemSearchButton() const { return m_itemSearch; }
    QTreeWidget *queueView() const { return m_queueView; }
    QLabel *countLabel() const { return m_count; }
    QCheckBox *printBox() const { return m_print; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *removeAllButton() const { return m_removeAll; }
    QPushButton *lendButton() const { return m_lend; }
    QPushButton *exitButton() const { return m_exit; }
    // A shown value by its caption (读者编号, 卡内金额, 名称, 物品级别 …), and whether it is shown.
    QLineEdit *shownField(const QString &caption) const { return m_shown.value(caption); }

signals:
    // A double click in the reader field or the item field asks for its picker.
    void readerPickerRequested();
    void itemPickerRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    int chooseDuplicate(const QVector<QSqlRecord> &rows);
    void openReaderPicker();
    void openItemPicker();
    QGroupBox *createReaderBox();
    QGroupBox *createItemBox();
    QLineEdit *addShown(class QGridLayout *grid, int index, const QString &caption);
    void applySettings();
    void RdSearch();
    void bksearch();
    void CleanData();
    void showReader();
    void showItem();
    void showQueue();
    void removeClicked();
    void lendClicked();

    LendingDesk m_desk;
    DuplicateChooser m_chooser;
    QLineEdit *m_readerField = nullptr;
    QLineEdit *m_itemField = nullptr;
    QLabel *m_itemCaption = nullptr;
    QLabel *m_itemHint = nullptr;
    QPushButton *m_itemSearch = nullptr;
    QGroupBox *m_itemBox = nullptr;
    QRadioButton *m_books = nullptr;
    QRadioButton *m_periodicals = nullptr;
    QRadioButton *m_byNumber = nullptr;
    QRadioButton *m_byBarcode = nullptr;
    QMap<QString, QLineEdit *> m_shown;
    QMap<QString, QLabel *> m_shownLabels;
    QTreeWidget *m_queueView = nullptr;
    QLabel *m_count = nullptr;
    QCheckBox *m_print = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_removeAll = nullptr;
    QPushButton *m_lend = nullptr;
    QPushButton *m_exit = nullptr;
};
