#pragma once
// What a deck holds beyond its pictures, as the renderer reads it after a
// load: the fonts it was drawn without, and each slide's words and clicks.

#include <cstddef>
#include <string>
#include <vector>

#include "engine/protocol/WireMessage.h"

namespace qm {

/// One slide's facts.
struct SlideFacts {
  int number = 0;      ///< 1-based
  bool hidden = false; ///< the slide show leaves it out
  std::string title;   ///< its title's text; "" where it has none
  std::string notes;   ///< its speaker notes; "" where it has none
  /// How many clicks its animations take in the slide show: its click
  /// states are 0 (before the first) to `clicks` (after the last).
  int clicks = 0;
  /// The notes file written for it beside its image; "" when none.
  std::string notesFile;

  bool operator==(const SlideFacts&) const = default;
};

/// A deck's facts. Read once per load; every field is bounded so that the
/// facts of any deck fit one message (see PutTo).
struct DeckFacts {
  /// Font families the deck asks for that this machine lacks, as
  /// LibreOffice names them, each once; the text set in them was drawn with
  /// another font.
  std::vector<std::string> fontsMissing;
  /// By slide, in the deck's order (when read from the renderer) or the
  /// slides a file wrote (when sent by a job).
  std::vector<SlideFacts> slides;
  /// What its images leave out on purpose, in words, one sentence each
  /// ("slide 2's click states were not drawn: ...").
  std::vector<std::string> leftOut;

  /// Appends the facts to `message`, each title and notes text cut (at a
  /// character boundary) to what fits: a text past kMaxFactText bytes, and
  /// every text once the facts would pass `budget` bytes, are shortened.
  void PutTo(WireMessage& message, std::size_t budget) const;
  /// Reads facts put by PutTo; false when cut short or out of range (never
  /// throws, never allocates more than the message holds).
  static bool GetFrom(WireMessage& message, DeckFacts* facts);

  bool operator==(const DeckFacts&) const = default;
};

/// Longest title or notes text carried, in bytes.
inline constexpr std::size_t kMaxFactText = 64 * 1024;
/// Most fonts named.
inline constexpr std::size_t kMaxFactFonts = 256;

/// `text` cut to at most `bytes` bytes without splitting a UTF-8 character.
std::string CutUtf8(const std::string& text, std::size_t bytes);

}  // namespace qm
