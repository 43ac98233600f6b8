// trig.cpp — sine and cosine by reduction to [-pi/4, pi/4] and Taylor
// polynomials, all in double-precision arithmetic that every IEEE system does
// alike (no library call, no fused multiply-add).
#include "halcyon/render/trig.h"

#include <cmath>

namespace halcyon {
namespace {

// pi/2 in three parts of 33 bits or fewer, so that k times the first two is
// exact for every |k| < 2^20 (angles up to about 1.6 million radians).
constexpr double kPiOver2Part1 = 1.57079632673412561417e+00;
constexpr double kPiOver2Part2 = 6.07710050630396597660e-11;
constexpr double kPiOver2Part3 = 2.02226624871116645580e-21;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;

// sin r and cos r for |r| <= pi/4 (a little more after rounding k): the
// first terms left out are below 2^-55 of the result.
double SinKernel(double r) {
  const double r2 = r * r;
  double sum = 1.0 / 6227020800.0 - r2 / 1307674368000.0;  // 1/13! - r^2/15!
  sum = 1.0 / 39916800.0 - r2 * sum;                       // 1/11!
  sum = 1.0 / 362880.0 - r2 * sum;                         // 1/9!
  sum = 1.0 / 5040.0 - r2 * sum;                           // 1/7!
  sum = 1.0 / 120.0 - r2 * sum;                            // 1/5!
  sum = 1.0 / 6.0 - r2 * sum;                              // 1/3!
  return r - r * r2 * sum;
}

double CosKernel(double r) {
  const double r2 = r * r;
  double sum = 1.0 / 87178291200.0 - r2 / 20922789888000.0;  // 1/14! - r^2/16!
  sum = 1.0 / 479001600.0 - r2 * sum;                        // 1/12!
  sum = 1.0 / 3628800.0 - r2 * sum;                          // 1/10!
  sum = 1.0 / 40320.0 - r2 * sum;                            // 1/8!
  sum = 1.0 / 720.0 - r2 * sum;                              // 1/6!
  sum = 1.0 / 24.0 - r2 * sum;                               // 1/4!
  sum = 0.5 - r2 * sum;                                      // 1/2!
  return 1.0 - r2 * sum;
}

// The angle as k * pi/2 + r; the quadrant is k mod 4.
double Reduce(double x, int* quadrant) {
  const double k = std::floor(x * kTwoOverPi + 0.5);
  const double r = ((x - k * kPiOver2Part1) - k * kPiOver2Part2) - k * kPiOver2Part3;
  *quadrant = static_cast<int>(static_cast<long long>(k) & 3);
  return r;
}

constexpr double kLargest = 1.5e6;  // beyond this the reduction would lose bits

}  // namespace

float Sin(float angle) {
  if (angle == 0.0f) return angle;  // keeps the sign of a zero, as sin does
  const double x = angle;
  if (!(std::fabs(x) <= kLargest)) return std::sin(angle);  // NaN, infinite, or never drawn
  int quadrant = 0;
  const double r = Reduce(x, &quadrant);
  switch (quadrant) {
    case 0:
      return static_cast<float>(SinKernel(r));
    case 1:
      return static_cast<float>(CosKernel(r));
    case 2:
      return static_cast<float>(-SinKernel(r));
    default:
      return static_cast<float>(-CosKernel(r));
  }
}

float Cos(float angle) {
  const double x = angle;
  if (!(std::fabs(x) <= kLargest)) return std::cos(angle);
  int quadrant = 0;
  const double r = Reduce(x, &quadrant);
  switch (quadrant) {
    case 0:
      return static_cast<float>(CosKernel(r));
    case 1:
      return static_cast<float>(-SinKernel(r));
    case 2:
      return static_cast<float>(-CosKernel(r));
    default:
      return static_cast<float>(SinKernel(r));
  }
}

}  // namespace halcyon
