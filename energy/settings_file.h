// The settings file "WattDial.INI" beside the executable, and the statistics reset file
// "MYREC.FIL". Every read consults the file and every write reaches it at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/datetime.h"
#include "energy/format_settings.h"
#include "energy/ini_file.h"
#include "energy/settings_keys.h"

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
  // Removes the key, if the file has it; a refusal raises as a write does.
  void Remove(const std::string& section, const std::string& key);

  // The same by the keys of settings_keys.h, with their own fallbacks.
  double Read(const keys::FloatKey& key) const { return Read(key, key.fallback); }
  double Read(const keys::FloatKey& key, double fallback) const {
    return ReadFloat(key.section, key.name, fallback);
  }
  bool Read(const keys::FlagKey& key) const {
    return ReadFlag(key.section, key.name, key.fallback);
  }
  std::string Read(const keys::TextKey& key) const {
    return ReadText(key.section, key.name, key.fallback);
  }
  DateTime Read(const keys::DateKey& key) const {
    return ReadDate(key.section, key.name, key.fallback);
  }
  DateTime Read(const keys::TimeKey& key) const {
    return ReadTime(key.section, key.name, key.fallback);
  }
  void Write(const keys::FloatKey& key, double value) { WriteFloat(key.section, key.name, value); }
  void Write(const keys::FlagKey& key, bool value) { WriteFlag(key.section, key.name, value); }
  void Write(const keys::TextKey& key, const std::string& value) {
    WriteText(key.section, key.name, value);
  }
  void Write(const keys::DateKey& key, DateTime value) { WriteDate(key.section, key.name, value); }
  void Write(const keys::TimeKey& key, DateTime value) { WriteTime(key.section, key.name, value); }

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
