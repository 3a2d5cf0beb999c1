#include "app/program.h"

#include <windows.h>

#include <memory>

#include "app/dispatch.h"
#include "platform/application.h"
#include "platform/executable.h"
#include "platform/text.h"
#include "saver/form_main.h"
#include "saver/gdi_plus.h"
#include "settings/form_settings.h"

namespace wd::app {
namespace {

void RunConfigure(win::Application& app) {
  app.SetTitle(L"WattDial");
  app.Add(std::make_unique<settings::TFormSettings>());
}

}  // namespace

int RunProgram(const std::vector<std::wstring>& args) {
  // One instance at a time, in any mode. The lock is held until the process ends.
  ::CreateMutexA(nullptr, TRUE, "scrnsave");
  if (::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  // GDI+ for the whole run: started before any window, shut down after the last.
  saver::GdiplusSession gdiplus;
  win::Application& app = win::Application::Instance();
  const ModeChoice choice = ChooseMode(args);
  try {
    switch (choice.mode) {
      case Mode::kConfigure:
        RunConfigure(app);
        break;
      case Mode::kPreview:
        break;
      case Mode::kSaver:
        saver::RunSaver(saver::SystemMonitors(), win::ExecutablePath());
        break;
      case Mode::kUnknown:
        app.ShowMessage(choice.message, MB_OK);
        break;
    }
  } catch (const std::exception& error) {
    app.ShowFatalError(error);
    app.DestroyWindows();
    return 1;
  }
  app.Run();
  app.DestroyWindows();
  return 0;
}

}  // namespace wd::app
