// The DPI calls under Wine, whose user32 has the per-window ones: each is used where
// the system has it, and where the seam hides it the fallback gives what a system
// without it needs: the system DPI, and a frame that fits the window's client area.
#include "platform/dpi.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/handles.h"

namespace wd::win {
namespace {

FARPROC NothingFound(const char*) {
  return nullptr;
}

UINT WINAPI FakeDpiForWindow(HWND) {
  return 168;
}

UINT g_adjust_dpi = 0;
BOOL WINAPI FakeAdjustForDpi(LPRECT rect, DWORD, BOOL, DWORD, UINT dpi) {
  g_adjust_dpi = dpi;
  ::InflateRect(rect, 7, 9);
  return TRUE;
}

FARPROC FakesFound(const char* name) {
  const std::string wanted = name;
  if (wanted == "GetDpiForWindow")
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeDpiForWindow));
  if (wanted == "AdjustWindowRectExForDpi")
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeAdjustForDpi));
  return nullptr;
}

// A top-level window of the styles given, destroyed at the end of the test.
class TopWindow {
 public:
  TopWindow(DWORD style, DWORD ex_style, int width, int height)
      : hwnd_(::CreateWindowExW(ex_style, L"STATIC", L"dpi test", style, 10, 10, width, height,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
  TopWindow(const TopWindow&) = delete;
  TopWindow& operator=(const TopWindow&) = delete;
  ~TopWindow() {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

class DpiTest : public ::testing::Test {
 protected:
  void TearDown() override { SetUser32LookupForTesting(nullptr); }
};

TEST_F(DpiTest, WithoutPerWindowDpiEveryWindowIsAtTheSystemDpi) {
  TopWindow window(WS_POPUP, 0, 200, 100);
  ASSERT_NE(window.get(), nullptr);
  const UINT per_window = WindowDpi(window.get());  // Wine's GetDpiForWindow
  SetUser32LookupForTesting(&NothingFound);
  const UINT fallback = WindowDpi(window.get());
  // Wine has one DPI for the whole system, so the two must agree at any LogPixels.
  EXPECT_EQ(fallback, per_window);
  EXPECT_GE(fallback, 96u);
  EXPECT_EQ(WindowDpi(nullptr), 0u) << "no window, no DPI, as GetDpiForWindow answers";
}

TEST_F(DpiTest, WithoutAdjustForDpiTheFrameStillFitsTheClientArea) {
  struct Case {
    const char* what;
    DWORD style;
    DWORD ex_style;
  };
  const Case cases[] = {
      {"the settings window's dialog frame", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN,
       WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT},
      {"a sizable window", WS_OVERLAPPEDWINDOW, 0},
      {"a window without a frame", WS_POPUP, WS_EX_TOOLWINDOW},
  };
  constexpr int kWidth = 600, kHeight = 320;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUser32LookupForTesting(nullptr);
    TopWindow probe(c.style, c.ex_style, 50, 50);
    const UINT dpi = WindowDpi(probe.get());
    RECT with_dpi{0, 0, kWidth, kHeight};
    ASSERT_TRUE(AdjustWindowRectForDpi(with_dpi, c.style, false, c.ex_style, dpi));

    SetUser32LookupForTesting(&NothingFound);
    RECT frame{0, 0, kWidth, kHeight};
    ASSERT_TRUE(AdjustWindowRectForDpi(frame, c.style, false, c.ex_style, dpi));
    EXPECT_TRUE(::EqualRect(&frame, &with_dpi)) << "at the system DPI both calls agree";

    TopWindow window(c.style, c.ex_style, frame.right - frame.left, frame.bottom - frame.top);
    ASSERT_NE(window.get(), nullptr);
    RECT client;
    ::GetClientRect(window.get(), &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
  }
}

TEST_F(DpiTest, WhereTheSystemHasTheCallsTheirAnswersAreUsed) {
  SetUser32LookupForTesting(&FakesFound);
  TopWindow window(WS_POPUP, 0, 200, 100);
  EXPECT_EQ(WindowDpi(window.get()), 168u);
  RECT frame{0, 0, 100, 50};
  g_adjust_dpi = 0;
  ASSERT_TRUE(AdjustWindowRectForDpi(frame, WS_CAPTION, false, 0, 168));
  EXPECT_EQ(g_adjust_dpi, 168u);
  EXPECT_EQ(frame.right - frame.left, 114);
  EXPECT_EQ(frame.bottom - frame.top, 68);
}

}  // namespace
}  // namespace wd::win
