// The screen's resolution, which every screen device context takes when it is made.
#include <atomic>

#include <palvex/screen.h>

namespace {

constexpr int kDefaultDpi = 96;
std::atomic<int> g_screenDpi{kDefaultDpi};

}  // namespace

namespace palvex {

void SetScreenDpi(int dotsPerInch) {
    g_screenDpi = dotsPerInch >= 1 ? dotsPerInch : kDefaultDpi;
}

int ScreenDpi() {
    return g_screenDpi;
}

}  // namespace palvex
