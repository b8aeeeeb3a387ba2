// The slide size of a binary .ppt, found through its edits and rewritten in
// the worker's copy. The compound files are written here with libgsf, as
// PowerPoint lays them out, so that each way of chaining the records (and
// each way of breaking the chain) can be had.

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>

#include "engine/worker/PptSlideSize.h"
#include "tests/support/TempFolder.h"

namespace qm {
namespace {

void Put16(std::string* bytes, std::uint32_t value) {
  for (int i = 0; i < 2; ++i) bytes->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
void Put32(std::string* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
void PutHeader(std::string* bytes, std::uint32_t version, std::uint32_t type, std::uint32_t length) {
  Put16(bytes, version);
  Put16(bytes, type);
  Put32(bytes, length);
}
/// A persist directory of one entry: persist id `id` at `offset`.
std::uint32_t PutDirectory(std::string* bytes, std::uint32_t id, std::uint32_t offset) {
  const auto at = static_cast<std::uint32_t>(bytes->size());
  PutHeader(bytes, 0, 0x1772, 8);
  Put32(bytes, (1u << 20) | id);
  Put32(bytes, offset);
  return at;
}
std::uint32_t PutUserEdit(std::string* bytes, std::uint32_t lastEdit, std::uint32_t directory) {
  const auto at = static_cast<std::uint32_t>(bytes->size());
  PutHeader(bytes, 0, 0x0FF5, 28);
  for (std::uint32_t field : {0u, 0x03000000u, lastEdit, directory, 1u /* the document */, 9u, 1u})
    Put32(bytes, field);
  return at;
}

struct Deck {
  std::uint32_t token = 0xE391C05F;  ///< not encrypted
  bool loop = false;                 ///< the newer edit names itself as the one before
};

/// A deck whose document (7680 x 4320 master units) is named by the older
/// of two edits, with a picture stream and a storage of its own beside.
void WriteDeck(const std::string& path, const Deck& deck) {
  std::string stream;
  PutHeader(&stream, 0xF, 0x03E8, 48);
  PutHeader(&stream, 1, 0x03E9, 40);
  Put32(&stream, 7680);
  Put32(&stream, 4320);
  stream.append(32, '\0');
  const std::uint32_t first = PutUserEdit(&stream, 0, PutDirectory(&stream, 1, 0));
  const std::uint32_t later = PutUserEdit(&stream, first, PutDirectory(&stream, 5, 0));
  // The newer edit, whose directory lacks the document, naming itself.
  if (deck.loop) stream[later + 16] = static_cast<char>(later);
  std::string user;
  PutHeader(&user, 0, 0x0FF6, 20);
  Put32(&user, 0x14);
  Put32(&user, deck.token);
  Put32(&user, later);
  user.append(8, '\0');

  GsfOutput* sink = gsf_output_stdio_new(path.c_str(), nullptr);
  GsfOutfile* ole = gsf_outfile_msole_new(sink);
  for (const auto& [name, bytes] : {std::pair<const char*, const std::string*>{"Current User", &user},
                                    {"PowerPoint Document", &stream}}) {
    GsfOutput* child = gsf_outfile_new_child(ole, name, FALSE);
    gsf_output_write(child, bytes->size(), reinterpret_cast<const guint8*>(bytes->data()));
    gsf_output_close(child);
    g_object_unref(child);
  }
  GsfOutput* pictures = gsf_outfile_new_child(ole, "Pictures", FALSE);
  gsf_output_write(pictures, 5000, reinterpret_cast<const guint8*>(std::string(5000, 'p').data()));
  gsf_output_close(pictures);
  g_object_unref(pictures);
  GsfOutput* storage = gsf_outfile_new_child(ole, "ObjectPool", TRUE);
  GsfOutput* inside = gsf_outfile_new_child(GSF_OUTFILE(storage), "_1", FALSE);
  gsf_output_write(inside, 3, reinterpret_cast<const guint8*>("abc"));
  gsf_output_close(inside);
  g_object_unref(inside);
  gsf_output_close(storage);
  g_object_unref(storage);
  gsf_output_close(GSF_OUTPUT(ole));
  g_object_unref(ole);
  g_object_unref(sink);
}

/// The bytes of the stream `name` (inside the storage `storage`, when
/// given) of the compound file `file`.
std::string StreamOf(const std::string& file, const char* name, const char* storage = nullptr) {
  GsfInput* input = gsf_input_stdio_new(file.c_str(), nullptr);
  GsfInfile* ole = gsf_infile_msole_new(input, nullptr);
  GsfInput* stream = ole == nullptr ? nullptr
                     : storage   ? gsf_infile_child_by_vname(ole, storage, name, nullptr)
                                 : gsf_infile_child_by_name(ole, name);
  std::string bytes;
  if (stream) {
    bytes.resize(static_cast<std::size_t>(gsf_input_size(stream)));
    gsf_input_read(stream, bytes.size(), reinterpret_cast<guint8*>(bytes.data()));
    g_object_unref(stream);
  }
  if (ole) g_object_unref(ole);
  g_object_unref(input);
  return bytes;
}

TEST(PptSlideSize, TheSizeIsFoundThroughAnEarlierEditAndRewrittenWithEverythingElseKept) {
  test::TempFolder folder;
  const std::string path = folder / "deck.ppt";
  WriteDeck(path, {});
  const std::optional<PptSlideSize> stored = PptSlideSize::Read(path);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->WidthUnits(), 7680);
  EXPECT_EQ(stored->HeightUnits(), 4320);
  const std::string document = StreamOf(path, "PowerPoint Document");

  std::string error;
  ASSERT_TRUE(stored->Write(path, 4322, &error)) << error;
  const std::optional<PptSlideSize> nudged = PptSlideSize::Read(path);
  ASSERT_TRUE(nudged);
  EXPECT_EQ(nudged->WidthUnits(), 7680);
  EXPECT_EQ(nudged->HeightUnits(), 4322);
  // Only the height's bytes differ; every other part is as it was.
  std::string expected = document;
  expected[20] = static_cast<char>(4322 & 0xFF);
  expected[21] = static_cast<char>(4322 >> 8);
  EXPECT_EQ(StreamOf(path, "PowerPoint Document"), expected);
  EXPECT_EQ(StreamOf(path, "Pictures"), std::string(5000, 'p'));
  EXPECT_EQ(StreamOf(path, "_1", "ObjectPool"), "abc");
  EXPECT_EQ(StreamOf(path, "Current User").size(), 28u);
}

TEST(PptSlideSize, DecksWhoseSizeCannotBeFoundSafelyAreLeftAlone) {
  test::TempFolder folder;
  const std::string encrypted = folder / "encrypted.ppt";
  WriteDeck(encrypted, {.token = 0xF3D1C4DF});
  EXPECT_FALSE(PptSlideSize::Read(encrypted));
  const std::string looping = folder / "loop.ppt";
  WriteDeck(looping, {.loop = true});
  EXPECT_FALSE(PptSlideSize::Read(looping));
  const std::string zip = folder / "deck.pptx";
  std::ofstream(zip) << "PK\x03\x04 not a compound file";
  EXPECT_FALSE(PptSlideSize::Read(zip));
  EXPECT_FALSE(PptSlideSize::Read(folder / "missing.ppt"));
  // A deck gone before its copy is written: a sentence, not a crash.
  const std::string kept = folder / "kept.ppt";
  WriteDeck(kept, {});
  const std::optional<PptSlideSize> stored = PptSlideSize::Read(kept);
  ASSERT_TRUE(stored);
  std::string error;
  EXPECT_FALSE(stored->Write(folder / "gone.ppt", 4322, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace qm
