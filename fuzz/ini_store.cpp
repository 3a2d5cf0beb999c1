// Our INI store over any file: reading known and unknown keys, and writing a key, which
// must read back as written and leave every other key as it was.
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
  Expect(ReadIniValue(after, "History", "Today", "0") == today, "other keys keep their values");
  // Written again, nothing changes.
  Expect(!WriteIniValue(after, "Parameters", "Watts", "107.125"),
         "an unchanged key is not rewritten");
  return 0;
}

}  // namespace wd::fuzz
