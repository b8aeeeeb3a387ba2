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
///                             file (default 120; decimals allowed)
///   QUILLMERE_SLIDE_TIMEOUT   seconds allowed per slide export (default 60)
///   TMPDIR                    where workers' private folders are made (/tmp)
///
/// A value that is not a positive number is ignored.
struct RenderWorkerSettings {
  std::string workerPath;
  std::chrono::milliseconds openTimeout{120'000};
  std::chrono::milliseconds slideTimeout{60'000};
  std::string tempRoot = "/tmp";
  /// A warm worker is replaced after opening this many documents...
  int recycleAfterDocuments = 50;
  /// ...or once its resident memory passes this many bytes.
  std::uint64_t recycleAboveBytes = 1536ull << 20;

  static RenderWorkerSettings FromEnvironment();
};

/// quillmere-render-worker in the folder of the running program (found
/// through /proc/self/exe); "" when that folder cannot be found.
std::string DefaultRenderWorkerPath();

/// "N s", with one decimal when `timeout` is not a whole number of seconds.
std::string DescribeTimeout(std::chrono::milliseconds timeout);

}  // namespace qm
