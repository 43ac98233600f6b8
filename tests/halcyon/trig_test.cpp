// trig_test.cpp — halcyon's own sine and cosine: the float nearest the true
// value over every range a world turns through, so that every system draws
// the same vertices.
#include "halcyon/render/trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace halcyon {
namespace {

struct Sweep {
  const char* name;
  float from;
  float step;
};

class TrigSweep : public testing::TestWithParam<Sweep> {};

// Within half a float step of the double-precision value (and the double's
// own error, far below that): the correctly rounded float.
void ExpectNearest(float got, double exact, float angle, const char* function) {
  const float nearest = static_cast<float>(exact);
  const double halfStep =
      0.5 * std::fabs(static_cast<double>(std::nextafter(nearest, 2.0f)) - static_cast<double>(nearest));
  ASSERT_LE(std::fabs(static_cast<double>(got) - exact), halfStep * (1.0 + 1e-9) + 1e-300)
      << function << "(" << angle << ") = " << got << ", exact " << exact;
}

TEST_P(TrigSweep, IsTheFloatNearestTheTrueValue) {
  const Sweep sweep = GetParam();
  for (int i = 0; i < 200000; ++i) {
    const float angle = sweep.from + static_cast<float>(i) * sweep.step;
    ExpectNearest(Sin(angle), std::sin(static_cast<double>(angle)), angle, "Sin");
    ExpectNearest(Cos(angle), std::cos(static_cast<double>(angle)), angle, "Cos");
  }
}

TEST_P(TrigSweep, SineIsOddAndCosineEven) {
  const Sweep sweep = GetParam();
  for (int i = 0; i < 20000; ++i) {
    const float angle = sweep.from + static_cast<float>(i) * sweep.step * 10.0f;
    ASSERT_EQ(Sin(-angle), -Sin(angle)) << angle;
    ASSERT_EQ(Cos(-angle), Cos(angle)) << angle;
  }
}

INSTANTIATE_TEST_SUITE_P(Ranges, TrigSweep,
                         testing::Values(Sweep{"AroundZero", -0.01f, 1e-7f}, Sweep{"OneTurn", -6.3f, 6.3e-5f},
                                         Sweep{"QuadrantEdges", 1.5707f, 1e-9f},
                                         Sweep{"ManyTurns", 100.0f, 0.01f}, Sweep{"FarOut", -90000.0f, 0.9f}),
                         [](const testing::TestParamInfo<Sweep>& info) {
                           return std::string(info.param.name);
                         });

TEST(Trig, ExactWhereTheValuesAre) {
  EXPECT_EQ(Sin(0.0f), 0.0f);
  EXPECT_EQ(Cos(0.0f), 1.0f);
  EXPECT_TRUE(std::signbit(Sin(-0.0f)));
}

TEST(Trig, NotANumberForAnglesThatAreNone) {
  EXPECT_TRUE(std::isnan(Sin(std::numeric_limits<float>::quiet_NaN())));
  EXPECT_TRUE(std::isnan(Cos(std::numeric_limits<float>::infinity())));
}

}  // namespace
}  // namespace halcyon
