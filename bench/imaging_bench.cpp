// Measures the image encoders on real slide pictures: encode time per
// megapixel and bytes per slide, for the PNG settings the program uses, for
// zlib's default level with adaptive filtering, and for JPEG at quality 100.
// With --sweep it also tries every zlib level, filter and strategy of
// interest; with --stitch N it joins N slides side by side the streamed way
// and reports the peak memory of doing so.
//
//   qm_imaging_bench [--sweep] [--rounds R] [--stitch N] [--out DIR] FOLDER
//
// FOLDER holds slide pictures as .png or .bmp files (bench/make_bench_slides.py
// makes a realistic set with LibreOffice). Encoded files go to DIR (default: a
// fresh folder under /tmp, removed at the end).

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imaging/codecs/BmpFile.h"
#include "imaging/codecs/JpegFile.h"
#include "imaging/codecs/JpegRowReader.h"
#include "imaging/codecs/PngFile.h"
#include "imaging/codecs/PngStreamWriter.h"

namespace fs = std::filesystem;

namespace {

struct Options {
  std::string folder;
  std::string out;
  bool sweep = false;
  int rounds = 1;
  int stitch = 0;
};

struct Slide {
  std::string name;
  qm::Bitmap picture;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--sweep") {
      options->sweep = true;
    } else if ((arg == "--rounds" || arg == "--stitch" || arg == "--out") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--out") options->out = value;
      else if (arg == "--rounds") options->rounds = std::max(1, std::atoi(value.c_str()));
      else options->stitch = std::max(0, std::atoi(value.c_str()));
    } else if (!arg.empty() && arg[0] != '-' && options->folder.empty()) {
      options->folder = arg;
    } else {
      return false;
    }
  }
  return !options->folder.empty();
}

std::vector<Slide> LoadSlides(const std::string& folder) {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".png" || ext == ".bmp") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<Slide> slides;
  for (const fs::path& path : paths) {
    Slide slide{path.filename().string(), {}};
    const qm::Status read = path.extension() == ".png" ? qm::ReadPngFile(path, &slide.picture)
                                                       : qm::ReadBmpFile(path, &slide.picture);
    if (!read.Ok()) {
      std::fprintf(stderr, "skipped: %s\n", read.Message().c_str());
      continue;
    }
    slides.push_back(std::move(slide));
  }
  return slides;
}

double Megapixels(const std::vector<Slide>& slides) {
  double pixels = 0;
  for (const Slide& s : slides) pixels += double(s.picture.width) * s.picture.height;
  return pixels / 1e6;
}

/// Encodes every slide `rounds` times with `encode` and prints one result
/// line. Each slide counts with its fastest round, so other work on the
/// machine disturbs the figures less.
template <class Encode>
void Measure(const std::string& label, const std::vector<Slide>& slides, int rounds,
             const std::string& out, const char* extension, Encode encode) {
  double seconds = 0;
  std::uintmax_t bytes = 0;
  for (std::size_t i = 0; i < slides.size(); ++i) {
    const std::string path = out + "/slide" + std::to_string(i) + extension;
    double fastest = 1e9;
    for (int round = 0; round < rounds; ++round) {
      const auto start = std::chrono::steady_clock::now();
      const qm::Status encoded = encode(slides[i].picture, path);
      if (!encoded.Ok()) {
        std::fprintf(stderr, "%s: %s\n", label.c_str(), encoded.Message().c_str());
        std::exit(1);
      }
      fastest = std::min(
          fastest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    seconds += fastest;
    bytes += fs::file_size(path);
  }
  std::printf("%-46s %6.1f ms/MP %6.1f ms/slide %8.0f bytes/slide\n", label.c_str(),
              1000 * seconds / Megapixels(slides),
              1000 * seconds / static_cast<double>(slides.size()),
              static_cast<double>(bytes) / static_cast<double>(slides.size()));
}

void MeasurePng(const std::string& label, const qm::PngSettings& settings,
                const std::vector<Slide>& slides, int rounds, const std::string& out) {
  Measure(label, slides, rounds, out, ".png",
          [&](const qm::Bitmap& b, const std::string& path) {
            return qm::WritePngFile(b, path, settings);
          });
}

std::string FilterName(int filters) {
  switch (filters) {
    case qm::PngSettings::kFilterNone: return "none";
    case qm::PngSettings::kFilterSub: return "sub";
    case qm::PngSettings::kFilterUp: return "up";
    case qm::PngSettings::kFilterPaeth: return "paeth";
    case qm::PngSettings::kFilterAll: return "adaptive";
    default: return "mixed";
  }
}

std::string StrategyName(int strategy) {
  switch (strategy) {
    case qm::PngSettings::kStrategyFiltered: return "filtered";
    case qm::PngSettings::kStrategyRle: return "rle";
    default: return "default";
  }
}

std::string Describe(const qm::PngSettings& s) {
  return "level " + std::to_string(s.compressionLevel) + " " + FilterName(s.filters) + " " +
         StrategyName(s.strategy);
}

long PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

/// Joins `count` slides (cycling through the set) left to right through
/// JPEG files of quality 100, reading one row of every slide at a time.
void MeasureStitch(const std::vector<Slide>& slides, int count, const std::string& out) {
  std::vector<std::string> jpegs;
  for (std::size_t i = 0; i < slides.size(); ++i) {
    jpegs.push_back(out + "/stitch" + std::to_string(i) + ".jpg");
    const qm::Status written = qm::WriteJpegFile(slides[i].picture, jpegs.back(), 100);
    if (!written.Ok()) {
      std::fprintf(stderr, "%s\n", written.Message().c_str());
      std::exit(1);
    }
  }
  const long before = PeakMegabytes();
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::unique_ptr<qm::JpegRowReader>> readers;
  long width = 0;
  int height = 0;
  for (int i = 0; i < count; ++i) {
    readers.push_back(std::make_unique<qm::JpegRowReader>());
    const qm::Status opened = readers.back()->Open(jpegs[i % jpegs.size()]);
    if (!opened.Ok()) {
      std::fprintf(stderr, "%s\n", opened.Message().c_str());
      std::exit(1);
    }
    width += readers.back()->Width();
    height = std::max(height, readers.back()->Height());
  }
  qm::PngStreamWriter png;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3, 255);
  qm::Status status = png.Open(out + "/stitched.png", static_cast<int>(width), height);
  for (int y = 0; status.Ok() && y < height; ++y) {
    std::size_t x = 0;
    for (auto& reader : readers) {
      if (status.Ok() && y < reader->Height()) status = reader->ReadRow(row.data() + x * 3);
      x += reader->Width();
    }
    if (status.Ok()) status = png.WriteRow(row.data());
  }
  if (status.Ok()) status = png.Finish();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!status.Ok()) {
    std::fprintf(stderr, "stitching failed: %s\n", status.Message().c_str());
    std::exit(1);
  }
  std::printf("stitch %d slides left to right: %ld x %d pixels, %.2f s, %ju bytes, "
              "peak memory %ld MB (%ld MB before)\n",
              count, width, height, seconds, fs::file_size(out + "/stitched.png"),
              PeakMegabytes(), before);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: %s [--sweep] [--rounds R] [--stitch N] [--out DIR] FOLDER\n"
                 "FOLDER holds slide pictures (.png or .bmp).\n", argv[0]);
    return 2;
  }
  std::vector<Slide> slides = LoadSlides(options.folder);
  if (slides.empty()) {
    std::fprintf(stderr, "no readable .png or .bmp slide pictures in %s\n", options.folder.c_str());
    return 1;
  }
  bool removeOut = false;
  if (options.out.empty()) {
    std::string pattern = (fs::temp_directory_path() / "qm-imaging-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::perror("cannot make a scratch folder");
      return 1;
    }
    options.out = pattern;
    removeOut = true;
  }
  std::printf("%zu slides, %.2f megapixels each on average, best of %d round(s)\n", slides.size(),
              Megapixels(slides) / static_cast<double>(slides.size()), options.rounds);

  MeasurePng("PNG program default (" + Describe(qm::PngSettings::Defaults()) + ")",
             qm::PngSettings::Defaults(), slides, options.rounds, options.out);
  MeasurePng("PNG zlib default (" + Describe(qm::PngSettings::ZlibDefault()) + ")",
             qm::PngSettings::ZlibDefault(), slides, options.rounds, options.out);
  Measure("JPEG quality 100 (4:4:4)", slides, options.rounds, options.out, ".jpg",
          [](const qm::Bitmap& b, const std::string& path) {
            return qm::WriteJpegFile(b, path, 100);
          });

  if (options.sweep) {
    std::printf("\nsweep:\n");
    for (int strategy : {qm::PngSettings::kStrategyDefault, qm::PngSettings::kStrategyFiltered,
                         qm::PngSettings::kStrategyRle}) {
      for (int level : {1, 2, 3, 6}) {
        for (int filters : {qm::PngSettings::kFilterNone, qm::PngSettings::kFilterSub,
                            qm::PngSettings::kFilterUp, qm::PngSettings::kFilterPaeth,
                            qm::PngSettings::kFilterAll}) {
          qm::PngSettings s;
          s.compressionLevel = level;
          s.filters = filters;
          s.strategy = strategy;
          MeasurePng("PNG " + Describe(s), s, slides, options.rounds, options.out);
        }
      }
    }
  }
  if (options.stitch > 0) MeasureStitch(slides, options.stitch, options.out);
  if (removeOut) fs::remove_all(options.out);
  return 0;
}
