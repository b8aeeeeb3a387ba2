#pragma once
// What the renderer reports about a presentation it opened.

#include <cstdint>

#include "engine/protocol/DeckFacts.h"

namespace qm {

/// Slide count and slide size of an open presentation. Every slide of a
/// presentation has the same size.
struct RenderDocumentInfo {
  int slideCount = 0;           ///< hidden slides included
  std::int64_t widthTwips = 0;  ///< 1440 twips per inch
  std::int64_t heightTwips = 0;
  /// The fonts it was drawn without, each slide's title, notes and clicks.
  DeckFacts facts;
};

}  // namespace qm
