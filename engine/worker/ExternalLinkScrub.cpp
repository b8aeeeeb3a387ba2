#include "engine/worker/ExternalLinkScrub.h"

#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "base/XmlAttribute.h"
#include "base/ZipEntry.h"

namespace qm {

namespace {

constexpr zip_uint64_t kMaxPartBytes = 16u << 20;

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

/// One attribute of an element: its name and where its value lies.
struct Attribute {
  std::string_view name;
  std::size_t at;      ///< offset of the value in the element
  std::size_t length;  ///< of the value
};

/// The element's name and attributes. `element` runs from "<" to before ">".
std::string_view ElementName(std::string_view element) {
  std::size_t end = 1;
  while (end < element.size() && std::strchr(" \t\r\n/", element[end]) == nullptr) ++end;
  return element.substr(1, end - 1);
}

std::vector<Attribute> Attributes(std::string_view element) {
  std::vector<Attribute> found;
  std::size_t i = 1 + ElementName(element).size();
  while (i < element.size()) {
    while (i < element.size() && std::strchr(" \t\r\n/", element[i]) != nullptr) ++i;
    const std::size_t nameAt = i;
    while (i < element.size() && std::strchr(" \t\r\n=", element[i]) == nullptr) ++i;
    const std::string_view name = element.substr(nameAt, i - nameAt);
    while (i < element.size() && std::strchr(" \t\r\n", element[i]) != nullptr) ++i;
    if (i >= element.size() || element[i] != '=') break;
    ++i;
    while (i < element.size() && std::strchr(" \t\r\n", element[i]) != nullptr) ++i;
    if (i >= element.size() || (element[i] != '"' && element[i] != '\'')) break;
    const char quote = element[i++];
    const std::size_t close = element.find(quote, i);
    if (close == std::string_view::npos) break;
    found.push_back({name, i, close - i});
    i = close + 1;
  }
  return found;
}

/// Calls `visit(offset, element)` for each element tag in `xml`; the tag
/// ends at the first ">" outside quotes (a quoted ">" hides nothing).
template <typename Visit>
void ForEachElement(std::string_view xml, Visit visit) {
  for (std::size_t at = xml.find('<'); at != std::string_view::npos; at = xml.find('<', at + 1)) {
    char quote = 0;
    std::size_t end = at + 1;
    for (; end < xml.size(); ++end) {
      const char c = xml[end];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        if (xml[at + 1] != '!' && xml[at + 1] != '?') quote = c;
      } else if (c == '>') {
        break;
      }
    }
    if (end >= xml.size()) return;
    visit(at, xml.substr(at, end - at));
    at = end;
  }
}

bool IsHref(std::string_view name) { return name == "href" || EndsWith(name, ":href"); }

/// A reference that leaves the package: an address with a scheme (but the
/// package's own "vnd.sun.star." ones), an absolute path, or one going up.
bool LeavesPackage(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  if (value.empty()) return false;
  if (value.front() == '/' || value.front() == '\\' || value.substr(0, 2) == "..") return true;
  const std::size_t colon = value.find(':');
  const std::size_t slash = value.find('/');
  if (colon == std::string_view::npos || (slash != std::string_view::npos && slash < colon)) return false;
  return value.substr(0, 13) != "vnd.sun.star.";
}

/// One change to a part: bytes [at, at + length) become `text`.
struct Edit {
  std::size_t at;
  std::size_t length;
  std::string text;
};

std::vector<Edit> RelationshipEdits(std::string_view xml) {
  std::vector<Edit> edits;
  ForEachElement(xml, [&](std::size_t at, std::string_view element) {
    if (ElementName(element) != "Relationship") return;
    if (XmlAttribute(element, "TargetMode") != "External") return;
    if (EndsWith(XmlAttribute(element, "Type"), "/hyperlink")) return;
    // The whole relationship goes: what pointed at it points at nothing.
    std::size_t end = at + element.size() + 1;
    if (element.back() != '/') {
      const std::size_t close = xml.find("</Relationship>", end);
      if (close != std::string_view::npos) end = close + std::strlen("</Relationship>");
    }
    edits.push_back({at, end - at, ""});
  });
  return edits;
}

std::vector<Edit> HrefEdits(std::string_view xml, bool svg) {
  std::vector<Edit> edits;
  ForEachElement(xml, [&](std::size_t at, std::string_view element) {
    const std::string_view name = ElementName(element);
    if (name.empty() || name.front() == '/' || name.front() == '!' || name.front() == '?') return;
    // Hyperlinks are followed only on a click, which no rendering makes.
    if (!svg && (name == "a" || EndsWith(name, ":a"))) return;
    for (const Attribute& attribute : Attributes(element)) {
      if (!IsHref(attribute.name)) continue;
      const std::string_view value = element.substr(attribute.at, attribute.length);
      const bool external =
          svg ? !(value.empty() || value.front() == '#' || value.substr(0, 5) == "data:") : LeavesPackage(value);
      if (external) edits.push_back({at + attribute.at, attribute.length, svg ? "#" : ""});
    }
  });
  return edits;
}

std::string Apply(std::string xml, const std::vector<Edit>& edits) {
  for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) xml.replace(edit->at, edit->length, edit->text);
  return xml;
}

}  // namespace

bool ScrubExternalLinks(const std::string& path, ScrubbedLinks* done, std::string* error) {
  *done = ScrubbedLinks();
  std::vector<std::pair<std::string, std::string>> rewritten;
  {
    int code = 0;
    ZipArchive archive(zip_open(path.c_str(), ZIP_RDONLY, &code));
    if (!archive) return true;  // no zip: nothing of this kind to take out
    const bool openDocument = zip_name_locate(archive.get(), "mimetype", 0) >= 0 &&
                              zip_name_locate(archive.get(), "content.xml", 0) >= 0;
    const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
      const char* raw = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
      if (raw == nullptr) continue;
      const std::string name = raw;
      const bool relationships = EndsWith(name, ".rels");
      const bool svg = EndsWith(name, ".svg") || EndsWith(name, ".SVG");
      const bool odfContent = openDocument && (name == "content.xml" || name == "styles.xml");
      if (!relationships && !svg && !odfContent) continue;
      const auto xml = ReadZipEntry(archive.get(), static_cast<zip_uint64_t>(i), kMaxPartBytes);
      if (!xml) continue;
      const std::vector<Edit> edits = relationships ? RelationshipEdits(*xml) : HrefEdits(*xml, svg);
      if (edits.empty()) continue;
      done->removed += static_cast<int>(edits.size());
      rewritten.emplace_back(name, Apply(*xml, edits));
    }
  }
  if (rewritten.empty()) return true;
  if (!ReplaceZipEntries(path, rewritten, error)) return false;
  done->changed = true;
  return true;
}

}  // namespace qm
