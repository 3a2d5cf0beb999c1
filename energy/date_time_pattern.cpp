#include "energy/date_time_pattern.h"

#include <cstdio>

namespace wd {
namespace {

const char* const kMonthNames[12] = {"January",   "February", "March",    "April",
                                     "May",       "June",     "July",     "August",
                                     "September", "October",  "November", "December"};
const char* const kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};

bool IsNumberField(const PatternToken& token) {
  switch (token.letter) {
    case 'd':
    case 'M':
      return token.run <= 2;
    case 'y':
    case 'h':
    case 'H':
    case 'm':
    case 's':
      return true;
    default:
      return false;
  }
}

bool IsFieldLetter(char c) {
  return c == 'd' || c == 'M' || c == 'y' || c == 'h' || c == 'H' || c == 'm' || c == 's' ||
         c == 't';
}

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

void AppendLiteral(std::vector<PatternToken>& tokens, const std::string& text) {
  if (text.empty()) return;
  if (tokens.empty() || tokens.back().letter != 0) tokens.push_back({});
  tokens.back().text += text;
}

class Scanner {
 public:
  explicit Scanner(const std::string& text) : text_(text) {}
  void SkipSpaces() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  bool AtEnd() const { return pos_ == text_.size(); }
  // The literal's characters in order; spaces on either side are not compared.
  bool Literal(const std::string& literal) {
    for (char c : literal) {
      if (c == ' ') continue;
      SkipSpaces();
      if (pos_ == text_.size() || text_[pos_] != c) return false;
      ++pos_;
    }
    return true;
  }
  // One to max_digits decimal digits.
  bool Number(size_t max_digits, int& value, int& digits) {
    SkipSpaces();
    value = 0;
    digits = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9' &&
           static_cast<size_t>(digits) < max_digits) {
      value = value * 10 + (text_[pos_++] - '0');
      ++digits;
    }
    return digits > 0 && (pos_ == text_.size() || text_[pos_] < '0' || text_[pos_] > '9' ||
                          static_cast<size_t>(digits) == max_digits);
  }
  // A word compared without regard to ASCII letter case.
  bool Word(const std::string& word) {
    SkipSpaces();
    if (word.empty() || text_.size() - pos_ < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
      const unsigned char a = static_cast<unsigned char>(text_[pos_ + i]);
      const unsigned char b = static_cast<unsigned char>(word[i]);
      if (a != b && !(a < 128 && b < 128 && (a | 0x20) == (b | 0x20) && (a | 0x20) >= 'a' &&
                      (a | 0x20) <= 'z')) {
        return false;
      }
    }
    pos_ += word.size();
    return true;
  }
  // The index of the longest of the words the text starts with, or -1.
  int LongestWord(const std::vector<std::string>& words) {
    int best = -1;
    const size_t start = pos_;
    size_t best_end = start;
    for (size_t i = 0; i < words.size(); ++i) {
      pos_ = start;
      if (Word(words[i]) && (best < 0 || pos_ > best_end)) {
        best = static_cast<int>(i);
        best_end = pos_;
      }
    }
    pos_ = best < 0 ? start : best_end;
    return best;
  }

 private:
  const std::string& text_;
  size_t pos_ = 0;
};

// 0 none, 1 AM, 2 PM: the user's designators or the English ones.
int ScanDesignator(Scanner& s, size_t run, const FormatSettings& fs) {
  std::vector<std::string> words = {fs.time_am, fs.time_pm, "AM", "PM"};
  if (run < 2) {
    for (auto& word : words) word = FirstCharacter(word);
  }
  const int found = s.LongestWord(words);
  return found < 0 ? 0 : found % 2 + 1;
}

// A day or month name, full or cut to three letters; the index or -1.
int ScanName(Scanner& s, const char* const* names, int count) {
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i) words.emplace_back(names[i]);
  for (int i = 0; i < count; ++i) words.push_back(std::string(names[i]).substr(0, 3));
  const int found = s.LongestWord(words);
  return found < 0 ? -1 : found % count;
}

}  // namespace

std::vector<PatternToken> TokenizePattern(const std::string& pattern, const FormatSettings& fs) {
  std::vector<PatternToken> tokens;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'') {
      std::string quoted;
      ++i;
      if (i < pattern.size() && pattern[i] == '\'') {  // '' outside quotes
        AppendLiteral(tokens, "'");
        ++i;
        continue;
      }
      while (i < pattern.size()) {
        if (pattern[i] == '\'') {
          if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
            quoted += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        quoted += pattern[i++];
      }
      AppendLiteral(tokens, quoted);
      continue;
    }
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    if (IsFieldLetter(c)) {
      tokens.push_back({c, run, {}});
    } else if (c == '/') {
      AppendLiteral(tokens, std::string(run, fs.date_separator));
    } else if (c == ':') {
      AppendLiteral(tokens, std::string(run, fs.time_separator));
    } else {
      AppendLiteral(tokens, std::string(run, c));
    }
    i += run;
  }
  return tokens;
}

std::string ExpandPattern(const std::vector<PatternToken>& tokens, const CalendarTime& t,
                          const FormatSettings& fs) {
  std::string out;
  for (const PatternToken& token : tokens) {
    const int width = token.run >= 2 ? 2 : 1;
    switch (token.letter) {
      case 0:
        out += token.text;
        break;
      case 'd':
        if (token.run <= 2)
          out += Number(t.day, width);
        else
          out += token.run == 3 ? std::string(kDayNames[t.day_of_week]).substr(0, 3)
                                : kDayNames[t.day_of_week];
        break;
      case 'M':
        if (token.run <= 2)
          out += Number(t.month, width);
        else
          out += token.run == 3 ? std::string(kMonthNames[t.month - 1]).substr(0, 3)
                                : kMonthNames[t.month - 1];
        break;
      case 'y':
        out += token.run <= 2 ? Number(t.year % 100, width) : Number(t.year, 4);
        break;
      case 'h':
        out += Number(t.hour % 12 == 0 ? 12 : t.hour % 12, width);
        break;
      case 'H':
        out += Number(t.hour, width);
        break;
      case 'm':
        out += Number(t.minute, width);
        break;
      case 's':
        out += Number(t.second, width);
        break;
      case 't': {
        const std::string& designator = t.hour < 12 ? fs.time_am : fs.time_pm;
        out += token.run >= 2 ? designator : FirstCharacter(designator);
        break;
      }
    }
  }
  return out;
}

std::optional<PatternFields> MatchPattern(const std::string& text,
                                          const std::vector<PatternToken>& tokens,
                                          const FormatSettings& fs, bool designator_at_ends) {
  Scanner s(text);
  PatternFields f;
  const auto designator = [&](size_t run) {
    if (f.designator == 0) f.designator = ScanDesignator(s, run, fs);
  };
  if (designator_at_ends && (tokens.empty() || tokens.front().letter != 't')) designator(2);
  for (size_t i = 0; i < tokens.size(); ++i) {
    const PatternToken& token = tokens[i];
    if (token.letter == 0) {
      if (!s.Literal(token.text)) return std::nullopt;
      continue;
    }
    if (token.letter == 't') {
      designator(token.run);
      continue;
    }
    if (!IsNumberField(token)) {
      const bool day = token.letter == 'd';
      const int found = day ? ScanName(s, kDayNames, 7) : ScanName(s, kMonthNames, 12);
      if (found < 0) return std::nullopt;
      if (!day) f.month = found + 1;
      continue;
    }
    // A number run straight into the next one has the field's full width.
    const bool packed = i + 1 < tokens.size() && IsNumberField(tokens[i + 1]);
    const size_t max_digits = !packed ? 9 : token.letter == 'y' && token.run > 2 ? 4 : 2;
    int value, digits;
    if (!s.Number(max_digits, value, digits)) return std::nullopt;
    switch (token.letter) {
      case 'd':
        f.day = value;
        break;
      case 'M':
        f.month = value;
        break;
      case 'y':
        f.year = value;
        f.year_digits = digits;
        break;
      case 'h':
      case 'H':
        f.hour = value;
        break;
      case 'm':
        f.minute = value;
        break;
      case 's':
        f.second = value;
        break;
    }
  }
  if (designator_at_ends && (tokens.empty() || tokens.back().letter != 't')) designator(2);
  s.SkipSpaces();
  if (!s.AtEnd()) return std::nullopt;
  return f;
}

}  // namespace wd
