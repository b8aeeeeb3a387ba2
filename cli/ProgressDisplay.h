#pragma once
// What the person at the terminal sees of a run: a progress bar with the
// current file when standard error is a terminal, one line per file
// otherwise, and every error report as its text.

#include <cstdio>
#include <string>

#include "cli/JobEvent.h"

namespace qm {

class ProgressDisplay {
 public:
  /// Writes to `out` (not owned). `total` is the number of files of the run.
  /// With `quiet`, only reports and unexpected messages are shown.
  ProgressDisplay(std::FILE* out, int total, bool quiet);

  /// Shows one event of a job.
  void Show(const JobEvent& event);

  /// Writes a line of its own (clearing the bar first).
  void Note(const std::string& text);

  /// Clears the bar; call once at the end.
  void Finish();

  int FilesStarted() const { return started_; }
  int Reports() const { return reports_; }

 private:
  void ClearBar();
  void DrawBar();

  std::FILE* out_;
  int total_;
  bool quiet_;
  bool terminal_;
  bool barShown_ = false;
  int started_ = 0;
  int reports_ = 0;
  std::string current_;
};

/// A report's text for a terminal: CR LF and lone CRs become line feeds.
std::string TerminalText(const std::string& text);

}  // namespace qm
