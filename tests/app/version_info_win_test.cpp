// The version information of the program and of its installer as Windows reads it
// (VerQueryValue) for the file's properties: a block in Traditional Chinese and one in
// English, both listed in the translations. The program has one version resource with
// both blocks; NSIS gives the installer one per language, each with its own block.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "resources/version.h"

namespace {

// Every version resource of the file named by the environment variable `env`, each in a
// block of its own (VerQueryValue works on a copy of the resource).
std::vector<std::vector<BYTE>> VersionResources(const char* env) {
  std::vector<std::vector<BYTE>> found;
  const char* path = std::getenv(env);
  if (path == nullptr) return found;
  wd::win::Module file(::LoadLibraryExW(wd::win::Widen(path).c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!file) return found;
  std::vector<WORD> languages;
  ::EnumResourceLanguagesW(
      file.get(), RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
      [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) -> BOOL {
        reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&languages));
  for (WORD language : languages) {
    HRSRC info =
        ::FindResourceExW(file.get(), RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), language);
    HGLOBAL loaded = info ? ::LoadResource(file.get(), info) : nullptr;
    const auto* bytes = static_cast<const BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
    if (bytes) found.emplace_back(bytes, bytes + ::SizeofResource(file.get(), info));
  }
  return found;
}

// The value at `path` in whichever version resource has it.
std::string Value(std::vector<std::vector<BYTE>>& resources, const std::wstring& path) {
  for (std::vector<BYTE>& block : resources) {
    void* data = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(block.data(), path.c_str(), &data, &length) && length != 0)
      return wd::win::Narrow(static_cast<const wchar_t*>(data));
  }
  return "<none>";
}

const char* const kFiles[] = {"WD_PROGRAM", "WD_SETUP"};

TEST(VersionInfoTest, BothFilesListTraditionalChineseAndEnglish) {
  for (const char* file : kFiles) {
    SCOPED_TRACE(file);
    std::vector<std::vector<BYTE>> resources = VersionResources(file);
    ASSERT_FALSE(resources.empty()) << "no version information";
    for (std::vector<BYTE>& block : resources) {
      void* data = nullptr;
      UINT length = 0;
      ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length));
      std::vector<std::string> translations;
      for (UINT i = 0; i + 4 <= length; i += 4) {
        const auto* pair = static_cast<const WORD*>(data) + i / 2;
        char name[9];
        std::snprintf(name, sizeof name, "%04x%04x", pair[0], pair[1]);
        translations.push_back(name);
      }
      std::sort(translations.begin(), translations.end());
      EXPECT_EQ(translations, (std::vector<std::string>{"040404b0", "040904b0"}));
    }
  }
}

TEST(VersionInfoTest, EachLanguageShowsNameDescriptionVersionAndCopyright) {
  const std::string version = WD_VERSION_TEXT, year = WD_COPYRIGHT_YEAR;
  struct Case {
    const char* file;
    const wchar_t* language;
    const wchar_t* key;
    std::string expected;
  };
  const Case cases[] = {
      {"WD_PROGRAM", L"040404b0", L"ProductName", "WattDial"},
      {"WD_PROGRAM", L"040404b0", L"FileDescription", "WattDial 能源耗用螢幕保護程式"},
      {"WD_PROGRAM", L"040404b0", L"FileVersion", version},
      {"WD_PROGRAM", L"040404b0", L"LegalCopyright", "著作權所有 © " + year + " WattDial 開發者"},
      {"WD_PROGRAM", L"040904b0", L"ProductName", "WattDial"},
      {"WD_PROGRAM", L"040904b0", L"FileDescription", "WattDial energy use screen saver"},
      {"WD_PROGRAM", L"040904b0", L"FileVersion", version},
      {"WD_PROGRAM", L"040904b0", L"LegalCopyright",
       "Copyright © " + year + " the WattDial developers"},
      {"WD_SETUP", L"040404b0", L"ProductName", "WattDial"},
      {"WD_SETUP", L"040404b0", L"FileDescription", "WattDial 能源耗用螢幕保護程式 安裝程式"},
      {"WD_SETUP", L"040404b0", L"FileVersion", version},
      {"WD_SETUP", L"040404b0", L"LegalCopyright", "著作權所有 © " + year + " WattDial 開發者"},
      {"WD_SETUP", L"040904b0", L"ProductName", "WattDial"},
      {"WD_SETUP", L"040904b0", L"FileDescription", "WattDial energy use screen saver setup"},
      {"WD_SETUP", L"040904b0", L"FileVersion", version},
      {"WD_SETUP", L"040904b0", L"LegalCopyright",
       "Copyright © " + year + " the WattDial developers"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + wd::win::Narrow(c.language) + " " +
                 wd::win::Narrow(c.key));
    std::vector<std::vector<BYTE>> resources = VersionResources(c.file);
    ASSERT_FALSE(resources.empty());
    EXPECT_EQ(Value(resources, std::wstring(L"\\StringFileInfo\\") + c.language + L"\\" + c.key),
              c.expected);
  }
}

}  // namespace
