#pragma once
// What a front end hears of a run carried out by jobs.

#include <string>
#include <vector>

#include "engine/batch/FileTask.h"
#include "engine/protocol/DeckFacts.h"

namespace qm {

/// The front end's side of JobRunner::Run. Every call is made on the thread
/// that called Run, between waits; none may block for long but Question.
class JobEvents {
 public:
  virtual ~JobEvents() = default;

  /// A job began converting `task`.
  virtual void FileStarted(const FileTask& task) = 0;
  /// Slide `slide` of `count` (0 when unknown) of `task` is being rendered.
  virtual void SlideStarted(const FileTask& task, int slide, int count) = 0;
  /// A standard error report about `task`; `consequence` when it only
  /// follows from an earlier report of the same file.
  virtual void Report(const FileTask& task, const std::string& text, bool consequence) = 0;
  /// A plain message about `task`.
  virtual void Message(const FileTask& task, const std::string& text) = 0;
  /// A Yes/No question about `task`; true answers Yes.
  virtual bool Question(const FileTask& task, const std::string& text) = 0;
  /// `task` is finished; `written` holds the images it wrote, in order, and
  /// `slideCount` the deck's slide count (-1 when it could not be read).
  virtual void FileDone(const FileTask& task, const std::vector<std::string>& written,
                        int slideCount) = 0;
  /// What `task`'s deck holds beyond its pictures: the fonts it was drawn
  /// without, and the slides it drew (title, notes, clicks, notes file).
  /// Sent before its FileDone, for a deck that opened.
  virtual void FileFacts(const FileTask& task, const DeckFacts& facts) {
    (void)task;
    (void)facts;
  }
  /// `task` was left alone: every image it would write was up to date. Its
  /// FileDone follows.
  virtual void FileSkipped(const FileTask& task) { (void)task; }
  /// The images `earlier` wrote were written again by `later` (a clash of
  /// names, reported for `later`): `earlier` counts as not converted.
  virtual void Replaced(const FileTask& earlier, const FileTask& later) {
    (void)earlier;
    (void)later;
  }
  /// A job ended before finishing its files: `stopped` is the file it was
  /// converting (null when none), at `slide` (0 when none had started);
  /// `unconverted` the files of its batch it never started. `description`
  /// says what happened, in words.
  virtual void JobFailed(const FileTask* stopped, int slide,
                         const std::vector<FileTask>& unconverted,
                         const std::string& description) = 0;
  /// Called at least every 100 ms while the run waits: the front end handles
  /// its input here. Returning true cancels the run.
  virtual bool Poll() = 0;
};

}  // namespace qm
