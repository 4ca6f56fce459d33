#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Emptying whole tables of the library (the "系统初始化" window): which boxes there are, the
// statement behind each, its message, and the access code that guards them.
namespace Initialization {

struct Step {
    QString box;       // the check box's text
    QString table;     // the table emptied
    bool onlyReturned; // only the loans with 已还 = "是"
    QString message;   // shown once the deletion is done
};

// The seven boxes in the order their deletions run.
const QVector<Step> &steps();

// Whether the typed text is the initialization code.
bool codeMatches(const QString &typed);
inline QString wrongCodeMessage()
{
    return QStringLiteral("密码错误!");
}

struct Outcome {
    bool done = false;
    QStringList messages; // one per deletion run, in order
    QString error;        // the database's reason when nothing was deleted
};

// Runs the deletions of the chosen steps (indexes into steps()) in their order, all in one
// transaction: either every chosen deletion is done or none. A wrong code deletes nothing.
Outcome run(const QString &typedCode, const QVector<int> &chosen);

} // namespace Initialization
