// Our own INI store against Wine's private-profile calls, an independent implementation
// of the same file format: the same operations on two copies of a file must read the
// same values and leave the same bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "energy/ini_file.h"
#include "energy/settings_file.h"
#include "test_support.h"

namespace wd {
namespace {

struct Op {
  bool write;
  std::string section, key, value;  // value: the default for reads
  bool remove = false;
};

struct Scenario {
  const char* name;
  const char* initial;  // nullptr: no file
  std::vector<Op> ops;
};

Op R(std::string s, std::string k, std::string d = "DEF") {
  return {false, s, k, d};
}
Op W(std::string s, std::string k, std::string v) {
  return {true, s, k, v};
}
Op X(std::string s, std::string k) {
  return {true, s, k, "", true};
}

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> kScenarios = {
      {"fresh",
       nullptr,
       {R("Parameters", "Watts"), W("Parameters", "FromDate", "2024/5/1"),
        W("Parameters", "Watts", "30"), W("History", "Today", "0"), W("parameters", "WATTS", "31"),
        R("PARAMETERS", "watts"), W("Form", "InitMax", "1"), R("History", "Nope"), R("Nope", "x")}},
      {"messy",
       "; note\r\n\r\n  [ Parameters ]  \r\n  Watts  =  12 34  \r\nQ=\"quoted\"\r\n"
       "Q2='single'\r\nQ3=\"half\r\nQ4=\"\r\nQ5=\"\"\r\nnoeq\r\nEmpty=\r\nWatts=dup\r\n\r\n"
       "[History]\r\nToday=5\r\n",
       {R("Parameters", "Watts"), R("Parameters", "Q"), R("Parameters", "Q2"),
        R("Parameters", "Q3"), R("Parameters", "Q4"), R("Parameters", "Q5"),
        R("Parameters", "noeq"), R("Parameters", "Empty"), R("History", "Today"),
        R("Parameters", "; note"), W("History", "Today", "5"), W("History", "ThisWeek", "7"),
        W("Parameters", "Watts", "  padded "), R("Parameters", "Watts"), W("New", "K", "V")}},
      {"lf-only",
       "[A]\nx=1\n[B]\ny=2",
       {R("B", "y"), W("A", "z", "3"), R("A", "z"), W("B", "y", "2")}},
      {"duplicate sections",
       "[A]\r\nx = \"a b\" \r\n  y\t=\tz\t\r\n[A]\r\nw=2\r\nx=second\r\n",
       {R("A", "x"), R("A", "y"), R("A", "w"), W("A", "w", "3"), W("A", "v", "\"q\""), R("A", "v"),
        W("A", "e", ""), R("A", "e"), W(" A ", " k2 ", "v"), W(" C ", " k3 ", "v"), R("C", "k3"),
        R("A", "k2")}},
      {"defaults",
       "[A]\r\nk=v\r\n",
       {R("A", "missing", "x  "), R("A", "missing", " "), R("A", "missing", ""),
        R("B", "k", "dflt")}},
      // Found by fuzzing: a section without a name loses its header "[]" when the file is
      // rewritten, with the private-profile calls as with ours, and its keys join the
      // section before it.
      {"section without a name",
       "[History]\r\n[]\r\nToday=5\r\n",
       {R("History", "Today"), R("", "Today"), W("Parameters", "Watts", "107.125"),
        R("History", "Today"), R("", "Today")}},
      // Found by fuzzing: a line after the first that opens with the byte order mark's
      // bytes comes to the top when the file is rewritten, with the private-profile calls
      // as with ours, and is read as the mark and a header from then on: the first write
      // goes to a section of its own that the header before it hides.
      {"mark inside the file",
       "\r\n\xEF\xBB\xBF [Parameters]\r\nWatts=1\r\n",
       {R("Parameters", "Watts"), W("Parameters", "Watts", "107.125"), R("Parameters", "Watts"),
        W("Parameters", "Watts", "30"), R("Parameters", "Watts")}},
      {"removed keys",
       "[Days]\r\n2026-12-01=1.5\r\n2026-12-02=2\r\n[History]\r\nToday=1\r\n",
       {X("Days", "2026-12-01"), R("Days", "2026-12-01"), X("days", "2026-12-02"),
        X("Days", "2026-12-03"), X("Nope", "x"), R("History", "Today"), X("History", "Today"),
        W("Days", "2026-12-04", "3.25")}},
      {"long",
       nullptr,
       {W("A", "long", std::string(3000, 'a')), R("A", "long"),
        W("A", "quoted", "\"" + std::string(2050, 'b') + "\""), R("A", "quoted")}},
  };
  return kScenarios;
}

class IniBackendsTest : public test::TempFolderTest {};

TEST_F(IniBackendsTest, OwnStoreMatchesThePrivateProfileCalls) {
  int n = 0;
  for (const Scenario& sc : Scenarios()) {
    SCOPED_TRACE(sc.name);
    const std::string wine_path = Path("wine" + std::to_string(n) + ".ini");
    const std::string own_path = Path("own" + std::to_string(n) + ".ini");
    ++n;
    if (sc.initial) {
      test::WriteBytes(wine_path, sc.initial);
      test::WriteBytes(own_path, sc.initial);
    }
    for (const Op& op : sc.ops) {
      SCOPED_TRACE(op.section + "/" + op.key + (op.write ? " write" : " read"));
      if (op.remove) {
        EXPECT_EQ(ProfileIniBackend().Remove(wine_path, op.section, op.key),
                  OwnIniBackend().Remove(own_path, op.section, op.key));
        EXPECT_EQ(test::ReadBytes(wine_path), test::ReadBytes(own_path));
      } else if (op.write) {
        EXPECT_EQ(ProfileIniBackend().Write(wine_path, op.section, op.key, op.value),
                  OwnIniBackend().Write(own_path, op.section, op.key, op.value));
        EXPECT_EQ(test::ReadBytes(wine_path), test::ReadBytes(own_path));
      } else {
        EXPECT_EQ(ProfileIniBackend().Read(wine_path, op.section, op.key, op.value),
                  OwnIniBackend().Read(own_path, op.section, op.key, op.value));
      }
    }
  }
}

// The typed accessor through both stores, and the writes both refuse.
TEST_F(IniBackendsTest, SettingsFileBehavesAlikeOnBoth) {
  FormatSettings taiwan;
  taiwan.short_date_format = "yyyy/M/d";
  taiwan.long_time_format = "tt hh:mm:ss";
  taiwan.time_am = "AM";
  taiwan.time_pm = "PM";
  SetFormatSettingsForTesting(taiwan);
  SettingsFile wine(Path("wine.ini"), ProfileIniBackend());
  SettingsFile own(Path("own.ini"), OwnIniBackend());
  for (SettingsFile* ini : {&wine, &own}) {
    ini->WriteFloat("Parameters", "Watts", 107.125);
    ini->WriteFloat("Parameters", "UnitFee", 1e-7);
    ini->WriteFlag("Parameters", "AutoSNTP", true);
    ini->WriteText("Parameters", "SNTPServer", " time.example ");
    ini->WriteDate("Parameters", "FromDate", EncodeDate(2024, 12, 31) + 0.3);
    ini->WriteTime("Parameters", "AlarmTime", EncodeTime(18, 0, 1, 0));
    ini->WriteFloat("History", "ThisYear", -2.5);
  }
  EXPECT_EQ(test::ReadBytes(Path("wine.ini")), test::ReadBytes(Path("own.ini")));
  for (SettingsFile* ini : {&wine, &own}) {
    EXPECT_EQ(ini->ReadFloat("Parameters", "Watts", 30), 107.125);
    EXPECT_EQ(ini->ReadFloat("Parameters", "UnitFee", 30), 1e-7);
    EXPECT_EQ(ini->ReadText("Parameters", "SNTPServer", ""), "time.example");
    EXPECT_EQ(ini->ReadDate("Parameters", "FromDate", 0), EncodeDate(2024, 12, 31));
    EXPECT_EQ(ini->ReadTime("Parameters", "AlarmTime", 0), EncodeTime(18, 0, 1, 0));
    EXPECT_EQ(ini->ReadFloat("History", "ThisYear", 0), -2.5);
  }

  test::WriteBytes(Path("plain"), "x");
  for (IniBackend* backend : {&ProfileIniBackend(), &OwnIniBackend()}) {
    EXPECT_FALSE(backend->Write(Path("plain") + "\\x.ini", "A", "k", "v"));
    EXPECT_FALSE(backend->Write(Path("missing") + "\\x.ini", "A", "k", "v"));
    EXPECT_FALSE(backend->Write(folder_, "A", "k", "v"));  // a folder
    EXPECT_EQ(backend->Read(folder_, "A", "k", "d"), "d");
  }
}

}  // namespace
}  // namespace wd
