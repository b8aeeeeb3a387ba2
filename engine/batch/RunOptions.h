#pragma once
// What a batch run reads from its front end, each value at the moment of use,
// so that the window and the command-line tool drive the same run.

#include <string>

#include "engine/export/ConversionRequest.h"
#include "engine/export/SaveModes.h"

namespace qm {

class RunOptions {
 public:
  virtual ~RunOptions() = default;

  /// Number of rows in the file list.
  virtual int FileCount() = 0;
  /// The row at 1-based `position`; throws qm::Error when there is no such row.
  virtual std::string FileAt(int position) = 0;
  /// The chosen save mode (kNone when none is).
  virtual SaveMode Mode() = 0;
  /// "Save results to this folder:" is chosen.
  virtual bool SaveToFolder() = 0;
  /// The output folder as typed; may or may not end in "/".
  virtual std::string OutputFolderText() = 0;
  /// "Save results in folder of original file" is chosen.
  virtual bool SaveBesideSource() = 0;
  /// What every file of the run is asked beyond the mode (which slides, how
  /// they are named); the default asks nothing more.
  virtual ConversionRequest Request() { return {}; }
};

}  // namespace qm
