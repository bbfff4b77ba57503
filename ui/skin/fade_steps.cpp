#include "ui/skin/fade_steps.h"

#include <algorithm>
#include <cmath>

namespace tarvelo {
namespace {

// step × 255/steps, limited to 0..255 and rounded to nearest with ties to
// even (the default rounding mode): 76.5 becomes 76, 178.5 becomes 178. Both
// step sizes (6.375 and 12.75) and their products are exact in a double.
std::uint8_t RampAlpha(int step, int steps) {
  const double alpha = std::clamp(step * (255.0 / steps), 0.0, 255.0);
  return static_cast<std::uint8_t>(std::nearbyint(alpha));
}

}  // namespace

std::uint8_t FadeOutAlpha(int step) { return static_cast<std::uint8_t>(255 - RampAlpha(step, kFadeOutSteps)); }

std::uint8_t FadeInAlpha(int step) { return RampAlpha(step, kFadeInSteps); }

}  // namespace tarvelo
