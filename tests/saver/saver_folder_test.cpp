#include "tests/saver/saver_folder_test.h"

#include <cstdlib>
#include <optional>

#include "common/local_clock.h"
#include "energy/format_settings.h"
#include "energy/settings_file.h"
#include "energy/uptime.h"
#include "platform/text.h"
#include "tests/energy/test_support.h"

namespace wd::saver::test {

uint32_t g_tick_count = 0;

namespace {

uint32_t FakeTickCount() {
  return g_tick_count;
}
DateTime FakeNow() {
  return EncodeDate(2026, 12, 8) + EncodeTime(15, 4, 5, 0);
}

}  // namespace

void SaverFolderTest::SetUp() {
  app().Reset();
  app().SetMessageBoxForTesting([this](HWND, const std::wstring& text, const std::wstring&, UINT) {
    shown_.push_back(text);
    return IDOK;
  });
  folder_ = std::filesystem::temp_directory_path() / "wattdial-dashboard-test";
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  SetProgramFolderForTesting(win::Narrow(folder_.wstring()) + "\\");
  SetTickCountForTesting(&FakeTickCount);
  SetLocalClockForTesting(&FakeNow);
  SetFormatSettingsForTesting(wd::test::TaiwanFormat());
  g_tick_count = 3723456;
}

void SaverFolderTest::TearDown() {
  app().Reset();
  SetTickCountForTesting(nullptr);
  SetLocalClockForTesting(nullptr);
  SetFormatSettingsForTesting(std::nullopt);
  SetProgramFolderForTesting("");
  std::filesystem::remove_all(folder_);
}

void SaverFolderTest::CopyResource(const char* name, const char* as) {
  std::filesystem::copy_file(
      std::filesystem::path(std::getenv("WD_SOURCE_DIR")) / "resources" / name, folder_ / as);
}

}  // namespace wd::saver::test
