#include "engine/worker/OoxmlNotes.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <map>
#include <memory>

#include "base/ZipEntry.h"

namespace qm {

namespace {

constexpr zip_uint64_t kMaxPartBytes = 8u << 20;
constexpr zip_uint64_t kMaxTotalBytes = 64u << 20;
constexpr std::size_t kMaxSlides = 10000;
constexpr const char kRelationshipsNs[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDoc = std::unique_ptr<xmlDoc, DocFree>;

/// The package's parts, read within the bounds.
class Package {
 public:
  explicit Package(zip_t* archive) : archive_(archive) {}

  /// Part `name` parsed, or null when it is missing, too big or no XML.
  XmlDoc Parse(const std::string& name) {
    const zip_int64_t index = zip_name_locate(archive_, name.c_str(), 0);
    if (index < 0) return nullptr;
    const std::optional<std::string> bytes =
        ReadZipEntry(archive_, static_cast<zip_uint64_t>(index), kMaxPartBytes);
    if (!bytes || bytes->size() > kMaxTotalBytes - read_) return nullptr;
    read_ += bytes->size();
    // No network, no DTD, no entity of the document's own expanded.
    return XmlDoc(xmlReadMemory(bytes->data(), static_cast<int>(bytes->size()), name.c_str(), nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  }

 private:
  zip_t* archive_;
  zip_uint64_t read_ = 0;
};

bool Named(const xmlNode* node, const char* local) {
  return node->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(node->name), local) == 0;
}

std::string Attribute(const xmlNode* node, const char* name, const char* ns = nullptr) {
  xmlChar* value = ns != nullptr ? xmlGetNsProp(node, reinterpret_cast<const xmlChar*>(name),
                                                reinterpret_cast<const xmlChar*>(ns))
                                 : xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

/// Every element named `local` under `node`, in document order.
void Collect(const xmlNode* node, const char* local, std::vector<const xmlNode*>* out) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (Named(child, local)) out->push_back(child);
    if (child->type == XML_ELEMENT_NODE) Collect(child, local, out);
  }
}

std::vector<const xmlNode*> All(const xmlDoc* doc, const char* local) {
  std::vector<const xmlNode*> found;
  if (const xmlNode* root = xmlDocGetRootElement(const_cast<xmlDoc*>(doc)); root != nullptr) Collect(root, local, &found);
  return found;
}

/// `target` of a relationship of part `from` ("ppt/slides/slide1.xml") as a
/// part name: relative to the part's folder, ".." stepping out of it.
std::string Resolve(const std::string& from, const std::string& target) {
  if (!target.empty() && target[0] == '/') return target.substr(1);
  std::string folder = from.substr(0, from.rfind('/') + 1);
  std::string rest = target;
  while (rest.compare(0, 3, "../") == 0) {
    rest.erase(0, 3);
    if (folder.empty()) return {};
    folder.erase(folder.size() - 1);
    folder = folder.substr(0, folder.rfind('/') + 1);
  }
  return folder + rest;
}

/// The relationships of part `part`: id -> (type, target part).
std::map<std::string, std::pair<std::string, std::string>> Relationships(Package& package, const std::string& part) {
  std::map<std::string, std::pair<std::string, std::string>> found;
  const std::size_t slash = part.rfind('/') + 1;
  const XmlDoc rels = package.Parse(part.substr(0, slash) + "_rels/" + part.substr(slash) + ".rels");
  if (!rels) return found;
  for (const xmlNode* rel : All(rels.get(), "Relationship")) {
    if (Attribute(rel, "TargetMode") == "External") continue;
    found[Attribute(rel, "Id")] = {Attribute(rel, "Type"), Resolve(part, Attribute(rel, "Target"))};
  }
  return found;
}

/// The text of a paragraph: its runs and fields, a line break as a line feed.
std::string ParagraphText(const xmlNode* paragraph) {
  std::string text;
  for (const xmlNode* child = paragraph->children; child != nullptr; child = child->next) {
    if (Named(child, "br")) {
      text += '\n';
    } else if (Named(child, "r") || Named(child, "fld")) {
      for (const xmlNode* part = child->children; part != nullptr; part = part->next)
        if (Named(part, "t")) {
          xmlChar* content = xmlNodeGetContent(part);
          if (content != nullptr) text += reinterpret_cast<const char*>(content);
          xmlFree(content);
        }
    }
  }
  return text;
}

/// The text of a notes page's notes placeholder (a body placeholder).
std::string NotesText(const xmlDoc* notes) {
  for (const xmlNode* shape : All(notes, "sp")) {
    std::vector<const xmlNode*> placeholders;
    Collect(shape, "ph", &placeholders);
    if (placeholders.empty()) continue;
    const std::string type = Attribute(placeholders.front(), "type");
    if (type != "body" && !(type.empty() && !Attribute(placeholders.front(), "idx").empty())) continue;
    std::vector<const xmlNode*> paragraphs;
    Collect(shape, "p", &paragraphs);
    std::string text;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) text += (i > 0 ? "\n" : "") + ParagraphText(paragraphs[i]);
    // Empty paragraphs at the end are no words.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  return {};
}

}  // namespace

std::optional<std::vector<std::string>> ReadOoxmlNotes(const std::string& path) {
  int code = 0;
  const ZipArchive archive(zip_open(path.c_str(), ZIP_RDONLY, &code));
  if (!archive) return std::nullopt;
  Package package(archive.get());
  const std::string presentationPart = "ppt/presentation.xml";
  const XmlDoc presentation = package.Parse(presentationPart);
  if (!presentation) return std::nullopt;
  const auto parts = Relationships(package, presentationPart);
  const std::vector<const xmlNode*> slideIds = All(presentation.get(), "sldId");
  if (slideIds.size() > kMaxSlides) return std::nullopt;
  std::vector<std::string> notes;
  for (const xmlNode* slideId : slideIds) {
    const auto slide = parts.find(Attribute(slideId, "id", kRelationshipsNs));
    if (slide == parts.end()) return std::nullopt;
    std::string text;
    for (const auto& [id, relationship] : Relationships(package, slide->second.second)) {
      const std::string& type = relationship.first;
      if (type.size() < 11 || type.compare(type.size() - 11, 11, "/notesSlide") != 0) continue;
      const XmlDoc page = package.Parse(relationship.second);
      if (!page) return std::nullopt;
      text = NotesText(page.get());
      break;
    }
    notes.push_back(std::move(text));
  }
  return notes;
}

}  // namespace qm
