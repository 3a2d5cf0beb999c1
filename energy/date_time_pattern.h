// Date and time patterns in the Windows pattern letters, shared by the writer and the
// reader of the date and time texts so that a reader accepts whatever the writer made.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "energy/format_settings.h"

namespace wd {

// One piece of a pattern: a field (a run of one pattern letter) or literal text
// (quoted text, separators and every other character).
struct PatternToken {
  char letter = 0;  // 0 for literal text
  size_t run = 0;
  std::string text;
};

// "/" becomes the date separator and ":" the time separator; '' is one apostrophe,
// inside quotes or out.
std::vector<PatternToken> TokenizePattern(const std::string& pattern, const FormatSettings& fs);

std::string ExpandPattern(const std::vector<PatternToken>& tokens, const CalendarTime& t,
                          const FormatSettings& fs);

// The fields a text gave, -1 where the pattern has none.
struct PatternFields {
  int year = -1;
  int year_digits = 0;
  int month = -1;
  int day = -1;
  int hour = -1;
  int minute = -1;
  int second = -1;
  int designator = 0;  // 0 none, 1 AM, 2 PM
};

// The whole text read in the pattern: numbers with leading zeros or none, spaces
// around every piece ignored, literal text as written, names and designators without
// regard to ASCII letter case, a designator that may be missing. With
// `designator_at_ends`, a designator may also stand at the start or the end of the
// text where the pattern has none (at most one in all).
std::optional<PatternFields> MatchPattern(const std::string& text,
                                          const std::vector<PatternToken>& tokens,
                                          const FormatSettings& fs,
                                          bool designator_at_ends = false);

}  // namespace wd
