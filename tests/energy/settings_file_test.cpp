#include "energy/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/errors.h"
#include "test_support.h"

namespace wd {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class SettingsFileTest : public test::TempFolderTest {};

TEST_F(SettingsFileTest, PathIsBesideTheExecutable) {
  EXPECT_EQ(SettingsFilePath(), folder_ + "WattDial.INI");
  const std::string real = SystemProgramFolder();
  ASSERT_FALSE(real.empty());
  EXPECT_TRUE(real.back() == '/' || real.back() == '\\');
#ifdef _WIN32
  EXPECT_TRUE(std::filesystem::exists(test::FsPath(real + "energy_tests.exe")));
#else
  EXPECT_TRUE(std::filesystem::exists(test::FsPath(real + "energy_tests")));
#endif
}

TEST_F(SettingsFileTest, DefaultsWithoutFileAndRoundTrips) {
  SettingsFile ini(SettingsFilePath());
  EXPECT_EQ(ini.ReadFloat("Parameters", "Watts", 107.125), 107.125);
  EXPECT_EQ(ini.ReadFlag("Parameters", "AutoSNTP", true), true);
  EXPECT_EQ(ini.ReadText("Parameters", "SNTPServer", "time.stdtime.gov.tw"), "time.stdtime.gov.tw");
  EXPECT_EQ(ini.ReadDate("Parameters", "FromDate", 0), 0.0);
  EXPECT_EQ(ini.ReadTime("Parameters", "AlarmTime", 10.0), 10.0);
  EXPECT_FALSE(std::filesystem::exists(test::FsPath(SettingsFilePath())));

  ini.WriteFloat("Parameters", "Watts", 107.125);
  ini.WriteFloat("Parameters", "UnitFee", 0.1 + 0.2);
  ini.WriteFlag("Parameters", "AutoSNTP", false);
  ini.WriteText("Parameters", "SNTPServer", "127.0.0.1");
  ini.WriteDate("Parameters", "FromDate", EncodeDate(2024, 3, 5) + 0.5);
  ini.WriteTime("Parameters", "AlarmTime", 45000 + EncodeTime(17, 30, 0, 0));
  ini.WriteFloat("History", "ThisYear", 1e-5);
  ini.WriteFlag("Form", "InitMax", true);
  EXPECT_EQ(ReadBytes(SettingsFilePath()),
            "[Parameters]\r\nWatts=107.125\r\nUnitFee=0.3\r\nAutoSNTP=0\r\nSNTPServer=127.0.0.1\r\n"
            "FromDate=3/5/2024\r\nAlarmTime=5:30:00 PM\r\n[History]\r\nThisYear=1E-5\r\n"
            "[Form]\r\nInitMax=1\r\n");

  SettingsFile again(SettingsFilePath());
  EXPECT_EQ(again.ReadFloat("parameters", "WATTS", 30), 107.125);
  EXPECT_EQ(again.ReadFloat("Parameters", "UnitFee", 2.59), 0.3);
  EXPECT_EQ(again.ReadFlag("Parameters", "AutoSNTP", true), false);
  EXPECT_EQ(again.ReadText("Parameters", "SNTPServer", "x"), "127.0.0.1");
  EXPECT_EQ(again.ReadDate("Parameters", "FromDate", 0), EncodeDate(2024, 3, 5));
  EXPECT_EQ(again.ReadTime("Parameters", "AlarmTime", 10), EncodeTime(17, 30, 0, 0));
  EXPECT_EQ(again.ReadFloat("History", "ThisYear", 0), 1e-5);
  EXPECT_EQ(again.ReadFlag("Form", "InitMax", false), true);
}

TEST_F(SettingsFileTest, UnreadableValuesGiveTheDefault) {
  WriteBytes(SettingsFilePath(),
             "[Parameters]\r\nWatts=abc\r\nUnitFee=\r\nUnitCo2= 0.5 \r\nAutoSNTP=0\r\n"
             "FromDate=2024/3/5\r\nAlarmTime=25:00:00\r\nSNTPServer=\r\n"
             "[Form]\r\nInitMax=0x10\r\nOther=yes\r\n");
  SettingsFile ini(SettingsFilePath());
  EXPECT_EQ(ini.ReadFloat("Parameters", "Watts", 30), 30.0);
  EXPECT_EQ(ini.ReadFloat("Parameters", "UnitFee", 2.59), 2.59);
  EXPECT_EQ(ini.ReadFloat("Parameters", "UnitCo2", 0.637), 0.5);
  EXPECT_EQ(ini.ReadFlag("Parameters", "AutoSNTP", true), false);
  EXPECT_EQ(ini.ReadDate("Parameters", "FromDate", 0), 0.0);
  EXPECT_EQ(ini.ReadTime("Parameters", "AlarmTime", 10), 10.0);
  EXPECT_EQ(ini.ReadText("Parameters", "SNTPServer", "x"), "");
  EXPECT_EQ(ini.ReadFlag("Form", "InitMax", false), true);
  EXPECT_EQ(ini.ReadFlag("Form", "Other", false), false);
  EXPECT_EQ(ini.ReadFlag("Form", "Other", true), true);

  // A comma-decimal user reads a full-stop number as unreadable, and writes commas.
  FormatSettings comma;
  comma.decimal_separator = ',';
  SetFormatSettingsForTesting(comma);
  ini.WriteFloat("Parameters", "UnitFee", 2.5);
  EXPECT_EQ(ini.ReadFloat("Parameters", "UnitCo2", 0.637), 0.637);
  EXPECT_EQ(ini.ReadFloat("Parameters", "UnitFee", 0), 2.5);
  EXPECT_NE(ReadBytes(SettingsFilePath()).find("UnitFee=2,5\r\n"), std::string::npos);
  SetFormatSettingsForTesting(FormatSettings{});
  EXPECT_EQ(ini.ReadFloat("Parameters", "UnitFee", 2.59), 2.59);
}

TEST_F(SettingsFileTest, LongTextIsCutAt2047) {
  SettingsFile ini(SettingsFilePath());
  ini.WriteText("Parameters", "SNTPServer", std::string(3000, 'a'));
  EXPECT_EQ(ini.ReadText("Parameters", "SNTPServer", ""), std::string(2047, 'a'));
}

TEST_F(SettingsFileTest, RefusedWriteRaisesWithThePath) {
  // A folder that is a regular file: no system lets a file be made beneath it.
  WriteBytes(Path("plain"), "x");
  const std::string under_file = Path("plain") + (folder_.back() == '\\' ? "\\" : "/") + "W.INI";
  SettingsFile refused(under_file);
  try {
    refused.WriteFloat("Parameters", "Watts", 1);
    FAIL() << "no error";
  } catch (const IniFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + under_file);
  }
  EXPECT_EQ(refused.ReadFloat("Parameters", "Watts", 30), 30.0);

  // Keys written before the refusal stay written: write two, make the file's path a
  // folder so the third write is refused, then put the file back.
  SettingsFile ini(SettingsFilePath());
  ini.WriteFloat("Parameters", "Watts", 45);
  ini.WriteFloat("Parameters", "UnitFee", 3);
  std::filesystem::rename(test::FsPath(SettingsFilePath()), folder_path_ / "kept");
  std::filesystem::create_directory(test::FsPath(SettingsFilePath()));
  EXPECT_THROW(ini.WriteFloat("Parameters", "UnitCo2", 1), IniFileError);
  std::filesystem::remove(test::FsPath(SettingsFilePath()));
  std::filesystem::rename(folder_path_ / "kept", test::FsPath(SettingsFilePath()));
  EXPECT_EQ(ReadBytes(SettingsFilePath()), "[Parameters]\r\nWatts=45\r\nUnitFee=3\r\n");
}

TEST_F(SettingsFileTest, ResetRecordFileWrites568ZeroBytes) {
  const std::string path = Path("MYREC.FIL");
  WriteBytes(path, std::string(1000, '\xFF'));
  ResetRecordFile();
  EXPECT_EQ(ReadBytes(path), std::string(568, '\0'));
  // Closed: the file can go at once (Windows refuses while a handle is open).
  EXPECT_TRUE(std::filesystem::remove(test::FsPath(path)));
  ResetRecordFile();
  EXPECT_EQ(ReadBytes(path).size(), 568u);

  SetProgramFolderForTesting(Path("missing") + folder_.back());
  try {
    ResetRecordFile();
    FAIL() << "no error";
  } catch (const InOutError& e) {
    EXPECT_NE(e.code(), 0u);
    EXPECT_EQ(std::string(e.what()), InOutErrorMessage(e.code()));
  }
  // A folder of that name cannot be replaced by the file.
  SetProgramFolderForTesting(folder_);
  std::filesystem::remove(test::FsPath(path));
  std::filesystem::create_directory(test::FsPath(path));
  EXPECT_THROW(ResetRecordFile(), InOutError);
}

}  // namespace
}  // namespace wd
