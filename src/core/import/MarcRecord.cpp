#include "MarcRecord.h"

bool MarcField::isControl() const
{
    return tag.size() == 3 && tag.startsWith(QLatin1String("00"));
}

QString MarcField::subfield(QChar code) const
{
    for (const MarcSubfield &s : subfields) {
        if (s.code == code)
            return s.value;
    }
    return QString();
}

QString MarcField::text() const
{
    if (isControl())
        return data;
    QString out = indicators + data;
    for (const MarcSubfield &s : subfields) {
        out += QLatin1Char('$');
        if (!s.code.isNull())
            out += s.code;
        out += s.value;
    }
    return out;
}

const MarcField *MarcRecord::lastField(const QString &tag) const
{
    for (int i = fields.size() - 1; i >= 0; --i) {
        if (fields.at(i).tag == tag)
            return &fields.at(i);
    }
    return nullptr;
}

const MarcField *MarcRecord::firstField(const QString &tag) const
{
    for (const MarcField &f : fields) {
        if (f.tag == tag)
            return &f;
    }
    return nullptr;
}

QString MarcProblem::text() const
{
    return QStringLiteral("第%1条记录: %2").arg(record).arg(message);
}
