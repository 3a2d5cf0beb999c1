#include "energy/ini_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace wd {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1a;
}

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string TrimLeft(const std::string& text) {
  size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin])) ++begin;
  return text.substr(begin);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[i]);
    if (x != y && !(x < 128 && y < 128 && std::tolower(x) == std::tolower(y))) return false;
  }
  return true;
}

std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

struct Key {
  std::string name;
  std::optional<std::string> value;  // absent for a line without "="
};

struct Section {
  std::string name;  // "" for the lines before the first header
  std::vector<Key> keys;
};

struct IniDocument {
  bool utf8_bom = false;
  std::vector<Section> sections;

  static IniDocument Parse(const std::string& bytes);
  std::string Serialize() const;
  Section* FindSection(const std::string& name);
  static Key* FindKey(Section& section, const std::string& name);
};

IniDocument IniDocument::Parse(const std::string& bytes) {
  IniDocument doc;
  size_t pos = 0;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    doc.utf8_bom = true;
    pos = 3;
  }
  doc.sections.push_back(Section{});
  const Key* previous = nullptr;
  while (pos < bytes.size()) {
    // A line ends at "\n", or at "\r" in a file without any further "\n".
    size_t next = bytes.find('\n', pos);
    if (next == std::string::npos) next = bytes.find('\r', pos);
    next = next == std::string::npos ? bytes.size() : next + 1;
    const std::string line = Trim(bytes.substr(pos, next - pos));
    pos = next;
    if (line.empty()) continue;

    if (line[0] == '[') {
      const size_t close = line.rfind(']');
      if (close != std::string::npos && close > 0) {
        doc.sections.push_back(Section{Trim(line.substr(1, close - 1)), {}});
        previous = nullptr;
        continue;
      }
    }
    Key key;
    if (const size_t eq = line.find('='); eq != std::string::npos) {
      key.name = Trim(line.substr(0, eq));
      key.value = Trim(line.substr(eq + 1));
    } else {
      key.name = line;
    }
    // Runs of nameless lines keep only their first.
    if (!key.name.empty() || previous == nullptr || !previous->name.empty()) {
      Section& section = doc.sections.back();
      section.keys.push_back(std::move(key));
      previous = &section.keys.back();
    }
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out = utf8_bom ? "\xEF\xBB\xBF" : "";
  for (const Section& section : sections) {
    if (!section.name.empty()) out += "[" + section.name + "]\r\n";
    for (const Key& key : section.keys) {
      out += key.name;
      if (key.value) out += "=" + *key.value;
      out += "\r\n";
    }
  }
  return out;
}

Section* IniDocument::FindSection(const std::string& name) {
  for (Section& section : sections) {
    if (SameName(section.name, name)) return &section;
  }
  return nullptr;
}

Key* IniDocument::FindKey(Section& section, const std::string& name) {
  for (Key& key : section.keys) {
    if (SameName(key.name, name)) return &key;
  }
  return nullptr;
}

// The file's bytes; empty when it is absent or cannot be read.
std::string LoadFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(FsPath(path), ec)) return {};
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SaveFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

// The value as handed out: one pair of enclosing quotes dropped, cut to the buffer.
std::string CopyEntry(const std::string& value) {
  std::string text = value;
  bool quoted = false;
  if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0]) {
    quoted = true;
    text.erase(0, 1);
  }
  const size_t whole = text.size();
  if (text.size() > kMaxIniValue) text.resize(kMaxIniValue);
  // The closing quote goes only when the buffer held the whole rest of the value.
  if (quoted && kMaxIniValue + 1 >= whole && !text.empty()) text.pop_back();
  return text;
}

// Trailing blanks of a default are dropped, as the profile calls do.
std::string CopyDefault(const std::string& fallback) {
  size_t end = fallback.size();
  while (end > 1 && fallback[end - 1] == ' ') --end;
  return fallback.substr(0, std::min(end, kMaxIniValue));
}

}  // namespace

std::string ReadIniValue(const std::string& bytes, const std::string& section,
                         const std::string& key, const std::string& fallback) {
  IniDocument doc = IniDocument::Parse(bytes);
  if (Section* s = doc.FindSection(Trim(section))) {
    if (const Key* k = IniDocument::FindKey(*s, Trim(key)); k && k->value) {
      return CopyEntry(*k->value);
    }
  }
  return CopyDefault(fallback);
}

std::optional<std::string> WriteIniValue(const std::string& bytes, const std::string& section,
                                         const std::string& key, const std::string& value) {
  IniDocument doc = IniDocument::Parse(bytes);
  const std::string section_name = Trim(section), key_name = Trim(key);
  const std::string stored = TrimLeft(value);

  Section* s = doc.FindSection(section_name);
  if (s == nullptr) {
    // A new name keeps its trailing blanks, as the profile calls store it.
    doc.sections.push_back(Section{TrimLeft(section), {}});
    s = &doc.sections.back();
  }
  Key* k = IniDocument::FindKey(*s, key_name);
  if (k == nullptr) {
    s->keys.push_back(Key{TrimLeft(key), std::nullopt});
    k = &s->keys.back();
  } else if (k->value == stored) {
    return std::nullopt;  // unchanged: the file is left as it is
  }
  k->value = stored;
  return doc.Serialize();
}

std::optional<std::string> RemoveIniValue(const std::string& bytes, const std::string& section,
                                          const std::string& key) {
  IniDocument doc = IniDocument::Parse(bytes);
  Section* s = doc.FindSection(Trim(section));
  if (s == nullptr) return std::nullopt;
  Key* k = IniDocument::FindKey(*s, Trim(key));
  if (k == nullptr) return std::nullopt;
  s->keys.erase(s->keys.begin() + (k - s->keys.data()));
  return doc.Serialize();
}

namespace {

class OwnBackend final : public IniBackend {
 public:
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback) override {
    return ReadIniValue(LoadFile(path), section, key, fallback);
  }

  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) override {
    const std::optional<std::string> bytes = WriteIniValue(LoadFile(path), section, key, value);
    return !bytes || SaveFile(path, *bytes);
  }

  bool Remove(const std::string& path, const std::string& section,
              const std::string& key) override {
    const std::optional<std::string> bytes = RemoveIniValue(LoadFile(path), section, key);
    return !bytes || SaveFile(path, *bytes);
  }
};

}  // namespace

IniBackend& OwnIniBackend() {
  static OwnBackend backend;
  return backend;
}

IniSnapshot::IniSnapshot(std::string path, IniBackend& writer)
    : path_(std::move(path)), bytes_(LoadFile(path_)), writer_(writer) {}

IniSnapshot::IniSnapshot(std::string path, std::string bytes, IniBackend& writer)
    : path_(std::move(path)), bytes_(std::move(bytes)), writer_(writer) {}

std::string IniSnapshot::Read(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
  return ReadIniValue(path == path_ ? bytes_ : LoadFile(path), section, key, fallback);
}

bool IniSnapshot::Write(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
  const bool written = writer_.Write(path, section, key, value);
  if (path == path_) bytes_ = LoadFile(path_);
  return written;
}

bool IniSnapshot::Remove(const std::string& path, const std::string& section,
                         const std::string& key) {
  const bool removed = writer_.Remove(path, section, key);
  if (path == path_) bytes_ = LoadFile(path_);
  return removed;
}

}  // namespace wd
