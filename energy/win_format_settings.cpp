// The user's regional format settings from the user locale.
#include "energy/win_format_settings.h"

#include <windows.h>

#include "platform/text.h"

namespace wd {
namespace {

class LocaleReader {
 public:
  // nullptr: the user locale with the user's changes.
  explicit LocaleReader(const wchar_t* name)
      : name_(name ? name : LOCALE_NAME_USER_DEFAULT), flags_(name ? LOCALE_NOUSEROVERRIDE : 0) {}

  std::string Text(LCTYPE type, const std::string& fallback) const {
    wchar_t wide[128];
    const int n = GetLocaleInfoEx(name_, type | flags_, wide, 128);
    if (n <= 1) return fallback;
    return win::Narrow(std::wstring_view(wide, static_cast<size_t>(n - 1)));
  }

  // A one-character separator; a longer or non-ASCII one keeps the default.
  char Char(LCTYPE type, char fallback) const {
    const std::string text = Text(type, "");
    if (text.size() == 1 && static_cast<unsigned char>(text[0]) < 128) return text[0];
    return fallback;
  }

  FormatSettings Settings() const {
    FormatSettings fs;
    fs.decimal_separator = Char(LOCALE_SDECIMAL, fs.decimal_separator);
    fs.short_date_format = Text(LOCALE_SSHORTDATE, fs.short_date_format);
    fs.date_separator = Char(LOCALE_SDATE, fs.date_separator);
    fs.long_time_format = Text(LOCALE_STIMEFORMAT, fs.long_time_format);
    fs.time_separator = Char(LOCALE_STIME, fs.time_separator);
    fs.time_am = Text(LOCALE_S1159, "");
    fs.time_pm = Text(LOCALE_S2359, "");
    return fs;
  }

 private:
  const wchar_t* name_;
  LCTYPE flags_;
};

}  // namespace

FormatSettings ReadUserFormatSettings() {
  return LocaleReader(nullptr).Settings();
}

FormatSettings ReadLocaleFormatSettings(const std::string& name) {
  const std::wstring wide = win::Widen(name);
  return LocaleReader(wide.c_str()).Settings();
}

}  // namespace wd
