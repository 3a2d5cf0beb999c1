// The background picture leaves room for the from-date of every locale: the widest
// short date any locale writes, in the label's font, fits between the label's right
// edge and the 自 that opens its sentence.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "saver/layout.h"

namespace wd::saver {
namespace {

struct Widest {
  int width = 0;
  std::wstring locale;
  std::wstring text;
};

TEST(DateRoom, TheWidestShortDateOfAnyLocaleFitsBeforeTheSentence) {
  std::vector<std::wstring> locales;
  ::EnumSystemLocalesEx(
      [](LPWSTR name, DWORD, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(name);
        return TRUE;
      },
      LOCALE_ALL, reinterpret_cast<LPARAM>(&locales), nullptr);
  ASSERT_GT(locales.size(), 200u);

  // The label's font: Arial, 19 px character height.
  LOGFONTW font{};
  font.lfHeight = -kLabelPlaces[kFromdate].font_height;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = ANTIALIASED_QUALITY;
  wcscpy_s(font.lfFaceName, L"Arial");
  win::GdiObject arial(::CreateFontIndirectW(&font));
  win::MemoryDc dc(::CreateCompatibleDC(nullptr));
  win::SelectGuard selected(dc.get(), arial.get());

  // Two-digit days and months, the longest a date gets.
  std::vector<SYSTEMTIME> dates(2);
  dates[0].wYear = 2026, dates[0].wMonth = 12, dates[0].wDay = 28;
  dates[1].wYear = 2038, dates[1].wMonth = 10, dates[1].wDay = 30;
  Widest widest;
  int with_literal_text = 0;
  for (const std::wstring& locale : locales) {
    wchar_t pattern[128] = {};
    if (!::GetLocaleInfoEx(locale.c_str(), LOCALE_SSHORTDATE, pattern, 128)) continue;
    with_literal_text += std::wstring(pattern).find(L'\'') != std::wstring::npos;
    for (const SYSTEMTIME& date : dates) {
      wchar_t text[256] = {};
      if (!::GetDateFormatEx(locale.c_str(), 0, &date, pattern, text, 256, nullptr)) continue;
      SIZE size{};
      ::GetTextExtentPoint32W(dc.get(), text, static_cast<int>(wcslen(text)), &size);
      if (size.cx > widest.width) widest = {static_cast<int>(size.cx), locale, text};
    }
  }
  EXPECT_GT(with_literal_text, 0) << "locales such as bg-BG write text in their dates";
  // Wider than a plain "2026/12/28": the locales with spaces and text set the room.
  SIZE plain{};
  ::GetTextExtentPoint32W(dc.get(), L"2026/12/28", 10, &plain);
  EXPECT_GT(widest.width, plain.cx);
  EXPECT_LE(widest.width, kDateRoom - kDateGap)
      << win::Narrow(widest.locale) << ": " << win::Narrow(widest.text);
}

}  // namespace
}  // namespace wd::saver
