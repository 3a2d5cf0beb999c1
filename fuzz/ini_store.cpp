// Our INI store over any file: reading known and unknown keys, and writing a key, which
// must read back as written and, in a file already in our form, leave every other key
// as it was.
#include <string>

#include "energy/ini_file.h"
#include "fuzz/targets.h"

namespace wd::fuzz {

int IniStore(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const std::string watts = ReadIniValue(file, "Parameters", "Watts", "30");
  const std::string today = ReadIniValue(file, "History", "Today", "0");
  Expect(watts.size() <= kMaxIniValue && today.size() <= kMaxIniValue, "values are cut to 2047");

  // A value of our own in a key the file may or may not have.
  const std::optional<std::string> written = WriteIniValue(file, "Parameters", "Watts", "107.125");
  const std::string after = written ? *written : file;
  Expect(ReadIniValue(after, "Parameters", "Watts", "") == "107.125", "a written key reads back");
  // Written again, nothing changes.
  Expect(!WriteIniValue(after, "Parameters", "Watts", "107.125"),
         "an unchanged key is not rewritten");
  // Once the file has been rewritten in our form, a write leaves the other keys as they
  // were. (The first rewrite may move keys, as the private-profile calls do: a section
  // without a name loses its header "[]".)
  const std::string today_after = ReadIniValue(after, "History", "Today", "0");
  const std::optional<std::string> again = WriteIniValue(after, "Parameters", "Watts", "30");
  Expect(again && ReadIniValue(*again, "History", "Today", "0") == today_after,
         "other keys keep their values");
  Expect(ReadIniValue(*again, "Parameters", "Watts", "") == "30", "a changed key reads back");
  return 0;
}

}  // namespace wd::fuzz
