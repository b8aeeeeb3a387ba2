// quillmere-lok-paths-bench: what each way of drawing a slide with
// LibreOfficeKit costs, and how far the editing view is from the export.
//
//   quillmere-lok-paths-bench FILE...
//
// Starts LibreOfficeKit in this process (with a throwaway profile in a
// temporary folder, removed at the end) and, for each presentation, draws
// every slide at the slide size at 96 dpi in each of these ways, printing the
// mean milliseconds per slide:
//   paintTile      the editing view's tile of the whole slide (no encoding)
//   export disk    saveAs PNG (opaque, compression 1) into a folder on disk
//   export shm     the same into /dev/shm
//   export 1/10    the same at a tenth of the size (the export's fixed cost)
// and the normalized RMSE of the paintTile image against the export's (mean
// and largest over the slides).

#define LOK_USE_UNSTABLE_API
#include <LibreOfficeKit/LibreOfficeKit.h>
#include <LibreOfficeKit/LibreOfficeKitEnums.h>
#include <LibreOfficeKit/LibreOfficeKitInit.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/NormalizedRmse.h"
#include "base/OfficeLocation.h"
#include "engine/worker/FileUrl.h"
#include "engine/worker/OfficeProfile.h"
#include "engine/worker/PixelConversion.h"
#include "imaging/Bitmap.h"
#include "imaging/codecs/PngFile.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string Options(long width, long height) {
  return R"({"PixelWidth":{"type":"long","value":")" + std::to_string(width) +
         R"("},"PixelHeight":{"type":"long","value":")" + std::to_string(height) +
         R"("},"Translucent":{"type":"boolean","value":"false"},"Compression":{"type":"long","value":"1"}})";
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quillmere-lok-paths-bench FILE...\n");
    return 2;
  }
  char pattern[] = "/tmp/qm-lok-paths-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return 1;
  const std::string folder = pattern;
  std::string error;
  const std::string profile = qm::PrepareOfficeProfile(folder, /*blockLinks=*/true, &error);
  LibreOfficeKit* office = lok_init_2(qm::OfficeProgramFolder().c_str(), profile.c_str());
  if (office == nullptr) {
    std::fprintf(stderr, "LibreOfficeKit did not start\n");
    return 1;
  }
  const std::string onDisk = folder + "/slide.png";
  const std::string inMemory = "/dev/shm/" + fs::path(folder).filename().string() + ".png";
  std::printf("%-24s %6s %10s %12s %11s %11s %10s %10s\n", "file", "slides", "paintTile",
              "export disk", "export shm", "export 1/10", "mean RMSE", "max RMSE");
  for (int a = 1; a < argc; ++a) {
    LibreOfficeKitDocument* document = office->pClass->documentLoadWithOptions(
        office, qm::FileUrlFromPath(fs::absolute(argv[a]).string()).c_str(), "");
    if (document == nullptr) {
      std::printf("%-24s failed to open\n", fs::path(argv[a]).filename().c_str());
      continue;
    }
    document->pClass->initializeForRendering(document, "");
    const bool bgra = document->pClass->getTileMode(document) == LOK_TILEMODE_BGRA;
    const int slides = document->pClass->getParts(document);
    double tile = 0, disk = 0, shm = 0, small = 0, rmseSum = 0, rmseMax = 0;
    std::vector<std::uint8_t> canvas;
    for (int i = 0; i < slides; ++i) {
      document->pClass->setPart(document, i);
      long twipsWide = 0, twipsHigh = 0;
      document->pClass->getDocumentSize(document, &twipsWide, &twipsHigh);
      const long w = (twipsWide * 2 + 15) / 30;
      const long h = (twipsHigh * 2 + 15) / 30;
      canvas.assign(static_cast<std::size_t>(w * h * 4), 0);
      auto start = Clock::now();
      document->pClass->paintTile(document, canvas.data(), static_cast<int>(w), static_cast<int>(h),
                                  0, 0, static_cast<int>(twipsWide), static_cast<int>(twipsHigh));
      tile += MsSince(start);
      const std::string options = Options(w, h);
      start = Clock::now();
      document->pClass->saveAs(document, qm::FileUrlFromPath(onDisk).c_str(), "png", options.c_str());
      disk += MsSince(start);
      start = Clock::now();
      document->pClass->saveAs(document, qm::FileUrlFromPath(inMemory).c_str(), "png", options.c_str());
      shm += MsSince(start);
      const std::string tenth = Options(std::max(1L, w / 10), std::max(1L, h / 10));
      start = Clock::now();
      document->pClass->saveAs(document, qm::FileUrlFromPath(onDisk).c_str(), "png", tenth.c_str());
      small += MsSince(start);
      qm::Bitmap painted, exported;
      qm::CompositePremultipliedOverWhite(canvas.data(), static_cast<int>(w), static_cast<int>(h),
                                          bgra, &painted);
      if (!qm::ReadPngFile(inMemory, &exported).Ok()) exported = qm::Bitmap();
      const double rmse = qm::NormalizedRmse(painted, exported);
      rmseSum += rmse;
      rmseMax = std::max(rmseMax, rmse);
    }
    const double n = std::max(1, slides);
    std::printf("%-24s %6d %10.1f %12.1f %11.1f %11.1f %10.4f %10.4f\n",
                fs::path(argv[a]).filename().c_str(), slides, tile / n, disk / n, shm / n,
                small / n, rmseSum / n, rmseMax);
    std::fflush(stdout);
    document->pClass->destroy(document);
  }
  std::error_code ignored;
  fs::remove(inMemory, ignored);
  fs::remove_all(folder, ignored);
  std::fflush(stdout);
  _exit(0);  // LibreOfficeKit's shutdown is not safe
}
