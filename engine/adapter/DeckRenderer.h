#pragma once
// What the presentation objects need of a renderer: open a deck, say its
// slides' facts, draw a slide as asked, close.

#include <cstdint>
#include <string>

#include "engine/protocol/DrawRequest.h"
#include "engine/render/RenderDocumentInfo.h"

namespace qm {

/// One renderer with at most one deck open. The LibreOffice presentation
/// objects are thin over it: they check their own state (a closed
/// presentation, a slide number, a filter) and forward. The program's
/// implementation is LibreOfficeSession (a render worker); tests give their
/// own. Every failure is a qm::Error whose description names the file.
class DeckRenderer {
 public:
  virtual ~DeckRenderer() = default;

  /// Opens `path`, closing any deck open before; fills `*info` (slide count,
  /// size) and returns the deck's serial, never 0.
  virtual std::uint64_t Open(const std::string& path, RenderDocumentInfo* info) = 0;
  /// True while deck `serial` is the open one.
  virtual bool IsOpen(std::uint64_t serial) const = 0;
  /// True when slide `number` (1-based) of deck `serial` is hidden.
  virtual bool IsHidden(std::uint64_t serial, int number) = 0;
  /// Draws slide `number` (1-based) of deck `serial` as `drawing` says and
  /// writes it as a bitmap file at `bitmapPath`.
  virtual void Draw(std::uint64_t serial, int number, const std::string& bitmapPath,
                    const DrawRequest& drawing) = 0;
  /// True when the click states of slide `number` (1-based) of deck
  /// `serial` can be drawn as `drawing` asks (what they leave out, a
  /// phrase, in `*why`; "" for nothing); false, with the reason in `*why`,
  /// where this renderer cannot draw them.
  virtual bool PrepareClickStates(std::uint64_t serial, int number, const DrawRequest& drawing,
                                  std::string* why) {
    (void)serial;
    (void)number;
    (void)drawing;
    *why = "this renderer draws no click states";
    return false;
  }
  /// Closes deck `serial`; nothing happens when it is not open.
  virtual void Close(std::uint64_t serial) = 0;
  /// Closes what is open and lets the renderer go; later calls fail. Never
  /// throws; idempotent.
  virtual void End() = 0;
  /// True after End().
  virtual bool Ended() const = 0;
};

}  // namespace qm
