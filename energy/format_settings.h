// The user's regional format settings and the text forms built on them: figures shown
// on the dashboard, and the float, flag, date and time texts of the settings file.
// Texts are UTF-8.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/datetime.h"

namespace wd {

// Patterns use the Windows pattern letters: d, dd (day), M, MM (month), y, yy, yyyy (year),
// h, hh (12-hour), H, HH (24-hour), m, mm, s, ss, t, tt (AM/PM designator), text in single
// quotes taken literally. "/" stands for the date separator and ":" for the time separator.
struct FormatSettings {
  char decimal_separator = '.';
  std::string short_date_format = "M/d/yyyy";
  char date_separator = '/';
  std::string long_time_format = "h:mm:ss tt";
  char time_separator = ':';
  std::string time_am = "AM";
  std::string time_pm = "PM";
};

// The user's settings: on Windows read once from the user locale; elsewhere en-US-like
// defaults. A test may put its own in place; std::nullopt restores the user's.
const FormatSettings& CurrentFormatSettings();
void SetFormatSettingsForTesting(std::optional<FormatSettings> settings);
// The platform's own reading of the user locale (Windows), or the defaults.
FormatSettings ReadUserFormatSettings();

// "%3.3f" with the user's decimal separator.
std::string FormatFigure(double value);
std::string FormatFigure(double value, const FormatSettings& fs);

// The date part in the short date format; the time of day is dropped.
std::string FormatShortDate(DateTime value);
std::string FormatShortDate(DateTime value, const FormatSettings& fs);
// The time of day in the long time format; the date part is dropped.
std::string FormatLongTime(DateTime value, const FormatSettings& fs);

// A text in the short date format, as FormatShortDate writes it: its literal and quoted
// text, with leading zeros or none, spaces around each piece ignored; the date at
// midnight.
std::optional<DateTime> ParseShortDate(const std::string& text, const FormatSettings& fs);
// A text in the long time format, as FormatLongTime writes it, or without its seconds;
// the AM/PM designator where the format has it, or before or after the time when the
// format has none there; a time of day with date part 0.
std::optional<DateTime> ParseTime(const std::string& text, const FormatSettings& fs);

// What a text reads back as once stored in a file that holds a narrower character set
// (characters it cannot hold become what the store makes of them, such as "?").
using TextKeeper = std::function<std::string(const std::string&)>;
// A date or time written in `fs` and stored: read in `fs`, or else in `fs` as the file
// keeps its formats (bg-BG's short date has a narrow no-break space, which an ANSI code
// page turns into "?" in the text and would in the format).
std::optional<DateTime> ParseKeptShortDate(const std::string& text, const FormatSettings& fs,
                                           const TextKeeper& keep);
std::optional<DateTime> ParseKeptTime(const std::string& text, const FormatSettings& fs,
                                      const TextKeeper& keep);

// A float rounded to 15 significant digits, no trailing zeros, plain between 0.0001 and
// 10^15 and otherwise one digit, the fraction and "E" with the power of ten.
std::string FloatToText(double value, const FormatSettings& fs);
// Optional spaces, sign, digits with at most one decimal separator, optional exponent,
// optional spaces; anything else is no number.
std::optional<double> TryTextToFloat(const std::string& text, const FormatSettings& fs);
// As TryTextToFloat; raises ConvertError "'%s' is not a valid floating point value".
double TextToFloat(const std::string& text, const FormatSettings& fs);
// A 32-bit integer in decimal, or hexadecimal after "0x"/"0X" in a text longer than two.
std::optional<int32_t> TryTextToInt(const std::string& text);

}  // namespace wd
