#include "energy/format_settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "test_support.h"

namespace wd {
namespace {

FormatSettings Comma() {
  FormatSettings fs;
  fs.decimal_separator = ',';
  fs.short_date_format = "dd.MM.yyyy";
  fs.date_separator = '.';
  fs.long_time_format = "HH:mm:ss";
  return fs;
}

TEST(FloatText, WrittenWith15DigitsAndTheExponentRules) {
  const FormatSettings dot;
  EXPECT_EQ(FloatToText(30, dot), "30");
  EXPECT_EQ(FloatToText(2.59, dot), "2.59");
  EXPECT_EQ(FloatToText(0.637, dot), "0.637");
  EXPECT_EQ(FloatToText(107.125, dot), "107.125");
  EXPECT_EQ(FloatToText(0, dot), "0");
  EXPECT_EQ(FloatToText(0.045, dot), "0.045");
  EXPECT_EQ(FloatToText(0.1 + 0.2, dot), "0.3");
  EXPECT_EQ(FloatToText(-2.5, dot), "-2.5");
  EXPECT_EQ(FloatToText(0.0001, dot), "0.0001");
  EXPECT_EQ(FloatToText(0.00001, dot), "1E-5");
  EXPECT_EQ(FloatToText(-0.000012345, dot), "-1.2345E-5");
  EXPECT_EQ(FloatToText(1e15, dot), "1E15");
  EXPECT_EQ(FloatToText(999999999999999.0, dot), "999999999999999");
  EXPECT_EQ(FloatToText(123456789012345678.0, dot), "1.23456789012346E17");
  EXPECT_EQ(FloatToText(1.0 / 3, dot), "0.333333333333333");
  EXPECT_EQ(FloatToText(2.0 / 3, dot), "0.666666666666667");
  EXPECT_EQ(FloatToText(1234.5, Comma()), "1234,5");
  EXPECT_EQ(FloatToText(1.5e-7, Comma()), "1,5E-7");
}

TEST(FloatText, ReadWithTheExactGrammar) {
  const FormatSettings dot;
  EXPECT_EQ(TryTextToFloat("30", dot), 30.0);
  EXPECT_EQ(TryTextToFloat("  -2.59  ", dot), -2.59);
  EXPECT_EQ(TryTextToFloat("+.5", dot), 0.5);
  EXPECT_EQ(TryTextToFloat("5.", dot), 5.0);
  EXPECT_EQ(TryTextToFloat("1E-5", dot), 1e-5);
  EXPECT_EQ(TryTextToFloat("1.5e+3", dot), 1500.0);
  for (const char* bad : {"", " ", "abc", ".", "1.2.3", "1,5", "1e", "1e+", "--1", "1 2", "0x10",
                          "1.5f", "e5", "1e999", "inf", "nan"}) {
    EXPECT_FALSE(TryTextToFloat(bad, dot).has_value()) << bad;
  }
  EXPECT_EQ(TryTextToFloat("1,5", Comma()), 1.5);
  EXPECT_FALSE(TryTextToFloat("1.5", Comma()).has_value());
  // Every written float reads back as the same double.
  for (double v : {2.59, 0.637, 107.125, 1.0 / 3, 1e-300, 6.02214076e23, -0.1 - 0.2}) {
    const auto back = TryTextToFloat(FloatToText(v, Comma()), Comma());
    ASSERT_TRUE(back.has_value());
    EXPECT_NEAR(*back, v, std::abs(v) * 1e-14);
  }
  try {
    TextToFloat("12a", dot);
    FAIL();
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
  }
}

TEST(IntegerText, DecimalAndHexadecimal) {
  EXPECT_EQ(TryTextToInt("0"), 0);
  EXPECT_EQ(TryTextToInt("-17"), -17);
  EXPECT_EQ(TryTextToInt("0x10"), 16);
  EXPECT_EQ(TryTextToInt("0XfF"), 255);
  EXPECT_EQ(TryTextToInt("0xFFFFFFFF"), -1);
  EXPECT_EQ(TryTextToInt("2147483647"), 2147483647);
  for (const char* bad : {"", "yes", "0x", "1x", "0x1G", "2147483648", "0x100000000", "1 "}) {
    EXPECT_FALSE(TryTextToInt(bad).has_value()) << bad;
  }
}

TEST(Figures, ThreeDecimalsWithTheUsersSeparator) {
  EXPECT_EQ(FormatFigure(3.4290000000000003, FormatSettings{}), "3.429");
  EXPECT_EQ(FormatFigure(0, FormatSettings{}), "0.000");
  EXPECT_EQ(FormatFigure(1234.5, Comma()), "1234,500");
  EXPECT_EQ(FormatFigure(-0.045, Comma()), "-0,045");
  SetFormatSettingsForTesting(Comma());
  EXPECT_EQ(FormatFigure(24), "24,000");
  EXPECT_EQ(FormatShortDate(EncodeDate(2024, 3, 5) + 0.75), "05.03.2024");
  SetFormatSettingsForTesting(std::nullopt);
}

TEST(DateText, ShortDateForms) {
  const DateTime d = EncodeDate(2024, 3, 5);
  EXPECT_EQ(FormatShortDate(d + 0.99, FormatSettings{}), "3/5/2024");
  EXPECT_EQ(FormatShortDate(d, test::TaiwanFormat()), "2024/3/5");
  EXPECT_EQ(FormatShortDate(d, Comma()), "05.03.2024");
  FormatSettings iso;
  iso.short_date_format = "yy-MM-dd";
  iso.date_separator = '-';
  EXPECT_EQ(FormatShortDate(d, iso), "24-03-05");

  EXPECT_EQ(ParseShortDate("3/5/2024", FormatSettings{}), d);
  EXPECT_EQ(ParseShortDate(" 2024/3/5 ", test::TaiwanFormat()), d);
  EXPECT_EQ(ParseShortDate("05.03.2024", Comma()), d);
  EXPECT_EQ(ParseShortDate("5.3.2024", Comma()), d);
  EXPECT_EQ(ParseShortDate("24-03-05", iso), d);
  EXPECT_EQ(ParseShortDate("99-12-31", iso), EncodeDate(1999, 12, 31));
  // A date written under one format and read under another.
  EXPECT_FALSE(ParseShortDate("2024/3/5", Comma()).has_value());
  EXPECT_FALSE(ParseShortDate("2024/13/5", test::TaiwanFormat()).has_value());
  EXPECT_FALSE(ParseShortDate("2023/2/29", test::TaiwanFormat()).has_value());
  EXPECT_FALSE(ParseShortDate("2024/3", test::TaiwanFormat()).has_value());
  EXPECT_FALSE(ParseShortDate("2024/3/5/1", test::TaiwanFormat()).has_value());
  EXPECT_FALSE(ParseShortDate("", test::TaiwanFormat()).has_value());
}

TEST(TimeText, LongTimeForms) {
  const DateTime morning = EncodeTime(9, 5, 7, 0);
  const DateTime afternoon = EncodeTime(13, 0, 59, 0);
  EXPECT_EQ(FormatLongTime(12.0 + morning, test::TaiwanFormat()), "上午 09:05:07");
  EXPECT_EQ(FormatLongTime(afternoon, test::TaiwanFormat()), "下午 01:00:59");
  EXPECT_EQ(FormatLongTime(0, test::TaiwanFormat()), "上午 12:00:00");
  EXPECT_EQ(FormatLongTime(afternoon, FormatSettings{}), "1:00:59 PM");
  EXPECT_EQ(FormatLongTime(afternoon, Comma()), "13:00:59");

  EXPECT_EQ(ParseTime("上午 09:05:07", test::TaiwanFormat()), morning);
  EXPECT_EQ(ParseTime("下午 01:00:59", test::TaiwanFormat()), afternoon);
  EXPECT_EQ(ParseTime("上午 12:00:00", test::TaiwanFormat()), 0.0);
  EXPECT_EQ(ParseTime("下午 12:30:00", test::TaiwanFormat()), EncodeTime(12, 30, 0, 0));
  EXPECT_EQ(ParseTime("1:00:59 pm", FormatSettings{}), afternoon);
  EXPECT_EQ(ParseTime("13:00:59", Comma()), afternoon);
  EXPECT_EQ(ParseTime("9:05", Comma()), EncodeTime(9, 5, 0, 0));
  for (const char* bad :
       {"", "下午 13:00:00", "24:00:00", "12:60:00", "12:00:60", "12", "x 1:00", "1:00:00 PM PM"}) {
    EXPECT_FALSE(ParseTime(bad, test::TaiwanFormat()).has_value()) << bad;
  }
}

// Short date patterns of real locales, with the text our writer makes for 2024-03-05.
TEST(DateText, PatternsWithLiteralTextReadBack) {
  struct Case {
    const char* pattern;
    char separator;
    const char* written;
    std::vector<const char*> also_read;
    std::vector<const char*> rejected;
  };
  const std::vector<Case> cases = {
      {"yyyy. MM. dd.", '.', "2024. 03. 05.", {"2024.3.5.", " 2024. 3. 05. "}, {"2024. 03. 05"}},
      {"yyyy. M. d.", '.', "2024. 3. 5.", {"2024. 03. 05."}, {"2024. 3. 5.."}},
      {"d.M.yyyy.", '.', "5.3.2024.", {"05.03.2024."}, {"5.3.2024", "5,3,2024."}},
      {"d.MM.yyyy 'г'.", '.', "5.03.2024 г.", {"5.3.2024г."}, {"5.03.2024", "5.03.2024 r."}},
      {"yyyy年M月d日", '/', "2024年3月5日", {"2024年03月05日"}, {"2024/3/5"}},
      {"d\u200f/M\u200f/yyyy", '/', "5\u200f/3\u200f/2024", {}, {"5/3/2024"}},
      {"yyyy / dd / MM", '/', "2024 / 05 / 03", {"2024/5/3"}, {"2024 / 05"}},
      {"dd/MM yyyy", '-', "05-03 2024", {"5-3 2024"}, {"05/03 2024"}},
      {"yyyyMMdd", '/', "20240305", {"2024035"}, {"2024135", "202403051"}},
      {"dd-MMM-yyyy", '-', "05-Mar-2024", {"5-MARCH-2024", "05-mar-2024"}, {"05-03-2024"}},
      {"dddd, d 'de' MMMM yyyy", '/', "Tuesday, 5 de March 2024", {"tue, 05 de mar 2024"}, {}},
      {"'Date: ''d''' d/M/yyyy", '/', "Date: 'd' 5/3/2024", {}, {"Date: d 5/3/2024"}},
  };
  const DateTime d = EncodeDate(2024, 3, 5);
  for (const Case& c : cases) {
    FormatSettings fs;
    fs.short_date_format = c.pattern;
    fs.date_separator = c.separator;
    EXPECT_EQ(FormatShortDate(d, fs), c.written) << c.pattern;
    EXPECT_EQ(ParseShortDate(c.written, fs), d) << c.pattern;
    for (const char* text : c.also_read) EXPECT_EQ(ParseShortDate(text, fs), d) << text;
    for (const char* text : c.rejected) EXPECT_FALSE(ParseShortDate(text, fs)) << text;
  }
}

// Long time patterns of real locales: the text for 13:05:07 and for 00:00:00.
TEST(TimeText, PatternsWithLiteralTextReadBack) {
  struct Case {
    const char* pattern;
    const char* am;
    const char* pm;
    const char* afternoon;
    const char* midnight;
  };
  const std::vector<Case> cases = {
      {"'Klock' H.mm:ss", "vm", "nm", "Klock 13.05:07", "Klock 0.00:00"},
      {"HH 'h' mm 'min' ss 's'", "AM", "PM", "13 h 05 min 07 s", "00 h 00 min 00 s"},
      {"H'h'mm:ss", "AM", "PM", "13h05:07", "0h00:00"},
      {"tt 'ga' h:mm:ss", "AM", "PM", "PM ga 1:05:07", "AM ga 12:00:00"},
      {"ཆུ་ཚོད་h:mm:ss tt", "སྔ་དྲོ", "ཕྱི་དྲོ", "ཆུ་ཚོད་1:05:07 ཕྱི་དྲོ", "ཆུ་ཚོད་12:00:00 སྔ་དྲོ"},
      {"H:mm:ss 'ч'.", "", "", "13:05:07 ч.", "0:00:00 ч."},
      {"tth:mm:ss", "上午", "下午", "下午1:05:07", "上午12:00:00"},
      {"h:mm:ss tt", "a. m.", "p. m.", "1:05:07 p. m.", "12:00:00 a. m."},
      {"H:m:s", "", "", "13:5:7", "0:0:0"},
  };
  const DateTime afternoon = EncodeTime(13, 5, 7, 0);
  for (const Case& c : cases) {
    FormatSettings fs;
    fs.long_time_format = c.pattern;
    fs.time_am = c.am;
    fs.time_pm = c.pm;
    EXPECT_EQ(FormatLongTime(afternoon, fs), c.afternoon) << c.pattern;
    EXPECT_EQ(FormatLongTime(0, fs), c.midnight) << c.pattern;
    EXPECT_EQ(ParseTime(c.afternoon, fs), afternoon) << c.pattern;
    EXPECT_EQ(ParseTime(c.midnight, fs), 0.0) << c.pattern;
    EXPECT_FALSE(ParseTime(std::string(c.afternoon) + "x", fs)) << c.pattern;
    EXPECT_FALSE(ParseTime(std::string("x") + c.afternoon, fs)) << c.pattern;
  }
}

// A file in a narrower character set: bg-BG's narrow no-break space comes back as "?",
// in the stored text as in the format, and the date still reads.
TEST(DateText, KeptInANarrowerCharacterSet) {
  const TextKeeper keep = [](const std::string& text) {
    std::string kept = text;
    for (size_t at; (at = kept.find("\u202f")) != std::string::npos;) kept.replace(at, 3, "?");
    return kept;
  };
  FormatSettings fs;
  fs.short_date_format = "d.MM.yyyy\u202f'г'.";
  fs.long_time_format = "H:mm:ss\u202f'ч'.";
  const DateTime d = EncodeDate(2026, 12, 9);
  const std::string stored = keep(FormatShortDate(d, fs));
  EXPECT_EQ(stored, "9.12.2026?г.");
  EXPECT_FALSE(ParseShortDate(stored, fs));
  EXPECT_EQ(ParseKeptShortDate(stored, fs, keep), d);
  EXPECT_EQ(ParseKeptShortDate(FormatShortDate(d, fs), fs, keep), d);
  EXPECT_FALSE(ParseKeptShortDate("9.12.2026!г.", fs, keep));
  const DateTime t = EncodeTime(23, 59, 59, 0);
  EXPECT_EQ(ParseKeptTime(keep(FormatLongTime(t, fs)), fs, keep), t);
  EXPECT_FALSE(ParseKeptTime("23:59:59", fs, keep));
}

}  // namespace
}  // namespace wd
