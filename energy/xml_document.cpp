#include "energy/xml_document.h"

#include <cstdint>
#include <optional>

namespace wd::xml {
namespace {

constexpr int kMaxDepth = 32;
constexpr size_t kMaxElements = 4096;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}
bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// A strict reader of one document: every read checks the end of the input first, and
// anything it does not expect makes the whole document malformed.
class XmlReader {
 public:
  explicit XmlReader(std::string_view text) : s_(text) {}

  std::unique_ptr<Node> Document() {
    SkipMisc();
    if (!Peek('<')) return nullptr;
    auto root = Element(0);
    if (!root) return nullptr;
    SkipMisc();
    return pos_ == s_.size() && ok_ ? std::move(root) : nullptr;
  }

 private:
  bool AtEnd() const { return pos_ >= s_.size(); }
  bool Peek(char c) const { return !AtEnd() && s_[pos_] == c; }
  bool Starts(std::string_view prefix) const { return s_.substr(pos_).starts_with(prefix); }
  void SkipSpace() {
    while (!AtEnd() && IsSpace(s_[pos_])) ++pos_;
  }
  // Skips to just after `terminator`; false when the input ends first.
  bool SkipPast(std::string_view terminator) {
    const size_t at = s_.find(terminator, pos_);
    if (at == std::string_view::npos) return false;
    pos_ = at + terminator.size();
    return true;
  }

  // White space, comments and processing instructions (the XML declaration among them)
  // around the root element.
  void SkipMisc() {
    for (;;) {
      SkipSpace();
      if (Starts("<!--")) {
        if (!SkipPast("-->")) Fail();
      } else if (Starts("<?")) {
        if (!SkipPast("?>")) Fail();
      } else {
        return;
      }
      if (!ok_) return;
    }
  }

  void Fail() {
    ok_ = false;
    pos_ = s_.size();
  }
  std::unique_ptr<Node> Malformed() {
    Fail();
    return nullptr;
  }

  std::optional<std::string> Name() {
    if (AtEnd() || !IsNameStart(s_[pos_])) return std::nullopt;
    const size_t begin = pos_;
    while (!AtEnd() && IsNameChar(s_[pos_])) ++pos_;
    return std::string(s_.substr(begin, pos_ - begin));
  }

  // An entity or character reference after the '&'; false for anything else.
  bool Reference(std::string& out) {
    const size_t semicolon = s_.find(';', pos_);
    if (semicolon == std::string_view::npos || semicolon - pos_ > 10) return false;
    const std::string_view ref = s_.substr(pos_, semicolon - pos_);
    pos_ = semicolon + 1;
    if (ref == "amp")
      out += '&';
    else if (ref == "lt")
      out += '<';
    else if (ref == "gt")
      out += '>';
    else if (ref == "quot")
      out += '"';
    else if (ref == "apos")
      out += '\'';
    else if (ref.size() >= 2 && ref[0] == '#') {
      const bool hex = ref[1] == 'x';
      const std::string_view digits = ref.substr(hex ? 2 : 1);
      if (digits.empty()) return false;
      uint32_t cp = 0;
      for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
          d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
          d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
          d = c - 'A' + 10;
        else
          return false;
        cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
        if (cp > 0x10FFFF) return false;
      }
      if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
      AppendUtf8(out, cp);
    } else {
      return false;
    }
    return true;
  }

  bool AttributeValue(std::string& out) {
    if (AtEnd() || (s_[pos_] != '\'' && s_[pos_] != '"')) return false;
    const char quote = s_[pos_++];
    while (!AtEnd() && s_[pos_] != quote) {
      const char c = s_[pos_++];
      if (c == '<') return false;
      if (c == '&') {
        if (!Reference(out)) return false;
      } else {
        out += c;
      }
    }
    if (AtEnd()) return false;
    ++pos_;  // the closing quote
    return true;
  }

  std::unique_ptr<Node> Element(int depth) {
    if (depth >= kMaxDepth || ++elements_ > kMaxElements) return Malformed();
    ++pos_;  // '<'
    auto node = std::make_unique<Node>();
    auto name = Name();
    if (!name) return Malformed();
    node->name = std::move(*name);
    for (;;) {
      const bool spaced = !AtEnd() && IsSpace(s_[pos_]);
      SkipSpace();
      if (Starts("/>")) {
        pos_ += 2;
        return node;
      }
      if (Peek('>')) {
        ++pos_;
        break;
      }
      auto key = spaced ? Name() : std::nullopt;
      if (!key || node->Attribute(*key)) return Malformed();
      SkipSpace();
      if (!Peek('=')) return Malformed();
      ++pos_;
      SkipSpace();
      std::string value;
      if (!AttributeValue(value)) return Malformed();
      node->attributes.emplace_back(std::move(*key), std::move(value));
    }
    // Content up to the matching end tag.
    for (;;) {
      if (AtEnd()) return Malformed();
      const char c = s_[pos_];
      if (c == '&') {
        ++pos_;
        if (!Reference(node->text)) return Malformed();
      } else if (c != '<') {
        node->text += c;
        ++pos_;
      } else if (Starts("</")) {
        pos_ += 2;
        auto end_name = Name();
        SkipSpace();
        if (!end_name || *end_name != node->name || !Peek('>')) return Malformed();
        ++pos_;
        return node;
      } else if (Starts("<!--")) {
        if (!SkipPast("-->")) return Malformed();
      } else if (Starts("<![CDATA[")) {
        pos_ += 9;
        const size_t end = s_.find("]]>", pos_);
        if (end == std::string_view::npos) return Malformed();
        node->text.append(s_.substr(pos_, end - pos_));
        pos_ = end + 3;
      } else if (Starts("<?")) {
        if (!SkipPast("?>")) return Malformed();
      } else {
        auto child = Element(depth + 1);
        if (!child) return Malformed();
        node->children.push_back(std::move(child));
      }
    }
  }

  std::string_view s_;
  size_t pos_ = 0;
  size_t elements_ = 0;
  bool ok_ = true;
};

}  // namespace

std::unique_ptr<Node> ReadDocument(std::string_view text) {
  return XmlReader(text).Document();
}

}  // namespace wd::xml
