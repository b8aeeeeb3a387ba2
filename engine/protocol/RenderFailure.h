#pragma once
// Why the render worker refused a request. Carried in a kFailed reply next to
// a sentence; the program words its own description from the kind, so the
// worker's sentence only adds detail.

#include <cstdint>

namespace qm {

enum class RenderFailure : std::uint8_t {
  kNone = 0,               ///< success
  kNotFound = 1,           ///< the file does not exist
  kNotReadable = 2,        ///< the file exists but may not be read
  kUnreadable = 3,         ///< damaged, or a format LibreOffice does not read
  kPasswordProtected = 4,  ///< opening needs a password (never asked for)
  kNotPresentation = 5,    ///< opens, but as a text document, spreadsheet or drawing
  kNoDocument = 6,         ///< export or close without an open document
  kNoSuchSlide = 7,        ///< slide index outside the document
  kBadSize = 8,            ///< requested bitmap size is impossible or too large
  kWriteFailed = 9,        ///< the bitmap file could not be written
  kBadRequest = 10,        ///< a request the worker does not understand
  kEmptyFile = 11,         ///< the file has no bytes at all
  kFolder = 12,            ///< the path names a folder
};

}  // namespace qm
