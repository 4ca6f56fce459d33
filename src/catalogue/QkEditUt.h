#pragma once

#include <QDialog>
#include <QSqlRecord>
#include <memory>

class PeriodicalFields;

// Editing of one periodical issue (caption "期刊编辑"): the current row of periodical
// management, written back by its 编号 while it still holds what was read.
class TQkEditFm : public QDialog {
    Q_OBJECT
public:
    explicit TQkEditFm(const QSqlRecord &issue, QWidget *parent = nullptr);
    ~TQkEditFm() override;

    PeriodicalFields *fields() const { return m_fields.get(); }
    void saveClicked();

signals:
    // The row was written (periodical management reads its list again).
    void saved();

private:
    void showRecord();

    QSqlRecord m_issue;
    std::unique_ptr<PeriodicalFields> m_fields;
};
