// The batch core with fake presentations: the queue, a job that dies, and a
// cancel, driven through real job processes.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/batch/JobMessageType.h"
#include "engine/batch/JobRunner.h"
#include "engine/protocol/RenderMessageType.h"
#include "tests/support/TempFolder.h"

namespace qm {
namespace {

/// As a crash or the out-of-memory killer would end them.
void KillChildProcesses() {
  DIR* proc = ::opendir("/proc");
  while (dirent* entry = ::readdir(proc)) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string pid, name, state;
    long parent = 0;
    if (stat >> pid >> name >> state >> parent && parent == ::getpid())
      ::kill(std::stoi(pid), SIGKILL);
  }
  ::closedir(proc);
}

/// Everything the runner told, in order; cancels once `cancelAfterSlides` slides started.
struct Recorder : JobEvents {
  std::vector<std::string> done;  ///< paths, in the order they finished
  std::vector<std::vector<std::string>> written;
  std::vector<std::string> reports;
  std::vector<std::string> failures;  ///< "stopped|slide|unconverted..."
  std::vector<std::string> failureTexts;
  int slides = 0;
  int cancelAfterSlides = -1;

  void FileStarted(const FileTask&) override {}
  int killJobsAtSlide = -1;  ///< SIGKILL every child process when this many slides started
  void SlideStarted(const FileTask&, int, int) override {
    if (++slides == killJobsAtSlide) KillChildProcesses();
  }
  void Report(const FileTask& task, const std::string& text, bool) override {
    reports.push_back(task.path + ": " + text);
  }
  void Message(const FileTask&, const std::string&) override {}
  bool Question(const FileTask&, const std::string&) override { return true; }
  void FileDone(const FileTask& task, const std::vector<std::string>& paths, int) override {
    done.push_back(task.path);
    written.push_back(paths);
  }
  void JobFailed(const FileTask* stopped, int, const std::vector<FileTask>& unconverted,
                 const std::string& description) override {
    failureTexts.push_back(description);
    std::string text = stopped ? stopped->path : "-";
    for (const FileTask& task : unconverted) text += "|" + task.path;
    failures.push_back(text);
  }
  bool Poll() override { return cancelAfterSlides >= 0 && slides >= cancelAfterSlides; }
};

FileTask Each(int position, const std::string& path, const std::string& folder) {
  FileTask task;
  task.position = position;
  task.path = path;
  task.outputFolder = folder + "/";
  task.kind = ExportKind::kEachSlide;
  task.line = 150;
  return task;
}

/// Processes whose parent is this test process.
int ChildProcesses() {
  int count = 0;
  DIR* proc = ::opendir("/proc");
  while (dirent* entry = ::readdir(proc)) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string pid, name, state;
    long parent = 0;
    if (stat >> pid >> name >> state >> parent && parent == ::getpid()) ++count;
  }
  ::closedir(proc);
  return count;
}

/// Names in `folder` that start with a dot: the exporters' temporaries.
std::vector<std::string> HiddenFiles(const std::string& folder) {
  std::vector<std::string> hidden;
  DIR* dir = ::opendir(folder.c_str());
  while (dirent* entry = ::readdir(dir))
    if (entry->d_name[0] == '.' && std::string(entry->d_name) != "." &&
        std::string(entry->d_name) != "..")
      hidden.push_back(entry->d_name);
  ::closedir(dir);
  return hidden;
}

TEST(JobRunner, ABigDeckDoesNotHoldUpTheFilesBehindIt) {
  test::TempFolder out;
  ::setenv("QM_FAKE_DECKS",
           "/in/big.pptx=12@40;/in/a.pptx=1;/in/x/deck.pptx=2;/in/b.pptx=1;/in/y/deck.ppt=3", 1);
  JobRunner runner(QM_FAKE_JOB, 2);
  Recorder events;
  const auto outcome = runner.Run({Each(1, "/in/big.pptx", out.Path()), Each(2, "/in/a.pptx", out.Path()),
                                   Each(3, "/in/x/deck.pptx", out.Path()), Each(4, "/in/b.pptx", out.Path()),
                                   Each(5, "/in/y/deck.ppt", out.Path())},
                                  events);
  EXPECT_EQ(outcome, JobRunner::Outcome::kFinished);
  ASSERT_EQ(events.done.size(), 5u);
  // The other job took every small file while the big deck was converted.
  EXPECT_EQ(events.done.back(), "/in/big.pptx");
  // Files that write the same names ran in list order, so the later one wins.
  const auto x = std::find(events.done.begin(), events.done.end(), "/in/x/deck.pptx");
  const auto y = std::find(events.done.begin(), events.done.end(), "/in/y/deck.ppt");
  EXPECT_LT(x, y);
  EXPECT_EQ(events.written[static_cast<std::size_t>(y - events.done.begin())].size(), 3u);
  EXPECT_TRUE(events.reports.empty()) << events.reports.front();
  EXPECT_EQ(ChildProcesses(), 0);
}

TEST(JobRunner, AJobKilledInADeckNamesItAndTheFilesItNeverStarted) {
  test::TempFolder out;
  ::setenv("QM_FAKE_DECKS", "/in/a/deck.ppt=kill;/in/b/deck.pptx=1;/in/c.pptx=2;/in/d.pptx=1", 1);
  JobRunner runner(QM_FAKE_JOB, 1);
  Recorder events;
  runner.Run({Each(1, "/in/a/deck.ppt", out.Path()), Each(2, "/in/b/deck.pptx", out.Path()),
              Each(3, "/in/c.pptx", out.Path()), Each(4, "/in/d.pptx", out.Path())},
             events);
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0], "/in/a/deck.ppt|/in/b/deck.pptx");
  // A fresh job converted the rest.
  EXPECT_EQ(events.done, (std::vector<std::string>{"/in/c.pptx", "/in/d.pptx"}));
  EXPECT_EQ(ChildProcesses(), 0);
}

TEST(JobRunner, AJobKilledInTheMiddleOfAJoinLeavesNoSlidePictureBehind) {
  // No later file, and so no later job, comes to this folder to clean up.
  test::TempFolder out;
  ::setenv("QM_FAKE_DECKS", "/in/big.pptx=30@20", 1);
  JobRunner runner(QM_FAKE_JOB, 1);
  Recorder events;
  events.killJobsAtSlide = 6;
  FileTask join = Each(1, "/in/big.pptx", out.Path());
  join.kind = ExportKind::kAllSlides;
  join.direction = 1;
  runner.Run({join}, events);
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_TRUE(events.done.empty());
  EXPECT_TRUE(HiddenFiles(out.Path()).empty()) << HiddenFiles(out.Path()).front();
  EXPECT_TRUE(out.Names().empty());
  EXPECT_EQ(ChildProcesses(), 0);
}

TEST(JobRunner, AFilePastItsTimeIsStoppedAndTheFilesAfterItStillConvert) {
  test::TempFolder out;
  ::setenv("QM_FAKE_DECKS", "/in/slow.pptx=40@100;/in/a.pptx=1;/in/b.pptx=1;/in/c.pptx=1", 1);
  JobRunner runner(QM_FAKE_JOB, 1);
  runner.SetFileTimeout(std::chrono::seconds(1));
  Recorder events;
  const auto started = std::chrono::steady_clock::now();
  runner.Run({Each(1, "/in/slow.pptx", out.Path()), Each(2, "/in/a.pptx", out.Path()),
              Each(3, "/in/b.pptx", out.Path()), Each(4, "/in/c.pptx", out.Path())},
             events);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0], "/in/slow.pptx");  // no file left unconverted behind it
  EXPECT_NE(events.failureTexts[0].find("took longer than 1 s"), std::string::npos) << events.failureTexts[0];
  EXPECT_EQ(events.done, (std::vector<std::string>{"/in/a.pptx", "/in/b.pptx", "/in/c.pptx"}));
  EXPECT_TRUE(HiddenFiles(out.Path()).empty()) << HiddenFiles(out.Path()).front();
  EXPECT_EQ(ChildProcesses(), 0);
}

TEST(JobRunner, CancelStopsEveryJobAtTheNextSlideAndLeavesNoTemporaryFile) {
  test::TempFolder out;
  ::setenv("QM_FAKE_DECKS", "/in/a.pptx=40@30;/in/b.pptx=40@30;/in/c.pptx=40@30", 1);
  JobRunner runner(QM_FAKE_JOB, 2);
  Recorder events;
  events.cancelAfterSlides = 3;
  const auto outcome = runner.Run({Each(1, "/in/a.pptx", out.Path()), Each(2, "/in/b.pptx", out.Path()),
                                   Each(3, "/in/c.pptx", out.Path())},
                                  events);
  EXPECT_EQ(outcome, JobRunner::Outcome::kCancelled);
  EXPECT_LT(events.slides, 20) << "jobs went on converting after the cancel";
  EXPECT_TRUE(events.failures.empty());
  EXPECT_TRUE(events.reports.empty()) << events.reports.front();
  EXPECT_TRUE(HiddenFiles(out.Path()).empty()) << HiddenFiles(out.Path()).front();
  EXPECT_EQ(ChildProcesses(), 0);
}

/// Writes an executable job that sends the frames `frames` (printf octal
/// escapes) on descriptor 3, then waits to be ended.
std::string JobSending(const test::TempFolder& folder, const std::string& frames) {
  const std::string path = folder.Path() + "/job.sh";
  std::ofstream(path) << "#!/bin/sh\nprintf '" << frames << "' >&3\nexec sleep 30\n";
  ::chmod(path.c_str(), 0755);
  return path;
}

// Frames as a job sends them: a 4-byte length, the type, the fields.
// The version as one octal escape of the printf the fake job runs (below 8).
const std::string kHelloOfThisBuild = "\\015\\0\\0\\0\\057QMJB\\00" +
                                      std::to_string(kJobProtocolVersion) + "\\0\\0\\0\\0\\0\\0\\0";
const std::string kReady = "\\001\\0\\0\\0\\050";

TEST(JobRunner, AJobsMessageWhoseCountsDoNotFitItsBytesEndsThatJobWithAReport) {
  test::TempFolder out, jobs;
  // kWritten for file 1 claiming 4294967295 images, in 13 bytes in all: the
  // count once sized an allocation, and the front end aborted.
  const std::string job = JobSending(
      jobs, kHelloOfThisBuild + kReady + "\\011\\0\\0\\0\\060\\001\\0\\0\\0\\377\\377\\377\\377");
  JobRunner runner(job, 1);
  Recorder events;
  EXPECT_EQ(runner.Run({Each(1, "/in/a.pptx", out.Path())}, events), JobRunner::Outcome::kFinished);
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0], "-|/in/a.pptx");
  EXPECT_NE(events.failureTexts[0].find("damaged message (a list of 4294967295 images in 0 bytes)"),
            std::string::npos)
      << events.failureTexts[0];
  EXPECT_EQ(ChildProcesses(), 0);
}

TEST(JobRunner, FilesAJobAsksPastWithoutConvertingAreReportedNotDropped) {
  // A job that could not read its tasks asked for more, and the next
  // hand-out replaced them: 4,097 slide ranges converted nothing, unreported.
  test::TempFolder out, jobs;
  const std::string job = JobSending(jobs, kHelloOfThisBuild + kReady + kReady);
  JobRunner runner(job, 1);
  Recorder events;
  EXPECT_EQ(runner.Run({Each(1, "/in/a.pptx", out.Path())}, events), JobRunner::Outcome::kFinished);
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0], "-|/in/a.pptx");
  EXPECT_NE(events.failureTexts[0].find("could not read the task of the file"), std::string::npos)
      << events.failureTexts[0];
}

TEST(JobRunner, ATaskTooBigForAFrameIsReportedAtTheSenderAndTheNextFileConverts) {
  // Sent whole, the job took it for garbage and was ended.
  test::TempFolder out;
  ::setenv("QM_FAKE_DECKS", "/in/b.pptx=1", 1);
  const std::string huge = "/in/" + std::string(kMaxFrameBytes, 'x') + ".pptx";
  JobRunner runner(QM_FAKE_JOB, 1);
  Recorder events;
  EXPECT_EQ(runner.Run({Each(1, huge, out.Path()), Each(2, "/in/b.pptx", out.Path())}, events),
            JobRunner::Outcome::kFinished);
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0], "-|" + huge);
  EXPECT_NE(events.failureTexts[0].find("too big to hand to a conversion job"), std::string::npos)
      << events.failureTexts[0];
  EXPECT_EQ(events.done, (std::vector<std::string>{"/in/b.pptx"}));
}

TEST(JobRunner, AJobOfAnotherBuildIsRefusedByNameAndNotStartedAgain) {
  test::TempFolder out, jobs;
  const std::string job = JobSending(jobs, "\\015\\0\\0\\0\\057QMJB\\001\\0\\0\\0\\0\\0\\0\\0" + kReady);
  JobRunner runner(job, 2);
  Recorder events;
  runner.Run({Each(1, "/in/a.pptx", out.Path()), Each(2, "/in/b.pptx", out.Path())}, events);
  EXPECT_TRUE(events.done.empty());
  ASSERT_FALSE(events.failureTexts.empty());
  for (const std::string& text : events.failureTexts) {
    EXPECT_NE(text.find("another build of Quillmere (it speaks version 1 of the job protocol, "
                        "this program version " + std::to_string(kJobProtocolVersion) + "): " + job),
              std::string::npos)
        << text;
  }
  EXPECT_EQ(ChildProcesses(), 0);
}

TEST(JobRunner, AFileThatWritesMoreImagesThanAFrameHoldsArrivesWhole) {
  // 6,000 images in a folder of a long name list 1.4 MB of paths: once one
  // frame over the 1 MiB limit, and the job was reported dead.
  test::TempFolder base;
  const std::string out = base.Path() + "/" + std::string(100, 'o') + "/" + std::string(100, 'p');
  std::filesystem::create_directories(out);
  ::setenv("QM_FAKE_DECKS", "/in/long.pptx=6000", 1);
  JobRunner runner(QM_FAKE_JOB, 1);
  Recorder events;
  EXPECT_EQ(runner.Run({Each(1, "/in/long.pptx", out)}, events), JobRunner::Outcome::kFinished);
  EXPECT_TRUE(events.failures.empty()) << events.failureTexts.front();
  ASSERT_EQ(events.written.size(), 1u);
  ASSERT_EQ(events.written[0].size(), 6000u);
  EXPECT_EQ(events.written[0].back(), out + "/long_Slide6000.png");
}

}  // namespace
}  // namespace qm
