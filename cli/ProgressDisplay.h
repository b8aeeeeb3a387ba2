#pragma once
// What the person at the terminal sees of a run: a progress bar with the
// current file and slide when standard error is a terminal, one line per
// file otherwise, and at the end a summary that counts files.

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "engine/batch/JobEvents.h"

namespace qm {

class ProgressDisplay : public JobEvents {
 public:
  /// Writes to `out` (not owned). `total` is the number of files of the run.
  /// With `quiet`, only reports, messages and the failures are shown.
  ProgressDisplay(std::FILE* out, int total, bool quiet);

  void FileStarted(const FileTask& task) override;
  void SlideStarted(const FileTask& task, int slide, int count) override;
  void Report(const FileTask& task, const std::string& text) override;
  void Message(const FileTask&, const std::string&) override {}
  bool Question(const FileTask&, const std::string&) override { return true; }
  void FileDone(const FileTask& task, const std::vector<std::string>& written) override;
  void JobFailed(const FileTask* stopped, int slide, const std::vector<FileTask>& unconverted,
                 const std::string& description) override;
  bool Poll() override { return false; }

  /// Writes a line of its own (clearing the bar first).
  void Note(const std::string& text);

  /// Clears the bar; call once at the end.
  void Finish();

  /// Files finished without a report.
  int Converted() const { return converted_; }
  /// Files that got at least one report.
  int WithReports() const { return static_cast<int>(reported_.size()); }
  /// Files a failed job left unconverted.
  int NotConverted() const { return notConverted_; }

 private:
  void ClearBar();
  void DrawBar();

  std::FILE* out_;
  int total_;
  bool quiet_;
  bool terminal_;
  bool barShown_ = false;
  int started_ = 0;
  int converted_ = 0;
  int notConverted_ = 0;
  std::set<int> reported_;
  std::string current_;
  std::string slide_;
};

/// A report's text for a terminal: CR LF and lone CRs become line feeds.
std::string TerminalText(const std::string& text);

}  // namespace qm
