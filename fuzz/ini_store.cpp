// Our INI store over any file: reading known and unknown keys, and writing a key, which
// in a file already in our form must read back as written and leave every other key as
// it was.
#include <string>

#include "energy/ini_file.h"
#include "fuzz/targets.h"

namespace wd::fuzz {

int IniStore(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const std::string watts = ReadIniValue(file, "Parameters", "Watts", "30");
  const std::string today = ReadIniValue(file, "History", "Today", "0");
  Expect(watts.size() <= kMaxIniValue && today.size() <= kMaxIniValue, "values are cut to 2047");

  // The first rewrite puts the file in our form, and may move keys as the private-profile
  // calls do: a section without a name loses its header "[]", and a line that opens with
  // the byte order mark's bytes, come to the top, is read as the mark and what follows.
  std::optional<std::string> first = WriteIniValue(file, "Parameters", "Watts", "107.125");
  if (!first) first = WriteIniValue(file, "Parameters", "Watts", "30");  // it held 107.125
  Expect(first.has_value(), "a changed key is rewritten");
  const std::string ours = *first;

  // From then on: a value of our own reads back, written again it changes nothing, and
  // a write leaves every other key as it was.
  const std::optional<std::string> written = WriteIniValue(ours, "Parameters", "Watts", "107.5");
  const std::string after = written ? *written : ours;
  Expect(ReadIniValue(after, "Parameters", "Watts", "") == "107.5", "a written key reads back");
  Expect(!WriteIniValue(after, "Parameters", "Watts", "107.5"),
         "an unchanged key is not rewritten");
  const std::string today_after = ReadIniValue(after, "History", "Today", "0");
  const std::optional<std::string> again = WriteIniValue(after, "Parameters", "Watts", "30");
  Expect(again && ReadIniValue(*again, "History", "Today", "0") == today_after,
         "other keys keep their values");
  Expect(ReadIniValue(*again, "Parameters", "Watts", "") == "30", "a changed key reads back");
  return 0;
}

}  // namespace wd::fuzz
