// Cost of one dashboard tick of a real saver window, and of its parts, each beside the
// way it is done without the shortcut, measured in the same run: the gauge drawn whole
// (DrawRings on the 600 x 600 paint box surface) beside the tick's redraw of what
// changed, the figures from the seven energy functions (each reading the uptime and
// the settings file afresh) beside one uptime and one reading of the file, and the
// whole tick (composing and showing what changed); and the gauge's part of a minute of
// ticks. Run under Wine (or on Windows) on a display:
//   wine build/win/bench/saver_tick.exe [TICKS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "energy/calculate.h"
#include "energy/ini_file.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"
#include "platform/application.h"
#include "platform/dib.h"
#include "platform/text.h"
#include "saver/dashboard.h"
#include "saver/form_main.h"
#include "saver/gdi_plus.h"
#include "saver/layout.h"
#include "saver/ring_raster.h"

namespace {

double Now() {
  LARGE_INTEGER count;
  LARGE_INTEGER frequency;
  ::QueryPerformanceCounter(&count);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename F>
void Report(const char* what, int runs, F&& run) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const double start = Now();
    run(i);
    ms.push_back((Now() - start) * 1000.0);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-34s median %7.3f ms   p90 %7.3f ms   (%d runs)\n", what, ms[ms.size() / 2],
              ms[ms.size() * 9 / 10], runs);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
  const wd::saver::GdiplusSession gdiplus;

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "wattdial-tick-bench";
  std::filesystem::create_directories(folder);
  wd::SetProgramFolderForTesting(wd::win::Narrow(folder.wstring()) + "\\");

  wd::win::DibSurface box(wd::saver::kPaintBoxSize, wd::saver::kPaintBoxSize);
  Report("DrawRings on the paint box", runs, [&](int i) {
    const auto v = wd::saver::DrawRingsArguments(wd::saver::RingValuesAt(i + 1));
    wd::saver::DrawRings(box.dc(), v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
  });
  // The gauge's part of the ticks of a minute, in which every ring takes 59 steps and
  // wraps to 0 once.
  const wd::saver::RingRaster raster;
  std::vector<uint32_t> under(static_cast<size_t>(raster.size()) * raster.size(),
                              wd::saver::kBackdrop.dib_pixel());
  std::vector<uint32_t> shown(under.size());
  const wd::saver::ConstPixelRows beneath{under.data(), raster.size()};
  Report("a minute of gauge", std::max(10, runs / 20), [&](int) {
    for (int tick = 0; tick < 60; ++tick) {
      const wd::saver::RingValues before = wd::saver::RingValuesAt(tick);
      const wd::saver::RingValues after = wd::saver::RingValuesAt(tick + 1);
      for (const auto& change : raster.Changes(before, after))
        raster.Redraw(beneath, {shown.data(), raster.size()}, change, after);
    }
  });
  Report("the figures, each read afresh", runs, [&](int) {
    volatile long double sum = wd::CalcHours() + wd::CalcPowerKwh() + wd::CalcPowerFee() +
                               wd::CalcCo2() + wd::CalcThisYearCo2();
    (void)sum;
    (void)wd::GetFromDate();
  });
  Report("one reading of the settings file", runs, [&](int) {
    wd::IniSnapshot snapshot(wd::SettingsFilePath(), wd::SystemIniBackend());
    volatile std::size_t sink = snapshot.Read(wd::SettingsFilePath(), "x", "y", "").size();
    (void)sink;
  });
  Report("the figures from one reading", runs, [&](int) {
    wd::IniSnapshot snapshot(wd::SettingsFilePath(), wd::SystemIniBackend());
    wd::SettingsFile ini(wd::SettingsFilePath(), snapshot);
    std::size_t length = 0;
    wd::saver::WriteTickLabels(
        wd::GetUpTimeMs(), ini,
        [&](wd::saver::Label, const std::string& text) { length += text.size(); });
    volatile std::size_t sink = length;
    (void)sink;
  });

  wd::saver::RunSaver({{0, 0, 1280, 1024}}, (folder / "WattDial.scr").wstring());
  wd::saver::TFormMain& form = *wd::saver::FormMain;
  // A settings file written in the last 3 s is read on every tick, and the figures above
  // have just written it: the running saver's ticks find it unchanged.
  ::Sleep(3500);
  const int readings_before = form.dashboard().settings_readings();
  Report("whole tick (Timer1Timer)", runs, [&](int) { form.Timer1Timer(); });
  // Every ring wraps once a minute: the ticks that wrap cost more than the median one.
  Report("a minute of ticks (60 Timer1Timer)", std::max(10, runs / 20), [&](int) {
    for (int tick = 0; tick < 60; ++tick) form.Timer1Timer();
  });
  std::printf("(the ticks read the settings file %d times)\n",
              form.dashboard().settings_readings() - readings_before);

  wd::win::Application::Instance().DestroyWindows();
  wd::SetProgramFolderForTesting("");
  std::filesystem::remove_all(folder);
  return 0;
}
