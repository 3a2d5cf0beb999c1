#include "common/file_name.h"

#include <gtest/gtest.h>

namespace wd {
namespace {

TEST(FileName, FolderKeepsItsSeparator) {
  EXPECT_EQ(FolderOf(L"C:\\Program Files\\WattDial\\WattDial.scr"),
            L"C:\\Program Files\\WattDial\\");
  EXPECT_EQ(FolderOf(L"/tmp/x/WattDial.scr"), L"/tmp/x/");
  EXPECT_EQ(FolderOf(L"C:WattDial.scr"), L"C:");
  EXPECT_EQ(FolderOf(L"WattDial.scr"), L"");
}

TEST(FileName, NameFollowsTheLastSeparator) {
  EXPECT_EQ(FileNameOf(L"C:\\a.b\\WattDial.scr"), L"WattDial.scr");
  EXPECT_EQ(FileNameOf(L"WattDial.scr"), L"WattDial.scr");
  EXPECT_EQ(FileNameOf(L"C:\\a\\"), L"");
}

TEST(FileName, ExtensionOfTheLastPartOnly) {
  EXPECT_EQ(WithoutExtension(L"C:\\a\\WattDial.scr"), L"C:\\a\\WattDial");
  EXPECT_EQ(WithoutExtension(L"C:\\a.b\\WattDial"), L"C:\\a.b\\WattDial");
  EXPECT_EQ(WithoutExtension(L"archive.tar.gz"), L"archive.tar");
  EXPECT_EQ(WithoutExtension(L""), L"");
}

}  // namespace
}  // namespace wd
