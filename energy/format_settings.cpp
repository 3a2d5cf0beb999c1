#include "energy/format_settings.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "common/errors.h"

namespace wd {
namespace {

std::optional<FormatSettings> g_test_settings;

const char* const kMonthNames[12] = {"January",   "February", "March",    "April",
                                     "May",       "June",     "July",     "August",
                                     "September", "October",  "November", "December"};
const char* const kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};

std::string Number(int value, int min_digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", min_digits, value);
  return buf;
}

// The first character (a whole UTF-8 sequence) of a text.
std::string FirstCharacter(const std::string& text) {
  if (text.empty()) return text;
  size_t n = 1;
  while (n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) ++n;
  return text.substr(0, n);
}

// Expands a date or time pattern for the given calendar fields.
std::string FormatPattern(const std::string& pattern, const CalendarTime& t,
                          const FormatSettings& fs) {
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'') {
      const size_t end = pattern.find('\'', i + 1);
      out += pattern.substr(i + 1, (end == std::string::npos ? pattern.size() : end) - i - 1);
      i = end == std::string::npos ? pattern.size() : end + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    switch (c) {
      case 'd':
        if (run <= 2)
          out += Number(t.day, static_cast<int>(run));
        else
          out += run == 3 ? std::string(kDayNames[t.day_of_week]).substr(0, 3)
                          : kDayNames[t.day_of_week];
        break;
      case 'M':
        if (run <= 2)
          out += Number(t.month, static_cast<int>(run));
        else
          out += run == 3 ? std::string(kMonthNames[t.month - 1]).substr(0, 3)
                          : kMonthNames[t.month - 1];
        break;
      case 'y':
        if (run <= 2)
          out += Number(t.year % 100, static_cast<int>(run));
        else
          out += Number(t.year, 4);
        break;
      case 'h':
        out += Number(t.hour % 12 == 0 ? 12 : t.hour % 12, run >= 2 ? 2 : 1);
        break;
      case 'H':
        out += Number(t.hour, run >= 2 ? 2 : 1);
        break;
      case 'm':
        out += Number(t.minute, run >= 2 ? 2 : 1);
        break;
      case 's':
        out += Number(t.second, run >= 2 ? 2 : 1);
        break;
      case 't': {
        const std::string& designator = t.hour < 12 ? fs.time_am : fs.time_pm;
        out += run >= 2 ? designator : FirstCharacter(designator);
        break;
      }
      case '/':
        out.append(run, fs.date_separator);
        break;
      case ':':
        out.append(run, fs.time_separator);
        break;
      default:
        out.append(run, c);
    }
    i += run;
  }
  return out;
}

class Scanner {
 public:
  explicit Scanner(const std::string& text) : text_(text) {}
  void SkipSpaces() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  bool AtEnd() const { return pos_ == text_.size(); }
  bool Char(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  // One to nine decimal digits.
  bool Number(int& value, int& digits) {
    value = 0;
    digits = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      if (++digits > 9) return false;
      value = value * 10 + (text_[pos_++] - '0');
    }
    return digits > 0;
  }
  // A prefix compared without regard to ASCII letter case.
  bool Word(const std::string& word) {
    if (word.empty() || text_.size() - pos_ < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
      const unsigned char a = static_cast<unsigned char>(text_[pos_ + i]);
      const unsigned char b = static_cast<unsigned char>(word[i]);
      if (a != b && !(a < 128 && b < 128 && std::tolower(a) == std::tolower(b))) return false;
    }
    pos_ += word.size();
    return true;
  }

 private:
  const std::string& text_;
  size_t pos_ = 0;
};

// 0 none, 1 AM, 2 PM.
int ScanDesignator(Scanner& s, const FormatSettings& fs) {
  if (s.Word(fs.time_am)) return 1;
  if (s.Word(fs.time_pm)) return 2;
  if (s.Word("AM")) return 1;
  if (s.Word("PM")) return 2;
  return 0;
}

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
  return FormatPattern(fs.short_date_format, DecodeDateTime(value), fs);
}

std::string FormatLongTime(DateTime value, const FormatSettings& fs) {
  return FormatPattern(fs.long_time_format, DecodeDateTime(value), fs);
}

std::optional<DateTime> ParseShortDate(const std::string& text, const FormatSettings& fs) {
  // The order of day, month and year as the short date pattern has them.
  std::string order;
  bool quoted = false;
  for (char c : fs.short_date_format) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && (c == 'd' || c == 'M' || c == 'y') && order.find(c) == std::string::npos) {
      order += c;
    }
  }
  if (order.size() != 3) order = "Mdy";

  Scanner s(text);
  int numbers[3], digits[3];
  s.SkipSpaces();
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      s.SkipSpaces();
      if (!s.Char(fs.date_separator)) return std::nullopt;
      s.SkipSpaces();
    }
    if (!s.Number(numbers[i], digits[i])) return std::nullopt;
  }
  s.SkipSpaces();
  if (!s.AtEnd()) return std::nullopt;

  int year = 0, month = 0, day = 0;
  for (int i = 0; i < 3; ++i) {
    if (order[i] == 'y') {
      year = numbers[i];
      // Two-digit years fall in 1930..2029, the Windows default window.
      if (digits[i] <= 2) year += year < 30 ? 2000 : 1900;
    } else if (order[i] == 'M') {
      month = numbers[i];
    } else {
      day = numbers[i];
    }
  }
  if (!IsValidDate(year, month, day)) return std::nullopt;
  return EncodeDate(year, month, day);
}

std::optional<DateTime> ParseTime(const std::string& text, const FormatSettings& fs) {
  Scanner s(text);
  s.SkipSpaces();
  int designator = ScanDesignator(s, fs);
  s.SkipSpaces();
  int hour, minute, second = 0, digits;
  if (!s.Number(hour, digits) || !s.Char(fs.time_separator) || !s.Number(minute, digits)) {
    return std::nullopt;
  }
  if (s.Char(fs.time_separator) && !s.Number(second, digits)) return std::nullopt;
  s.SkipSpaces();
  if (designator == 0) {
    designator = ScanDesignator(s, fs);
    s.SkipSpaces();
  }
  if (!s.AtEnd()) return std::nullopt;
  if (designator != 0) {
    if (hour > 12) return std::nullopt;
    if (hour == 12) hour = 0;
    if (designator == 2) hour += 12;
  }
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  return EncodeTime(hour, minute, second, 0);
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
