#include "engine/worker/PresentationSizePart.h"

#include <cmath>
#include <string_view>
#include <utility>

#include "base/XmlAttribute.h"
#include "base/ZipEntry.h"

namespace qm {

namespace {

constexpr const char kPart[] = "ppt/presentation.xml";
constexpr const char kStylesPart[] = "styles.xml";
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

/// An OpenDocument length ("33.867cm", "13.333in") in hundredths of a
/// millimetre, as LibreOffice reads it; nullopt for another form or unit.
std::optional<double> HundredthsOfLength(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && ((text[digits] >= '0' && text[digits] <= '9') || text[digits] == '.'))
    ++digits;
  if (digits == 0 || digits > 12) return std::nullopt;
  double value = 0, scale = 1;
  bool point = false;
  for (std::size_t i = 0; i < digits; ++i) {
    if (text[i] == '.') {
      if (point) return std::nullopt;
      point = true;
    } else if (point) {
      scale /= 10;
      value += (text[i] - '0') * scale;
    } else {
      value = value * 10 + (text[i] - '0');
    }
  }
  const std::string_view unit = text.substr(digits);
  if (unit == "cm") return value * 1000;
  if (unit == "mm") return value * 100;
  if (unit == "in") return value * 2540;
  if (unit == "pt") return value * 2540 / 72;
  return std::nullopt;
}

/// `hundredths` of a millimetre as an OpenDocument length that LibreOffice
/// reads back exactly: "33.867cm".
std::string CentimetreText(std::int64_t hundredths) {
  std::string fraction = std::to_string(hundredths % 1000);
  fraction.insert(0, 3 - fraction.size(), '0');
  return std::to_string(hundredths / 1000) + "." + fraction + "cm";
}

/// The text of the element that starts at `at` in `xml` (from "<" to before
/// ">"); empty when it does not end.
std::string_view ElementAt(const std::string& xml, std::size_t at) {
  const std::size_t end = xml.find('>', at);
  return end == std::string::npos ? std::string_view() : std::string_view(xml).substr(at, end - at);
}

}  // namespace

bool PresentationSizePart::ReadPageLayout() {
  const std::string& xml = xml_;
  // Every master page must use the same page layout: the slides' size.
  std::string_view layout;
  for (std::size_t at = xml.find("<style:master-page "); at != std::string::npos;
       at = xml.find("<style:master-page ", at + 1)) {
    const std::string_view name = XmlAttribute(ElementAt(xml, at), "style:page-layout-name");
    if (name.empty() || (!layout.empty() && name != layout)) return false;
    layout = name;
  }
  if (layout.empty()) return false;
  for (std::size_t at = xml.find("<style:page-layout "); at != std::string::npos;
       at = xml.find("<style:page-layout ", at + 1)) {
    if (XmlAttribute(ElementAt(xml, at), "style:name") != layout) continue;
    const std::size_t properties = xml.find("<style:page-layout-properties", at);
    const std::size_t close = xml.find("</style:page-layout>", at);
    if (properties == std::string::npos || (close != std::string::npos && close < properties))
      return false;
    const std::string_view text = ElementAt(xml, properties);
    const std::optional<XmlAttributeSpan> width = FindXmlAttribute(text, "fo:page-width");
    const std::optional<XmlAttributeSpan> height = FindXmlAttribute(text, "fo:page-height");
    if (!width || !height) return false;
    const std::optional<double> wide = HundredthsOfLength(text.substr(width->at, width->length));
    const std::optional<double> high = HundredthsOfLength(text.substr(height->at, height->length));
    if (!wide || !high) return false;
    lengths_ = true;
    cxAt_ = properties + width->at;
    cxLength_ = width->length;
    cyAt_ = properties + height->at;
    cyLength_ = height->length;
    size_ = {std::llround(*wide * SlideSizeFit::kEmuPerStep), std::llround(*high * SlideSizeFit::kEmuPerStep)};
    return true;
  }
  return false;
}

std::optional<PresentationSizePart> PresentationSizePart::Read(const std::string& path) {
  int error = 0;
  ZipArchive archive(zip_open(path.c_str(), ZIP_RDONLY, &error));
  if (!archive) return std::nullopt;
  PresentationSizePart part;
  part.part_ = kPart;
  zip_int64_t index = zip_name_locate(archive.get(), kPart, 0);
  if (index < 0) {
    part.part_ = kStylesPart;
    index = zip_name_locate(archive.get(), kStylesPart, 0);
  }
  if (index < 0) return std::nullopt;
  std::optional<std::string> bytes =
      ReadZipEntry(archive.get(), static_cast<zip_uint64_t>(index), kMaxPartBytes);
  if (!bytes) return std::nullopt;
  part.xml_ = std::move(*bytes);
  if (part.part_ == kStylesPart) {
    if (!part.ReadPageLayout() || part.size_.widthEmu <= 0 || part.size_.heightEmu <= 0 ||
        part.size_.widthEmu > kMaxEmu || part.size_.heightEmu > kMaxEmu)
      return std::nullopt;
    return part;
  }

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
  const auto replace = [&](std::size_t at, std::size_t length, std::int64_t emu) {
    xml.replace(at, length, lengths_ ? CentimetreText(SlideSizeFit::HundredthsFromEmu(emu))
                                     : std::to_string(emu));
  };
  if (widthFirst) {
    replace(cyAt_, cyLength_, size.heightEmu);
    replace(cxAt_, cxLength_, size.widthEmu);
  } else {
    replace(cxAt_, cxLength_, size.widthEmu);
    replace(cyAt_, cyLength_, size.heightEmu);
  }

  return ReplaceZipEntries(path, {{part_, std::move(xml)}}, error);
}

}  // namespace qm
