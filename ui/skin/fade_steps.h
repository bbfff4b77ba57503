// Alpha of the skin at each step of the fades: linear in the step, the last
// step reaching fully transparent (fade-out) or fully opaque (fade-in).
#ifndef TARVELO_UI_FADE_STEPS_H
#define TARVELO_UI_FADE_STEPS_H

#include <cstdint>

namespace tarvelo {

constexpr int kFadeOutSteps = 40;
constexpr int kFadeInSteps = 20;

// step runs from 1 to kFadeOutSteps.
std::uint8_t FadeOutAlpha(int step);
// step runs from 1 to kFadeInSteps.
std::uint8_t FadeInAlpha(int step);

}  // namespace tarvelo

#endif
