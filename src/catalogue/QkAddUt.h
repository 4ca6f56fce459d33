#pragma once

#include <QDialog>
#include <memory>

class PeriodicalFields;
class QCheckBox;

// Intake of periodicals (caption "添加期刊---字体加重的项必须填写"): one issue per save; Enter in
// 条形码 copies the data of an earlier issue with that barcode. Every input is named after the
// column of 期刊 it fills.
class TQkAddFm : public QDialog {
    Q_OBJECT
public:
    explicit TQkAddFm(QWidget *parent = nullptr);
    ~TQkAddFm() override;

    PeriodicalFields *fields() const { return m_fields.get(); }
    QCheckBox *clearAfterSaveBox() const { return m_clearAfterSave; }

    // The fields back to their initial values (编号 too), the focus on 编号.
    void clearFields();
    // Enter in 条形码: the copy of an earlier issue.
    void barcodeEntered();
    void saveClicked();

signals:
    // An issue was saved (periodical management reads its list again).
    void saved();

private:
    std::unique_ptr<PeriodicalFields> m_fields;
    QCheckBox *m_clearAfterSave = nullptr;
};
