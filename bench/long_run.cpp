// A saver left running overnight: one real saver window with the movie playing, its
// dashboard ticks and movie frames run back to back for SECONDS (default 1800), with
// the window's messages answered between them. Prints the process's USER objects, GDI
// objects, handles and private bytes at the start (once the movie has looped twice and
// keeps its pictures), every tenth of the run and at the end, which must stay flat. Run on a
// display:
//   bench/long_run.sh [SECONDS]   (or wine build/win/bench/long_run.exe SECONDS MOVIE)
#include <windows.h>
// After windows.h.
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "energy/settings_file.h"
#include "platform/application.h"
#include "platform/text.h"
#include "saver/form_main.h"
#include "saver/gdi_plus.h"

namespace {

struct Counts {
  DWORD user_objects = 0;
  DWORD gdi_objects = 0;
  DWORD handles = 0;
  SIZE_T private_bytes = 0;
  bool counted_here = false;  // the system reported nothing: counted by the bench
};

// The system's GDI handle table, which the process maps (PEB GdiSharedHandleTable):
// 65536 entries of 24 bytes, a non-zero type byte at offset 14 for an object in use.
DWORD CountGdiTableEntries() {
  using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (query == nullptr ||
      query(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
    return 0;
  }
  const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
  const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
  if (table == nullptr) return 0;
  DWORD count = 0;
  for (size_t i = 0; i < 0x10000; ++i) count += table[i * 24 + 14] != 0;
  return count;
}

// Kernel handles are multiples of 4; every one in use answers GetHandleInformation.
DWORD ProbeHandles() {
  DWORD count = 0, flags;
  for (ULONG_PTR h = 4; h < 0x40000; h += 4) {
    count += ::GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags) != FALSE;
  }
  return count;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(hwnd, &process);
  if (process != ::GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<DWORD*>(count);
  ::EnumChildWindows(hwnd, CountWindow, count);
  return TRUE;
}

// The process's windows, top-level and children (the USER objects a saver makes).
DWORD CountWindows() {
  DWORD count = 0;
  ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// What the system reports; where it reports nothing (Wine gives 0 for the GUI resources,
// the handle count and PrivateUsage), what the bench can count itself.
Counts Measure() {
  Counts c;
  HANDLE self = ::GetCurrentProcess();
  c.user_objects = ::GetGuiResources(self, GR_USEROBJECTS);
  c.gdi_objects = ::GetGuiResources(self, GR_GDIOBJECTS);
  ::GetProcessHandleCount(self, &c.handles);
  if (c.user_objects == 0 && c.gdi_objects == 0 && c.handles == 0) {
    c.counted_here = true;
    c.user_objects = CountWindows();
    c.gdi_objects = CountGdiTableEntries();
    c.handles = ProbeHandles();
  }
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (::GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
    // The private commit charge; PagefileUsage is the same figure where PrivateUsage is 0.
    c.private_bytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
  }
  return c;
}

void Print(const char* when, double seconds, long long ticks, long long frames, const Counts& c) {
  std::printf(
      "%-6s %7.0f s %9lld ticks %9lld frames   USER %5lu  GDI %5lu  handles %5lu  "
      "private %8.1f KiB\n",
      when, seconds, ticks, frames, c.user_objects, c.gdi_objects, c.handles,
      static_cast<double>(c.private_bytes) / 1024.0);
  std::fflush(stdout);
}

void AnswerMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // The window's own timers would only add ticks and frames of their own.
    if (msg.message == WM_TIMER) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 1800.0;
  const std::string movie = argc > 2 ? argv[2] : "earth.swf";
  const wd::saver::GdiplusSession gdiplus;

  // A folder of its own, with the movie beside the program.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "wattdial-long-run";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(wd::win::Widen(movie), folder / "earth.swf");
  wd::SetProgramFolderForTesting(wd::win::Narrow(folder.wstring()) + "\\");

  wd::saver::RunSaver({{0, 0, 1280, 1024}}, (folder / "WattDial.scr").wstring());
  wd::saver::TFormMain& form = *wd::saver::FormMain;
  wd::saver::TShockwaveFlash& flash = form.ShockwaveFlash1();
  if (!flash.loaded()) {
    std::fprintf(stderr, "long_run: the movie %s did not load\n", movie.c_str());
    return 1;
  }

  LARGE_INTEGER frequency, start, now;
  ::QueryPerformanceFrequency(&frequency);
  const auto elapsed = [&] {
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
  };
  long long ticks = 0, frames = 0;
  const auto step = [&] {
    form.Timer1Timer();
    ++ticks;
    flash.Advance(1);
    ++frames;
    AnswerMessages();
  };
  // Warm-up: the movie keeps its pictures from its second loop on, so the figures start
  // once it has looped twice.
  for (int loops = 0; loops < 2;) {
    step();
    loops += flash.current_frame() == 1;
  }
  ::QueryPerformanceCounter(&start);
  const Counts first = Measure();
  if (first.counted_here) {
    std::printf(
        "(the system reports no GUI resource or handle counts: USER counts the "
        "process's windows, GDI the objects in its GDI handle table, handles those "
        "that answer GetHandleInformation)\n");
  }
  Print("start", 0, ticks, frames, first);
  int reported = 0;
  while (elapsed() < seconds) {
    step();
    if (elapsed() >= seconds * (reported + 1) / 10 && reported < 9) {
      Print("", elapsed(), ticks, frames, Measure());
      ++reported;
    }
  }
  const Counts last = Measure();
  Print("end", elapsed(), ticks, frames, last);
  std::printf("change: USER %+ld  GDI %+ld  handles %+ld  private %+.1f KiB\n",
              static_cast<long>(last.user_objects) - static_cast<long>(first.user_objects),
              static_cast<long>(last.gdi_objects) - static_cast<long>(first.gdi_objects),
              static_cast<long>(last.handles) - static_cast<long>(first.handles),
              (static_cast<double>(last.private_bytes) - static_cast<double>(first.private_bytes)) /
                  1024.0);

  wd::win::Application::Instance().DestroyWindows();
  wd::SetProgramFolderForTesting("");
  std::filesystem::remove_all(folder);
  return 0;
}
