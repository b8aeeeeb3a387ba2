#pragma once
// Run options of a command-line job: a fixed list and fixed choices.

#include <string>
#include <vector>

#include "base/Error.h"
#include "engine/batch/RunOptions.h"

namespace qm {

class ListRunOptions : public RunOptions {
 public:
  /// Output goes into `outputFolder`, or beside each source when `beside`.
  ListRunOptions(std::vector<std::string> files, SaveMode mode, std::string outputFolder,
                 bool beside, ConversionRequest request = {})
      : files_(std::move(files)),
        mode_(mode),
        outputFolder_(std::move(outputFolder)),
        beside_(beside),
        request_(std::move(request)) {}

  int FileCount() override { return static_cast<int>(files_.size()); }
  std::string FileAt(int position) override {
    if (position < 1 || position > FileCount())
      throw Error("The file list has no row " + std::to_string(position));
    return files_[position - 1];
  }
  SaveMode Mode() override { return mode_; }
  bool SaveToFolder() override { return !beside_; }
  std::string OutputFolderText() override { return outputFolder_; }
  bool SaveBesideSource() override { return beside_; }
  ConversionRequest Request() override { return request_; }

 private:
  std::vector<std::string> files_;
  SaveMode mode_;
  std::string outputFolder_;
  bool beside_;
  ConversionRequest request_;
};

}  // namespace qm
