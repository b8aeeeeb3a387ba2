#include "engine/adapter/LinkedPictureProbe.h"

#include <cstring>
#include <string_view>

#include "base/XmlAttribute.h"
#include "base/ZipEntry.h"

namespace qm {

namespace {

/// A relationship part bigger than this is no presentation's.
constexpr zip_uint64_t kMaxRelationshipBytes = 16u << 20;

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

/// Counts the external picture relationships in one relationship part.
int CountInRelationships(std::string_view xml) {
  int count = 0;
  for (std::size_t at = xml.find("<Relationship "); at != std::string_view::npos;
       at = xml.find("<Relationship ", at + 1)) {
    const std::size_t end = xml.find('>', at);
    if (end == std::string_view::npos) break;
    const std::string_view element = xml.substr(at, end - at);
    if (XmlAttribute(element, "TargetMode") == "External" && EndsWith(XmlAttribute(element, "Type"), "/image"))
      ++count;
  }
  return count;
}

}  // namespace

int CountLinkedPictures(const std::string& path) {
  int error = 0;
  ZipArchive archive(zip_open(path.c_str(), ZIP_RDONLY, &error));
  if (!archive) return 0;
  const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
  if (entries < 0 || zip_name_locate(archive.get(), "ppt/presentation.xml", 0) < 0) return 0;
  int count = 0;
  for (zip_int64_t i = 0; i < entries; ++i) {
    const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
    if (name == nullptr || std::strncmp(name, "ppt/", 4) != 0 || !EndsWith(name, ".rels")) continue;
    count += CountInRelationships(
        ReadZipEntry(archive.get(), static_cast<zip_uint64_t>(i), kMaxRelationshipBytes).value_or(""));
  }
  return count;
}

std::string LinkedPicturesNote(int count) {
  return std::to_string(count) + (count == 1 ? " linked picture" : " linked pictures") +
         " not fetched (use --allow-links)";
}

}  // namespace qm
