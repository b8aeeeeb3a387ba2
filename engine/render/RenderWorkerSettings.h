#pragma once
// How render workers are found, timed and recycled.

#include <chrono>
#include <cstdint>
#include <string>

namespace qm {

/// Settings of the render workers. FromEnvironment() gives the defaults with
/// the environment's overrides applied:
///
///   QUILLMERE_RENDER_WORKER   path of the worker executable (tests point it
///                             elsewhere); default: quillmere-render-worker in
///                             the folder of the running program
///   QUILLMERE_OPEN_TIMEOUT    seconds allowed to start a worker or open a
///                             file (default 120; decimals allowed); a file
///                             gets OpenTimeoutFor it on top
///   QUILLMERE_SLIDE_TIMEOUT   seconds allowed per slide export (default 60)
///   QUILLMERE_WORKER_MEMORY_MB  resident memory one worker (with its child
///                             processes) may use, in MiB; default
///                             DefaultWorkerMemoryCeiling(jobs)
///   TMPDIR                    where workers' private folders are made (/tmp)
///
/// A value that is not a positive number is ignored.
struct RenderWorkerSettings;

/// A fair share of this machine's memory for one of `jobs` workers running
/// at once: 3/4 of MemTotal (/proc/meminfo) divided by `jobs`, and at least
/// 1 GiB (also when /proc/meminfo cannot be read).
std::uint64_t DefaultWorkerMemoryCeiling(int jobs);

/// How many workers of about 1 GiB fit in 3/4 of the memory available now
/// (MemAvailable); at least 1. The batch run caps its default job count with
/// it.
int MaxJobsForMemory();

/// The time allowed to open the deck at `path`: `base` and 10 s for each
/// whole MiB of it. Opening takes about 8 ms a slide here, so a deck of
/// 10,000 slides (10 MiB) took 77 s, and more on a busy machine: a fixed
/// limit refused such decks. `base` alone when the size cannot be read.
std::chrono::milliseconds OpenTimeoutFor(const std::string& path, std::chrono::milliseconds base);

struct RenderWorkerSettings {
  std::string workerPath;
  std::chrono::milliseconds openTimeout{120'000};
  std::chrono::milliseconds slideTimeout{60'000};
  std::string tempRoot = "/tmp";
  /// A warm worker is replaced after opening this many documents...
  int recycleAfterDocuments = 50;
  /// ...or once its resident memory passes this many bytes (or half the
  /// memory ceiling, when that is lower).
  std::uint64_t recycleAboveBytes = 1536ull << 20;
  /// A worker whose memory (its resident bytes and its child processes'
  /// private ones, RenderWorker::ResidentBytes) passes this many bytes
  /// while the program waits on it is killed, and the call fails
  /// ("needs more memory than allowed"); 0: no ceiling.
  std::uint64_t memoryCeilingBytes = DefaultWorkerMemoryCeiling(1);
  /// Let decks make the renderer fetch what they link to (pictures on the
  /// web or on this computer). Off: the worker runs confined, offline, and
  /// reads nothing but a copy of the deck.
  bool allowLinks = false;

  /// The defaults with the environment's overrides; the memory ceiling's
  /// default is a share of the machine for one of `jobs` workers at once.
  static RenderWorkerSettings FromEnvironment(int jobs = 1);

  /// What keeps a worker from starting that can be seen without starting
  /// one: a sentence naming the missing worker executable or LibreOffice
  /// Impress (and its Debian package); "" when both are there.
  std::string MissingPart() const;
};

/// quillmere-render-worker in the helper programs' folder (HelperFolder());
/// "" when that folder cannot be found.
std::string DefaultRenderWorkerPath();

/// "N s", with one decimal when `timeout` is not a whole number of seconds.
std::string DescribeTimeout(std::chrono::milliseconds timeout);

}  // namespace qm
