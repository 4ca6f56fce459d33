#pragma once

#include "Money.h"
#include "SqlDialect.h"

#include <QString>

class IniFile;

// The process-wide state every window reads: the configuration from de.ini, the
// administrator who logged in with his permission flags, and the library settings as they
// were at login.
struct LoginContext {
    // de.ini
    SqlDialect dialect = SqlDialect::Embedded;
    QString connectionString;
    QString softName;
    QString telephone;
    QString company;
    QString memo;
    QString web;
    bool barcodeDuplicateWarning = false;
    bool enterKeySearch = false;
    QString posPort;
    bool printReceiptAfterLending = false;
    QString iniPath; // the de.ini in use

    // The administrator
    QString adminName;

    // Snapshot of 系统设置 taken at login
    bool rentEnabled = false;
    bool readerRentEnabled = false;
    bool readerValidityEnabled = false;
    bool overdueFineEnabled = false;
    bool loanLimitEnabled = false;
    QString libraryName;
    Money overdueFinePerDay;
    Money openingFee;
    bool showClass = false;
    bool showFaculty = false;
    bool reservationEnabled = false;
    QString customListLabel1 = QStringLiteral("密级");
    QString customListLabel2 = QStringLiteral("a2");
    QString customListLabel3 = QStringLiteral("a3");

    // Permission flags
    bool qxadmin = false;
    bool qxdel = false;
    bool qxbk = false;
    bool qxrd = false;
    bool qxqk = false;
    bool qxwp = false;
    bool qxbkxg = false;
    bool qxrdxg = false;
    bool qxqkxg = false;
    bool qxwpxg = false;
    bool qxborrow = false;
    bool qxreturn = false;
    bool qxsysset = false;
    bool qxadddata = false;
    bool qxModifyStock = false;

    // Fills the configuration fields from de.ini in the start-up order. A relative file name
    // of the embedded database is made absolute against de.ini's folder.
    void readConfiguration(const IniFile &ini);
    // The folder of the de.ini in use.
    QString iniFolder() const;
};

// The one LoginContext of the process.
LoginContext &loginContext();

// The password given to new administrators and readers, offered by the login.
inline constexpr const char *DefaultPassword = "8888";
// The code that guards the emptying of tables.
inline constexpr const char *InitializationCode = "qlsj";
// The super administrator's name.
inline constexpr const char *SuperAdminName = "超级管理员";
