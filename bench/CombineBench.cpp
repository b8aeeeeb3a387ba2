// Times the stitched image of many slide pictures through the exporter's own
// join, both ways, and reports the peak memory and the most files open.
//
//   quillmere-combine-bench [--count N[,N...]] [--size WxH] [--limit L]
//
// For each N: writes N slide-like JPEGs (default 2000 of 320x180, quality
// 100, as the exporter writes them) to a fresh folder under /tmp, joins them
// left to right and then top to bottom under an open-file limit of L
// (default 1024), and removes the folder. Both directions must grow in
// proportion to N: `--count 100,400,2000 --size 960x540` shows it.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/export/Powerpoint1.h"
#include "imaging/codecs/JpegFile.h"
#include "tests/support/FakeApplicationFactory.h"
#include "tests/support/ScriptedUi.h"

namespace fs = std::filesystem;

namespace {

qm::Bitmap SlideLike(int width, int height, unsigned seed) {
  qm::Bitmap picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = picture.Row(y) + x * 3;
      const bool bar = y < height / 6, text = (y / 6) % 3 == 0 && x % 17 < 12;
      p[0] = bar ? 40 : text ? 20 : static_cast<std::uint8_t>(255 - (x * seed) % 64);
      p[1] = bar ? 70 : text ? 20 : static_cast<std::uint8_t>(255 - y % 48);
      p[2] = bar ? 160 : text ? 20 : 250;
    }
  return picture;
}

std::vector<std::string> WritePictures(const fs::path& folder, int count, int w, int h) {
  std::vector<std::string> list;
  for (int i = 0; i < count; ++i) {
    list.push_back((folder / ("slide" + std::to_string(i) + ".jpg")).string());
    const qm::Status written = qm::WriteJpegFile(SlideLike(w, h, i + 1), list.back(), 100);
    if (!written.Ok()) {
      std::fprintf(stderr, "%s\n", written.Message().c_str());
      std::exit(1);
    }
  }
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts = {2000};
  int width = 320, height = 180;
  rlim_t openLimit = 1024;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--count")) {
      counts.clear();
      for (const char* at = argv[i + 1]; *at != '\0';) {
        char* end = nullptr;
        counts.push_back(static_cast<int>(std::strtol(at, &end, 10)));
        at = *end == ',' ? end + 1 : end;
        if (end == at && *at != '\0') break;
      }
    }
    else if (!std::strcmp(argv[i], "--size")) std::sscanf(argv[i + 1], "%dx%d", &width, &height);
    else if (!std::strcmp(argv[i], "--limit")) openLimit = std::strtoul(argv[i + 1], nullptr, 10);
  }
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = std::min(limit.rlim_max, openLimit);
  setrlimit(RLIMIT_NOFILE, &limit);

  const fs::path folder = fs::temp_directory_path() / ("quillmere-combine-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  qm::test::FakeApplicationFactory factory;
  qm::test::ScriptedUi ui;
  qm::Powerpoint1 exporter(factory, ui);

  for (const int count : counts) {
    for (bool vertical : {false, true}) {
      const auto list = WritePictures(folder, count, width, height);
      const std::string output = (folder / "joined.png").string();
      const auto start = std::chrono::steady_clock::now();
      exporter.CombineImages(output, vertical, list);
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      std::printf("%s: %d pictures of %dx%d in %.2f s, %ju bytes written, %zu reports, peak RSS %ld MiB\n",
                  vertical ? "top to bottom" : "left to right", count, width, height, seconds,
                  static_cast<std::uintmax_t>(fs::exists(output) ? fs::file_size(output) : 0),
                  ui.Reports().size(), usage.ru_maxrss / 1024);
      fs::remove(output);
    }
  }
  fs::remove_all(folder);
  return ui.Reports().empty() ? 0 : 1;
}
