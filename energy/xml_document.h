// A strict reader of the part of XML that rendered events use: one document of elements
// with their attributes and character data, entity and character references, CDATA,
// comments and processing instructions. Anything else, or a document deeper or larger
// than the limits, is refused as a whole. No Windows calls here.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wd::xml {

// The part of an XML document the events need: elements with their attributes and
// character data. Mixed content is kept as the concatenated text of the element.
struct Node {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;
  std::vector<std::unique_ptr<Node>> children;

  const std::string* Attribute(std::string_view key) const {
    for (const auto& [k, v] : attributes)
      if (k == key) return &v;
    return nullptr;
  }
  const Node* Child(std::string_view key) const {
    for (const auto& child : children)
      if (child->name == key) return child.get();
    return nullptr;
  }
};

// The root element of `text`; null when it is not one well-formed document within the
// limits (nesting, element count).
std::unique_ptr<Node> ReadDocument(std::string_view text);

}  // namespace wd::xml
