#pragma once
// Finding an attribute's value in the text of one XML element, for the
// small, bounded scans of a presentation's package that need no parser.

#include <cstddef>
#include <optional>
#include <string_view>

namespace qm {

/// Where the value of attribute `name` lies in `element` (the text from "<"
/// to before ">"): its offset and length, quotes excluded, either quote.
/// Only a whole attribute name counts (after white space, followed by "=").
/// nullopt when the element has no such attribute or its value is not closed.
struct XmlAttributeSpan {
  std::size_t at = 0;
  std::size_t length = 0;
};
std::optional<XmlAttributeSpan> FindXmlAttribute(std::string_view element, std::string_view name);

/// The value itself; empty when absent.
std::string_view XmlAttribute(std::string_view element, std::string_view name);

}  // namespace qm
