#pragma once

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class ReaderFields;
class ReaderPhotoView;

namespace ReaderRegistration {
struct ReaderForm;
}

// Registration of new readers (caption "读者添加"), one at a time, with the opening fee.
class TRdAddFm : public QDialog {
    Q_OBJECT
public:
    explicit TRdAddFm(QWidget *parent = nullptr);
    ~TRdAddFm() override;

    // The inputs by their column of 读者库, for tests.
    QLineEdit *lineField(const QString &column) const;
    QComboBox *choiceField(const QString &column) const;
    // The caption of an input (bold when it is required).
    QLabel *caption(const QString &column) const;
    QPlainTextEdit *remarksField() const;
    QLineEdit *pinyinField() const;
    QDateEdit *validUntilField() const { return m_validUntil; }
    QCheckBox *clearAfterSaveBox() const { return m_clearAfterSave; }
    ReaderPhotoView *photoView() const { return m_photo; }

signals:
    // A reader was registered (reader management reads its list again).
    void saved();

private:
    void setInitialValues();
    ReaderRegistration::ReaderForm form() const;
    void photoClicked();
    void saveClicked();

    std::unique_ptr<ReaderFields> m_fields;
    QDateEdit *m_validUntil = nullptr;
    QCheckBox *m_clearAfterSave = nullptr;
    ReaderPhotoView *m_photo = nullptr;
};
