#pragma once
// What became of one file of a run, as --json tells it.

#include <string>
#include <vector>

#include "engine/protocol/DeckFacts.h"

namespace qm {

struct FileRecord {
  std::string path;
  /// "converted", "failed" (it got a report), "not-converted" or "skipped".
  std::string status = "not-converted";
  std::vector<std::string> images;   ///< the images it wrote, in order
  int slides = -1;                   ///< the deck's slide count; -1 when not read
  std::vector<std::string> reasons;  ///< reports and why it was not converted
  std::vector<std::string> notes;    ///< what its images leave out on purpose, in words
  /// The fonts its deck asks for that LibreOffice drew with others.
  std::vector<std::string> fontsMissing;
  /// The slides it drew: number, hidden, title, speaker notes, clicks, and
  /// the notes file written beside the image.
  std::vector<SlideFacts> slideDetails;
};

}  // namespace qm
