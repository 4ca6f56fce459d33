#pragma once

#include "catalogue/BookIntake.h"

#include <QDialog>
#include <QMap>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TMyNetTmFm;

// Intake of books (caption as the window's own text): one title, one or more copies.
// Every input is named after the column of 图书 it fills (objectName), the rest after its
// caption, so that tests and the label find them.
class TBkAddFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkAddFm(QWidget *parent = nullptr);

    // InitialData: the fields back to their initial values; 图书编号, the lists, the check
    // boxes, the copies fields and the numbering stay as they are.
    void initialData();
    // ShengChengSsh: 索书号 and 种次号 from 分类号.
    void generateCallNumber();
    // BarCodeFindPub: ISBN and 出版社 from the barcode's ISBN prefix.
    void findPublisher();
    // The online lookup's find: 书名 (and with it the pinyin), 分类号, 作者, 出版社, 条形码 and
    // 简介. The publisher lookup and the call number are not run.
    void takeLookup(const QString &title, const QString &classification, const QString &author,
                    const QString &publisher, const QString &barcode, const QString &summary);

signals:
    // Copies were saved (book management reads its list again).
    void saved();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *addLine(const QString &column);
    QComboBox *addChoice(const QString &column);
    void fillLists();
    BookIntake::BookForm form() const;
    QString text(const QString &column) const;
    void setText(const QString &column, const QString &value);
    void barcodeEntered();
    void sourceChanged(const QString &source);
    void saveClicked();
    void useNumberingClicked();
    // AddDataInfo's outcome: the message of a refused row, the label of a written one.
    void afterRow(const BookIntake::Result &result);
    void chooseDocument();
    // "ok": the online lookup beside this window, or brought forward when it is open.
    void openLookup();

    QMap<QString, QLineEdit *> m_lines;
    QMap<QString, QComboBox *> m_choices;
    QPlainTextEdit *m_title = nullptr;
    QPlainTextEdit *m_summary = nullptr;
    QDateEdit *m_published = nullptr;
    QLineEdit *m_document = nullptr;
    QLabel *m_donorCaption = nullptr;
    QCheckBox *m_clearAfterSave = nullptr;
    QCheckBox *m_autoNumber = nullptr;
    QCheckBox *m_printLabel = nullptr;
    QCheckBox *m_multiCopy = nullptr;
    QLineEdit *m_copies = nullptr;
    QLineEdit *m_separator = nullptr;
    QGroupBox *m_numberingGroup = nullptr;
    QLineEdit *m_prefix = nullptr;
    QLineEdit *m_start = nullptr;
    QPushButton *m_lookup = nullptr;
    QPointer<TMyNetTmFm> m_lookupWindow; // a child window: it closes with this one
    BookIntake::Numbering m_numbering;
};
