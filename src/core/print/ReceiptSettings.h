#pragma once

#include <QString>
#include <QStringList>

class IniFile;

// The receipt printer settings in de.ini (section PosPrt) and in the login context.
namespace ReceiptSettings {

// The ports offered for choice; any other name the platform can open is accepted too.
const QStringList &portChoices();

// Writes JieChuHouDaYin and PosPort (the port as typed) to de.ini and puts both values into
// the login context, which the borrowing window reads. False when de.ini cannot be written.
bool apply(IniFile &ini, const QString &port, bool printAfterLending);

} // namespace ReceiptSettings
