// quillmere-render-worker: renders presentation slides for Quillmere.
//
//   quillmere-render-worker --fd N --folder DIR [--parent PID] [--allow-links]
//
// Started by the program (RenderWorker), never by a person. It speaks the
// render protocol (RenderMessageType.h) on descriptor N, a connected socket,
// and keeps everything of its own in DIR, a private folder the program created:
// the throwaway LibreOffice profile, LibreOffice's temporary files (TMPDIR
// points into DIR), a home and XDG folders of its own (so nothing LibreOffice
// or the libraries under it write reaches the person's home, see
// IsolateOfficeEnvironment) and worker.log, which receives the
// worker's standard output and error (LibreOffice's chatter about languages
// and sound devices), so none of it reaches the person's terminal. Sentences
// the program must see travel over the socket instead. Nothing is kept
// outside DIR: slides are drawn in memory, and a slide LibreOffice exports
// as a picture is written into DIR.
//
// The worker removes DIR when it ends: after kQuit, when the program closes
// its end, and when it is asked to stop by SIGTERM, SIGINT, SIGHUP or SIGQUIT
// (the program's death sends SIGTERM, see PR_SET_PDEATHSIG). It ends with
// _exit because LibreOfficeKit's shutdown is not safe. A crash inside
// LibreOffice leaves DIR to the program, which removes it after reaping.
//
// Ending is sound whatever comes first and on whichever thread: exactly one
// caller claims the removal (RemoveFolderOnce), removes DIR and _exits; a
// stop signal that finds the removal claimed returns at once, so the claimer
// (perhaps the very thread it interrupted) goes on to the end. The stop
// signals arrive blocked (the program blocks them before exec), so none can
// end the process by default before the handlers are in place; the main
// thread keeps them blocked while LibreOffice starts. (LibreOffice's own
// start-up thread unblocks them for itself; a SIGTERM at any moment of the
// start still reaches our handler: the tests kill owners while their
// workers start.)

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/protocol/FrameChannel.h"
#include "engine/worker/LokRenderer.h"
#include "engine/worker/OfficeProfile.h"
#include "engine/worker/RenderServer.h"
#include "engine/worker/SignalSafeRemoval.h"
#include "engine/worker/WorkerConfinement.h"
#include "engine/worker/WorkerSettings.h"

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

char gFolder[PATH_MAX];
/// The thread that claimed the folder's removal; 0 while none has.
std::atomic<pid_t> gRemover{0};
std::atomic<bool> gRemoved{false};
static_assert(std::atomic<pid_t>::is_always_lock_free, "used in a signal handler");

pid_t ThisThread() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

/// Removes the private folder if this call is the first to ask; false (and
/// nothing done) when the removal was claimed before. Whoever gets true
/// must _exit right after: the other callers count on it. Signal-safe.
bool RemoveFolderOnce() {
  pid_t none = 0;
  if (!gRemover.compare_exchange_strong(none, ThisThread())) return false;
  qm::RemoveTreeSignalSafe(gFolder);
  gRemoved.store(true);
  return true;
}

void OnStopSignal(int signal) {
  if (RemoveFolderOnce()) _exit(128 + signal);
  // The removal was claimed, by another thread or by the very one this
  // handler interrupted: returning lets it finish, and its claimer _exits.
  // (Waiting here instead, with every signal blocked, would keep an
  // interrupted removal from ever finishing.)
}

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = &OnStopSignal;
  sigfillset(&action.sa_mask);
  // These cannot fail for these signals and a valid action; were one to, the
  // signal's default still ends the worker, and the program removes the folder.
  for (const int signal : kStopSignals) (void)sigaction(signal, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  // Cannot fail for a valid signal; a write to a closed socket then fails
  // with EPIPE instead of ending the worker.
  (void)sigaction(SIGPIPE, &ignore, nullptr);
}

/// Blocks (`block`) or unblocks the stop signals on the calling thread.
void BlockStopSignals(bool block) {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kStopSignals) sigaddset(&set, signal);
  (void)sigprocmask(block ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);  // fails only for a bad `how`
}

[[noreturn]] void End(int status) {
  if (!RemoveFolderOnce()) {
    // A stop signal's handler on another thread is removing the folder and
    // will _exit when done: let it finish, but never wait for ever.
    const timespec pause{0, 5'000'000};
    for (int i = 0; i < 2000 && !gRemoved.load(); ++i) nanosleep(&pause, nullptr);
  }
  _exit(status);
}

/// Sends a sentence the program shows when the worker cannot start.
void SendFatal(qm::FrameChannel& channel, const std::string& sentence) {
  qm::WireMessage fatal(qm::RenderMessageType::kFatal);
  fatal.PutString(sentence);
  channel.Write(fatal);
}

/// Points standard input at /dev/null and standard output and error at
/// DIR/worker.log (or /dev/null when that cannot be made), unless `keep`
/// asks to leave them, for debugging.
void QuietStandardStreams(const std::string& folder, bool keep) {
  const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (nothing >= 0) (void)dup2(nothing, STDIN_FILENO);  // the worker reads nothing from it
  if (keep) return;
  int log = open((folder + "/worker.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (log < 0) log = nothing;
  if (log >= 0) {
    // Failing, the chatter goes where it went before: nothing is lost.
    (void)dup2(log, STDOUT_FILENO);
    (void)dup2(log, STDERR_FILENO);
  }
}

/// Ends the worker when the program that started it is gone already, and
/// asks for SIGTERM when it goes later.
void DieWithProgram(long parent) {
  // Failing, a worker may outlive a program killed outright; its job and the
  // program's own ends still stop it otherwise.
  (void)prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (parent != 0 && getppid() != static_cast<pid_t>(parent)) End(1);
}

/// Enters the confinement `settings` ask for (none with --allow-links) and
/// logs which layers took. Must run while the process is one thread.
qm::WorkerConfinement Confine(const qm::WorkerSettings& settings) {
  if (settings.allowLinks) return {};
  const qm::WorkerConfinement confinement =
      qm::WorkerConfinement::Enter(settings.folder, settings.officeProgram, settings.confinement);
  std::fprintf(stderr, "%s\n", confinement.Summary().c_str());
  // A change of credentials may clear the parent-death signal: set it again.
  DieWithProgram(settings.parent);
  return confinement;
}

/// Starts LibreOffice in `renderer` with a profile of its own in the worker's
/// folder; on failure tells the program why and ends the worker.
void StartOffice(qm::LokRenderer& renderer, qm::FrameChannel& channel,
                 const qm::WorkerSettings& settings, bool officeConfined) {
  std::string error;
  if (!qm::IsolateOfficeEnvironment(settings.folder, &error)) {
    SendFatal(channel, error);
    End(1);
  }
  const std::string profileUrl = qm::PrepareOfficeProfile(settings.folder, officeConfined, &error);
  if (profileUrl.empty()) {
    SendFatal(channel, error);
    End(1);
  }
  renderer.SetScrubLinks(officeConfined);
  if (!renderer.Start(settings.officeProgram, profileUrl, settings.folder, settings.drawing,
                      &error)) {
    SendFatal(channel, error);
    End(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  qm::WorkerSettings settings = qm::WorkerSettings::FromEnvironment();
  if (!settings.ReadCommandLine(argc, argv) || settings.folder.size() >= sizeof gFolder) {
    std::fprintf(stderr,
                 "quillmere-render-worker is started by Quillmere itself:\n"
                 "  quillmere-render-worker --fd N --folder DIR [--parent PID] [--allow-links]\n");
    _exit(2);
  }
  std::memcpy(gFolder, settings.folder.c_str(), settings.folder.size() + 1);
  // Slide pictures are megabytes, one after another: served from the heap
  // rather than mapped and unmapped afresh, they cost no page faults.
  ::mallopt(M_MMAP_THRESHOLD, 256 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 512 << 20);

  // The stop signals stay blocked on this thread (the program sent them
  // blocked already) until LibreOffice has started and our handlers are back.
  BlockStopSignals(true);
  InstallStopHandlers();
  DieWithProgram(settings.parent);
  // Processes LibreOffice may start must not hold the connection open: the
  // program sees the worker's death as the connection closing.
  // Failing, a child of LibreOffice could hold it open after the worker died,
  // and the program would learn of the death at its time limit instead.
  (void)fcntl(settings.fd, F_SETFD, FD_CLOEXEC);
  QuietStandardStreams(settings.folder, settings.keepStandardStreams);
  // Still one thread: a user namespace can only be entered so.
  const qm::WorkerConfinement confinement = Confine(settings);

  qm::FrameChannel channel(settings.fd, settings.fd);
  if (!settings.problem.empty()) {
    SendFatal(channel, settings.problem);
    End(1);
  }
  static qm::LokRenderer renderer;  // never destroyed: the process ends with _exit
  StartOffice(renderer, channel, settings, confinement.office);
  InstallStopHandlers();  // LibreOffice installs handlers of its own while starting
  BlockStopSignals(false);  // one that came meanwhile is handled now

  qm::WireMessage hello(qm::RenderMessageType::kHello);
  hello.PutU32(qm::kRenderProtocolMagic);
  hello.PutU32(qm::kRenderProtocolVersion);
  hello.PutU32(static_cast<std::uint32_t>(getpid()));
  hello.PutString(renderer.Notice());
  if (!channel.Write(hello)) End(1);

  qm::RenderServer server(channel, renderer);
  End(server.Serve() ? 0 : 1);
}
