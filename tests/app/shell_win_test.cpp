// The saver shell with real windows under Wine: placement per monitor, main
// window, pointer hiding and restoring, the exit rule, closing, the list file and
// the application's error reports.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/errors.h"
#include "platform/application.h"
#include "platform/text.h"
#include "saver/form_main.h"

namespace wd {
namespace {

using saver::MonitorRect;
using saver::TFormMain;

struct Shown {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT flags;
};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app().Reset();
    app().SetMessageBoxForTesting(
        [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
          shown_.push_back({owner, text, caption, flags});
          return IDOK;
        });
    folder_ = std::filesystem::temp_directory_path() / "wattdial-shell-test";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    program_ = (folder_ / "WattDial.scr").wstring();
  }
  void TearDown() override {
    app().Reset();
    std::filesystem::remove_all(folder_);
  }
  static win::Application& app() { return win::Application::Instance(); }
  TFormMain& form(size_t i) { return static_cast<TFormMain&>(app().WindowAt(i)); }
  static void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }

  std::vector<Shown> shown_;
  std::filesystem::path folder_;
  std::wstring program_;
};

TEST_F(ShellTest, OneMaximisedWindowPerMonitorAtItsLeftEdge) {
  const std::vector<std::vector<MonitorRect>> layouts = {
      {{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}},  // side by side
      {{0, 0, 1280, 1024}, {0, 1024, 1280, 2048}},  // stacked: equal left edges
      {{0, 0, 1280, 1024}, {-1024, 100, 0, 868}},   // secondary left of the primary
      {{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}, {-800, 0, 0, 600}},
  };
  for (const auto& monitors : layouts) {
    app().Reset();
    saver::RunSaver(monitors, program_);
    ASSERT_EQ(app().WindowCount(), monitors.size());
    EXPECT_EQ(app().MainWindow(), &app().WindowAt(0));
    for (size_t i = 0; i < monitors.size(); ++i) {
      HWND hwnd = form(i).hwnd();
      EXPECT_TRUE(::IsWindowVisible(hwnd));
      EXPECT_TRUE(::IsZoomed(hwnd)) << i;
      EXPECT_EQ(::GetWindowLongW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
      WINDOWPLACEMENT placement{};
      placement.length = sizeof(placement);
      ::GetWindowPlacement(hwnd, &placement);
      EXPECT_EQ(placement.rcNormalPosition.left, monitors[i].left) << i;
      EXPECT_EQ(placement.rcNormalPosition.top, 0) << "the top edge is not taken from the monitor";
    }
  }
}

TEST_F(ShellTest, CoversTheWholeMonitorItLiesOn) {
  saver::RunSaver(saver::SystemMonitors(), program_);
  ASSERT_GE(app().WindowCount(), 1u);
  RECT rect;
  ::GetWindowRect(form(0).hwnd(), &rect);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromWindow(form(0).hwnd(), MONITOR_DEFAULTTOPRIMARY), &info);
  EXPECT_EQ(rect.left, info.rcMonitor.left);
  EXPECT_EQ(rect.top, info.rcMonitor.top);
  EXPECT_EQ(rect.right, info.rcMonitor.right);
  EXPECT_EQ(rect.bottom, info.rcMonitor.bottom);
}

TEST_F(ShellTest, PointerHiddenWhileWindowsExistAndRestoredAfter) {
  app().SetCursorShape(32649);  // a hand, say: whatever was in force before
  saver::RunSaver({{0, 0, 800, 600}, {800, 0, 1600, 600}}, program_);
  EXPECT_EQ(app().CursorShape(), win::kCursorNone);
  EXPECT_EQ(form(0).saved_cursor(), 32649);
  EXPECT_EQ(form(1).saved_cursor(), win::kCursorNone);
  // Over the window, the pointer is no pointer at all.
  ::SendMessageW(form(1).hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form(1).hwnd()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(::GetCursor(), nullptr);
  app().DestroyWindows();  // last created first
  EXPECT_EQ(app().CursorShape(), 32649);
}

TEST_F(ShellTest, MovementRuleEndsTheProgramAndKeysDoNothing) {
  saver::RunSaver({{0, 0, 800, 600}, {800, 0, 1600, 600}}, program_);
  HWND second = form(1).hwnd();
  ::SendMessageW(second, WM_MOUSEMOVE, 0, MAKELPARAM(400, 300));
  ::SendMessageW(second, WM_MOUSEMOVE, 0, MAKELPARAM(402, 298));
  ::SendMessageW(second, WM_KEYDOWN, VK_SPACE, 0);
  ::SendMessageW(second, WM_CHAR, L' ', 0);
  EXPECT_FALSE(app().Terminated());
  // Each window has its own reference: the first window's first event only records.
  ::SendMessageW(form(0).hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  EXPECT_FALSE(app().Terminated());
  ::SendMessageW(second, WM_MOUSEMOVE, 0, MAKELPARAM(403, 300));
  EXPECT_TRUE(app().Terminated());
}

TEST_F(ShellTest, APressClosesTheWindowOnlyTheMainOneEndsTheProgram) {
  saver::RunSaver({{0, 0, 800, 600}, {800, 0, 1600, 600}}, program_);
  ::SendMessageW(form(1).hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_FALSE(::IsWindowVisible(form(1).hwnd()));
  EXPECT_FALSE(app().Terminated());
  ::SendMessageW(form(0).hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(app().Terminated());
}

TEST_F(ShellTest, PaintsTheBackdropColourFromTheFirstPaint) {
  saver::RunSaver({{0, 0, 800, 600}}, program_);
  ::UpdateWindow(form(0).hwnd());
  Pump();
  EXPECT_EQ(form(0).color(), RGB(45, 69, 0));
  HDC dc = ::GetDC(form(0).hwnd());
  const COLORREF pixel = ::GetPixel(dc, 1000, 700);
  ::ReleaseDC(form(0).hwnd(), dc);
  EXPECT_EQ(pixel, RGB(45, 69, 0));
}

TEST_F(ShellTest, ListFileMissingPresentAndUnreadable) {
  saver::RunSaver({{0, 0, 800, 600}}, program_);
  EXPECT_TRUE(form(0).list_lines().empty());
  app().Reset();

  const auto list = folder_ / "WattDial.lst";
  std::ofstream(list, std::ios::binary) << "first\r\nsecond\r\n";
  saver::RunSaver({{0, 0, 800, 600}}, program_);
  EXPECT_EQ(form(0).list_lines(), (std::vector<std::string>{"first", "second"}));
  app().Reset();

  // Another program holding the file without sharing makes it unreadable: the
  // window's construction fails and the error reaches the caller.
  HANDLE lock = ::CreateFileW(list.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  try {
    saver::RunSaver({{0, 0, 800, 600}}, program_);
    ADD_FAILURE() << "no error";
  } catch (const wd::FileOpenError& error) {
    EXPECT_NE(std::string(error.what()).find("Cannot open file"), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("WattDial.lst"), std::string::npos);
  }
  ::CloseHandle(lock);
  EXPECT_EQ(app().WindowCount(), 0u);
  EXPECT_EQ(app().CursorShape(), win::kCursorNone) << "the program ends after this error";
}

class ThrowingWindow : public win::Window {
 public:
  ThrowingWindow() {
    win::WindowParams params;
    params.class_name = L"WattDialTestWindow";
    params.style = WS_POPUP;
    Create(params);
  }

 protected:
  void OnMouseDown(int, int) override {
    throw wd::ConvertError("'abc' is not a valid integer value");
  }
};

TEST_F(ShellTest, ErrorsReachingTheLoopAreShownAndTheProgramGoesOn) {
  app().SetTitle(L"WattDial");
  auto& window = app().Add(std::make_unique<ThrowingWindow>());
  ::SendMessageW(window.hwnd(), WM_LBUTTONDOWN, 0, 0);
  ::SendMessageW(window.hwnd(), WM_LBUTTONDOWN, 0, 0);
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[0].text, L"'abc' is not a valid integer value.");
  EXPECT_EQ(shown_[0].caption, L"WattDial");
  EXPECT_EQ(shown_[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(::IsWindow(window.hwnd()));
  EXPECT_FALSE(app().Terminated());
}

TEST_F(ShellTest, FinalReportNamesTheKindAndTheMessage) {
  app().ShowFatalError(wd::FileOpenError("Cannot open file \"C:\\x.lst\". Access denied"));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, L"Application Error");
  EXPECT_NE(shown_[0].text.find(L"EFOpenError"), std::wstring::npos);
  EXPECT_NE(shown_[0].text.find(L"Cannot open file \"C:\\x.lst\". Access denied."),
            std::wstring::npos);
  EXPECT_TRUE(shown_[0].flags & MB_ICONERROR);
  EXPECT_TRUE(shown_[0].flags & MB_TASKMODAL);
}

}  // namespace
}  // namespace wd
