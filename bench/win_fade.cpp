// Wall time of the skin window's fades on the real windows, against their
// nominal 800 ms, and what one layered update costs. Prints, asserts nothing.
// Run beside form.png (the tests-bin folder), on a display with Wine.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/application.h"
#include "ui/skin/fade_steps.h"
#include "ui/form_main.h"
#include "ui/skin/layered_window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 7;
constexpr int kUpdates = 200;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double TimeOnce(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return Milliseconds(Clock::now() - start);
}

void Report(const char* what, std::vector<double> times, double nominal) {
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("%-28s median %7.1f ms  min %7.1f  max %7.1f  (nominal %4.0f, %+6.1f ms)\n", what, median,
              times.front(), times.back(), nominal, median - nominal);
}

}  // namespace

int main() {
  tarvelo::TApplication application;
  tarvelo::TfrmMain form(application);
  if (!form.Skin().PngForm()) {
    std::printf("the skin window was not built\n");
    return 1;
  }
  const tarvelo::SkinImage& skin = form.Skin().Skin();
  std::printf("skin %d x %d, %d runs each\n", skin.width, skin.height, kRuns);

  const DWORD duration = tarvelo::TfrmMain::kFadeDuration;
  std::vector<double> outs;
  std::vector<double> ins;
  for (int run = 0; run < kRuns; ++run) {
    outs.push_back(TimeOnce([&] { form.Skin().FadeOutSkin(duration); }));
    ins.push_back(TimeOnce([&] { form.Skin().FadeInSkin(duration); }));
  }
  Report("fade-out (40 steps)", outs, duration);
  Report("fade-in (20 steps)", ins, duration);

  // The same work without the pauses: what the steps themselves cost.
  std::vector<double> bareOuts;
  std::vector<double> bareIns;
  for (int run = 0; run < kRuns; ++run) {
    bareOuts.push_back(TimeOnce([&] { form.Skin().FadeOutSkin(0); }));
    bareIns.push_back(TimeOnce([&] { form.Skin().FadeInSkin(0); }));
  }
  Report("fade-out without pauses", bareOuts, 0);
  Report("fade-in without pauses", bareIns, 0);

  std::vector<double> updates;
  for (int run = 0; run < kRuns; ++run) {
    updates.push_back(TimeOnce([&] {
                        for (int i = 0; i < kUpdates; ++i) {
                          tarvelo::UpdateSkinLayer(form.Skin().PngForm()->Handle(), skin,
                                                   tarvelo::FadeInAlpha(i % tarvelo::kFadeInSteps + 1));
                        }
                      }) /
                      kUpdates);
  }
  Report("one layered update", updates, 0);

  std::vector<double> sleeps;
  for (int run = 0; run < kRuns; ++run) sleeps.push_back(TimeOnce([] { ::Sleep(20); }));
  Report("Sleep(20)", sleeps, 20);
  return 0;
}
