// The simulated screen's resolution: what the screen's device contexts (GetDC) report for
// LOGPIXELSX and LOGPIXELSY. It belongs to this process, like a display setting of the session.
#pragma once

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// Dots per inch of the device contexts made from now on; 96 at start. A value below 1 puts 96 back.
PALVEX_API void SetScreenDpi(int dotsPerInch);
PALVEX_API int ScreenDpi();

}  // namespace palvex
