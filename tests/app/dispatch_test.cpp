#include "app/dispatch.h"

#include <gtest/gtest.h>

#include "saver/exit_rule.h"
#include "saver/list_file.h"

namespace wd {
namespace {

using app::ChooseMode;
using app::Mode;

TEST(ChooseMode, ComparesTheFirstTwoCharactersLowerCased) {
  EXPECT_EQ(ChooseMode({}).mode, Mode::kConfigure);
  EXPECT_EQ(ChooseMode({L"/c"}).mode, Mode::kConfigure);
  EXPECT_EQ(ChooseMode({L"/C:1234"}).mode, Mode::kConfigure);
  EXPECT_EQ(ChooseMode({L"/c", L"1234"}).mode, Mode::kConfigure);
  EXPECT_EQ(ChooseMode({L"/p"}).mode, Mode::kPreview);
  EXPECT_EQ(ChooseMode({L"/P", L"1234"}).mode, Mode::kPreview);
  EXPECT_EQ(ChooseMode({L"/s"}).mode, Mode::kSaver);
  EXPECT_EQ(ChooseMode({L"/S"}).mode, Mode::kSaver);
  EXPECT_EQ(ChooseMode({L"/scr"}).mode, Mode::kSaver);
  EXPECT_EQ(ChooseMode({L"/scr"}).mode_switch, L"/s");
}

TEST(ChooseMode, AnythingElseShowsTheWholeFirstArgument) {
  for (const std::wstring arg : {L"/a", L"-s", L"/", L"", L"s/", L"/Ärger", L"/x y"}) {
    const app::ModeChoice choice = ChooseMode({arg, L"/s"});
    EXPECT_EQ(choice.mode, Mode::kUnknown) << arg.size();
    EXPECT_EQ(choice.message, L"ParamStr(1)=" + arg);
  }
  // Only ASCII letters are lower-cased; nothing else matches a switch.
  EXPECT_EQ(ChooseMode({L"\uFF0Fs"}).mode, Mode::kUnknown);
}

TEST(MouseExitRule, FirstMoveRecordsThenMoreThanTwoPixelsEnds) {
  saver::MouseExitRule rule;
  EXPECT_FALSE(rule.OnMove(-5000, 90000));  // however far, the first only records
  EXPECT_FALSE(rule.OnMove(-5000 + 2, 90000 - 2));
  EXPECT_FALSE(rule.OnMove(-5000 - 2, 90000 + 2));
  EXPECT_TRUE(rule.OnMove(-5000 + 3, 90000));
  EXPECT_TRUE(rule.OnMove(-5000, 90000 - 3));

  // The reference never moves: a slow drift adds up and ends the saver.
  saver::MouseExitRule drift;
  EXPECT_FALSE(drift.OnMove(100, 100));
  EXPECT_FALSE(drift.OnMove(101, 100));
  EXPECT_FALSE(drift.OnMove(102, 100));
  EXPECT_TRUE(drift.OnMove(103, 100));

  // Extreme coordinates do not overflow the difference.
  saver::MouseExitRule extreme;
  EXPECT_FALSE(extreme.OnMove(INT32_MIN, INT32_MAX));
  EXPECT_TRUE(extreme.OnMove(INT32_MAX, INT32_MIN));
}

TEST(ListFile, PathAndLines) {
  EXPECT_EQ(saver::ListFilePath(L"C:\\Saver\\WattDial.scr"), L"C:\\Saver\\WattDial.lst");
  EXPECT_EQ(saver::ListFilePath(L"C:\\Saver\\WattDial"), L"C:\\Saver\\WattDial.lst");
  EXPECT_EQ(saver::ListFilePath(L"C:\\my.dir\\WattDial"), L"C:\\my.dir\\WattDial.lst");
  EXPECT_EQ(saver::ListFilePath(L"C:\\a\\b.c.scr"), L"C:\\a\\b.c.lst");
  EXPECT_EQ(saver::SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(saver::SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(saver::SplitLines("").empty());
}

}  // namespace
}  // namespace wd
