#pragma once
// A message from a conversion job, decoded and checked before anything
// acts on it.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/batch/JobMessageType.h"
#include "engine/protocol/DeckFacts.h"
#include "engine/protocol/WireMessage.h"

namespace qm {

/// The fields of one job message; which are set depends on `type`.
struct JobMessage {
  JobMessageType type = JobMessageType::kReady;
  std::uint32_t magic = 0;    ///< kHello
  std::uint32_t version = 0;  ///< kHello
  std::uint32_t pid = 0;      ///< kHello
  int position = 0;           ///< every type but kHello and kReady
  int slide = 0;              ///< kSlide
  int count = 0;              ///< kSlide: the deck's slides
  std::string text;           ///< kReport, kMessage, kQuestion
  bool consequence = false;   ///< kReport: it only follows from an earlier report
  std::vector<std::string> paths;  ///< kWritten
  int slides = -1;            ///< kFileDone: the deck's slide count, -1 unknown
  DeckFacts facts;            ///< kFacts
};

/// Decodes `message` as a job sends it. Every count and length is checked
/// against the bytes present before it sizes anything, and the fields must
/// fill the message exactly. Returns false, with `*why` a phrase saying what
/// did not fit ("a list of 4294967295 images in 0 bytes"), for anything
/// else; never throws and never allocates more than the message's size.
bool DecodeJobMessage(WireMessage& message, JobMessage* decoded, std::string* why);

}  // namespace qm
