#pragma once

#include <QtGlobal>
#include <cmath>

// A small, fast and reproducible random source (splitmix64): the same seed gives the same
// library on every machine.
class GeneratorRandom {
public:
    explicit GeneratorRandom(quint64 seed)
        : m_state(seed)
    {}
    // A source for one numbered thing (a book, a reader), independent of the order in which
    // things are generated.
    static GeneratorRandom forItem(quint64 seed, quint64 kind, quint64 index)
    {
        GeneratorRandom r(seed ^ (kind * 0xD1B54A32D192ED03ULL) ^ (index * 0x9E3779B97F4A7C15ULL));
        r.next();
        return r;
    }

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 … n-1 (n > 0).
    int below(int n) { return static_cast<int>(next() % static_cast<quint64>(n)); }
    // from … to, both included.
    int between(int from, int to) { return from + below(to - from + 1); }
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
    // 0 … n-1 with the low numbers chosen more often (power > 1), as a few popular books
    // and busy readers account for most loans.
    int skewed(int n, double power)
    {
        const int i = static_cast<int>(std::pow(unit(), power) * n);
        return i < n ? i : n - 1;
    }
    template <typename T, int N> const T &pick(const T (&items)[N]) { return items[below(N)]; }

private:
    quint64 m_state;
};
