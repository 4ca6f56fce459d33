#pragma once

#include <QMap>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

class IniFile;

// The values of the settings window as the user sees them.
struct SystemSettingsForm {
    QMap<QString, QString> texts; // column of 系统设置 -> text
    QMap<QString, bool> flags;    // column of 系统设置 -> ticked
    // NoChoice: none of the columns is set; saving then clears them all.
    enum ReturnFocus { NoChoice = -1, ReturnBarcode, ReturnItemNumber, ReturnReaderNumber };
    enum BorrowFocus { BorrowNumber, BorrowBarcode };
    int returnFocus = NoChoice;
    int borrowFocus = NoChoice;
    bool barcodeDuplicateWarning = false; // de.ini part1/BcCc
};

// The library-wide settings: the first row of 系统设置 and the key BcCc of de.ini. The
// running program keeps its login snapshot; what is saved here counts from the next start.
class SystemSettings {
public:
    // Text columns in the order of the window, then the yes/no columns with a check box.
    static const QStringList &textColumns();
    static const QStringList &flagColumns();
    static const QStringList &returnFocusColumns(); // 条形码, 图书编号, 读者编号
    static const QStringList &borrowFocusColumns(); // 编号, 条形码

    // Reads the first row (and BcCc from the login context).
    bool load(QString *error = nullptr);
    const SystemSettingsForm &form() const { return m_form; }

    struct Result {
        bool ok = false;
        QString message;
        QString column; // the field the message is about, for the focus
    };
    // Checks the form, writes the row and BcCc. Nothing is written when a value is wrong.
    Result save(SystemSettingsForm form, IniFile &ini);

private:
    QSqlRecord m_record;
    SystemSettingsForm m_form;
};
