#pragma once
// What the options read so far have set, as the option readers and the
// checks after them need it.

#include <string>

#include "cli/CommandLine.h"

namespace qm {

/// The parse under way: the command line being filled, where a reader's
/// sentence goes, and what the options given so far imply for the checks
/// between them (made once every option is read).
struct OptionState {
  CommandLine& cl;
  std::string* error;
  bool slidesGiven = false;    ///< --slides
  int firstSlide = 0;          ///< -f
  int lastSlide = 0;           ///< -l
  bool gridLookGiven = false;  ///< --gap, --background
  bool slideGiven = false;     ///< --slide
  bool outputGiven = false;    ///< --output
};

}  // namespace qm
