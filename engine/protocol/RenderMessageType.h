#pragma once
// The kinds of message exchanged between the program and its render worker,
// and the fixed facts of their wire format.
//
// A frame on the wire is a 4-byte little-endian length N (1 to
// kMaxFrameBytes) followed by N bytes: one message-type byte and the
// message's fields (see WireMessage). The worker speaks first, with kHello
// (magic, protocol version, process id) once LibreOffice is ready, or kFatal
// (a sentence) when it cannot start. After that every request gets exactly
// one reply: kOpened / kExported / kClosed / kBye, or kFailed (a RenderFailure
// and a sentence).
//
//   kOpen    path                          -> kOpened  slideCount, widthTwips, heightTwips,
//                                                      DeckFacts (fonts missing; per slide
//                                                      number, hidden, clicks, title, notes)
//   kExport  slideIndex(0-based), path,     -> kExported pixelWidth, pixelHeight
//            DrawRequest: pixelWidth, pixelHeight (0 = the default size at 96 dpi),
//            flags (1: no background), click state + 1 (0: the whole slide)
//   kHidden                                -> kHiddenSlides count, slideIndex(0-based)...
//   kSteps   slideIndex(0-based), DrawRequest -> kStepsReady drawable(0/1), why (a sentence
//                                              when it cannot draw the slide's click states)
//   kClose                                 -> kClosed
//   kQuit                                  -> kBye, then the worker ends

#include <cstdint>

namespace qm {

/// "QMRW" read as a little-endian 32-bit number: the first field of kHello.
inline constexpr std::uint32_t kRenderProtocolMagic = 0x57524D51u;
/// Bumped whenever a message changes; a worker of another version is refused.
inline constexpr std::uint32_t kRenderProtocolVersion = 4;
/// Largest frame either side accepts; a longer length prefix is garbage.
inline constexpr std::uint32_t kMaxFrameBytes = 1u << 20;

enum class RenderMessageType : std::uint8_t {
  // worker -> program
  kHello = 1,
  kFatal = 2,
  kOpened = 3,
  kExported = 4,
  kClosed = 5,
  kFailed = 6,
  kBye = 7,
  kHiddenSlides = 8,
  kStepsReady = 9,
  // program -> worker
  kOpen = 20,
  kExport = 21,
  kClose = 22,
  kQuit = 23,
  kHidden = 24,
  kSteps = 25,
};

}  // namespace qm
