// quillmere-render-bench: how fast the render worker is.
//
//   quillmere-render-bench [--passes N] [--keep] FOLDER|FILE...
//
// Renders every presentation given (a folder stands for its *.ppt* files)
// with one render worker, slide by slide, to BMP files in a private
// temporary folder (removed afterwards unless --keep), and prints: the
// worker's start-up time, the open time of each file, the render time per
// slide, and the same again for each further pass with the worker warm.
// Each slide then takes the rest of the program's way to a PNG, step by step,
// and each pass ends with the time per slide of every step: the worker's
// draw (the request's round trip: drawing, the bitmap file written, the
// reply), the hand-off (the bitmap read back, as the exporter loads it), the
// PNG encode and the PNG file's write. Files that fail are reported and
// skipped. Figures are wall-clock times.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/render/RenderWorker.h"
#include "engine/render/RenderWorkerSettings.h"
#include "imaging/codecs/AtomicFile.h"
#include "imaging/codecs/BmpFile.h"
#include "imaging/codecs/PngEncoder.h"
#include "imaging/codecs/PngSettings.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool IsPresentationName(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return ext.rfind(".ppt", 0) == 0;
}

std::vector<std::string> CollectFiles(const std::vector<std::string>& arguments) {
  std::vector<std::string> files;
  for (const std::string& argument : arguments) {
    std::error_code code;
    if (fs::is_directory(argument, code)) {
      std::vector<std::string> found;
      for (const auto& entry : fs::directory_iterator(argument, code)) {
        if (entry.is_regular_file(code) && IsPresentationName(entry.path())) {
          found.push_back(entry.path().string());
        }
      }
      std::sort(found.begin(), found.end());
      files.insert(files.end(), found.begin(), found.end());
    } else {
      files.push_back(argument);
    }
  }
  return files;
}

struct PassTotals {
  double openMs = 0;
  double renderMs = 0;
  double readMs = 0;
  double encodeMs = 0;
  double writeMs = 0;
  int slides = 0;
  int failures = 0;
};

/// The exporter's way from the worker's bitmap to the PNG beside it, timed
/// step by step into `totals`. Throws on a failed step.
void WritePngAsTheProgramDoes(const std::string& bitmapPath, qm::Bitmap* picture,
                              std::vector<std::uint8_t>* png, PassTotals* totals) {
  auto start = Clock::now();
  qm::Status status = qm::ReadBmpFile(bitmapPath, picture);
  totals->readMs += MsSince(start);
  if (!status.Ok()) throw std::runtime_error(status.Message());
  start = Clock::now();
  const qm::PngSettings chosen = qm::PngSettings::Defaults().ForPicture(
      picture->pixels.data(), picture->width, picture->height);
  status = qm::EncodePng(*picture, chosen, png);
  totals->encodeMs += MsSince(start);
  if (!status.Ok()) throw std::runtime_error(status.Message());
  start = Clock::now();
  const qm::Status written = qm::AtomicFile::WriteWhole(bitmapPath + ".png", png->data(), png->size());
  totals->writeMs += MsSince(start);
  if (!written.Ok()) throw std::runtime_error(written.Message());
}

PassTotals RunPass(qm::RenderWorker& worker, const std::vector<std::string>& files,
                   const std::string& outDir) {
  PassTotals totals;
  qm::Bitmap picture;
  std::vector<std::uint8_t> png;
  std::printf("  %-32s %6s %10s %10s %10s %10s\n", "file", "slides", "open ms", "mean ms", "min ms",
              "max ms");
  for (const std::string& file : files) {
    const std::string name = fs::path(file).filename().string();
    try {
      auto start = Clock::now();
      const qm::RenderDocumentInfo info = worker.Open(file);
      const double openMs = MsSince(start);
      double sum = 0, low = 1e300, high = 0;
      for (int i = 0; i < info.slideCount; ++i) {
        const std::string bitmap = outDir + "/" + name + "_Slide" + std::to_string(i + 1) + ".bmp";
        start = Clock::now();
        worker.Export(i, bitmap);
        const double ms = MsSince(start);
        sum += ms;
        low = std::min(low, ms);
        high = std::max(high, ms);
        WritePngAsTheProgramDoes(bitmap, &picture, &png, &totals);
        std::remove(bitmap.c_str());
      }
      worker.Close();
      totals.openMs += openMs;
      totals.renderMs += sum;
      totals.slides += info.slideCount;
      const double mean = info.slideCount ? sum / info.slideCount : 0;
      std::printf("  %-32.32s %6d %10.1f %10.1f %10.1f %10.1f\n", name.c_str(), info.slideCount,
                  openMs, mean, info.slideCount ? low : 0, high);
    } catch (const std::exception& error) {
      ++totals.failures;
      std::printf("  %-32.32s failed: %s\n", name.c_str(), error.what());
      if (!worker.Usable()) throw;
    }
  }
  std::printf("  total: %d slides, open %.1f ms, render %.1f ms (%.1f ms per slide)%s\n",
              totals.slides, totals.openMs, totals.renderMs,
              totals.slides ? totals.renderMs / totals.slides : 0.0,
              totals.failures ? (", " + std::to_string(totals.failures) + " failed").c_str() : "");
  if (totals.slides > 0) {
    const double n = totals.slides;
    std::printf("  per slide: worker draw %.2f ms, hand-off %.2f ms, PNG encode %.2f ms, "
                "PNG write %.2f ms\n",
                totals.renderMs / n, totals.readMs / n, totals.encodeMs / n, totals.writeMs / n);
  }
  return totals;
}

}  // namespace

int main(int argc, char** argv) {
  int passes = 2;
  bool keep = false;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--passes") == 0 && i + 1 < argc) {
      passes = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else {
      arguments.push_back(argv[i]);
    }
  }
  const std::vector<std::string> files = CollectFiles(arguments);
  if (files.empty()) {
    std::fprintf(stderr, "usage: quillmere-render-bench [--passes N] [--keep] FOLDER|FILE...\n");
    return 2;
  }

  qm::RenderWorkerSettings settings = qm::RenderWorkerSettings::FromEnvironment();
  std::string pattern = settings.tempRoot + "/quillmere-bench-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("quillmere-render-bench: cannot create a temporary folder");
    return 1;
  }
  const std::string outDir = pattern;
  int status = 0;
  try {
    const auto start = Clock::now();
    qm::RenderWorker worker(settings);
    std::printf("worker start: %.1f ms (pid %d)\n", MsSince(start), static_cast<int>(worker.Pid()));
    for (int pass = 1; pass <= passes; ++pass) {
      std::printf("pass %d (%s worker):\n", pass, pass == 1 ? "fresh" : "warm");
      RunPass(worker, files, outDir);
    }
    std::printf("worker memory after the last pass: %.1f MB resident\n",
                static_cast<double>(worker.ResidentBytes()) / (1024.0 * 1024.0));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quillmere-render-bench: %s\n", error.what());
    status = 1;
  }
  if (keep) {
    std::printf("bitmaps kept in %s\n", outDir.c_str());
  } else {
    std::error_code ignored;
    fs::remove_all(outDir, ignored);
  }
  return status;
}
