// The settings' text forms (numbers, flags, dates and times) read from any text, under
// the formats of real locales and under formats taken from the input. A text that
// reads as a value must read back as that value once written in the same format.
#include <cmath>
#include <string>

#include "energy/format_settings.h"
#include "fuzz/targets.h"

namespace wd::fuzz {
namespace {

struct LocaleFormat {
  const char* short_date;
  char date_separator;
  const char* long_time;
  const char* am;
  const char* pm;
  char decimal;
};

// What real locales have: en-US, zh-TW, de-DE, hu-HU, lv-LV, bg-BG, ar-SA, nds, fr-CA, ko-KR,
// ga-IE, es-CO.
const LocaleFormat kLocales[] = {
    {"M/d/yyyy", '/', "h:mm:ss tt", "AM", "PM", '.'},
    {"yyyy/M/d", '/', "tt hh:mm:ss", "上午", "下午", '.'},
    {"dd.MM.yyyy", '.', "HH:mm:ss", "", "", ','},
    {"yyyy. MM. dd.", '.', "H:mm:ss", "de.", "du.", ','},
    {"d.MM.yyyy.", '.', "HH:mm:ss", "priekšp.", "pēcp.", ','},
    {"d.MM.yyyy 'г'.", '.', "H:mm:ss 'ч'.", "пр.об.", "сл.об.", ','},
    {"d\u200f/M\u200f/yyyy", '/', "h:mm:ss tt", "ص", "م", '.'},
    {"d.M.yyyy", '.', "'Klock' H.mm:ss", "vm", "nm", ','},
    {"yyyy-MM-dd", '-', "HH 'h' mm 'min' ss 's'", "a.m.", "p.m.", ','},
    {"yyyy. M. d.", '.', "tt h:mm:ss", "오전", "오후", '.'},
    {"dd/MM/yyyy", '/', "tt 'ga' h:mm:ss", "r.n.", "i.n.", '.'},
    {"d/MM/yyyy", '/', "h:mm:ss tt", "a. m.", "p. m.", ','},
};

FormatSettings Settings(const LocaleFormat& l) {
  FormatSettings fs;
  fs.short_date_format = l.short_date;
  fs.date_separator = l.date_separator;
  fs.long_time_format = l.long_time;
  fs.time_am = l.am;
  fs.time_pm = l.pm;
  fs.decimal_separator = l.decimal;
  return fs;
}

void CheckText(const std::string& text, const FormatSettings& fs, bool round_trip) {
  if (const auto value = TryTextToFloat(text, fs); value && std::isfinite(*value)) {
    const auto back = TryTextToFloat(FloatToText(*value, fs), fs);
    Expect(back.has_value(), "a written float reads");
    Expect(std::fabs(*back - *value) <= std::fabs(*value) * 1e-14, "a float reads back");
  }
  TryTextToInt(text);
  if (const auto date = ParseShortDate(text, fs)) {
    Expect(*date == std::floor(*date), "a date is at midnight");
    if (round_trip)
      Expect(ParseShortDate(FormatShortDate(*date, fs), fs) == date, "a date reads back");
  }
  if (const auto time = ParseTime(text, fs)) {
    Expect(*time >= 0 && *time < 1, "a time has no date part");
    if (round_trip) Expect(ParseTime(FormatLongTime(*time, fs), fs) == time, "a time reads back");
  }
}

}  // namespace

// Byte 0 chooses: a real locale's formats and the rest as the text, or (past the table)
// the short date and long time formats from the input up to the first and second NUL.
int SettingsText(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t choice = data[0];
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  constexpr size_t kCount = sizeof kLocales / sizeof kLocales[0];
  if (choice < kCount * 8) {
    CheckText(rest, Settings(kLocales[choice % kCount]), true);
    return 0;
  }
  FormatSettings fs;
  const size_t first = rest.find('\0');
  if (first == std::string::npos) return 0;
  const size_t second = rest.find('\0', first + 1);
  if (second == std::string::npos) return 0;
  fs.short_date_format = rest.substr(0, first);
  fs.long_time_format = rest.substr(first + 1, second - first - 1);
  // Any format writes something for every date and time.
  FormatShortDate(EncodeDate(2024, 12, 31) + 0.5, fs);
  FormatLongTime(EncodeTime(23, 59, 59, 0), fs);
  CheckText(rest.substr(second + 1), fs, false);
  return 0;
}

}  // namespace wd::fuzz
