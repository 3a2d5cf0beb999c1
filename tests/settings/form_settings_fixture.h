// The settings dialog as a real window under Wine, for its tests: a window's text and
// place, a message pump, the dialog's clocks (Taiwan time) and a fixture with a settings
// folder of its own, every seam in place and message boxes answered by the test.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/local_clock.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"
#include "net/clock.h"
#include "platform/application.h"
#include "platform/text.h"
#include "settings/control_ids.h"
#include "settings/control_text.h"
#include "settings/dialog_table.h"
#include "settings/form_settings.h"
#include "settings/trend_chart.h"
#include "tests/energy/test_support.h"
#include "tests/net/fake_ntp_server.h"

namespace wd::settings::test_support {

inline std::string Text(HWND c) {
  wchar_t buf[512] = {};
  ::GetWindowTextW(c, buf, 512);
  return win::Narrow(buf);
}

inline RECT RectIn(HWND c, HWND parent) {
  RECT r;
  ::GetWindowRect(c, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// The dialog's clocks: Taiwan time, moved by what the clock setter sets.
inline DateTime g_local = 0;
inline constexpr double kTaiwan = 8.0 / 24;
inline DateTime FakeLocal() {
  return g_local;
}
inline DateTime FakeUtc() {
  return g_local - kTaiwan;
}

class FormSettingsTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    win::Application::Instance().Reset();
    win::Application::Instance().SetTitle(L"WattDial");
    win::Application::Instance().SetMessageBoxForTesting(
        [this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
          boxes_.push_back({win::Narrow(text), win::Narrow(caption), flags});
          return answer_;
        });
    SetTickCountForTesting([] { return static_cast<uint32_t>(5760000); });  // 1 h 36 min
    SetSuspendedTimeForTesting([]() -> int64_t { return 0; });
    g_local = EncodeDate(2026, 12, 9) + 0.5;  // Wednesday noon
    SetLocalClockForTesting(&FakeLocal);
    SetUtcClockForTesting(&FakeUtc);
    net::SetUtcBiasForTesting([] { return -kTaiwan; });
    SetSntpSetupForTesting(nullptr);
    // No test sets the computer's clock: the setter moves the test's clocks.
    net::SetClockSetterForTesting([](DateTime t) {
      g_local = t;
      return true;
    });
  }
  void TearDown() override {
    net::SetClockSetterForTesting(nullptr);
    net::SetUtcBiasForTesting(nullptr);
    SetLocalClockForTesting(nullptr);
    SetUtcClockForTesting(nullptr);
    SetSuspendedTimeForTesting(nullptr);
    SetTickCountForTesting(nullptr);
    SetSntpSetupForTesting(nullptr);
    win::Application::Instance().Reset();
    TempFolderTest::TearDown();
  }
  std::string Ini() const { return test::ReadBytes(SettingsFilePath()); }
  bool Has(const std::string& line) const { return Ini().find(line + "\r\n") != std::string::npos; }

  struct Box {
    std::string text, caption;
    UINT flags;
  };
  std::vector<Box> boxes_;
  int answer_ = IDOK;
};

}  // namespace wd::settings::test_support
