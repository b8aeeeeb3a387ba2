#pragma once
// The render protocol's messages, decoded and checked before anything acts
// on them: replies as the program reads them, requests as the worker does.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/protocol/DeckFacts.h"
#include "engine/protocol/DrawRequest.h"
#include "engine/protocol/RenderFailure.h"
#include "engine/protocol/RenderMessageType.h"
#include "engine/protocol/WireMessage.h"

namespace qm {

/// A reply of the worker; which fields are set depends on `type`.
struct RenderReply {
  RenderMessageType type = RenderMessageType::kBye;
  std::uint32_t magic = 0;    ///< kHello
  std::uint32_t version = 0;  ///< kHello
  std::uint32_t pid = 0;      ///< kHello
  /// kFatal: the sentence; kFailed: the detail; kHello: what the person
  /// should know about how slides will be drawn (empty: nothing), a field
  /// older workers leave out.
  std::string text;
  RenderFailure failure = RenderFailure::kNone;  ///< kFailed
  int slideCount = 0;         ///< kOpened
  std::int64_t widthTwips = 0;   ///< kOpened
  std::int64_t heightTwips = 0;  ///< kOpened
  DeckFacts facts;               ///< kOpened
  int width = 0;              ///< kExported
  int height = 0;             ///< kExported
  std::vector<int> hidden;    ///< kHiddenSlides: 0-based indexes of hidden slides
  bool drawable = false;      ///< kStepsReady (its reason in `text` when not)
};

/// A request of the program; which fields are set depends on `type`.
struct RenderRequest {
  RenderMessageType type = RenderMessageType::kQuit;
  std::string path;  ///< kOpen: the presentation; kExport: the bitmap
  int index = 0;     ///< kExport, kSteps: the slide, 0-based
  DrawRequest drawing;  ///< kExport, kSteps: its size and background
};

/// Decodes `message` as a worker's reply: a type the worker sends, with
/// exactly its fields (numbers that stand for counts or sizes fit an int
/// and are not negative). False for anything else, with what does not fit
/// in `*why` when given ("a kExported message cut short"); never throws.
bool DecodeRenderReply(WireMessage& message, RenderReply* reply, std::string* why = nullptr);

/// Decodes `message` as a program's request, as strictly (a slide index or
/// size may be negative: the renderer refuses it in words). False for
/// anything else, with the reason in `*why` as above; never throws.
bool DecodeRenderRequest(WireMessage& message, RenderRequest* request, std::string* why = nullptr);

}  // namespace qm
