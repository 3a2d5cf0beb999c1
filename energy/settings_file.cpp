#include "energy/settings_file.h"

#include <cstdint>
#include <utility>

#include "common/errors.h"
#include "energy/record_file.h"

namespace wd {
namespace {

std::string g_program_folder_override;

// Bytes from the store for the one-key reads; the default "" tells absent and empty apart
// from a value, as for every typed read.
std::string ReadValue(IniBackend& backend, const std::string& path, const std::string& section,
                      const std::string& key) {
  return IniBytesToUtf8(
      backend.Read(path, Utf8ToIniBytes(section), Utf8ToIniBytes(key), std::string()));
}

// The file keeps text in the ANSI code page.
std::string AsKept(const std::string& text) {
  return IniBytesToUtf8(Utf8ToIniBytes(text));
}

}  // namespace

SettingsFile::SettingsFile(std::string path) : SettingsFile(std::move(path), SystemIniBackend()) {}

SettingsFile::SettingsFile(std::string path, IniBackend& backend)
    : path_(std::move(path)), backend_(backend) {}

double SettingsFile::ReadFloat(const std::string& section, const std::string& key,
                               double fallback) const {
  const std::string text = ReadValue(backend_, path_, section, key);
  if (text.empty()) return fallback;
  return TryTextToFloat(text, CurrentFormatSettings()).value_or(fallback);
}

bool SettingsFile::ReadFlag(const std::string& section, const std::string& key,
                            bool fallback) const {
  const auto value = TryTextToInt(ReadValue(backend_, path_, section, key));
  return value ? *value != 0 : fallback;
}

std::string SettingsFile::ReadText(const std::string& section, const std::string& key,
                                   const std::string& fallback) const {
  return IniBytesToUtf8(
      backend_.Read(path_, Utf8ToIniBytes(section), Utf8ToIniBytes(key), Utf8ToIniBytes(fallback)));
}

DateTime SettingsFile::ReadDate(const std::string& section, const std::string& key,
                                DateTime fallback) const {
  const std::string text = ReadValue(backend_, path_, section, key);
  if (text.empty()) return fallback;
  return ParseKeptShortDate(text, CurrentFormatSettings(), AsKept).value_or(fallback);
}

DateTime SettingsFile::ReadTime(const std::string& section, const std::string& key,
                                DateTime fallback) const {
  const std::string text = ReadValue(backend_, path_, section, key);
  if (text.empty()) return fallback;
  return ParseKeptTime(text, CurrentFormatSettings(), AsKept).value_or(fallback);
}

void SettingsFile::WriteText(const std::string& section, const std::string& key,
                             const std::string& value) {
  if (!backend_.Write(path_, Utf8ToIniBytes(section), Utf8ToIniBytes(key), Utf8ToIniBytes(value))) {
    throw IniFileError("Unable to write to " + path_);
  }
}

void SettingsFile::Remove(const std::string& section, const std::string& key) {
  if (!backend_.Remove(path_, Utf8ToIniBytes(section), Utf8ToIniBytes(key))) {
    throw IniFileError("Unable to write to " + path_);
  }
}

void SettingsFile::WriteFloat(const std::string& section, const std::string& key, double value) {
  WriteText(section, key, FloatToText(value, CurrentFormatSettings()));
}

void SettingsFile::WriteFlag(const std::string& section, const std::string& key, bool value) {
  WriteText(section, key, value ? "1" : "0");
}

void SettingsFile::WriteDate(const std::string& section, const std::string& key, DateTime value) {
  WriteText(section, key, FormatShortDate(value, CurrentFormatSettings()));
}

void SettingsFile::WriteTime(const std::string& section, const std::string& key, DateTime value) {
  WriteText(section, key, FormatLongTime(value, CurrentFormatSettings()));
}

std::string ProgramFolder() {
  if (!g_program_folder_override.empty()) return g_program_folder_override;
  static const std::string folder = SystemProgramFolder();
  return folder;
}

void SetProgramFolderForTesting(const std::string& folder) {
  g_program_folder_override = folder;
}

std::string SettingsFilePath() {
  return ProgramFolder() + "WattDial.INI";
}

void ResetRecordFile() {
  RecordFile file(ProgramFolder() + "MYREC.FIL");
  static const uint8_t kZeroRecord[8] = {};
  for (const int run : {7, 12, 52}) {
    for (int i = 0; i < run; ++i) file.Write(kZeroRecord, sizeof kZeroRecord);
  }
  file.Close();
}

std::string InOutErrorMessage(unsigned long code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    default:
      return "I/O error " + std::to_string(code);
  }
}

}  // namespace wd
