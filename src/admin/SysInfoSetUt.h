#pragma once

#include "admin/SystemSettings.h"

#include <QDialog>
#include <QMap>
#include <QVector>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

// The library-wide settings: the row of 系统设置 and the barcode warning of de.ini.
class TSysInfoSetFm : public QDialog {
    Q_OBJECT
public:
    explicit TSysInfoSetFm(QWidget *parent = nullptr);

    QLineEdit *textField(const QString &column) const { return m_lines.value(column); }
    QPlainTextEdit *memoField(const QString &column) const { return m_memos.value(column); }
    QCheckBox *flagBox(const QString &column) const { return m_flags.value(column); }
    QCheckBox *barcodeWarningBox() const { return m_barcodeWarning; }
    QButtonGroup *returnFocus() const { return m_returnFocus; }
    QButtonGroup *borrowFocus() const { return m_borrowFocus; }

private:
    void showSettings();
    SystemSettingsForm form() const;
    void saveClicked();

    SystemSettings m_settings;
    QMap<QString, QLineEdit *> m_lines;
    QMap<QString, QPlainTextEdit *> m_memos;
    QMap<QString, QCheckBox *> m_flags;
    QCheckBox *m_barcodeWarning = nullptr;
    QButtonGroup *m_returnFocus = nullptr;
    QButtonGroup *m_borrowFocus = nullptr;
};
