#include "engine/worker/PresentationSizePart.h"

#include <string_view>
#include <utility>

#include "base/XmlAttribute.h"
#include "base/ZipEntry.h"

namespace qm {

namespace {

constexpr const char kPart[] = "ppt/presentation.xml";
/// A presentation part lists one line per slide; 16 MiB is far beyond the
/// largest deck.
constexpr zip_uint64_t kMaxPartBytes = 16u << 20;
/// Larger than any slide (PowerPoint allows 56 inches a side).
constexpr std::int64_t kMaxEmu = 200ll * 914400;

/// Finds attribute `name` of the element in `element`: where its digits
/// start and how many there are; false when it is missing or its value is not
/// all digits (at most 12).
bool FindNumber(std::string_view element, std::string_view name, std::size_t* at,
                std::size_t* length) {
  const std::optional<XmlAttributeSpan> value = FindXmlAttribute(element, name);
  if (!value || value->length == 0 || value->length > 12) return false;
  for (std::size_t i = value->at; i < value->at + value->length; ++i)
    if (element[i] < '0' || element[i] > '9') return false;
  *at = value->at;
  *length = value->length;
  return true;
}

std::int64_t NumberAt(const std::string& text, std::size_t at, std::size_t length) {
  std::int64_t value = 0;
  for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

}  // namespace

std::optional<PresentationSizePart> PresentationSizePart::Read(const std::string& path) {
  int error = 0;
  ZipArchive archive(zip_open(path.c_str(), ZIP_RDONLY, &error));
  if (!archive) return std::nullopt;
  const zip_int64_t index = zip_name_locate(archive.get(), kPart, 0);
  if (index < 0) return std::nullopt;
  std::optional<std::string> bytes =
      ReadZipEntry(archive.get(), static_cast<zip_uint64_t>(index), kMaxPartBytes);
  if (!bytes) return std::nullopt;
  PresentationSizePart part;
  part.xml_ = std::move(*bytes);

  // The one element named sldSz, whatever its namespace prefix.
  const std::string& xml = part.xml_;
  std::size_t element = std::string::npos;
  for (std::size_t at = xml.find("sldSz"); at != std::string::npos; at = xml.find("sldSz", at + 1)) {
    const bool named = at > 0 && (xml[at - 1] == '<' || xml[at - 1] == ':');
    const char after = at + 5 < xml.size() ? xml[at + 5] : '\0';
    if (!named || (after != ' ' && after != '\t' && after != '\r' && after != '\n')) continue;
    if (element != std::string::npos) return std::nullopt;  // two sizes: not ours to choose
    element = at;
  }
  if (element == std::string::npos) return std::nullopt;
  const std::size_t end = xml.find('>', element);
  if (end == std::string::npos) return std::nullopt;
  const std::string_view text(xml.data() + element, end - element);
  std::size_t cx = 0, cxLength = 0, cy = 0, cyLength = 0;
  if (!FindNumber(text, "cx", &cx, &cxLength) || !FindNumber(text, "cy", &cy, &cyLength))
    return std::nullopt;
  part.cxAt_ = element + cx;
  part.cxLength_ = cxLength;
  part.cyAt_ = element + cy;
  part.cyLength_ = cyLength;
  part.size_ = {NumberAt(xml, part.cxAt_, cxLength), NumberAt(xml, part.cyAt_, cyLength)};
  if (part.size_.widthEmu <= 0 || part.size_.heightEmu <= 0 || part.size_.widthEmu > kMaxEmu ||
      part.size_.heightEmu > kMaxEmu)
    return std::nullopt;
  return part;
}

bool PresentationSizePart::Write(const std::string& path, const SlideSizeFit& size,
                                 std::string* error) const {
  // The later number first, so the earlier one's place stays where it was.
  std::string xml = xml_;
  const bool widthFirst = cxAt_ < cyAt_;
  const auto replace = [&xml](std::size_t at, std::size_t length, std::int64_t value) {
    xml.replace(at, length, std::to_string(value));
  };
  if (widthFirst) {
    replace(cyAt_, cyLength_, size.heightEmu);
    replace(cxAt_, cxLength_, size.widthEmu);
  } else {
    replace(cxAt_, cxLength_, size.widthEmu);
    replace(cyAt_, cyLength_, size.heightEmu);
  }

  return ReplaceZipEntries(path, {{kPart, std::move(xml)}}, error);
}

}  // namespace qm
