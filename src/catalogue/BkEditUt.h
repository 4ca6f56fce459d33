#pragma once

#include <QDialog>
#include <QMap>
#include <QSqlRecord>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Editing of one book (caption "图书编辑"): the current row of book management.
class TBkEditFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkEditFm(const QSqlRecord &book, QWidget *parent = nullptr);

    // The inputs by their column of 图书, for tests: single-line fields, drop-downs, and the
    // multi-line 名称 and 简介.
    QLineEdit *lineField(const QString &column) const { return m_lines.value(column); }
    QComboBox *choiceField(const QString &column) const { return m_choices.value(column); }
    QPlainTextEdit *textField(const QString &column) const { return m_texts.value(column); }
    QDateEdit *intakeField() const { return m_intake; }
    QLineEdit *quantityField() const { return m_quantity; }
    QLineEdit *pinyinField() const { return m_pinyin; }
    QLabel *donorCaption() const { return m_donorCaption; }
    QLabel *caption(const QString &column) const { return m_captions.value(column); }

    // The book as the window now edits it (the row as read, with the stock count written by
    // the stock window since).
    const QSqlRecord &book() const { return m_book; }

signals:
    // The row was written (book management reads its list again).
    void saved();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showRecord();
    QMap<QString, QString> typedTexts() const;
    void barcodeEntered();
    void classificationEntered();
    void sourceChanged(const QString &source);
    void chooseDocument();
    void runDocument();
    void modifyStockClicked();
    void saveClicked();

    QSqlRecord m_book;
    QMap<QString, QLineEdit *> m_lines;
    QMap<QString, QComboBox *> m_choices;
    QMap<QString, QPlainTextEdit *> m_texts;
    QMap<QString, QLabel *> m_captions;
    QDateEdit *m_intake = nullptr;
    QLineEdit *m_quantity = nullptr;
    QLineEdit *m_pinyin = nullptr;
    QLabel *m_donorCaption = nullptr;
};
