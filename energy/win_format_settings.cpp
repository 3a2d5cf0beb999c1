// The user's regional format settings from the user locale.
#include <windows.h>

#include "energy/format_settings.h"
#include "platform/text.h"

namespace wd {
namespace {

std::string LocaleText(LCTYPE type, const std::string& fallback) {
  wchar_t wide[128];
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, wide, 128);
  if (n <= 1) return fallback;
  return win::Narrow(std::wstring_view(wide, static_cast<size_t>(n - 1)));
}

// A one-character separator; a longer or non-ASCII one keeps the default.
char LocaleChar(LCTYPE type, char fallback) {
  const std::string text = LocaleText(type, "");
  if (text.size() == 1 && static_cast<unsigned char>(text[0]) < 128) return text[0];
  return fallback;
}

}  // namespace

FormatSettings ReadUserFormatSettings() {
  FormatSettings fs;
  fs.decimal_separator = LocaleChar(LOCALE_SDECIMAL, fs.decimal_separator);
  fs.short_date_format = LocaleText(LOCALE_SSHORTDATE, fs.short_date_format);
  fs.date_separator = LocaleChar(LOCALE_SDATE, fs.date_separator);
  fs.long_time_format = LocaleText(LOCALE_STIMEFORMAT, fs.long_time_format);
  fs.time_separator = LocaleChar(LOCALE_STIME, fs.time_separator);
  fs.time_am = LocaleText(LOCALE_S1159, "");
  fs.time_pm = LocaleText(LOCALE_S2359, "");
  return fs;
}

}  // namespace wd
