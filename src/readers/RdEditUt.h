#pragma once

#include <QDialog>
#include <QMap>
#include <QSqlRecord>
#include <memory>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class ReaderFields;
class ReaderPhotoView;

// Editing of one reader (caption "读者编辑"): the current row of reader management.
class TRdEditFm : public QDialog {
    Q_OBJECT
public:
    explicit TRdEditFm(const QSqlRecord &reader, QWidget *parent = nullptr);
    ~TRdEditFm() override;

    // The inputs by their column of 读者库, for tests.
    QLineEdit *lineField(const QString &column) const;
    QComboBox *choiceField(const QString &column) const;
    QPlainTextEdit *remarksField() const;
    QLineEdit *pinyinField() const;
    QDateEdit *registeredField() const { return m_registered; }
    QDateEdit *validUntilField() const { return m_validUntil; }
    // 累计借阅次数, 状态, 卡内金额: shown, not edited here.
    QLineEdit *readOnlyField(const QString &column) const;
    ReaderPhotoView *photoView() const { return m_photo; }

signals:
    // The row was written (reader management reads its list again).
    void saved();

private:
    void showRecord();
    void changePhotoClicked();
    void enlargeClicked();
    void saveClicked();

    QSqlRecord m_reader;
    std::unique_ptr<ReaderFields> m_fields;
    QDateEdit *m_registered = nullptr;
    QDateEdit *m_validUntil = nullptr;
    QMap<QString, QLineEdit *> m_readOnly;
    ReaderPhotoView *m_photo = nullptr;
    bool m_photoChanged = false;
};
