// TFormMain: the full-screen saver window, one per monitor. It hides the pointer
// while it exists and ends the saver on pointer movement (see exit_rule.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/window.h"
#include "saver/exit_rule.h"

namespace wd::saver {

class TFormMain : public win::Window {
 public:
  // `program_path` is the executable's full path: the list file is found beside it.
  explicit TFormMain(std::wstring program_path);
  ~TFormMain() override;

  // Pointer movement at client coordinates (x, y) of this window.
  void FormMouseMove(int x, int y);
  // A button press: closes the window.
  void FormMouseDown();

  const std::vector<std::string>& list_lines() const { return list_lines_; }
  int saved_cursor() const { return saved_cursor_; }
  COLORREF color() const { return color_; }

 protected:
  bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void OnPaint(HDC dc, const RECT& area) override;
  void OnMouseMove(int x, int y) override { FormMouseMove(x, y); }
  void OnMouseDown(int, int) override { FormMouseDown(); }

 private:
  void LoadListFile();
  void FormCreate();
  void FormPaint();

  std::wstring program_path_;
  MouseExitRule exit_rule_;
  int saved_cursor_ = 0;
  std::vector<std::string> list_lines_;
  COLORREF color_;
};

// A monitor's rectangle in virtual-screen coordinates.
struct MonitorRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The display monitors, the primary one first.
std::vector<MonitorRect> SystemMonitors();

// Saver mode: one TFormMain per monitor, moved to that monitor's left edge and
// maximised. The first becomes the application's main window.
void RunSaver(const std::vector<MonitorRect>& monitors, const std::wstring& program_path);

}  // namespace wd::saver
