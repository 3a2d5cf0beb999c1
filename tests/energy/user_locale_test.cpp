// The user's format settings as Windows gives them, for the locale this test runs in
// (WD_EXPECT_LOCALE: zh-TW or de-DE), and the settings file written with them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "energy/format_settings.h"
#include "energy/settings_file.h"
#include "test_support.h"

namespace wd {
namespace {

class UserLocaleTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    SetFormatSettingsForTesting(std::nullopt);  // the real user settings
  }
  std::string Expected() const {
    const char* v = std::getenv("WD_EXPECT_LOCALE");
    return v ? v : "";
  }
};

TEST_F(UserLocaleTest, SettingsAndFileTexts) {
  const FormatSettings& fs = CurrentFormatSettings();
  SettingsFile ini(SettingsFilePath());
  ini.WriteFloat("Parameters", "UnitFee", 2.59);
  ini.WriteDate("Parameters", "FromDate", EncodeDate(2024, 3, 5) + 0.5);
  ini.WriteTime("Parameters", "AlarmTime", EncodeTime(13, 5, 9, 0));
  const std::string bytes = test::ReadBytes(SettingsFilePath());
  if (Expected() == "zh-TW") {
    EXPECT_EQ(fs.decimal_separator, '.');
    EXPECT_EQ(fs.short_date_format, "yyyy/M/d");
    EXPECT_EQ(fs.time_am, "上午");
    EXPECT_EQ(fs.time_pm, "下午");
    EXPECT_EQ(FormatShortDate(EncodeDate(2024, 3, 5)), "2024/3/5");
    EXPECT_NE(bytes.find("FromDate=2024/3/5\r\n"), std::string::npos);
    // 下午 in code page 950, as the ANSI calls store it.
    EXPECT_NE(bytes.find("\xA4\x55\xA4\xC8"), std::string::npos) << bytes;
  } else if (Expected() == "de-DE") {
    EXPECT_EQ(fs.decimal_separator, ',');
    EXPECT_EQ(FormatFigure(1.5), "1,500");
    EXPECT_NE(bytes.find("UnitFee=2,59\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("FromDate=5.3.2024\r\n"), std::string::npos) << bytes;
  } else {
    GTEST_SKIP() << "no locale named";
  }
  EXPECT_EQ(ini.ReadFloat("Parameters", "UnitFee", 0), 2.59);
  EXPECT_EQ(ini.ReadDate("Parameters", "FromDate", 0), EncodeDate(2024, 3, 5));
  EXPECT_EQ(ini.ReadTime("Parameters", "AlarmTime", 0), EncodeTime(13, 5, 9, 0));
}

}  // namespace
}  // namespace wd
