#include "engine/protocol/DeckFacts.h"

#include <algorithm>

namespace qm {

std::string CutUtf8(const std::string& text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  // Back off continuation bytes (10xxxxxx) to the start of their character.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

void DeckFacts::PutTo(WireMessage& message, std::size_t budget) const {
  const std::size_t fonts = std::min(fontsMissing.size(), kMaxFactFonts);
  message.PutU32(static_cast<std::uint32_t>(fonts));
  std::size_t used = 4;
  for (std::size_t i = 0; i < fonts; ++i) {
    const std::string name = CutUtf8(fontsMissing[i], 256);
    message.PutString(name);
    used += 4 + name.size();
  }
  const std::size_t remarks = std::min(leftOut.size(), kMaxFactFonts);
  message.PutU32(static_cast<std::uint32_t>(remarks));
  for (std::size_t i = 0; i < remarks; ++i) {
    const std::string remark = CutUtf8(leftOut[i], 1024);
    message.PutString(remark);
    used += 4 + remark.size();
  }
  message.PutU32(static_cast<std::uint32_t>(slides.size()));
  // Each slide's fixed fields and empty texts come first in the budget, so
  // that every slide is carried whatever its words.
  used += 4 + slides.size() * 28;
  for (const SlideFacts& slide : slides) used += std::min(slide.notesFile.size(), kMaxFactText);
  for (const SlideFacts& slide : slides) {
    message.PutU32(static_cast<std::uint32_t>(slide.number));
    message.PutU32(slide.hidden ? 1u : 0u);
    message.PutU32(static_cast<std::uint32_t>(slide.clicks));
    for (const std::string* text : {&slide.title, &slide.notes}) {
      const std::size_t room = used < budget ? budget - used : 0;
      const std::string put = CutUtf8(*text, std::min(kMaxFactText, room));
      message.PutString(put);
      used += put.size();
    }
    message.PutString(CutUtf8(slide.notesFile, kMaxFactText));
  }
}

bool DeckFacts::GetFrom(WireMessage& message, DeckFacts* facts) {
  DeckFacts read;
  const std::uint32_t fonts = message.GetU32();
  // Each font takes at least its 4-byte length.
  if (!message.Ok() || fonts > kMaxFactFonts || fonts > message.Remaining() / 4) return false;
  for (std::uint32_t i = 0; i < fonts; ++i) read.fontsMissing.push_back(message.GetString());
  const std::uint32_t remarks = message.GetU32();
  if (!message.Ok() || remarks > kMaxFactFonts || remarks > message.Remaining() / 4) return false;
  for (std::uint32_t i = 0; i < remarks; ++i) read.leftOut.push_back(message.GetString());
  const std::uint32_t slides = message.GetU32();
  // Each slide takes at least 24 bytes: three numbers and three lengths.
  if (!message.Ok() || slides > message.Remaining() / 24) return false;
  read.slides.reserve(slides);
  for (std::uint32_t i = 0; i < slides && message.Ok(); ++i) {
    SlideFacts slide;
    const std::uint32_t number = message.GetU32();
    const std::uint32_t hidden = message.GetU32();
    const std::uint32_t clicks = message.GetU32();
    if (number > 0x7FFFFFFFu || hidden > 1 || clicks > 0x7FFFFFFFu) return false;
    slide.number = static_cast<int>(number);
    slide.hidden = hidden == 1;
    slide.clicks = static_cast<int>(clicks);
    slide.title = message.GetString();
    slide.notes = message.GetString();
    slide.notesFile = message.GetString();
    read.slides.push_back(std::move(slide));
  }
  if (!message.Ok()) return false;
  *facts = std::move(read);
  return true;
}

}  // namespace qm
