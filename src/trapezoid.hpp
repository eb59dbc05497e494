// Composite trapezoid rule for the integral of t^4 over [lower, upper].
//
// Rounding model, the one the program's value depends on: every expression
// is evaluated in double precision (53-bit significand), integers convert to
// double exactly, and every assignment to a float rounds to the nearest
// single. The integrand always goes through the general double pow with the
// double exponent 4.0, never through repeated multiplication, and its result
// stays a double until it is used. Each widening to double and each rounding
// to single below is written out, so nothing depends on how wide the compiler
// would like to keep a float; the build switches off contraction into fused
// multiply-adds, which would skip a rounding.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

// The model needs floating-point expressions evaluated in their own type and
// IEEE semantics intact; a build that breaks either would print other bits.
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD != 0
#error "floats evaluated wider than their type: on 32-bit x86 use -msse2 -mfpmath=sse"
#endif
#if defined(_M_IX86_FP) && _M_IX86_FP < 2
#error "x87 floating-point code: build with /arch:SSE2"
#endif
#if defined(__FAST_MATH__) || defined(_M_FP_FAST)
#error "IEEE floating-point semantics are relaxed: build without -ffast-math (or /fp:fast)"
#endif

// The integrand f(t) = t^4.
inline double trapezoid_integrand(float t) { return std::pow(static_cast<double>(t), 4.0); }

// The width of one of count subintervals: the bounds' difference, divided by
// the count, rounded to single.
inline float trapezoid_step(float lower, float upper, std::int32_t count)
{
    return static_cast<float>((static_cast<double>(upper) - static_cast<double>(lower)) /
                              static_cast<double>(count));
}

// The running sum after the interior points 1 .. count - 1: the end points'
// values plus twice the value at each interior point, added in rising order.
// The abscissa is formed afresh from its index on every pass; adding the step
// to the previous abscissa would drift by a rounding each time. The integrand
// is a parameter only so that a test can ask how far pow may stray before
// the bits move; the program always uses t^4 through pow.
template <typename Integrand = double (*)(float)>
float trapezoid_sum(float lower, float upper, float step, std::int32_t count,
                    Integrand integrand = trapezoid_integrand)
{
    float sum = static_cast<float>(integrand(lower) + integrand(upper));
    for (std::int32_t index = 1; index < count; ++index) {
        const float abscissa = static_cast<float>(
            static_cast<double>(lower) + static_cast<double>(index) * static_cast<double>(step));
        sum = static_cast<float>(2.0 * integrand(abscissa) + static_cast<double>(sum));
    }
    return sum;
}

// The trapezoid value on count subintervals: the step is halved first, and
// the halved step multiplies the sum.
template <typename Integrand = double (*)(float)>
float trapezoid_x4(float lower, float upper, std::int32_t count,
                   Integrand integrand = trapezoid_integrand)
{
    const float step = trapezoid_step(lower, upper, count);
    const float sum = trapezoid_sum(lower, upper, step, count, integrand);
    return static_cast<float>(static_cast<double>(step) / 2.0 * static_cast<double>(sum));
}
