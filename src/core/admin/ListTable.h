#pragma once

#include "db/Statement.h"

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVector>

// One edit field of a list editor and the column it writes.
struct ListField {
    enum class Kind { Text, Count, Money };
    QString column;
    QString label;       // text before the field; empty for the one-name lists
    QString messageName; // how messages name the field ("借阅天数")
    Kind kind = Kind::Text;
    QString hint;               // text after the field
    bool fixedOnModify = false; // the field stays locked while a saved row is modified
};

// What 删除 protects.
enum class DeleteRule {
    KeepOneRow,        // the last row of the list stays
    KeepReaderDefault, // the reader category "普通" stays
    KeepLevelDefault,  // the item level "普通" stays
};

// Rows of another table that carry a list entry's name (the readers of a category).
struct ListUsage {
    QString table;
    QString column;
    QString counted; // how the question counts them: "位读者", "本图书"
};

// One member of the family of list editors: a table, its edit fields and its rules.
struct ListSpec {
    QString command;   // the main window's menu entry
    QString className; // the window class
    QString caption;
    int customList = 0; // 1..3 for the lists a1..a3, whose captions come from the settings
    QString table;
    QVector<ListField> fields; // the first one is the name: the table's first column
    QStringList gridColumns;   // in the order shown
    bool sortable = false;
    DeleteRule deleteRule = DeleteRule::KeepOneRow;
    QString uniqueColumn; // a column of the table that two rows cannot share
    // Where the entries' names are used: a rename is carried over to these rows, and the
    // questions say how many there are.
    QVector<ListUsage> usedBy;
};

namespace ListSpecs {

// Every list editor, in the order of the main window's menu.
const QVector<ListSpec> &all();
// The member opened by a menu entry (the a1..a3 lists by "a1设置" … "a3设置"), or nullptr.
const ListSpec *byCommand(const QString &command);
const ListSpec *byClass(const QString &className);
// The window caption now: the a1..a3 lists take their label from the login's settings.
QString caption(const ListSpec &setup);

} // namespace ListSpecs

// The statements and rules of one list editor. Values come in as the texts of the edit
// fields, in the order of ListSpec::fields.
class ListTable {
public:
    explicit ListTable(ListSpec setup);

    const ListSpec &setup() const { return m_setup; }

    // The whole table with each row's address (RowKey::Field) for the grid. With a new row:
    // followed by one empty line (every column NULL), the row being added.
    Statement selectStatement(bool withNewRow = false) const;

    // An empty text when the texts can be saved, else the message that says what is wrong.
    // On success the typed values to bind are stored in *values.
    QString validate(const QStringList &texts, QVariantList *values = nullptr) const;

    struct Result {
        bool ok = false;
        QString message; // what to show when not ok
        QString rowKey;  // the address of the written row
    };
    Result insert(const QStringList &texts) const;
    // The question to ask before update() renames an entry that rows of other tables carry
    // (stating how many), or an empty text when there is nothing to ask.
    QString renameQuestion(const QSqlRecord &original, const QStringList &texts,
                           QString *error = nullptr) const;
    // Writes the texts over the row as it was read (a record of selectStatement()). A new
    // name is carried over to the rows that use the old one, in the same transaction.
    Result update(const QSqlRecord &original, const QStringList &texts) const;

    // Why 删除 cannot go on for the current row (nullptr when there is none), or an empty
    // text when it may, after the question.
    QString deleteRefusal(const QSqlRecord *current) const;
    QString deleteQuestion(const QSqlRecord &current, QString *error = nullptr) const;
    Result remove(const QSqlRecord &original) const;

    int rowCount(QString *error = nullptr) const;

    static QString changedMeanwhileMessage();

private:
    QStringList columns() const;
    // How many rows of the using tables carry the name, and the phrase that says so
    // ("有 3 位读者的读者类别是"学生""); empty when none does.
    QString usageText(const QString &name, QString *error) const;
    QString uniqueRefusal(const QVariantList &values, const QSqlRecord *original) const;

    ListSpec m_setup;
};
