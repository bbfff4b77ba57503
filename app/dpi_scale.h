// Sizes designed at 100 % (96 pixels per inch) at another scale. No window
// code, so the skin's pixel rules can use it on the build machine too.
#ifndef TARVELO_APP_DPI_SCALE_H
#define TARVELO_APP_DPI_SCALE_H

namespace tarvelo {

// The scale at which every size was designed: 100 %.
constexpr unsigned kDesignDpi = 96;

// A designed length at `dpi`, rounded to nearest with halves away from
// zero, as MulDiv rounds: 145 px at 144 DPI is 218.
constexpr int ScaleToDpi(int length, unsigned dpi) noexcept {
  const long long scaled = static_cast<long long>(length) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + kDesignDpi / 2) / kDesignDpi
                                      : -((-scaled + kDesignDpi / 2) / kDesignDpi));
}

}  // namespace tarvelo

#endif
