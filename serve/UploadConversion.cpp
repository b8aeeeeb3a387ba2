#include "serve/UploadConversion.h"

#include <zip.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "base/Paths.h"
#include "cli/CommandLine.h"
#include "cli/JsonResults.h"
#include "cli/ListConversion.h"
#include "cli/ProgressDisplay.h"

namespace qm {

namespace {

/// True when the file starts as a zip package (.pptx, .odp, ...) or an OLE
/// compound file (.ppt) does: the only containers a presentation comes in.
bool LooksLikePresentation(const std::string& path) {
  unsigned char head[8] = {};
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(head), sizeof head);
  if (in.gcount() < 4) return false;
  static const unsigned char kZip[4] = {'P', 'K', 3, 4};
  static const unsigned char kCompound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  return std::memcmp(head, kZip, 4) == 0 || (in.gcount() == 8 && std::memcmp(head, kCompound, 8) == 0);
}

const char* ContentTypeOf(const std::string& path) {
  const auto ends = [&](const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return path.size() >= n && path.compare(path.size() - n, n, suffix) == 0;
  };
  if (ends(".jpg")) return "image/jpeg";
  if (ends(".webp")) return "image/webp";
  return "image/png";
}

/// The report's cause: its first line, without where it arose.
std::string CauseOf(const FileRecord& record) {
  if (record.reasons.empty()) return "The deck was not converted.";
  const std::string& reason = record.reasons.front();
  return reason.substr(0, reason.find('\n'));
}

/// One file of the ZIP: where its bytes are and its name inside.
struct ZipItem {
  std::string path;
  std::string name;
};

/// Writes `items` and `results` (results.json) into a new ZIP at `zipPath`;
/// the libzip error in words when it cannot.
std::string WriteZip(const std::string& zipPath, const std::vector<ZipItem>& items,
                     const std::string& results) {
  int code = 0;
  zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (archive == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const std::string why = zip_error_strerror(&error);
    zip_error_fini(&error);
    return why;
  }
  bool added = true;
  for (const ZipItem& item : items) {
    zip_source_t* source = zip_source_file(archive, item.path.c_str(), 0, -1);
    const zip_int64_t index =
        source == nullptr ? -1 : zip_file_add(archive, item.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      if (source != nullptr) zip_source_free(source);
      added = false;
      break;
    }
    // The images are compressed already: stored as they are, the ZIP costs
    // no time to write.
    if (zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) != 0) {
      added = false;
      break;
    }
  }
  zip_source_t* json = added ? zip_source_buffer(archive, results.data(), results.size(), 0) : nullptr;
  if (added && (json == nullptr || zip_file_add(archive, "results.json", json, ZIP_FL_ENC_UTF_8) < 0)) {
    if (json != nullptr) zip_source_free(json);
    added = false;
  }
  if (!added) {
    const std::string why = zip_strerror(archive);
    zip_discard(archive);
    return why;
  }
  // The sources are read here, while `results` still lives.
  if (zip_close(archive) != 0) {
    const std::string why = zip_strerror(archive);
    zip_discard(archive);
    return why;
  }
  return "";
}

/// The --json records of the run, as text.
std::string ResultsText(const std::vector<std::string>& decks, const std::map<int, FileRecord>& records) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = ::open_memstream(&text, &size);
  if (out == nullptr) return "";
  (void)WriteJsonResults(out, decks, records, {});  // memory only: it cannot fail but for memory
  std::fclose(out);
  std::string results(text, size);
  std::free(text);
  return results;
}

/// `text` with every `prefix` (a folder ending in "/") taken out: the
/// client sees its own names, never the service's folders.
std::string WithoutFolder(std::string text, const std::string& prefix) {
  for (std::size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at))
    text.erase(at, prefix.size());
  return text;
}

}  // namespace

ServiceAnswer ConvertUpload(const std::vector<std::string>& decks, const std::vector<std::string>& optionArgs,
                            const std::string& zipPath, const CancelToken& cancel, JobPool* pool) {
  const std::string first = FileNamePart(decks.front());
  std::vector<std::string> args = optionArgs;
  // Each deck lies in a folder of its own: its images are written beside it.
  args.insert(args.end(), {"--jobs=1", "--beside", "--"});
  args.insert(args.end(), decks.begin(), decks.end());
  std::string error;
  const auto options = ParseCommandLine(args, &error);
  if (!options) return ServiceAnswer::Error(400, error);
  if (decks.size() == 1 && !LooksLikePresentation(decks.front()))
    return ServiceAnswer::Error(415,
                                "The file is no presentation: neither a zip package (.pptx, .odp) nor a "
                                "compound file (.ppt).",
                                first);

  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> silent(std::fopen("/dev/null", "w"), &std::fclose);
  ProgressDisplay display(silent ? silent.get() : stderr, static_cast<int>(decks.size()), true);
  ConvertList(*options, options->paths, display, cancel, pool);
  if (cancel.Requested()) return ServiceAnswer::Error(503, "The conversion was stopped.", first);

  // The records with the client's names: its deck's name, and each image as
  // the ZIP names it (under a folder per deck when there are several).
  std::map<int, FileRecord> records;
  std::vector<ZipItem> items;
  std::vector<std::string> names;
  std::set<std::string> folders;
  const FileRecord* firstFailure = nullptr;
  for (std::size_t i = 0; i < options->paths.size(); ++i) {
    const std::string& deck = options->paths[i];
    names.push_back(FileNamePart(deck));
    std::string folder = OutputBaseName(deck);
    for (int n = 2; decks.size() > 1 && !folders.insert(folder).second; ++n)
      folder = OutputBaseName(deck) + "-" + std::to_string(n);
    const auto found = display.Records().find(static_cast<int>(i) + 1);
    if (found == display.Records().end()) continue;
    FileRecord record = found->second;
    if (record.status != "converted" && firstFailure == nullptr) firstFailure = &found->second;
    record.path = names.back();
    const auto inZip = [&](std::string& written) {
      const std::string name = (decks.size() > 1 ? folder + "/" : std::string()) + FileNamePart(written);
      items.push_back({written, name});
      written = name;
    };
    for (std::string& image : record.images) inZip(image);
    // The notes files (--notes) travel beside the images.
    for (SlideFacts& slide : record.slideDetails)
      if (!slide.notesFile.empty()) inZip(slide.notesFile);
    for (std::string& reason : record.reasons) reason = WithoutFolder(reason, FolderPart(deck));
    records[static_cast<int>(i) + 1] = std::move(record);
  }
  if (decks.size() == 1 && firstFailure != nullptr)
    return ServiceAnswer::Error(422, WithoutFolder(CauseOf(*firstFailure), FolderPart(decks.front())), first);
  if (items.empty()) {
    if (firstFailure != nullptr)
      return ServiceAnswer::Error(422, WithoutFolder(CauseOf(*firstFailure), FolderPart(firstFailure->path)),
                                  FileNamePart(firstFailure->path));
    return ServiceAnswer::Error(422, "No image was written: no deck has a slide that the options ask for.", first);
  }
  ServiceAnswer answer;
  for (const auto& [position, record] : records) answer.images += record.images.size();
  if (decks.size() == 1 && items.size() == 1) {
    answer.contentType = ContentTypeOf(items.front().path);
    answer.bodyPath = items.front().path;
    answer.fileName = items.front().name;
    return answer;
  }
  if (const std::string why = WriteZip(zipPath, items, ResultsText(names, records)); !why.empty())
    return ServiceAnswer::Error(500, "The ZIP of the images could not be written: " + why + ".", first);
  answer.contentType = "application/zip";
  answer.bodyPath = zipPath;
  answer.fileName = decks.size() == 1 ? OutputBaseName(decks.front()) + ".zip" : "slides.zip";
  return answer;
}

}  // namespace qm
