#pragma once
// What a conversion job tells the parent process, one line per event.

#include <optional>
#include <string>

namespace qm {

struct JobEvent {
  enum Kind : char {
    kFileStarted = 'F',  ///< text: the progress caption ("Processing: deck.pptx")
    kReport = 'R',       ///< text: a standard error report
    kMessage = 'M',      ///< text: a plain message
  };
  Kind kind;
  std::string text;

  /// One line: the kind, a blank, the text with "\\", CR and LF escaped, LF.
  std::string Encode() const;
  /// The event of one line (without its LF); nullopt for a malformed line.
  static std::optional<JobEvent> Decode(const std::string& line);
};

}  // namespace qm
