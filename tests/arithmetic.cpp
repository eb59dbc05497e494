// Exact bits of the trapezoid arithmetic. Plain C++ with no test library, so
// it also runs on targets where only the compiler and its standard library
// exist. The six printed decimals hide the faults these bits catch: double
// precision throughout gives 0.200033333..., an abscissa built by adding the
// step gives 0x3E4CD56B, single-precision repeated multiplication 0x3E4CD589.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "trapezoid.hpp"

namespace {

struct Case {
    const char* name;
    float value;
    std::uint32_t bits;
};

const float step100 = trapezoid_step(0.0f, 1.0f, 100);

// pow as another C library might compute it: every value p moved by
// ulps * ulp(p), ulp(p) being the spacing of doubles at p. No rounding of
// the computation lies within about 689,000 ulps of its integrand value of a
// rounding boundary, so any pow that errs by less, in any pattern, gives the
// same bits; an error the size of a single rounding (2^28 ulps) moves them.
struct OffPow {
    double ulps;
    double operator()(float t) const
    {
        const double p = trapezoid_integrand(t);
        const double ulp = std::nextafter(p, std::numeric_limits<double>::infinity()) - p;
        return p + ulps * ulp;
    }
};

const Case cases[] = {
    // The program's own value, 0.20003329217433929443359375.
    {"value on [0, 1], count 100", trapezoid_x4(0.0f, 1.0f, 100), 0x3E4CD587},
    // The single nearest 0.01: 0.00999999977648258209228515625.
    {"step on [0, 1], count 100", step100, 0x3C23D70A},
    // The first interior term, about 2e-8, is below half an ulp of 1.0.
    {"sum after the first interior pass", trapezoid_sum(0.0f, 1.0f, step100, 2), 0x3F800000},
    // 40.00666046142578125.
    {"sum after the last interior pass", trapezoid_sum(0.0f, 1.0f, step100, 100), 0x422006D2},
    // Small exact cases: the end points carry weight 1, interior points 2,
    // and exactly count - 1 interior points are visited.
    {"value on [0, 1], count 1 (0.5)", trapezoid_x4(0.0f, 1.0f, 1), 0x3F000000},
    {"value on [0, 1], count 2 (0.28125)", trapezoid_x4(0.0f, 1.0f, 2), 0x3E900000},
    {"value on [0, 1], count 4 (0.220703125)", trapezoid_x4(0.0f, 1.0f, 4), 0x3E620000},
    // The abscissa starts from the lower bound, not from 0.
    {"value on [-1, 1], count 2 (1.0)", trapezoid_x4(-1.0f, 1.0f, 2), 0x3F800000},
    // The bits hang on no one C library's pow.
    {"pow off by +600,000 ulps", trapezoid_x4(0.0f, 1.0f, 100, OffPow{600000}), 0x3E4CD587},
    {"pow off by -600,000 ulps", trapezoid_x4(0.0f, 1.0f, 100, OffPow{-600000}), 0x3E4CD587},
    {"pow off by +2^28 ulps", trapezoid_x4(0.0f, 1.0f, 100, OffPow{0x1p28}), 0x3E4CD589},
    {"pow off by -2^28 ulps", trapezoid_x4(0.0f, 1.0f, 100, OffPow{-0x1p28}), 0x3E4CD586},
};

} // namespace

int main()
{
    int failures = 0;
    for (const Case& c : cases) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(c.value);
        const bool ok = bits == c.bits;
        failures += ok ? 0 : 1;
        std::printf("%s: %s: got 0x%08X (%.17g), want 0x%08X\n", ok ? "ok" : "FAIL", c.name,
                    static_cast<unsigned>(bits), static_cast<double>(c.value),
                    static_cast<unsigned>(c.bits));
    }
    const int total = static_cast<int>(sizeof cases / sizeof cases[0]);
    std::printf("%d passed, %d failed\n", total - failures, failures);
    return failures == 0 ? 0 : 1;
}
