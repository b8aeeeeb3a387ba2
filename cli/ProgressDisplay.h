#pragma once
// What the person at the terminal sees of a run: a progress bar with the
// current file and slide when standard error is a terminal, one line per
// file otherwise, and at the end a summary that counts and names files.

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/FileRecord.h"
#include "engine/batch/JobEvents.h"
#include "filelist/SkippedPath.h"

namespace qm {

class ProgressDisplay : public JobEvents {
 public:
  /// Writes to `out` (not owned). `total` is the number of files of the run.
  /// With `quiet`, only reports, messages and the summary's lists are shown.
  ProgressDisplay(std::FILE* out, int total, bool quiet);

  void FileStarted(const FileTask& task) override;
  void SlideStarted(const FileTask& task, int slide, int count) override;
  void Report(const FileTask& task, const std::string& text, bool consequence) override;
  void Message(const FileTask&, const std::string&) override {}
  bool Question(const FileTask&, const std::string&) override { return true; }
  void FileDone(const FileTask& task, const std::vector<std::string>& written,
                int slideCount) override;
  void JobFailed(const FileTask* stopped, int slide, const std::vector<FileTask>& unconverted,
                 const std::string& description) override;
  void Replaced(const FileTask& earlier, const FileTask& later) override;
  void FileSkipped(const FileTask& task) override;
  /// Keeps the facts in the file's record; a deck drawn with replaced fonts
  /// is named in the summary.
  void FileFacts(const FileTask& task, const DeckFacts& facts) override;
  bool Poll() override { return false; }

  /// With `blocked` (the renderer fetches no links), each file that wrote
  /// images and links to pictures is told of them, in its record's notes
  /// and on a line of its own.
  void SetLinksBlocked(bool blocked) { linksBlocked_ = blocked; }

  /// Names a path the gathering left out, with its reason, and counts it.
  void Skipped(const SkippedPath& skipped);

  /// Writes a line of its own (clearing the bar first).
  void Note(const std::string& text);

  /// Clears the bar and writes the summary: how many files were converted,
  /// failed, not converted and skipped, naming all but the converted ones.
  /// `where` says where the images are. Returns true when every file given
  /// was converted without a report.
  bool Summarize(const std::string& where);

  int Converted() const { return static_cast<int>(converted_.size()); }

  /// What became of each file that the run reached, by list position, and
  /// of each path the gathering skipped.
  const std::map<int, FileRecord>& Records() const { return records_; }
  const std::vector<FileRecord>& SkippedRecords() const { return skippedRecords_; }

 private:
  void ClearBar();
  void DrawBar();

  std::FILE* out_;
  int total_;
  bool quiet_;
  bool terminal_;
  bool linksBlocked_ = false;
  bool barShown_ = false;
  int started_ = 0;
  std::set<int> converted_;             ///< list positions of files converted
  std::map<int, std::string> failed_;  ///< list position -> path, files with reports
  std::vector<std::pair<std::string, std::string>> notConverted_;  ///< path, why
  int skipped_ = 0;                     ///< paths the gathering left out
  std::set<int> upToDate_;              ///< list positions left alone: images up to date
  /// list position -> path, files whose decks LibreOffice drew with fonts
  /// other than those they ask for
  std::map<int, std::string> replacedFonts_;
  /// The record of the file at list position `task.position`, made on first use.
  FileRecord& RecordOf(const FileTask& task);
  std::map<int, FileRecord> records_;
  std::vector<FileRecord> skippedRecords_;
  std::string current_;
  std::string slide_;
};

/// A report's text for a terminal: CR LF and lone CRs become line feeds.
std::string TerminalText(const std::string& text);

/// A file name or path as one safe line: line breaks, tabs and other control
/// characters are written as \n, \t, \xNN, and a backslash as \\.
std::string EscapedName(const std::string& text);

}  // namespace qm
