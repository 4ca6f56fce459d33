#include "DecimalValidator.h"

#include "text/NumberText.h"

QValidator::State DecimalValidator::validate(QString &input, int &) const
{
    // Character by character, so that the text keeps its length and the cursor its place.
    for (QChar &c : input) {
        const QString ascii = NumberText::normalized(QString(c));
        if (ascii.size() != 1)
            return Invalid;
        const QChar a = ascii.front();
        if (!((a == QLatin1Char('.') && !m_wholeNumber) ||
              (a >= QLatin1Char('0') && a <= QLatin1Char('9'))))
            return Invalid;
        c = a;
    }
    return Acceptable;
}
