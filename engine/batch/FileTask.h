#pragma once
// One file's work, as the run resolved it before handing it to a job.

#include <string>

#include "engine/batch/ExportKind.h"
#include "engine/export/ConversionRequest.h"
#include "engine/protocol/WireMessage.h"

namespace qm {

class ErrorTrap;
class Powerpoint1;

/// Everything a job needs to convert one listed file; nothing is read from
/// the front end after the task is made.
struct FileTask {
  int position = 0;          ///< 1-based row of the file list
  std::string path;          ///< the source file, as listed
  std::string outputFolder;  ///< ends in "/"; the exporters collapse doubled separators
  ExportKind kind = ExportKind::kNone;
  short slide = 0;           ///< the slide number for kOneSlide
  short direction = 1;       ///< for kAllSlides: 1 top to bottom, else left to right
  int line = 0;              ///< the run's step line that dispatches it, quoted by a report
  ConversionRequest request; ///< which slides and how they are named, as the run asks

  /// The output file name prefix the task writes (folder + base name): two
  /// tasks with the same key write the same names.
  std::string OutputKey() const;

  /// Appends the task's fields to `message`.
  void PutTo(WireMessage& message) const;
  /// Reads a task put by PutTo; false when the fields are missing or malformed.
  static bool GetFrom(WireMessage& message, FileTask* task);

  /// Hands the task to its exporter under the batch run's trap (the lines
  /// of the dispatch step). Exporters report their own failures.
  void ExportWith(Powerpoint1& exporters, ErrorTrap& trap) const;
};

}  // namespace qm
