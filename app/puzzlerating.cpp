#include "app/puzzlerating.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kScale = 173.7178;
// The system constant: how fast the volatility may change.
constexpr double kTau = 0.5;
constexpr double kPi = 3.14159265358979323846;

} // namespace

PuzzleRating PuzzleRating::after(bool win, double puzzleRating, double puzzleDeviation) const
{
    return after({Result{win ? 1.0 : 0.0, puzzleRating, puzzleDeviation}});
}

PuzzleRating PuzzleRating::after(const std::vector<Result>& results) const
{
    const double mu = (rating - 1500.0) / kScale;
    const double phi = deviation / kScale;
    double vInverse = 0.0;
    double sum = 0.0;
    for (const Result& result : results) {
        const double muJ = (result.rating - 1500.0) / kScale;
        const double phiJ = result.deviation / kScale;
        const double g = 1.0 / std::sqrt(1.0 + 3.0 * phiJ * phiJ / (kPi * kPi));
        const double expected = 1.0 / (1.0 + std::exp(-g * (mu - muJ)));
        vInverse += g * g * expected * (1.0 - expected);
        sum += g * (result.score - expected);
    }
    if (results.empty())
        return *this;
    const double v = 1.0 / vInverse;
    const double delta = v * sum;

    // The new volatility by the Illinois method.
    const double a = std::log(volatility * volatility);
    const auto f = [&](double x) {
        const double ex = std::exp(x);
        const double d = phi * phi + v + ex;
        return ex * (delta * delta - d) / (2.0 * d * d) - (x - a) / (kTau * kTau);
    };
    double lo = a;
    double hi;
    if (delta * delta > phi * phi + v) {
        hi = std::log(delta * delta - phi * phi - v);
    } else {
        int k = 1;
        while (f(a - k * kTau) < 0 && k < 100)
            ++k;
        hi = a - k * kTau;
    }
    double fLo = f(lo);
    double fHi = f(hi);
    for (int i = 0; i < 100 && std::fabs(hi - lo) > 1e-6; ++i) {
        const double c = lo + (lo - hi) * fLo / (fHi - fLo);
        const double fC = f(c);
        if (fC * fHi <= 0) {
            lo = hi;
            fLo = fHi;
        } else {
            fLo /= 2.0;
        }
        hi = c;
        fHi = fC;
    }
    PuzzleRating out;
    out.volatility = std::exp(lo / 2.0);
    const double phiStar = std::sqrt(phi * phi + out.volatility * out.volatility);
    const double phiNew = 1.0 / std::sqrt(1.0 / (phiStar * phiStar) + 1.0 / v);
    const double muNew = mu + phiNew * phiNew * sum;
    out.rating = muNew * kScale + 1500.0;
    // The deviation never drops below 45 nor rises above the start.
    out.deviation = std::clamp(phiNew * kScale, 45.0, 350.0);
    return out;
}
