// exact_exp_test.cpp — the library's own e^x (fog tables): the float
// nearest the true value, so that every system makes the same tables.
#include "exact_exp.h"

#include <glide.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace gfx {
namespace {

struct Sweep {
  const char* name;
  float from;
  float step;
};

class ExactExpSweep : public testing::TestWithParam<Sweep> {};

TEST_P(ExactExpSweep, IsTheFloatNearestTheTrueValue) {
  const Sweep sweep = GetParam();
  for (int i = 0; i < 200000; ++i) {
    const float x = sweep.from + static_cast<float>(i) * sweep.step;
    const double exact = std::exp(static_cast<double>(x));
    const float nearest = static_cast<float>(exact);
    const double halfStep =
        0.5 * (static_cast<double>(std::nextafter(nearest, HUGE_VALF)) - static_cast<double>(nearest));
    const float got = ExactExp(x);
    ASSERT_LE(std::fabs(static_cast<double>(got) - exact), halfStep * (1.0 + 1e-9)) << "e^" << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Ranges, ExactExpSweep,
                         testing::Values(Sweep{"FogDensities", -60.0f, 3e-4f},
                                         Sweep{"AroundZero", -0.02f, 2e-7f}, Sweep{"Positive", 0.0f, 4e-4f},
                                         Sweep{"Tiny", -87.0f, 1e-5f}),
                         [](const testing::TestParamInfo<Sweep>& info) {
                           return std::string(info.param.name);
                         });

TEST(ExactExp, EndsOfTheRange) {
  EXPECT_EQ(ExactExp(0.0f), 1.0f);
  EXPECT_EQ(ExactExp(-200.0f), 0.0f);
  EXPECT_EQ(ExactExp(-std::numeric_limits<float>::infinity()), 0.0f);
  EXPECT_EQ(ExactExp(100.0f), std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(ExactExp(std::numeric_limits<float>::quiet_NaN())));
}

// The exponential fog table is the one double-precision arithmetic gives.
TEST(ExactExp, FogTablesFollowTheTrueExponential) {
  for (float density : {0.0005f, 0.002f, 0.01f, 0.0371f}) {
    GrFog_t table[GR_FOG_TABLE_SIZE];
    guFogGenerateExp(table, density);
    const float last = static_cast<float>(std::exp(static_cast<double>(-density * guFogTableIndexToW(63))));
    const float scale = 1.0f / (1.0f - last);
    for (int i = 0; i < GR_FOG_TABLE_SIZE; ++i) {
      const float e = static_cast<float>(std::exp(static_cast<double>(-density * guFogTableIndexToW(i))));
      float f = (1.0f - e) * scale;
      f = f > 1.0f ? 1.0f : f;
      EXPECT_EQ(table[i], f > 0.0f ? static_cast<GrFog_t>(f * 255.0f) : 0) << density << " entry " << i;
    }
  }
}

}  // namespace
}  // namespace gfx
