#include "engine/worker/PptSlideSize.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace qm {
namespace {

constexpr gsf_off_t kMaxStreamBytes = gsf_off_t{64} << 20;
constexpr int kMaxEdits = 256;
constexpr char kDocumentStream[] = "PowerPoint Document";
constexpr char kCurrentUserStream[] = "Current User";
constexpr std::uint16_t kDocumentContainer = 0x03E8;
constexpr std::uint16_t kDocumentAtom = 0x03E9;
constexpr std::uint16_t kUserEditAtom = 0x0FF5;
constexpr std::uint16_t kCurrentUserAtom = 0x0FF6;
constexpr std::uint16_t kPersistDirectoryAtom = 0x1772;
/// The Current User atom's token for a deck that is not encrypted.
constexpr std::uint32_t kPlainToken = 0xE391C05F;

struct GObjectUnref {
  void operator()(void* object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
template <class T>
using Owned = std::unique_ptr<T, GObjectUnref>;

std::uint32_t U32(const std::string& bytes, std::uint64_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

struct RecordHeader {
  std::uint16_t type = 0;
  std::uint64_t end = 0;  ///< where the record's body ends
};

/// The header of the record at `at`, when the whole record lies in `bytes`.
std::optional<RecordHeader> RecordAt(const std::string& bytes, std::uint64_t at) {
  if (at + 8 > bytes.size()) return std::nullopt;
  RecordHeader header;
  header.type = static_cast<std::uint16_t>(U32(bytes, at) >> 16);
  header.end = at + 8 + U32(bytes, at + 4);
  if (header.end > bytes.size()) return std::nullopt;
  return header;
}

std::optional<std::string> ReadWhole(GsfInput* input) {
  const gsf_off_t size = gsf_input_size(input);
  if (size < 0 || size > kMaxStreamBytes) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size > 0 && gsf_input_read(input, static_cast<std::size_t>(size),
                                 reinterpret_cast<guint8*>(bytes.data())) == nullptr)
    return std::nullopt;
  return bytes;
}

/// Where the DocumentAtom's slide size lies in the document stream: from
/// the edit at `edit`, back through earlier edits until one's persist
/// directory holds the document container.
std::optional<std::uint64_t> SlideSizeAt(const std::string& stream, std::uint64_t edit) {
  std::optional<std::uint32_t> document;
  for (int i = 0; i < kMaxEdits; ++i) {
    const std::optional<RecordHeader> user = RecordAt(stream, edit);
    if (!user || user->type != kUserEditAtom || user->end < edit + 8 + 20) return std::nullopt;
    if (!document) document = U32(stream, edit + 24);
    const std::uint64_t lastEdit = U32(stream, edit + 16);
    const std::uint64_t directory = U32(stream, edit + 20);
    const std::optional<RecordHeader> persist = RecordAt(stream, directory);
    if (!persist || persist->type != kPersistDirectoryAtom) return std::nullopt;
    for (std::uint64_t at = directory + 8; at + 4 <= persist->end;) {
      const std::uint32_t entry = U32(stream, at);
      const std::uint32_t first = entry & 0xFFFFF;
      const std::uint32_t count = entry >> 20;
      at += 4;
      if (at + 4ull * count > persist->end) return std::nullopt;
      if (*document >= first && *document - first < count) {
        const std::uint64_t container = U32(stream, at + 4ull * (*document - first));
        const std::optional<RecordHeader> outer = RecordAt(stream, container);
        const std::optional<RecordHeader> atom = RecordAt(stream, container + 8);
        if (!outer || outer->type != kDocumentContainer || !atom || atom->type != kDocumentAtom ||
            atom->end < container + 16 + 8 || atom->end > outer->end)
          return std::nullopt;
        return container + 16;
      }
      at += 4ull * count;
    }
    // Each edit names an earlier one; anything else could loop.
    if (lastEdit == 0 || lastEdit >= edit) return std::nullopt;
    edit = lastEdit;
  }
  return std::nullopt;
}

std::string Why(GError* error, const char* otherwise) {
  std::string why = error != nullptr && error->message != nullptr ? error->message : otherwise;
  if (error != nullptr) g_error_free(error);
  return why;
}

/// The compound file at `path` (kept open through `*file`), or null with
/// libgsf's words in `*why`.
Owned<GsfInfile> OpenCompoundFile(const std::string& path, Owned<GsfInput>* file, std::string* why) {
  GError* failure = nullptr;
  file->reset(gsf_input_stdio_new(path.c_str(), &failure));
  if (!*file) {
    *why = Why(failure, "the deck could not be read");
    return nullptr;
  }
  Owned<GsfInfile> ole(gsf_infile_msole_new(file->get(), &failure));
  if (!ole) *why = Why(failure, "the deck is no compound file");
  return ole;
}

/// Copies `from` into `to`: its class id, then every child; the root's
/// document stream is written as `stream` instead.
bool CopyStorage(GsfInfile* from, GsfOutfile* to, const std::string* stream, std::string* error) {
  guint8 id[16];
  if (gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(from), id))
    (void)gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(to), id);  // a class id is only a hint
  const int children = gsf_infile_num_children(from);
  for (int i = 0; i < children; ++i) {
    const char* name = gsf_infile_name_by_index(from, i);
    Owned<GsfInput> child(gsf_infile_child_by_index(from, i));
    if (name == nullptr || !child) {
      *error = "a part of the compound file could not be read";
      return false;
    }
    const bool storage =
        GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0;
    Owned<GsfOutput> made(gsf_outfile_new_child(to, name, storage));
    if (!made) {
      *error = std::string("the part ") + name + " could not be written";
      return false;
    }
    bool copied = true;
    if (storage) {
      copied = CopyStorage(GSF_INFILE(child.get()), GSF_OUTFILE(made.get()), nullptr, error);
    } else if (stream != nullptr && std::strcmp(name, kDocumentStream) == 0) {
      copied = gsf_output_write(made.get(), stream->size(),
                                reinterpret_cast<const guint8*>(stream->data()));
    } else {
      copied = gsf_input_copy(child.get(), made.get());
    }
    if (!gsf_output_close(made.get()) || !copied) {
      if (error->empty()) *error = std::string("the part ") + name + " could not be copied";
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<PptSlideSize> PptSlideSize::Read(const std::string& path) {
  Owned<GsfInput> file;
  std::string why;
  Owned<GsfInfile> ole = OpenCompoundFile(path, &file, &why);
  if (!ole) return std::nullopt;
  Owned<GsfInput> user(gsf_infile_child_by_name(ole.get(), kCurrentUserStream));
  Owned<GsfInput> document(gsf_infile_child_by_name(ole.get(), kDocumentStream));
  if (!user || !document) return std::nullopt;
  const std::optional<std::string> current = ReadWhole(user.get());
  std::optional<std::string> stream = ReadWhole(document.get());
  if (!current || !stream) return std::nullopt;
  // The Current User atom: its size, the token (an encrypted deck is left
  // alone), then where the last edit is.
  const std::optional<RecordHeader> atom = RecordAt(*current, 0);
  if (!atom || atom->type != kCurrentUserAtom || atom->end < 8 + 12 ||
      U32(*current, 12) != kPlainToken)
    return std::nullopt;
  const std::optional<std::uint64_t> at = SlideSizeAt(*stream, U32(*current, 16));
  if (!at) return std::nullopt;
  PptSlideSize size;
  size.width_ = static_cast<std::int32_t>(U32(*stream, *at));
  size.height_ = static_cast<std::int32_t>(U32(*stream, *at + 4));
  // A slide of at most 200 inches each way.
  if (size.width_ <= 0 || size.height_ <= 0 || size.width_ > 200 * kUnitsPerInch ||
      size.height_ > 200 * kUnitsPerInch)
    return std::nullopt;
  size.sizeAt_ = static_cast<std::size_t>(*at);
  size.stream_ = std::move(*stream);
  return size;
}

bool PptSlideSize::Write(const std::string& path, int heightUnits, std::string* error) const {
  error->clear();
  Owned<GsfInput> file;
  Owned<GsfInfile> ole = OpenCompoundFile(path, &file, error);
  if (!ole) return false;
  std::string stream = stream_;
  for (int i = 0; i < 4; ++i)
    stream[sizeAt_ + 4 + i] = static_cast<char>((static_cast<std::uint32_t>(heightUnits) >> (8 * i)) & 0xFF);
  // libgsf's file output writes beside the file and renames it over on close.
  GError* failure = nullptr;
  Owned<GsfOutput> sink(gsf_output_stdio_new(path.c_str(), &failure));
  if (!sink) {
    *error = Why(failure, "the deck could not be written");
    return false;
  }
  Owned<GsfOutfile> out(gsf_outfile_msole_new(sink.get()));
  if (!out) {
    *error = "the deck could not be written as a compound file";
    return false;
  }
  const bool copied = CopyStorage(ole.get(), out.get(), &stream, error);
  // An output with an error, closed, removes what it wrote and leaves the
  // file as it was.
  if (!copied) (void)gsf_output_set_error(sink.get(), 0, "%s", "not copied whole");  // only marks it
  const bool closed = gsf_output_close(GSF_OUTPUT(out.get())) &&
                      (gsf_output_is_closed(sink.get()) || gsf_output_close(sink.get()));
  if (!copied || !closed) {
    if (error->empty()) *error = "the deck could not be written";
    return false;
  }
  return true;
}

}  // namespace qm
