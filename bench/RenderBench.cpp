// quillmere-render-bench: how fast the render worker is.
//
//   quillmere-render-bench [--passes N] [--keep] FOLDER|FILE...
//
// Renders every presentation given (a folder stands for its *.ppt* files)
// with one render worker, slide by slide, to 24-bit BMP files in a private
// temporary folder (removed afterwards unless --keep), and prints: the
// worker's start-up time, the open time of each file, the render time per
// slide, and the same again for each further pass with the worker warm.
// Files that fail are reported and skipped. Figures are wall-clock times.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/render/RenderWorker.h"
#include "engine/render/RenderWorkerSettings.h"

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
  int slides = 0;
  int failures = 0;
};

PassTotals RunPass(qm::RenderWorker& worker, const std::vector<std::string>& files,
                   const std::string& outDir) {
  PassTotals totals;
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
