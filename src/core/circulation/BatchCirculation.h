#pragma once

#include "BatchLine.h"

#include <QDateTime>
#include <QString>

class QTextStream;

// Lending, returning and renewing from a file of scans (see BatchLine for the lines), through
// the same steps and checks as the borrowing and return windows, on the shared connection and
// with loginContext() as the windows have it. Each lending entry and each return is one
// transaction: a run stopped at any point leaves every loan either fully written or not at all.
namespace BatchCirculation {

struct Outcome {
    bool ok = false;
    QString message; // what was done ("借出 …"), or the refusal
};

// Runs one line at the moment now (the line's own moment when it has one).
Outcome run(const BatchLine::Line &line, const QDateTime &now);

// Moves the 应还日期 of one loan still out; false when it is returned or not there.
bool renewLoan(qlonglong loanId, const QDate &dueDate, QString *error);

// Checks that the file is text of this kind (UTF-8, no line longer than
// BatchLine::MaxLineBytes); message says why not.
bool checkFile(const QString &path, QString *message);

// Checks the file, then runs its lines in order: one result line per operation on out
// ("第 n 行: OK …" or "第 n 行: 拒绝: …"), a summary on err. Returns 0 when every line was
// done, 1 when any line was refused, 2 when the file was refused and nothing ran.
int runFile(const QString &path, QTextStream &out, QTextStream &err);

} // namespace BatchCirculation
