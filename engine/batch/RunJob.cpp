#include "engine/batch/RunJob.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <set>
#include <string>
#include <vector>

#include "engine/batch/BatchRunLines.h"
#include "base/CancelToken.h"
#include "base/OpenFileLimit.h"
#include "base/HeldFolders.h"
#include "base/TemporaryName.h"
#include "base/ErrorTrap.h"
#include "engine/batch/FileTask.h"
#include "engine/batch/JobMessageType.h"
#include "engine/batch/JobUi.h"
#include "engine/export/Powerpoint1.h"
#include "engine/protocol/RenderMessageType.h"
#include "imaging/writers/GdiPlusSession.h"

namespace qm {

namespace {

volatile std::sig_atomic_t gStopSignal = 0;
/// The job's own cancel: its stop signals request it, its exporters heed it.
CancelToken gJobCancel;

void OnStopSignal(int signal) {
  if (gStopSignal == 0) gStopSignal = signal;
  gJobCancel.Request();
}

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = &OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Cannot fail for these signals and a valid action; were one to, its
  // default ends the job, which the program sees as the job's death.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) (void)::sigaction(signal, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  // Failing, a closed socket ends the job at its next write, which the
  // program sees as the job's death and handles.
  (void)::sigaction(SIGPIPE, &ignore, nullptr);
}

/// How often a waiting job looks at the cancel request.
constexpr int kSliceMs = 100;
/// Time allowed for the rest of a frame once its first byte has arrived.
constexpr int kFrameMs = 10'000;

/// Waits for the front end's next message; false when it is gone or the job
/// was cancelled.
bool Receive(FrameChannel& channel, int fd, WireMessage* message) {
  for (;;) {
    if (gJobCancel.Requested()) return false;
    pollfd pfd{fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, kSliceMs);
    if (ready <= 0) continue;  // timeout or a signal: look again
    return channel.Read(kFrameMs, message) == FrameChannel::ReadStatus::kOk;
  }
}

void SendType(FrameChannel& channel, JobMessageType type) {
  channel.Write(WireMessage(static_cast<std::uint8_t>(type)));
}

/// Bytes of paths per kWritten message: half a frame, so a part always fits.
constexpr std::size_t kWrittenPartBytes = kMaxFrameBytes / 2;

/// Tells the front end the images the file at `position` wrote, in as many
/// kWritten parts as they need (a deck of thousands of slides lists more
/// than one frame holds), then that the file is done.
void SendFileDone(FrameChannel& channel, int position, const std::vector<std::string>& written,
                  int slides) {
  std::size_t next = 0;
  while (next < written.size()) {
    std::size_t end = next;
    std::size_t bytes = 0;
    while (end < written.size() && (end == next || bytes + written[end].size() + 4 <= kWrittenPartBytes))
      bytes += written[end++].size() + 4;
    WireMessage part(static_cast<std::uint8_t>(JobMessageType::kWritten));
    part.PutU32(static_cast<std::uint32_t>(position));
    part.PutU32(static_cast<std::uint32_t>(end - next));
    for (; next < end; ++next) part.PutString(written[next]);
    channel.Write(part);
  }
  WireMessage done(static_cast<std::uint8_t>(JobMessageType::kFileDone));
  done.PutU32(static_cast<std::uint32_t>(position));
  done.PutU32(static_cast<std::uint32_t>(slides + 1));
  channel.Write(done);
}

/// Converts one file and tells the front end how it went: started, the
/// reports on the way (through `ui`), skipped or not, the images written,
/// done. Without the imaging library the file gets its plain message.
void ConvertTask(const FileTask& task, Powerpoint1& exporters, JobUi& ui, FrameChannel& channel,
                 bool imagingStarted) {
  ui.SetPosition(task.position);
  ui.Send(static_cast<std::uint8_t>(JobMessageType::kFileStarted), task.path);
  if (!imagingStarted) {
    ShowPlainMessage(ui, kImagingFailedMessage);
  } else {
    ErrorTrap trap(ui, kBatchRunModule, kBatchRunProcedure);
    task.ExportWith(exporters, trap);
  }
  if (exporters.TakeSkipped()) {
    WireMessage skipped(static_cast<std::uint8_t>(JobMessageType::kSkipped));
    skipped.PutU32(static_cast<std::uint32_t>(task.position));
    channel.Write(skipped);
  }
  const DeckFacts facts = exporters.TakeFacts();
  if (!facts.slides.empty() || !facts.fontsMissing.empty() || !facts.leftOut.empty()) {
    WireMessage message(static_cast<std::uint8_t>(JobMessageType::kFacts));
    message.PutU32(static_cast<std::uint32_t>(task.position));
    // What the frame holds beyond the position and the fixed fields.
    facts.PutTo(message, kMaxFrameBytes - 4096);
    channel.Write(message);
  }
  const int slides = exporters.LastSlideCount();
  SendFileDone(channel, task.position, exporters.TakeWritten(), slides);
}

}  // namespace

const CancelToken& JobCancelToken() { return gJobCancel; }

int RunJob(int fd, const FactoryMaker& makeFactory) {
  InstallStopHandlers();
  // A joined image of thousands of slides lists thousands of pictures.
  RaiseOpenFileLimit();

  FrameChannel channel(fd, fd);
  JobUi ui(channel, gJobCancel);
  std::unique_ptr<ApplicationFactory> factory;
  try {
    factory = makeFactory();
  } catch (...) {
    return 2;
  }
  Powerpoint1 exporters(*factory, ui);
  exporters.SetCancelToken(&gJobCancel);
  exporters.SetSlideObserver([&](int slide, int count) { ui.SendSlide(slide, count); });
  // A job is a program of its own: it starts the imaging layer as start-up does.
  GdiPlusSession imaging;
  const bool imagingStarted = imaging.Start();
  std::set<std::string> swept;

  WireMessage hello(static_cast<std::uint8_t>(JobMessageType::kHello));
  hello.PutU32(kJobProtocolMagic);
  hello.PutU32(kJobProtocolVersion);
  hello.PutU32(static_cast<std::uint32_t>(::getpid()));
  channel.Write(hello);

  for (;;) {
    SendType(channel, JobMessageType::kReady);
    WireMessage message;
    if (!Receive(channel, fd, &message)) break;
    if (message.TypeByte() != static_cast<std::uint8_t>(JobMessageType::kTasks)) break;
    const std::uint32_t count = message.GetU32();
    for (std::uint32_t i = 0; i < count && !gJobCancel.Requested(); ++i) {
      FileTask task;
      if (!FileTask::GetFrom(message, &task)) break;
      // The folder is held from its first task on, so a swap of it for a
      // link sends no image elsewhere; temporary files of conversions that
      // were killed outright are removed by the next run writing there.
      if (swept.insert(task.outputFolder).second) {
        HeldFolders::Hold(task.outputFolder);
        SweepStaleTemporaries(HeldFolders::Through(task.outputFolder.empty() ? "./" : task.outputFolder));
      }
      ConvertTask(task, exporters, ui, channel, imagingStarted);
    }
  }

  HeldFolders::ReleaseAll();
  factory.reset();  // ends the render worker and removes its folder
  imaging.Stop();
  return gStopSignal != 0 ? 128 + gStopSignal : 0;
}

}  // namespace qm
