// Every locale the system knows: its real short date and long time formats, and dates
// and times written in them that must read back as the same value.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "energy/format_settings.h"
#include "energy/win_format_settings.h"
#include "platform/text.h"

namespace wd {
namespace {

BOOL CALLBACK AddLocale(LPWSTR name, DWORD, LPARAM list) {
  reinterpret_cast<std::vector<std::string>*>(list)->push_back(win::Narrow(name));
  return TRUE;
}

std::vector<std::string> SystemLocales() {
  std::vector<std::string> names;
  EnumSystemLocalesEx(AddLocale, LOCALE_ALL, reinterpret_cast<LPARAM>(&names), nullptr);
  return names;
}

// Text through the locale's ANSI code page and back, as the settings file keeps it when
// the program runs in that locale (Wine gives a locale without one UTF-8).
TextKeeper ThroughCodePage(const std::string& locale) {
  wchar_t digits[16] = {};
  GetLocaleInfoEx(win::Widen(locale).c_str(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_NOUSEROVERRIDE,
                  digits, 16);
  UINT code_page = static_cast<UINT>(std::wcstoul(digits, nullptr, 10));
  if (code_page == 0) code_page = CP_UTF8;
  return [code_page](const std::string& text) {
    const std::wstring wide = win::Widen(text);
    if (wide.empty()) return std::string();
    const int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n,
                        nullptr, nullptr);
    std::wstring back(static_cast<size_t>(n) * 2 + 1, L'\0');
    const int m = MultiByteToWideChar(code_page, 0, bytes.data(), n, back.data(),
                                      static_cast<int>(back.size()));
    back.resize(static_cast<size_t>(m));
    return win::Narrow(back);
  };
}

size_t CodePoints(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

std::vector<DateTime> Dates() {
  std::vector<DateTime> dates;
  for (int year = 1930; year <= 2099; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day : {1, 9, 10, 28, 29, 30, 31}) {
        if (IsValidDate(year, month, day)) dates.push_back(EncodeDate(year, month, day));
      }
    }
  }
  return dates;
}

// The first date that does not read back, or "" when all do, straight and as the settings
// file keeps it; the longest text written.
struct DateResult {
  std::string failure;
  std::string kept_failure;
  std::string longest;
  DateTime longest_date = 0;
};

DateResult CheckDates(const FormatSettings& fs, const TextKeeper& keep,
                      const std::vector<DateTime>& dates) {
  DateResult result;
  for (DateTime date : dates) {
    // Written with a time of day, which the short date drops.
    const std::string text = FormatShortDate(date + 0.75, fs);
    if (CodePoints(text) > CodePoints(result.longest)) {
      result.longest = text;
      result.longest_date = date;
    }
    if (result.failure.empty() && ParseShortDate(text, fs) != date) result.failure = text;
    if (result.kept_failure.empty() && ParseKeptShortDate(keep(text), fs, keep) != date) {
      result.kept_failure = keep(text);
    }
  }
  return result;
}

std::string CheckTimes(const FormatSettings& fs, const TextKeeper& keep) {
  for (const auto& [h, m, s] :
       std::vector<std::tuple<int, int, int>>{{0, 0, 0}, {9, 5, 7}, {12, 0, 0}, {23, 59, 59}}) {
    const DateTime time = EncodeTime(h, m, s, 0);
    // Written with a date, which the time drops.
    const std::string text = FormatLongTime(45000 + time, fs);
    if (ParseTime(text, fs) != time) return text;
    if (ParseKeptTime(keep(text), fs, keep) != time) return "kept as " + keep(text);
  }
  return "";
}

TEST(AllLocales, DatesAndTimesReadBackAsWritten) {
  const std::vector<std::string> locales = SystemLocales();
  ASSERT_GT(locales.size(), 100u);
  const std::vector<DateTime> dates = Dates();
  // Locales that share a short date pattern and separator write the same dates.
  std::map<std::string, DateResult> by_pattern;
  size_t passing = 0, changed_by_code_page = 0;
  std::string longest, longest_locale;
  DateTime longest_date = 0;
  for (const std::string& name : locales) {
    const FormatSettings fs = ReadLocaleFormatSettings(name);
    const TextKeeper keep = ThroughCodePage(name);
    if (keep(fs.short_date_format) != fs.short_date_format ||
        keep(fs.long_time_format) != fs.long_time_format || keep(fs.time_am) != fs.time_am ||
        keep(fs.time_pm) != fs.time_pm) {
      ++changed_by_code_page;
    }
    // The pattern as kept tells the code pages apart as far as they matter.
    std::string key =
        fs.short_date_format + '\x01' + fs.date_separator + '\x01' + keep(fs.short_date_format);
    if (fs.short_date_format.find('t') != std::string::npos) {
      key += '\x01' + fs.time_am + '\x01' + fs.time_pm;
    }
    auto found = by_pattern.find(key);
    if (found == by_pattern.end())
      found = by_pattern.emplace(key, CheckDates(fs, keep, dates)).first;
    const DateResult& date_result = found->second;
    const std::string time_failure = CheckTimes(fs, keep);
    EXPECT_EQ(date_result.failure, "")
        << name << ": short date " << fs.short_date_format << " does not read back";
    EXPECT_EQ(date_result.kept_failure, "")
        << name << ": short date " << fs.short_date_format << " does not read back once stored";
    EXPECT_EQ(time_failure, "") << name << ": long time " << fs.long_time_format << " ("
                                << fs.time_am << "/" << fs.time_pm << ") does not read back";
    if (date_result.failure.empty() && date_result.kept_failure.empty() && time_failure.empty()) {
      ++passing;
    }
    if (CodePoints(date_result.longest) > CodePoints(longest)) {
      longest = date_result.longest;
      longest_locale = name;
      longest_date = date_result.longest_date;
    }
  }
  const CalendarTime t = DecodeDateTime(longest_date);
  std::printf(
      "%zu locales, %zu read back every date and time, straight and as stored (%zu with "
      "formats their code page changes); %zu short date patterns; longest short date: %zu "
      "characters, \"%s\" (%s, %04d-%02d-%02d)\n",
      locales.size(), passing, changed_by_code_page, by_pattern.size(), CodePoints(longest),
      longest.c_str(), longest_locale.empty() ? "-" : longest_locale.c_str(), t.year, t.month,
      t.day);
}

}  // namespace
}  // namespace wd
