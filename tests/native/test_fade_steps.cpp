#include "ui/skin/fade_steps.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvelo {
namespace {

// numerator/denominator rounded to nearest, ties to even, in integers.
int RoundHalfEven(int numerator, int denominator) {
  const int whole = numerator / denominator;
  const int twiceRest = 2 * (numerator % denominator);
  if (twiceRest > denominator || (twiceRest == denominator && whole % 2 == 1)) return whole + 1;
  return whole;
}

TEST(FadeSteps, FadeOutFollowsTheRampAndItsListedValues) {
  const std::vector<int> listed = {249, 242, 236, 229, 223, 217, 210, 204, 198, 191, 185, 179, 172, 166,
                                   159, 153, 147, 140, 134, 127, 121, 115, 108, 102, 96,  89,  83,  77,
                                   70,  64,  57,  51,  45,  38,  32,  25,  19,  13,  6,   0};
  ASSERT_EQ(int(listed.size()), kFadeOutSteps);
  for (int i = 1; i <= kFadeOutSteps; ++i) {
    EXPECT_EQ(FadeOutAlpha(i), 255 - RoundHalfEven(i * 51, 8)) << "step " << i;  // i × 6.375
    EXPECT_EQ(FadeOutAlpha(i), listed[i - 1]) << "step " << i;
  }
  EXPECT_EQ(FadeOutAlpha(12), 179);  // 76.5 rounds down to even
  EXPECT_EQ(FadeOutAlpha(28), 77);   // 178.5 likewise
}

TEST(FadeSteps, FadeInFollowsTheRampAndItsListedValues) {
  const std::vector<int> listed = {13,  26,  38,  51,  64,  76,  89,  102, 115, 128,
                                   140, 153, 166, 178, 191, 204, 217, 230, 242, 255};
  ASSERT_EQ(int(listed.size()), kFadeInSteps);
  for (int i = 1; i <= kFadeInSteps; ++i) {
    EXPECT_EQ(FadeInAlpha(i), RoundHalfEven(i * 51, 4)) << "step " << i;  // i × 12.75
    EXPECT_EQ(FadeInAlpha(i), listed[i - 1]) << "step " << i;
  }
}

}  // namespace
}  // namespace tarvelo
