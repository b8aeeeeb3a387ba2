#pragma once
// What the worker reads of an open deck beyond its pictures, from what
// LibreOfficeKit says of it: its presentation information, its slides'
// names, and the fonts it reported missing after the load.

#include <string>
#include <vector>

#include "engine/protocol/DeckFacts.h"
#include "engine/worker/ClickSteps.h"

namespace qm {

/// A deck's facts with each slide's click states.
struct PresentationInfo {
  DeckFacts facts;
  std::vector<ClickSteps> steps;  ///< by slide index

  /// Reads `info` (getPresentationInfo's JSON; "" or malformed: no notes
  /// and no clicks) for slides named `partNames` (getPartName's, by index),
  /// hidden where `hidden` says. A slide's title is its name unless that
  /// is LibreOffice's own "Slide <n>" for an untitled slide; notes that are
  /// only LibreOffice's prompt for empty notes ("Click to add Notes") are
  /// empty. `fontsMissing` are the fonts LibreOffice reported.
  static PresentationInfo Read(const std::string& info, const std::vector<std::string>& partNames,
                               const std::vector<bool>& hidden,
                               std::vector<std::string> fontsMissing);
};

/// The font families of a LOK_CALLBACK_FONTS_MISSING payload
/// ({"fontsmissing": [...]}), each once, without LibreOffice's theme font
/// placeholders ("+mn-lt", "+mj-ea", ...), which name no font of their own;
/// none when the payload is malformed.
std::vector<std::string> ReadMissingFonts(const char* payload);

}  // namespace qm
