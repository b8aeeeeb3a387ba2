// quillmere-fidelity-diff: how far slide images are from reference images.
//
//   quillmere-fidelity-diff [--worst N] OURS REFERENCE
//
// For every PNG in the folder REFERENCE, reads the PNG of the same name in
// OURS and prints the normalized root-mean-square error of the two over all
// pixels and channels (0: identical, 1: black against white). A missing
// image, or one of another size, counts as 1. Prints the number of images,
// the mean and the largest error, how many exceed 0.02, and the N worst
// (10 by default). Exit status 0, or 2 for a usage error.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "bench/NormalizedRmse.h"
#include "imaging/Bitmap.h"
#include "imaging/codecs/PngFile.h"

namespace {

namespace fs = std::filesystem;

constexpr double kGoal = 0.02;
}  // namespace

int main(int argc, char** argv) {
  std::size_t worstShown = 10;
  std::vector<std::string> folders;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--worst") == 0 && i + 1 < argc) {
      worstShown = static_cast<std::size_t>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      folders.emplace_back(argv[i]);
    }
  }
  if (folders.size() != 2) {
    std::fprintf(stderr, "usage: quillmere-fidelity-diff [--worst N] OURS REFERENCE\n");
    return 2;
  }
  std::vector<std::string> names;
  std::error_code code;
  for (const auto& entry : fs::directory_iterator(folders[1], code)) {
    if (entry.path().extension() == ".png") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());

  std::vector<std::pair<double, std::string>> errors;
  double sum = 0;
  int overGoal = 0;
  for (const std::string& name : names) {
    qm::Bitmap ours;
    qm::Bitmap reference;
    double error = 1;
    std::string note;
    const qm::Status read = qm::ReadPngFile((fs::path(folders[1]) / name).string(), &reference);
    const qm::Status mine = qm::ReadPngFile((fs::path(folders[0]) / name).string(), &ours);
    if (!read.Ok()) {
      note = " (reference unreadable)";
    } else if (!mine.Ok()) {
      note = " (missing from ours)";
    } else {
      error = qm::NormalizedRmse(ours, reference);
      if (ours.width != reference.width || ours.height != reference.height) {
        note = " (" + std::to_string(ours.width) + " x " + std::to_string(ours.height) +
               " against " + std::to_string(reference.width) + " x " +
               std::to_string(reference.height) + ")";
      }
    }
    errors.emplace_back(error, name + note);
    sum += error;
    if (error > kGoal) ++overGoal;
  }
  if (errors.empty()) {
    std::printf("no reference images in %s\n", folders[1].c_str());
    return 0;
  }
  std::sort(errors.begin(), errors.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::printf("images:              %zu\n", errors.size());
  std::printf("mean RMSE:           %.4f\n", sum / static_cast<double>(errors.size()));
  std::printf("largest RMSE:        %.4f\n", errors.front().first);
  std::printf("over %.2f:           %d\n", kGoal, overGoal);
  std::printf("worst:\n");
  for (std::size_t i = 0; i < std::min(worstShown, errors.size()); ++i) {
    std::printf("  %.4f  %s\n", errors[i].first, errors[i].second.c_str());
  }
  return 0;
}
