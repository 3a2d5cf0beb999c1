#include "platform/application.h"

#include "common/errors.h"
#include "common/file_name.h"
#include "platform/executable.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/window.h"

namespace wd::win {

Application& Application::Instance() {
  static Application app;
  return app;
}

Application::Application() {
  Reset();
}

void Application::Reset() {
  DestroyWindows();
  terminated_ = false;
  reporting_ = false;
  cursor_ = kCursorDefault;
  // The default title is the program's file name without its extension.
  title_ = WithoutExtension(FileNameOf(ExecutablePath()));
  message_box_ = nullptr;
}

Window& Application::Add(std::unique_ptr<Window> window) {
  windows_.push_back(std::move(window));
  return *windows_.back();
}

void Application::Run() {
  Window* main = MainWindow();
  if (!main) return;
  main->Show();
  MSG msg;
  while (!terminated_) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (dialog_ && (dialog_->PreTranslateMessage(msg) || ::IsDialogMessageW(dialog_->hwnd(), &msg)))
      continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  terminated_ = true;
}

void Application::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  ::PostQuitMessage(0);
}

void Application::DestroyWindows() {
  dialog_ = nullptr;
  while (!windows_.empty()) windows_.pop_back();
}

std::wstring ErrorText(const std::exception& error) {
  return Widen(error.what());
}

void Application::HandleException(const std::exception& error) {
  // Timers go on ticking while the box is open; their errors would pile up boxes on
  // top of it, so one box at a time is shown.
  if (reporting_) return;
  reporting_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{reporting_};
  std::wstring text = ErrorText(error);
  if (text.empty() || text.back() != L'.') text += L'.';
  ShowMessage(text, title_, MB_OK | MB_ICONERROR);
}

void Application::ShowFatalError(const std::exception& error) {
  const auto* program_error = dynamic_cast<const wd::Error*>(&error);
  const std::string kind = program_error ? program_error->kind() : "Exception";
  std::wstring text = L"Exception " + Widen(kind) + L" in module " + FileNameOf(ExecutablePath()) +
                      L".\n" + ErrorText(error);
  if (text.back() != L'.') text += L'.';
  Box(nullptr, text, L"Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int Application::ShowMessage(const std::wstring& text, UINT flags) {
  return ShowMessage(text, title_, flags);
}

int Application::ShowMessage(const std::wstring& text, const std::wstring& caption, UINT flags) {
  // Owned by the active window of ours, so the box stays above a full-screen window.
  HWND owner = ::GetActiveWindow();
  return Box(owner, text, caption, flags);
}

int Application::Box(HWND owner, const std::wstring& text, const std::wstring& caption,
                     UINT flags) const {
  if (message_box_) return message_box_(owner, text, caption, flags);
  return EnglishMessageBox(owner, text, caption, flags);
}

void Application::SetCursorShape(int shape) {
  cursor_ = shape;
  ApplyCursor();
}

void Application::ApplyCursor() const {
  if (cursor_ == kCursorNone)
    ::SetCursor(nullptr);
  else if (cursor_ == kCursorDefault)
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
  else
    ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor_)));
}

}  // namespace wd::win
