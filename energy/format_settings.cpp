#include "energy/format_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "energy/date_time_pattern.h"

namespace wd {
namespace {

std::optional<FormatSettings> g_test_settings;

}  // namespace

const FormatSettings& CurrentFormatSettings() {
  if (g_test_settings) return *g_test_settings;
  static const FormatSettings user = ReadUserFormatSettings();
  return user;
}

void SetFormatSettingsForTesting(std::optional<FormatSettings> settings) {
  g_test_settings = std::move(settings);
}

std::string FormatFigure(double value) {
  return FormatFigure(value, CurrentFormatSettings());
}

std::string FormatFigure(double value, const FormatSettings& fs) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buf[400];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
  std::string text(buf, result.ptr);
  if (const size_t dot = text.find('.'); dot != std::string::npos) {
    text[dot] = fs.decimal_separator;
  }
  return text;
}

std::string FormatShortDate(DateTime value) {
  return FormatShortDate(value, CurrentFormatSettings());
}

std::string FormatShortDate(DateTime value, const FormatSettings& fs) {
  return ExpandPattern(TokenizePattern(fs.short_date_format, fs), DecodeDateTime(value), fs);
}

std::string FormatLongTime(DateTime value, const FormatSettings& fs) {
  return ExpandPattern(TokenizePattern(fs.long_time_format, fs), DecodeDateTime(value), fs);
}

std::optional<DateTime> ParseShortDate(const std::string& text, const FormatSettings& fs) {
  std::vector<PatternToken> tokens = TokenizePattern(fs.short_date_format, fs);
  const auto has = [&](char letter) {
    return std::any_of(tokens.begin(), tokens.end(),
                       [&](const PatternToken& token) { return token.letter == letter; });
  };
  // A pattern without day, month and year reads as the en-US one.
  if (!has('d') || !has('M') || !has('y')) {
    tokens = TokenizePattern(FormatSettings{}.short_date_format, fs);
  }
  const auto f = MatchPattern(text, tokens, fs);
  if (!f || f->day < 0 || f->month < 0 || f->year < 0) return std::nullopt;
  int year = f->year;
  // Two-digit years fall in 1930..2029, the Windows default window.
  if (f->year_digits <= 2) year += year < 30 ? 2000 : 1900;
  if (!IsValidDate(year, f->month, f->day)) return std::nullopt;
  return EncodeDate(year, f->month, f->day);
}

std::optional<DateTime> ParseTime(const std::string& text, const FormatSettings& fs) {
  const std::vector<PatternToken> tokens = TokenizePattern(fs.long_time_format, fs);
  auto f = MatchPattern(text, tokens, fs, true);
  if (!f || f->hour < 0 || f->minute < 0) {
    // The same time without its seconds: what lies between the minutes and the
    // seconds goes with them.
    const auto is = [](char letter) {
      return [letter](const PatternToken& token) { return token.letter == letter; };
    };
    const auto minutes = std::find_if(tokens.begin(), tokens.end(), is('m'));
    const auto seconds = std::find_if(tokens.begin(), tokens.end(), is('s'));
    if (minutes >= seconds || seconds == tokens.end()) return std::nullopt;
    std::vector<PatternToken> short_tokens(tokens.begin(), minutes + 1);
    short_tokens.insert(short_tokens.end(), seconds + 1, tokens.end());
    f = MatchPattern(text, short_tokens, fs, true);
    if (!f || f->hour < 0 || f->minute < 0) return std::nullopt;
  }
  int hour = f->hour;
  const int second = f->second < 0 ? 0 : f->second;
  if (f->designator != 0) {
    if (hour > 12) return std::nullopt;
    if (hour == 12) hour = 0;
    if (f->designator == 2) hour += 12;
  }
  if (hour > 23 || f->minute > 59 || second > 59) return std::nullopt;
  return EncodeTime(hour, f->minute, second, 0);
}

namespace {

FormatSettings FormatsAsKept(const FormatSettings& fs, const TextKeeper& keep) {
  FormatSettings kept = fs;
  kept.short_date_format = keep(fs.short_date_format);
  kept.long_time_format = keep(fs.long_time_format);
  kept.time_am = keep(fs.time_am);
  kept.time_pm = keep(fs.time_pm);
  return kept;
}

}  // namespace

std::optional<DateTime> ParseKeptShortDate(const std::string& text, const FormatSettings& fs,
                                           const TextKeeper& keep) {
  if (const auto value = ParseShortDate(text, fs)) return value;
  return ParseShortDate(text, FormatsAsKept(fs, keep));
}

std::optional<DateTime> ParseKeptTime(const std::string& text, const FormatSettings& fs,
                                      const TextKeeper& keep) {
  if (const auto value = ParseTime(text, fs)) return value;
  return ParseTime(text, FormatsAsKept(fs, keep));
}

std::string FloatToText(double value, const FormatSettings& fs) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";

  // 15 significant digits, exactly rounded: "d.dddddddddddddde±x".
  char buf[64];
  const auto result =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  const std::string sci(buf, result.ptr);
  const size_t e_pos = sci.find('e');
  std::string digits = sci.substr(0, 1) + sci.substr(2, e_pos - 2);
  const int exponent = std::atoi(sci.c_str() + e_pos + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = value < 0 ? "-" : "";
  if (exponent >= -4 && exponent < 15) {
    if (exponent >= 0) {
      const size_t int_digits = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= int_digits) {
        out += digits + std::string(int_digits - digits.size(), '0');
      } else {
        out += digits.substr(0, int_digits) + fs.decimal_separator + digits.substr(int_digits);
      }
    } else {
      out += std::string("0") + fs.decimal_separator + std::string(-exponent - 1, '0') + digits;
    }
  } else {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += fs.decimal_separator + digits.substr(1);
    out += "E" + std::to_string(exponent);
  }
  return out;
}

std::optional<double> TryTextToFloat(const std::string& text, const FormatSettings& fs) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  std::string number;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') number += '-';
    ++i;
  }
  bool any_digit = false, separator = false;
  for (; i < n; ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      number += text[i];
      any_digit = true;
    } else if (text[i] == fs.decimal_separator && !separator) {
      number += '.';
      separator = true;
    } else {
      break;
    }
  }
  if (!any_digit) return std::nullopt;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    number += 'e';
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
      if (text[i] == '-') number += '-';
      ++i;
    }
    const size_t first = i;
    while (i < n && text[i] >= '0' && text[i] <= '9') number += text[i++];
    if (i == first) return std::nullopt;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return std::nullopt;

  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec != std::errc() || result.ptr != number.data() + number.size()) {
    return std::nullopt;
  }
  return value;
}

double TextToFloat(const std::string& text, const FormatSettings& fs) {
  if (const auto value = TryTextToFloat(text, fs)) return *value;
  throw ConvertError("'" + text + "' is not a valid floating point value");
}

std::optional<int32_t> TryTextToInt(const std::string& text) {
  size_t i = 0;
  const size_t n = text.size();
  if (n > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint64_t value = 0;
    for (i = 2; i < n; ++i) {
      const char c = text[i];
      int digit;
      if (c >= '0' && c <= '9')
        digit = c - '0';
      else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
      else
        return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t first = i;
  int64_t value = 0;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (i == first || i != n) return std::nullopt;
  if (value > (negative ? 2147483648LL : 2147483647LL)) return std::nullopt;
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace wd
