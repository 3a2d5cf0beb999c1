// The application object: owns every window of the program, knows the main
// window, runs the message loop and reports errors that reach it.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wd::win {

class Window;

// Pointer shapes of the application-wide pointer. Other values are system cursor ids.
inline constexpr int kCursorDefault = 0;
inline constexpr int kCursorNone = -1;

class Application {
 public:
  // Shows a message box: owner, text, caption, MB_* flags. Tests put a recorder in place
  // of MessageBoxW instead of blocking on a modal box.
  using MessageBoxFunction =
      std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)>;

  static Application& Instance();

  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  const std::wstring& Title() const { return title_; }
  void SetTitle(std::wstring title) { title_ = std::move(title); }

  // Takes ownership. The first window added becomes the main window.
  Window& Add(std::unique_ptr<Window> window);
  Window* MainWindow() const { return windows_.empty() ? nullptr : windows_.front().get(); }
  size_t WindowCount() const { return windows_.size(); }
  Window& WindowAt(size_t i) const { return *windows_[i]; }

  // Shows the main window and processes messages until Terminate. Returns at once
  // when there is no main window.
  void Run();
  // The window whose keyboard navigation (Tab, Enter, Escape) the message loop runs, as
  // a dialog's; null for none.
  void SetDialogWindow(Window* dialog) { dialog_ = dialog; }
  // Ends the message loop.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Destroys every window, the last created first.
  void DestroyWindows();

  // An error that reached the message loop: a box with the error icon and OK, the
  // message followed by ".", the application title as caption.
  void HandleException(const std::exception& error);
  // An error that ends the program before the loop runs: the final report.
  void ShowFatalError(const std::exception& error);

  // Shows a box with the application title as caption.
  int ShowMessage(const std::wstring& text, UINT flags = MB_OK);
  int ShowMessage(const std::wstring& text, const std::wstring& caption, UINT flags);
  // An empty function restores MessageBoxW.
  void SetMessageBoxForTesting(MessageBoxFunction f) { message_box_ = std::move(f); }

  // The application-wide pointer shape (kCursorNone hides the pointer over every window).
  int CursorShape() const { return cursor_; }
  void SetCursorShape(int shape);
  // Called by windows on WM_SETCURSOR over their client area.
  void ApplyCursor() const;

  // Back to the state of a newly started program (tests run several programs in one
  // process); the message boxes are the system's again.
  void Reset();

 private:
  Application();
  int Box(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) const;

  std::wstring title_;
  std::vector<std::unique_ptr<Window>> windows_;
  bool terminated_ = false;
  bool reporting_ = false;
  int cursor_ = kCursorDefault;
  Window* dialog_ = nullptr;
  MessageBoxFunction message_box_;  // empty: MessageBoxW with English buttons
};

// Text of an error for the user: the message of a program error, or a generic text.
std::wstring ErrorText(const std::exception& error);

}  // namespace wd::win
