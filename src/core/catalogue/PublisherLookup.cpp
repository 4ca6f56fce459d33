#include "PublisherLookup.h"

#include "db/Statement.h"

#include <QSqlError>
#include <QSqlQuery>

namespace PublisherLookup {

QStringList candidatePrefixes(const QString &barcode)
{
    QStringList out;
    for (int n = 2; n <= 7; ++n) {
        const QString digits = barcode.mid(4, n);
        if (digits.isEmpty())
            break;
        const QString prefix = QStringLiteral("7-") + digits;
        if (!out.contains(prefix))
            out << prefix;
    }
    return out;
}

Publisher find(const QString &barcode)
{
    Publisher p;
    for (const QString &prefix : candidatePrefixes(barcode)) {
        Statement st(QStringLiteral("select ISBN, 出版社名 from 出版社名 where ISBN="));
        st.value(prefix);
        QSqlQuery q = st.exec();
        if (q.lastError().isValid()) {
            p.error = Statement::lastError(q);
            return p;
        }
        if (q.next()) {
            p.found = true;
            p.isbn = q.value(0).toString();
            p.name = q.value(1).toString();
            return p;
        }
    }
    return p;
}

} // namespace PublisherLookup
