#pragma once

#include <QValidator>

// An amount field's keys: digits and the decimal point, nothing else, whether typed, pasted
// or committed by an input method. Full-width digits and points of the Chinese input method
// are turned into their ASCII forms as they arrive. Backspace, Delete and the cursor keys
// work as usual. A text with two points can still be typed; the amount's parser refuses it.
class DecimalValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    // wholeNumber: digits only, for counts and numbers (no decimal point).
    DecimalValidator(bool wholeNumber, QObject *parent)
        : QValidator(parent)
        , m_wholeNumber(wholeNumber)
    {}
    State validate(QString &input, int &pos) const override;

private:
    bool m_wholeNumber = false;
};
