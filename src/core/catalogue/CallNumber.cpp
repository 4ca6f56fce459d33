#include "CallNumber.h"

#include "db/Statement.h"

namespace CallNumber {

QString format(const QString &classification, int zch)
{
    return classification + QLatin1Char('/') + QString::number(zch);
}

int highestStored(const QString &classification, QString *error)
{
    // max() rather than the last row in zch order: the databases sort empty zch at opposite
    // ends, and an empty zch must not hide the numbers that are stored.
    Statement st(QStringLiteral("select max(zch) from 图书 where 分类号="));
    st.value(classification);
    bool isNumber = false;
    const int z = st.scalar(error).toInt(&isNumber);
    return isNumber ? z : 0;
}

Result next(const QString &classification)
{
    Result r;
    if (classification.isEmpty())
        return r;
    QString error;
    const int highest = highestStored(classification, &error);
    if (!error.isEmpty()) {
        r.error = error;
        return r;
    }
    r.ok = true;
    r.zch = highest > 0 ? highest + 1 : 1;
    r.callNumber = format(classification, r.zch);
    return r;
}

} // namespace CallNumber
