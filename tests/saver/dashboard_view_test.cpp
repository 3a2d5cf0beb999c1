// The dashboard driven through its own interface under Wine, with no window: real
// figure functions over an injected uptime and a settings file in a folder of the test's,
// and a DIB standing for the window it shows on.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "energy/format_settings.h"
#include "platform/dib.h"
#include "platform/file.h"
#include "platform/handles.h"
#include "saver/dashboard_view.h"
#include "saver/layout.h"
#include "saver/picture.h"
#include "tests/saver/saver_folder_test.h"
#include "tests/saver/whole_composition.h"

namespace wd::saver {
namespace {

using test::ComposeWhole;
using test::DifferentPixels;
using test::g_tick_count;
using test::Shown;
using test::WhereTheyDiffer;

class DashboardViewTest : public test::SaverFolderTest {
 protected:
  static const std::wstring& Text(const DashboardView& view, Label which) {
    return view.label(which).text;
  }
};

TEST_F(DashboardViewTest, LabelsShowTheFiguresOfTheTick) {
  WriteIni("[Parameters]\r\nWatts=107.125\r\nFromDate=2026/3/1\r\n[History]\r\nThisYear=100\r\n");
  DashboardView view;
  EXPECT_EQ(Text(view, kSeconds), L"0");
  EXPECT_EQ(Text(view, kFromdate), L"date");

  view.Tick();
  EXPECT_EQ(view.ticks(), 1);
  EXPECT_EQ(Text(view, kSeconds), L"3.456");
  EXPECT_EQ(Text(view, kMins), L"2.058");
  // 3,723,456 ms = 1.034 h; x 107.125 W = 0.111 kWh; x 2.59 = 0.287; x 0.637 = 0.071.
  EXPECT_EQ(Text(view, kHours), L"1.034");
  EXPECT_EQ(Text(view, kPower), L"0.111");
  EXPECT_EQ(Text(view, kPowerFee), L"0.287");
  EXPECT_EQ(Text(view, kCo2), L"0.071");
  EXPECT_EQ(Text(view, kThisYearCo2), L"6.824");
  EXPECT_EQ(Text(view, kFromdate), L"2026/3/1");

  // An exact minute of uptime, and the comma of a German user.
  g_tick_count = 120000;
  FormatSettings german;
  german.decimal_separator = ',';
  german.short_date_format = "dd.MM.yyyy";
  german.date_separator = '.';
  SetFormatSettingsForTesting(german);
  WriteIni("[Parameters]\r\nFromDate=01.03.2026\r\n");
  view.Tick();
  EXPECT_EQ(Text(view, kSeconds), L"0,000");
  EXPECT_EQ(Text(view, kMins), L"2,000");
  EXPECT_EQ(Text(view, kFromdate), L"01.03.2026");
}

TEST_F(DashboardViewTest, NoStoredFromDateStoresTodayAndShowsNoTimeOfDay) {
  DashboardView view;
  view.Tick();
  EXPECT_EQ(Text(view, kFromdate), L"2026/12/8");
  std::ifstream ini(folder_ / "WattDial.INI", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(ini)), {});
  EXPECT_EQ(text, "[Parameters]\r\nFromDate=2026/12/8\r\n");
  // No settings file: 30 W.
  EXPECT_EQ(Text(view, kPower), L"0.031");
}

// Another program holding the settings file without sharing: what a tick would make of
// it, were it to read it, is an empty file (30 W, and no FromDate, which it would try
// to store, and fail).
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& path)
      : handle_(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  explicit operator bool() const { return bool(handle_); }

 private:
  win::FileHandle handle_;
};

TEST_F(DashboardViewTest, TicksFollowTheSettingsFileAndKeepWhatTheyReadWhileItIsUnchanged) {
  WriteIni("[Parameters]\r\nWatts=107.125\r\nFromDate=2026/3/1\r\n");
  const auto path = folder_ / "WattDial.INI";
  DashboardView view;
  view.Tick();
  EXPECT_EQ(Text(view, kPower), L"0.111");
  // Just written: a second write of the same size may keep the stamps of the first
  // (a file system keeps write times only to a step), and still shows.
  const auto written = std::filesystem::last_write_time(path);
  Changing([&] {
    WriteIni("[Parameters]\r\nWatts=214.250\r\nFromDate=2026/3/1\r\n");
    std::filesystem::last_write_time(path, written);
  });
  view.Tick();
  EXPECT_EQ(Text(view, kPower), L"0.222");

  // Written an hour ago, and unchanged since: the ticks keep the figures they read, and
  // never find the file locked.
  const auto an_hour_ago = written - std::chrono::hours(1);
  Changing([&] { std::filesystem::last_write_time(path, an_hour_ago); });
  view.Tick();
  {
    const FileLock lock(path);
    ASSERT_TRUE(lock);
    ASSERT_FALSE(win::TryReadWholeFile(path.wstring(), 1 << 20)) << "the lock holds";
    for (int i = 0; i < 45; ++i) {
      view.Tick();
      ASSERT_EQ(Text(view, kPower), L"0.222") << "tick " << i;
    }
  }
  EXPECT_TRUE(shown_.empty());

  // The same size, and a time stamp that is not recent either: only the stamp shows the
  // change.
  Changing([&] {
    WriteIni("[Parameters]\r\nWatts=107.125\r\nFromDate=2026/3/1\r\n");
    std::filesystem::last_write_time(path, an_hour_ago + std::chrono::seconds(2));
  });
  view.Tick();
  EXPECT_EQ(Text(view, kPower), L"0.111");

  // Gone: the defaults, then the file again once it is back.
  Changing([&] { std::filesystem::remove(path); });
  view.Tick();
  EXPECT_EQ(Text(view, kPower), L"0.031");
  EXPECT_EQ(Text(view, kFromdate), L"2026/12/8") << "stored again by the tick";
  Changing([&] { std::filesystem::last_write_time(path, an_hour_ago); });
  view.Tick();
  view.Tick();
  {
    // The file the tick wrote, read once: locked now, the ticks go on without it.
    const FileLock lock(path);
    ASSERT_TRUE(lock);
    EXPECT_NO_THROW(view.Tick());
    EXPECT_EQ(Text(view, kFromdate), L"2026/12/8");
  }
}

// Settings changed by other means than writing the file in place, none of them
// recently: the next tick shows the new figures.
TEST_F(DashboardViewTest, TicksFollowTheSettingsFileReplacedOrMoved) {
  namespace fs = std::filesystem;
  using Write = std::function<void(const fs::path& folder)>;
  const auto an_hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const fs::path elsewhere = folder_.string() + "-elsewhere";
  // WattDial.INI with `watts` into `folder`, last written at `when`.
  const auto write = [](const fs::path& folder, const char* watts, fs::file_time_type when) {
    std::ofstream(folder / "WattDial.INI", std::ios::binary)
        << "[Parameters]\r\nWatts=" << watts << "\r\nFromDate=2026/3/1\r\n";
    fs::last_write_time(folder / "WattDial.INI", when);
  };
  const Write write_new = [&](const fs::path& folder) {
    write(folder, "214.250", an_hour_ago + std::chrono::seconds(2));
  };
  struct Case {
    const char* name;
    void (*change)(const fs::path& dir, const fs::path& away, const Write& put);
  };
  const Case cases[] = {
      {"a file renamed over it",
       [](const fs::path& dir, const fs::path&, const Write& put) {
         fs::create_directories(dir / "new");
         put(dir / "new");
         fs::rename(dir / "new" / "WattDial.INI", dir / "WattDial.INI");
       }},
      {"the folder moved away and another put in its place",
       [](const fs::path& dir, const fs::path& away, const Write& put) {
         fs::rename(dir, away);
         fs::create_directories(dir);
         put(dir);
       }},
      {"the folder moved away and back with another file",
       [](const fs::path& dir, const fs::path& away, const Write& put) {
         fs::rename(dir, away);
         put(away);
         fs::rename(away, dir);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(elsewhere);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    write(folder_, "107.125", an_hour_ago);
    DashboardView view;
    view.Tick();
    view.Tick();
    ASSERT_EQ(Text(view, kPower), L"0.111");
    c.change(folder_, elsewhere, write_new);
    view.Tick();
    EXPECT_EQ(Text(view, kPower), L"0.222");
  }
  fs::remove_all(elsewhere);
}

// Every pixel where `after` differs from `before` lies in one of `areas`.
bool ChangesWithin(const win::DibSurface& before, const win::DibSurface& after,
                   const std::vector<RECT>& areas) {
  ::GdiFlush();
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x) {
      const size_t i = static_cast<size_t>(y) * after.width() + x;
      if (before.bits()[i] == after.bits()[i]) continue;
      const POINT point{x, y};
      bool inside = false;
      for (const RECT& area : areas) inside = inside || ::PtInRect(&area, point);
      if (!inside) return false;
    }
  return true;
}

win::DibSurface CopyOf(const win::DibSurface& surface) {
  win::DibSurface copy(surface.width(), surface.height());
  ::BitBlt(copy.dc(), 0, 0, surface.width(), surface.height(), surface.dc(), 0, 0, SRCCOPY);
  return copy;
}

TEST_F(DashboardViewTest, WhatChangedComposedTickByTickEqualsWholeCompositions) {
  WriteIni("[Parameters]\r\nWatts=107.125\r\nFromDate=2026/3/1\r\n[History]\r\nThisYear=100\r\n");
  struct Case {
    const char* name;
    double scale;
    int width, height;
    bool picture;  // the stored one, or none
    bool target;   // a surface the changes go to, or none (the window not there yet)
    int ticks;
  };
  const Case cases[] = {
      {"1280 x 1024", 1.0, 1280, 1024, true, true, 130},
      // Smaller than the paint box reaches: the gauge and the labels cut off.
      {"800 x 600 without a picture", 1.0, 800, 600, false, true, 70},
      {"at 150 %", 1.5, 1920, 1200, true, true, 70},
      {"without a target", 1.0, 1280, 1024, true, false, 70},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Just before a whole minute and a whole hour of uptime: the seconds label shrinks
    // from 59.xxx to 0.xxx and the minutes label from 59.xxx to 0.xxx.
    g_tick_count = 3 * 3600000 - 20000;
    DashboardView view;
    view.SetScale(c.scale);
    if (!c.picture) view.SetPicture(nullptr);
    ASSERT_TRUE(view.Resize(c.width, c.height));
    EXPECT_FALSE(view.Resize(0, c.height));
    win::DibSurface target(c.width, c.height);
    ASSERT_TRUE(view.Paint(target.dc(), RECT{0, 0, c.width, c.height}));
    // Past every ring's start (tick 61) and ring 1's wrap from 59 to 0 (ticks 60, 120).
    for (int tick = 1; tick <= c.ticks; ++tick) {
      g_tick_count += 397;
      view.Tick();
      const win::DibSurface before = CopyOf(target);
      const std::vector<RECT> areas = view.ShowChanges(c.target ? target.dc() : nullptr);
      ASSERT_FALSE(areas.empty()) << "tick " << tick << ": the seconds change every tick";
      if (!c.target) view.Paint(target.dc(), RECT{0, 0, c.width, c.height});
      const win::DibSurface whole = ComposeWhole(view, c.width, c.height);
      ASSERT_EQ(DifferentPixels(target, whole), 0)
          << "target, tick " << tick << " at " << WhereTheyDiffer(target, whole);
      ASSERT_TRUE(!c.target || ChangesWithin(before, target, areas))
          << "tick " << tick << ": the target changed outside the areas reported";
      ASSERT_EQ(DifferentPixels(Shown(view), whole), 0)
          << "tick " << tick << " at " << WhereTheyDiffer(Shown(view), whole);
    }
  }
}

TEST_F(DashboardViewTest, ANewSizeOrScaleShowsTheGaugeAgainWithTheNextTick) {
  DashboardView view;
  ASSERT_TRUE(view.Resize(1280, 1024));
  view.Tick();
  ASSERT_TRUE(view.gauge_values());
  view.SetScale(2.0);
  ASSERT_TRUE(view.Resize(2560, 2048));
  EXPECT_FALSE(view.gauge_values()) << "the picture alone until the next tick";
  EXPECT_EQ(DifferentPixels(Shown(view), ComposeWhole(view, 2560, 2048)), 0);
  view.Tick();
  EXPECT_EQ(view.paint_box().left, 2 * kPaintBoxLeft);
  EXPECT_EQ(view.paint_box().right - view.paint_box().left, 2 * kPaintBoxSize);
  view.ShowChanges(nullptr);
  EXPECT_EQ(DifferentPixels(Shown(view), ComposeWhole(view, 2560, 2048)), 0);
}

}  // namespace
}  // namespace wd::saver
