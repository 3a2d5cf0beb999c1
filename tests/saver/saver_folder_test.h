// A saver's surroundings under test: a program folder of the test's own, an uptime of
// the test's choosing, a fixed local clock (2026-12-08 15:04:05) and zh-TW formats, and
// the application's message boxes recorded instead of shown.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/application.h"

namespace wd::saver::test {

// The uptime the saver reads, in ms.
extern uint32_t g_tick_count;

class SaverFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  static win::Application& app() { return win::Application::Instance(); }
  // Makes a change in the test's folder and waits until the folder has reported it: the
  // change is done before the next tick looks at the file.
  template <class Change>
  void Changing(Change change) {
    HANDLE notice = ::FindFirstChangeNotificationW(
        folder_.wstring().c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
            FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    ASSERT_NE(notice, INVALID_HANDLE_VALUE);
    change();
    EXPECT_EQ(::WaitForSingleObject(notice, 10000), WAIT_OBJECT_0);
    ::FindCloseChangeNotification(notice);
  }
  void WriteIni(const std::string& text) {
    std::ofstream(folder_ / "WattDial.INI", std::ios::binary) << text;
  }
  // A file of the program's resources into the test's folder.
  void CopyResource(const char* name, const char* as);

  std::vector<std::wstring> shown_;
  std::filesystem::path folder_;
};

}  // namespace wd::saver::test
