#include "cli/JsonResults.h"

#include <cerrno>

#include <nlohmann/json.hpp>

namespace qm {

namespace {

void WriteLine(std::FILE* out, const nlohmann::json& object) {
  const std::string line = object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::fprintf(out, "%s\n", line.c_str());
}

nlohmann::json ToJson(const SlideFacts& slide) {
  nlohmann::json object = {{"number", slide.number},
                           {"hidden", slide.hidden},
                           {"title", slide.title},
                           {"notes", slide.notes},
                           {"clicks", slide.clicks}};
  if (!slide.notesFile.empty()) object["notesFile"] = slide.notesFile;
  return object;
}

nlohmann::json ToJson(const FileRecord& record) {
  nlohmann::json details = nlohmann::json::array();
  for (const SlideFacts& slide : record.slideDetails) details.push_back(ToJson(slide));
  return {{"path", record.path},
          {"status", record.status},
          {"images", record.images},
          {"slides", record.slides >= 0 ? nlohmann::json(record.slides) : nlohmann::json(nullptr)},
          {"reasons", record.reasons},
          {"notes", record.notes},
          {"fontsMissing", record.fontsMissing},
          {"slideDetails", details}};
}

}  // namespace

int WriteJsonResults(std::FILE* out, const std::vector<std::string>& list,
                      const std::map<int, FileRecord>& records,
                      const std::vector<FileRecord>& skipped) {
  std::map<std::string, int> counts = {
      {"converted", 0}, {"failed", 0}, {"not-converted", 0}, {"skipped", 0}};
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto found = records.find(static_cast<int>(i) + 1);
    FileRecord record;
    if (found != records.end()) {
      record = found->second;
    } else {
      record.path = list[i];
      record.reasons = {"the run ended before this file was converted"};
    }
    ++counts[record.status];
    WriteLine(out, ToJson(record));
  }
  for (const FileRecord& record : skipped) {
    ++counts["skipped"];
    WriteLine(out, ToJson(record));
  }
  nlohmann::json summary = {{"files", list.size() + skipped.size()}};
  for (const auto& [status, count] : counts) summary[status] = count;
  WriteLine(out, {{"summary", summary}});
  // A write error sticks to the stream; the flush gives the last one's.
  errno = 0;
  if (std::fflush(out) != 0 || std::ferror(out) != 0) return errno != 0 ? errno : EIO;
  return 0;
}

}  // namespace qm
