#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

// A money amount: fixed point with four decimals, held as the amount times 10000.
class Money {
public:
    constexpr Money() = default;
    static constexpr Money fromRaw(std::int64_t raw) { return Money(raw); }
    static constexpr Money fromYuan(std::int64_t yuan) { return Money(yuan * kScale); }
    // Rounds to the nearest ten-thousandth, halves away from zero.
    static Money fromDouble(double value);
    // Decimal text such as "12.5", "-0.0001", " 3 "; blanks around are ignored.
    // Anything else (empty text, letters, more than four decimals after rounding is fine)
    // gives no value, which the callers turn into a message or into 0.
    static std::optional<Money> parse(const QString &text);
    // A database value: numbers, numeric text, NULL (gives 0).
    static Money fromVariant(const QVariant &value);

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const { return static_cast<double>(m_raw) / kScale; }
    // Shortest decimal form: "5", "12.5", "0.0001", "-3.25".
    QString toString() const;
    // Always two decimals, for receipts and printed lists: "12.50".
    QString toFixed2() const;
    // The value to bind into a money column (decimal text, exact in both databases).
    QVariant toSql() const { return toString(); }

    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }

    Money operator+(Money o) const { return Money(m_raw + o.m_raw); }
    Money operator-(Money o) const { return Money(m_raw - o.m_raw); }
    Money operator-() const { return Money(-m_raw); }
    Money &operator+=(Money o)
    {
        m_raw += o.m_raw;
        return *this;
    }
    Money &operator-=(Money o)
    {
        m_raw -= o.m_raw;
        return *this;
    }
    Money operator*(std::int64_t n) const { return Money(m_raw * n); }
    // Multiplication by a factor (a multiple of the price), rounded to the ten-thousandth.
    Money times(double factor) const;

    constexpr bool operator==(Money o) const { return m_raw == o.m_raw; }
    constexpr bool operator!=(Money o) const { return m_raw != o.m_raw; }
    constexpr bool operator<(Money o) const { return m_raw < o.m_raw; }
    constexpr bool operator<=(Money o) const { return m_raw <= o.m_raw; }
    constexpr bool operator>(Money o) const { return m_raw > o.m_raw; }
    constexpr bool operator>=(Money o) const { return m_raw >= o.m_raw; }

    static constexpr std::int64_t kScale = 10000;

private:
    constexpr explicit Money(std::int64_t raw)
        : m_raw(raw)
    {}
    std::int64_t m_raw = 0;
};
