// The settings file "WattDial.INI" beside the executable, and the statistics reset file
// "MYREC.FIL". Every read consults the file and every write reaches it at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/datetime.h"
#include "energy/format_settings.h"
#include "energy/ini_file.h"

namespace wd {

// Reads and writes single keys of one INI file. Reads never fail: an absent or unreadable
// value gives the caller's default. A write the system refuses raises IniFileError
// "Unable to write to <path>". Texts are UTF-8; numbers, dates and times use the user's
// format settings at the moment of the call.
class SettingsFile {
 public:
  explicit SettingsFile(std::string path);
  SettingsFile(std::string path, IniBackend& backend);

  const std::string& path() const { return path_; }

  double ReadFloat(const std::string& section, const std::string& key, double fallback) const;
  bool ReadFlag(const std::string& section, const std::string& key, bool fallback) const;
  std::string ReadText(const std::string& section, const std::string& key,
                       const std::string& fallback) const;
  DateTime ReadDate(const std::string& section, const std::string& key, DateTime fallback) const;
  DateTime ReadTime(const std::string& section, const std::string& key, DateTime fallback) const;

  void WriteFloat(const std::string& section, const std::string& key, double value);
  void WriteFlag(const std::string& section, const std::string& key, bool value);
  void WriteText(const std::string& section, const std::string& key, const std::string& value);
  void WriteDate(const std::string& section, const std::string& key, DateTime value);
  void WriteTime(const std::string& section, const std::string& key, DateTime value);

 private:
  std::string path_;
  IniBackend& backend_;
};

// The folder of the running executable, with its trailing separator.
std::string ProgramFolder();
// Puts another folder in its place (a test's temporary folder); empty restores it.
void SetProgramFolderForTesting(const std::string& folder);
// The platform's answer: the folder of GetModuleFileName on Windows, of /proc/self/exe
// elsewhere.
std::string SystemProgramFolder();

// ProgramFolder() + "WattDial.INI".
std::string SettingsFilePath();

// Rewrites "MYREC.FIL" beside the executable as 71 records of 8 zero bytes (runs of 7, 12
// and 52), replacing any file of that name. Raises InOutError with the system's error
// code; the file is closed in every case.
void ResetRecordFile();

// The message of an input/output error with the given system error code.
std::string InOutErrorMessage(unsigned long code);

}  // namespace wd
