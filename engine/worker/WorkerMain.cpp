// quillmere-render-worker: renders presentation slides for Quillmere.
//
//   quillmere-render-worker --fd N --folder DIR [--parent PID]
//
// Started by the program (RenderWorker), never by a person. It speaks the
// render protocol (RenderMessageType.h) on descriptor N, a connected socket,
// and keeps everything of its own in DIR, a private folder the program created:
// the throwaway LibreOffice profile, LibreOffice's temporary files (TMPDIR
// points into DIR) and worker.log, which receives the
// worker's standard output and error (LibreOffice's chatter about languages
// and sound devices), so none of it reaches the person's terminal. Sentences
// the program must see travel over the socket instead.
//
// The worker removes DIR when it ends: after kQuit, when the program closes
// its end, and when it is asked to stop by SIGTERM, SIGINT, SIGHUP or SIGQUIT
// (the program's death sends SIGTERM, see PR_SET_PDEATHSIG). It ends with
// _exit because LibreOfficeKit's shutdown is not safe. A crash inside
// LibreOffice leaves DIR to the program, which removes it after reaping.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/protocol/FrameChannel.h"
#include "engine/worker/LokRenderer.h"
#include "base/OfficeLocation.h"
#include "engine/worker/OfficeProfile.h"
#include "engine/worker/RenderServer.h"
#include "engine/worker/SignalSafeRemoval.h"

namespace {

char gFolder[PATH_MAX];
std::atomic<bool> gRemoving{false};

/// Removes the private folder once, whoever asks first.
void RemoveFolderOnce() {
  if (!gRemoving.exchange(true)) qm::RemoveTreeSignalSafe(gFolder);
}

void OnStopSignal(int signal) {
  if (!gRemoving.exchange(true)) {
    qm::RemoveTreeSignalSafe(gFolder);
    _exit(128 + signal);
  }
  for (;;) pause();  // another thread is removing the folder and will end the process
}

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = &OnStopSignal;
  sigfillset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) sigaction(signal, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, nullptr);
}

[[noreturn]] void End(int status) {
  RemoveFolderOnce();
  _exit(status);
}

/// Sends a sentence the program shows when the worker cannot start.
void SendFatal(qm::FrameChannel& channel, const std::string& sentence) {
  qm::WireMessage fatal(qm::RenderMessageType::kFatal);
  fatal.PutString(sentence);
  channel.Write(fatal);
}

/// Points standard input at /dev/null and standard output and error at
/// DIR/worker.log (or /dev/null when that cannot be made), unless
/// QUILLMERE_WORKER_STDERR=1 asks to keep them for debugging.
void QuietStandardStreams(const std::string& folder) {
  const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (nothing >= 0) dup2(nothing, STDIN_FILENO);
  const char* keep = std::getenv("QUILLMERE_WORKER_STDERR");
  if (keep != nullptr && std::strcmp(keep, "1") == 0) return;
  int log = open((folder + "/worker.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (log < 0) log = nothing;
  if (log >= 0) {
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int fd = -1;
  long parent = 0;
  std::string folder;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    if (name == "--fd")
      fd = std::atoi(argv[i + 1]);
    else if (name == "--folder")
      folder = argv[i + 1];
    else if (name == "--parent")
      parent = std::atol(argv[i + 1]);
  }
  if (fd < 0 || folder.empty() || folder.size() >= sizeof gFolder || argc % 2 == 0) {
    std::fprintf(stderr,
                 "quillmere-render-worker is started by Quillmere itself:\n"
                 "  quillmere-render-worker --fd N --folder DIR [--parent PID]\n");
    _exit(2);
  }
  std::memcpy(gFolder, folder.c_str(), folder.size() + 1);

  // Die with the program, also when it is killed; it may already be gone.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  InstallStopHandlers();
  if (parent != 0 && getppid() != static_cast<pid_t>(parent)) End(1);
  QuietStandardStreams(folder);

  qm::FrameChannel channel(fd, fd);
  // LibreOffice makes temporary files and folders under TMPDIR and never
  // removes them when the process ends with _exit: keep them in DIR.
  const std::string temp = folder + "/tmp";
  if (mkdir(temp.c_str(), 0700) == 0 || errno == EEXIST) {
    setenv("TMPDIR", temp.c_str(), 1);
    setenv("TMP", temp.c_str(), 1);
    setenv("TEMP", temp.c_str(), 1);
  }
  std::string error;
  const std::string profileUrl = qm::PrepareOfficeProfile(folder, &error);
  if (profileUrl.empty()) {
    SendFatal(channel, error);
    End(1);
  }
  const std::string programDir = qm::OfficeProgramFolder();
  static qm::LokRenderer renderer;  // never destroyed: the process ends with _exit
  if (!renderer.Start(programDir, profileUrl, &error)) {
    SendFatal(channel, error);
    End(1);
  }
  InstallStopHandlers();  // LibreOffice installs handlers of its own while starting

  qm::WireMessage hello(qm::RenderMessageType::kHello);
  hello.PutU32(qm::kRenderProtocolMagic);
  hello.PutU32(qm::kRenderProtocolVersion);
  hello.PutU32(static_cast<std::uint32_t>(getpid()));
  if (!channel.Write(hello)) End(1);

  qm::RenderServer server(channel, renderer);
  End(server.Serve() ? 0 : 1);
}
