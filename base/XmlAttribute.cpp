#include "base/XmlAttribute.h"

namespace qm {

std::optional<XmlAttributeSpan> FindXmlAttribute(std::string_view element, std::string_view name) {
  for (std::size_t at = element.find(name); at != std::string_view::npos;
       at = element.find(name, at + 1)) {
    const char before = at == 0 ? '\0' : element[at - 1];
    if (before != ' ' && before != '\t' && before != '\n' && before != '\r') continue;
    std::size_t value = at + name.size();
    if (value + 1 >= element.size() || element[value] != '=') continue;
    const char quote = element[value + 1];
    if (quote != '"' && quote != '\'') continue;
    value += 2;
    const std::size_t end = element.find(quote, value);
    if (end == std::string_view::npos) return std::nullopt;
    return XmlAttributeSpan{value, end - value};
  }
  return std::nullopt;
}

std::string_view XmlAttribute(std::string_view element, std::string_view name) {
  const auto span = FindXmlAttribute(element, name);
  return span ? element.substr(span->at, span->length) : std::string_view();
}

}  // namespace qm
