#include "engine/render/RenderWorker.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/ChildProgram.h"
#include "base/Error.h"
#include "base/FileCopy.h"
#include "engine/protocol/RenderMessages.h"
#include "base/Paths.h"
#include "base/TemporaryName.h"
#include "engine/protocol/FrameChannel.h"
#include "engine/protocol/RenderFailure.h"
#include "engine/protocol/WireMessage.h"
#include "engine/render/WorkerFolder.h"

namespace qm {

namespace {

using std::chrono::milliseconds;

/// The sentence for a reply that is not one the request expects: `why` the
/// decoder gave, or the type that came instead.
std::string Misunderstood(const std::string& subject, const WireMessage& message,
                          const std::string& why) {
  return subject + ": the renderer sent a reply this program does not understand (" +
         (why.empty() ? "a message of type " + std::to_string(message.TypeByte()) +
                            ", which does not answer this request"
                      : why) +
         ")";
}

/// How long a worker may take to end after kQuit or after closing its end.
constexpr milliseconds kExitGrace{3000};
constexpr int kWorkerFd = 3;

std::string DescribeWaitStatus(int status) {
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  return "status " + std::to_string(status);
}

/// Slices of the descendants' look-up: finding them means reading all of
/// /proc, so it is done about once a second; their memory at every slice.
constexpr int kSlicesPerDescendantLook = 20;

/// Waits up to `grace` for `pid` to end; true (and `*status`) once reaped.
/// Calls `eachSlice` (when given) about every FrameChannel::kSliceMs.
bool WaitWithGrace(pid_t pid, milliseconds grace, int* status,
                   const std::function<void()>& eachSlice = {}) {
  const auto deadline = std::chrono::steady_clock::now() + grace;
  auto nextSlice = std::chrono::steady_clock::now() + milliseconds(FrameChannel::kSliceMs);
  for (;;) {
    const pid_t done = ::waitpid(pid, status, WNOHANG);
    if (done == pid) return true;
    if (done < 0 && errno != EINTR) return true;  // not our child any more
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    if (eachSlice && now >= nextSlice) {
      eachSlice();
      nextSlice = now + milliseconds(FrameChannel::kSliceMs);
    }
    std::this_thread::sleep_for(milliseconds(5));
  }
}

/// Resident bytes of process `pid` (/proc/PID/statm); 0 when unknown.
std::uint64_t ResidentOf(pid_t pid) {
  std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
  std::uint64_t size = 0;
  std::uint64_t resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

/// Bytes that process `pid` alone holds (/proc/PID/smaps_rollup: its private
/// pages, clean and dirty), so that a child forked from the worker is not
/// counted again for the pages it still shares with it; its resident bytes
/// where the kernel gives no rollup.
std::uint64_t PrivateOf(pid_t pid) {
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  if (!rollup) return ResidentOf(pid);
  std::uint64_t kilobytes = 0;
  bool found = false;
  std::string name;
  std::uint64_t value = 0;
  std::string unit;
  std::string line;
  while (std::getline(rollup, line)) {
    if (line.rfind("Private_Clean:", 0) != 0 && line.rfind("Private_Dirty:", 0) != 0) continue;
    std::istringstream fields(line);
    if (fields >> name >> value) {
      kilobytes += value;
      found = true;
    }
  }
  return found ? kilobytes * 1024 : ResidentOf(pid);
}

/// The processes descended from `root` (children, their children...), read
/// from /proc/*/stat.
std::vector<pid_t> DescendantsOf(pid_t root) {
  std::multimap<pid_t, pid_t> children;  // parent -> child
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return {};
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // "PID (name) STATE PPID ...": the name may hold spaces and parentheses.
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 4 >= line.size()) continue;
    const long parent = std::strtol(line.c_str() + close + 4, nullptr, 10);
    if (parent > 0) children.emplace(static_cast<pid_t>(parent), static_cast<pid_t>(pid));
  }
  ::closedir(proc);
  std::vector<pid_t> found;
  std::vector<pid_t> queue = {root};
  while (!queue.empty() && found.size() < 4096) {
    const pid_t parent = queue.back();
    queue.pop_back();
    const auto range = children.equal_range(parent);
    for (auto it = range.first; it != range.second; ++it) {
      found.push_back(it->second);
      queue.push_back(it->second);
    }
  }
  return found;
}

std::string Megabytes(std::uint64_t bytes) {
  return std::to_string((bytes + (1u << 19)) >> 20) + " MB";
}

/// The sentence for a refusal the worker sent about `subject`.
std::string DescribeRefusal(RenderFailure failure, const std::string& detail,
                            const std::string& subject, int slideNumber) {
  const std::string slide = "slide " + std::to_string(slideNumber);
  switch (failure) {
    case RenderFailure::kNotFound:
      return subject + ": the file does not exist";
    case RenderFailure::kNotReadable:
      return subject + ": the file cannot be read (" + detail + ")";
    case RenderFailure::kFolder:
      return subject + ": this is a folder, not a presentation";
    case RenderFailure::kEmptyFile:
      return subject + ": the file is empty";
    case RenderFailure::kUnreadable:
      return subject + ": the file could not be opened; it is damaged or not a presentation";
    case RenderFailure::kPasswordProtected:
      return subject + ": the presentation is password-protected";
    case RenderFailure::kNotPresentation:
      return subject + ": not a presentation (the file opens as " + detail + ")";
    case RenderFailure::kNoDocument:
      return subject + ": the presentation is not open";
    case RenderFailure::kNoSuchSlide:
      return subject + ": there is no " + slide;
    case RenderFailure::kBadSize:
      return subject + ": " + slide + " cannot be exported at that size (" + detail + ")";
    case RenderFailure::kWriteFailed:
      return subject + ": " + slide + " could not be exported: " + detail;
    default:
      return subject + ": the renderer refused the request (" + detail + ")";
  }
}

}  // namespace

RenderWorker::RenderWorker(const RenderWorkerSettings& settings, std::function<void()> waitHook)
    : workerPath_(settings.workerPath),
      openTimeout_(settings.openTimeout),
      slideTimeout_(settings.slideTimeout),
      memoryCeiling_(settings.memoryCeilingBytes),
      allowLinks_(settings.allowLinks),
      waitHook_(std::move(waitHook)) {
  if (const std::string missing = settings.MissingPart(); !missing.empty()) throw Error(missing);
  WorkerFolder::RemoveStale(settings.tempRoot);
  folder_ = std::make_unique<WorkerFolder>(settings.tempRoot);
  try {
    Spawn(workerPath_);
    AwaitHello();
  } catch (...) {
    Kill();
    throw;
  }
}

RenderWorker::~RenderWorker() { Quit(); }

void RenderWorker::Spawn(const std::string& workerPath) {
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
    throw Error(std::string("The renderer could not be started: ") + std::strerror(errno));
  }
  const pid_t parent = ::getpid();
  std::vector<std::string> args = {
      workerPath,      "--fd",     std::to_string(kWorkerFd), "--folder",
      folder_->Path(), "--parent", std::to_string(parent)};
  ChildProgram child;
  if (allowLinks_) args.push_back("--allow-links");
  child.argv = std::move(args);
  child.connectionFd = pair[1];
  child.childFd = kWorkerFd;
  // A process group of its own: a Ctrl+C at the terminal is the program's
  // to handle. The stop signals stay blocked across exec until the worker
  // has its handlers: one that came sooner (the program dying right now)
  // would end it by default, without removing its folder; blocked, it waits
  // for the handler. (The worker sets its own parent-death signal and checks
  // that its parent is still `parent`.)
  child.ownProcessGroup = true;
  // Nothing of the person's session reaches a renderer of untrusted decks:
  // no session bus, agent, keyring, display or sound server to talk to.
  child.withheldVariables = {"DBUS_SESSION_BUS_ADDRESS", "DBUS_SYSTEM_BUS_ADDRESS", "SSH_AUTH_SOCK",
                             "SSH_AGENT_PID", "GPG_AGENT_INFO", "GNUPGHOME", "GNOME_KEYRING_CONTROL",
                             "KRB5CCNAME", "DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY",
                             "SESSION_MANAGER", "PULSE_SERVER", "PIPEWIRE_REMOTE"};
  sigemptyset(&child.blocked);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) sigaddset(&child.blocked, signal);
  std::string error;
  const pid_t pid = StartChildProgram(child, &error);
  if (pid < 0) {
    (void)::close(pair[0]);  // never used
    (void)::close(pair[1]);
    throw Error("The renderer " + workerPath + " could not be run: " + error);
  }
  (void)::close(pair[1]);  // the worker's end: it holds its own copy now
  socket_ = pair[0];
  pid_ = pid;
  channel_ = std::make_unique<FrameChannel>(socket_, socket_);
  // Without the note, a folder this worker leaves behind is removed by a
  // later run only once it is a day old (RemoveStale): nothing to stop for.
  (void)folder_->RecordOwner(pid);
}

void RenderWorker::AwaitHello() {
  WireMessage hello;
  const auto status = channel_->Read(static_cast<int>(openTimeout_.count()), &hello,
                                     [this] { Slice("", true); });
  if (status == FrameChannel::ReadStatus::kTimeout) {
    Fail("The renderer did not start within " + DescribeTimeout(openTimeout_));
  }
  if (status == FrameChannel::ReadStatus::kEof || status == FrameChannel::ReadStatus::kError) {
    const std::string how = ReapAfterEof();
    if (how == "exit status 127") Fail("The renderer " + workerPath_ + " could not be run");
    Fail("The renderer stopped while starting (" + how + ")");
  }
  RenderReply greeting;
  if (status == FrameChannel::ReadStatus::kOk && DecodeRenderReply(hello, &greeting)) {
    if (greeting.type == RenderMessageType::kFatal)
      Fail(!greeting.text.empty() ? greeting.text : "The renderer could not start");
    if (greeting.type == RenderMessageType::kHello && greeting.magic == kRenderProtocolMagic) {
      if (greeting.version == kRenderProtocolVersion) {
        notice_ = greeting.text;
        // Said once per process: every worker of a run would say the same.
        static std::once_flag said;
        if (!notice_.empty())
          std::call_once(said, [this] { std::fprintf(stderr, "Note: %s.\n", notice_.c_str()); });
        return;
      }
      Fail("The renderer " + workerPath_ + " speaks protocol version " +
           std::to_string(greeting.version) + ", this program needs version " +
           std::to_string(kRenderProtocolVersion) + "; reinstall Quillmere");
    }
  }
  Fail("The renderer " + workerPath_ + " sent a greeting this program does not understand");
}

WireMessage RenderWorker::Exchange(const WireMessage& request, milliseconds timeout,
                                   const std::string& subject) {
  std::string why;
  if (!CheckIdle(&why)) {
    exportTarget_.clear();  // nothing was asked of this worker
    throw Error(subject + ": the renderer " + why);
  }
  if (!channel_->Write(request)) {
    Fail(subject + ": the renderer stopped unexpectedly (" + ReapAfterEof() + ")");
  }
  WireMessage reply;
  switch (channel_->Read(static_cast<int>(timeout.count()), &reply,
                         [&] { Slice(subject, true); })) {
    case FrameChannel::ReadStatus::kOk:
      return reply;
    case FrameChannel::ReadStatus::kTimeout:
      Fail(subject + ": the renderer did not answer within " + DescribeTimeout(timeout));
    case FrameChannel::ReadStatus::kGarbage:
      break;
    case FrameChannel::ReadStatus::kEof:
    case FrameChannel::ReadStatus::kError:
      Fail(subject + ": the renderer stopped unexpectedly (" + ReapAfterEof() + ")");
  }
  Fail(subject + ": the renderer sent a reply this program does not understand");
}

RenderDocumentInfo RenderWorker::Open(const std::string& path) {
  std::error_code code;
  std::string absolute = std::filesystem::absolute(path, code).string();
  if (code || absolute.empty()) absolute = path;
  documentPath_.clear();
  document_ = RenderDocumentInfo();
  ++documentsOpened_;
  WireMessage request(RenderMessageType::kOpen);
  const std::string handed = StageDeck(absolute, path);
  request.PutString(handed);
  WireMessage message = Exchange(request, OpenTimeoutFor(handed, openTimeout_), path);
  RenderReply reply;
  std::string why;
  if (DecodeRenderReply(message, &reply, &why)) {
    if (reply.type == RenderMessageType::kOpened) {
      RenderDocumentInfo info;
      info.slideCount = reply.slideCount;
      info.widthTwips = reply.widthTwips;
      info.heightTwips = reply.heightTwips;
      info.facts = std::move(reply.facts);
      documentPath_ = absolute;
      document_ = info;
      return info;
    }
    if (reply.type == RenderMessageType::kFailed)
      throw Error(DescribeRefusal(reply.failure, reply.text, path, 0));
  }
  Fail(Misunderstood(path, message, why));
}

std::pair<int, int> RenderWorker::Export(int index, const std::string& bitmapPath,
                                         const DrawRequest& drawing) {
  const std::string subject = documentPath_.empty() ? bitmapPath : documentPath_;
  std::error_code code;
  std::string absolute = std::filesystem::absolute(bitmapPath, code).string();
  if (code || absolute.empty()) absolute = bitmapPath;
  // The worker writes only inside its folder; the bitmap is moved out after.
  const std::string drawn = folder_->Path() + "/slide.bmp";
  WireMessage request(RenderMessageType::kExport);
  request.PutU32(static_cast<std::uint32_t>(index));
  request.PutString(drawn);
  drawing.PutTo(request);
  // Should the worker be killed before it answers, what it wrote goes too.
  struct stat before {};
  exportTargetExisted_ = ::lstat(absolute.c_str(), &before) == 0;
  exportTarget_ = absolute;
  WireMessage message;
  try {
    message = Exchange(request, slideTimeout_, subject);
  } catch (const Error& error) {
    // A renderer that dies or hangs in a deck: say on which slide.
    throw Error(std::string(error.what()) + " at slide " + std::to_string(index + 1));
  }
  RenderReply reply;
  std::string why;
  if (DecodeRenderReply(message, &reply, &why)) {
    if (reply.type == RenderMessageType::kExported) {
      std::string notMoved;
      const bool moved = MoveFileBytes(drawn, absolute, &notMoved);
      exportTarget_.clear();
      if (!moved) {
        throw Error(DescribeRefusal(RenderFailure::kWriteFailed, notMoved, subject, index + 1));
      }
      return {reply.width, reply.height};
    }
    if (reply.type == RenderMessageType::kFailed) {
      exportTarget_.clear();  // the worker removed its partial file itself
      throw Error(DescribeRefusal(reply.failure, reply.text, subject, index + 1));
    }
  }
  Fail(Misunderstood(subject, message, why));
}

bool RenderWorker::PrepareSteps(int index, const DrawRequest& drawing, std::string* why) {
  const std::string subject = documentPath_;
  WireMessage request(RenderMessageType::kSteps);
  request.PutU32(static_cast<std::uint32_t>(index));
  drawing.PutTo(request);
  WireMessage message = Exchange(request, slideTimeout_, subject);
  RenderReply reply;
  std::string misread;
  if (DecodeRenderReply(message, &reply, &misread)) {
    if (reply.type == RenderMessageType::kStepsReady) {
      *why = reply.text;
      return reply.drawable;
    }
    if (reply.type == RenderMessageType::kFailed)
      throw Error(DescribeRefusal(reply.failure, reply.text, subject, index + 1));
  }
  Fail(Misunderstood(subject, message, misread));
}

std::vector<int> RenderWorker::HiddenSlides() {
  const std::string subject = documentPath_;
  WireMessage message = Exchange(WireMessage(RenderMessageType::kHidden), slideTimeout_, subject);
  RenderReply reply;
  std::string why;
  if (DecodeRenderReply(message, &reply, &why)) {
    if (reply.type == RenderMessageType::kHiddenSlides) return reply.hidden;
    if (reply.type == RenderMessageType::kFailed)
      throw Error(DescribeRefusal(reply.failure, reply.text, subject, 0));
  }
  Fail(Misunderstood(subject, message, why));
}

std::string RenderWorker::StageDeck(const std::string& absolute, const std::string& subject) {
  const std::string staged = folder_->Path() + "/deck";
  RemoveStagedDeck();
  if (allowLinks_) return absolute;
  // A file that is missing, a folder, or not ours to read is the worker's to
  // name, as it names them without a copy; only a readable file is copied.
  struct stat info {};
  if (::stat(absolute.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      ::access(absolute.c_str(), R_OK) != 0) {
    return absolute;
  }
  if (::mkdir(staged.c_str(), 0700) != 0 && errno != EEXIST) {
    throw Error(subject + ": the renderer's folder " + staged + " could not be made: " +
                std::strerror(errno));
  }
  const std::string copy = staged + "/" + FileNamePart(absolute);
  std::string why;
  if (!CopyFileBytes(absolute, copy, &why))
    throw Error(subject + ": the file could not be handed to the renderer (" + why + ")");
  stagedDeck_ = copy;
  return copy;
}

void RenderWorker::RemoveStagedDeck() {
  if (stagedDeck_.empty()) return;
  (void)::unlink(stagedDeck_.c_str());  // else it goes with the worker's folder
  stagedDeck_.clear();
}

void RenderWorker::Close() {
  RemoveStagedDeck();
  if (documentPath_.empty()) return;
  const std::string subject = documentPath_;
  documentPath_.clear();
  document_ = RenderDocumentInfo();
  WireMessage message = Exchange(WireMessage(RenderMessageType::kClose), slideTimeout_, subject);
  RenderReply reply;
  std::string why;
  if (!DecodeRenderReply(message, &reply, &why) || reply.type != RenderMessageType::kClosed) {
    Fail(Misunderstood(subject, message, why));
  }
}

void RenderWorker::Quit() {
  if (pid_ > 0 && !failed_ && channel_ && channel_->Write(WireMessage(RenderMessageType::kQuit))) {
    // kBye (or the connection closing) means the worker is on its way out;
    // silence means it is stuck, and it is killed without further waiting,
    // as it is when the hook asks to stop.
    const auto hook = [this] {
      if (waitHook_) waitHook_();
    };
    try {
      WireMessage bye;
      if (channel_->Read(static_cast<int>(kExitGrace.count()), &bye, hook) !=
          FrameChannel::ReadStatus::kTimeout) {
        int status = 0;
        if (WaitWithGrace(pid_, kExitGrace, &status, hook)) pid_ = -1;
      }
    } catch (...) {
      // Quit never throws; the worker is killed below.
    }
  }
  Kill();
}

void RenderWorker::Kill() {
  Reap(true);
  if (!exportTarget_.empty()) RemovePartialOutput();
  stagedDeck_.clear();  // it goes with the folder
  RemoveFolder();
  documentPath_.clear();
}

void RenderWorker::RemovePartialOutput() {
  // What the worker was writing is in its folder, which goes with it.
  const std::string target = exportTarget_;
  exportTarget_.clear();
  if (!exportTargetExisted_) (void)::unlink(target.c_str());  // a partial picture, if any; the failure is reported
}

void RenderWorker::Slice(const std::string& subject, bool checkMemory) {
  try {
    if (checkMemory) CheckMemory(subject);
    if (waitHook_) waitHook_();
  } catch (...) {
    failed_ = true;
    Kill();
    throw;
  }
}

void RenderWorker::CheckMemory(const std::string& subject) {
  if (memoryCeiling_ == 0 || pid_ <= 0) return;
  if (--slicesUntilDescendants_ < 0) {
    descendants_ = DescendantsOf(pid_);
    slicesUntilDescendants_ = kSlicesPerDescendantLook;
  }
  std::uint64_t used = ResidentOf(pid_);
  for (const pid_t child : descendants_) used += ResidentOf(child);
  if (used <= memoryCeiling_) return;
  if (subject.empty()) {
    throw Error("The renderer needs more memory than allowed while starting (it passed " +
                Megabytes(memoryCeiling_) + ")");
  }
  throw Error(subject + ": needs more memory than allowed (the renderer passed " +
              Megabytes(memoryCeiling_) + ")");
}

void RenderWorker::Fail(const std::string& description) {
  failed_ = true;
  Kill();
  throw Error(description);
}

std::string RenderWorker::ReapAfterEof(bool callHook) {
  if (pid_ <= 0) return "it had already ended";
  int status = 0;
  const auto hook = [this] { Slice("", false); };
  if (WaitWithGrace(pid_, kExitGrace, &status,
                    callHook ? std::function<void()>(hook) : std::function<void()>())) {
    pid_ = -1;
    return DescribeWaitStatus(status);
  }
  Reap(true);
  return "it closed the connection";
}

void RenderWorker::Reap(bool kill) {
  if (pid_ > 0) {
    if (kill) {
      // Its group too: the worker's children, if any, die with it. The
      // group bears the worker's id, which cannot be taken by anyone else
      // before the worker is reaped.
      (void)::kill(-pid_, SIGKILL);  // the group may be empty or gone: waited for below
      (void)::kill(pid_, SIGKILL);
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
  if (socket_ >= 0) {
    (void)::close(socket_);  // the worker's replies are read or no longer wanted
    socket_ = -1;
  }
}

void RenderWorker::RemoveFolder() {
  if (folder_) folder_->Remove();
}

bool RenderWorker::Usable() { return CheckIdle(nullptr); }

bool RenderWorker::CheckIdle(std::string* why) {
  if (failed_ || pid_ <= 0) {
    if (why != nullptr) *why = "is not running";
    return false;
  }
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) {
    pid_ = -1;
    failed_ = true;
    Kill();
    if (why != nullptr) *why = "stopped unexpectedly (" + DescribeWaitStatus(status) + ")";
    return false;
  }
  // Between requests the worker says nothing: a closed connection or
  // unasked-for bytes mean it is dying or confused.
  pollfd pfd{socket_, POLLIN, 0};
  if (::poll(&pfd, 1, 0) > 0) {
    char byte = 0;
    const bool closed = ::recv(socket_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) <= 0;
    std::string description = closed ? "stopped unexpectedly (" + ReapAfterEof(false) + ")"
                                     : std::string("sent a reply this program does not understand");
    failed_ = true;
    Kill();
    if (why != nullptr) *why = description;
    return false;
  }
  return true;
}

std::string RenderWorker::FolderPath() const { return folder_ ? folder_->Path() : std::string(); }

std::uint64_t RenderWorker::ResidentBytes() const {
  if (pid_ <= 0) return 0;
  std::uint64_t used = ResidentOf(pid_);
  for (const pid_t child : DescendantsOf(pid_)) used += PrivateOf(child);
  return used;
}

}  // namespace qm
