// The render protocol's messages and frames, without a worker.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/protocol/FrameChannel.h"
#include "engine/protocol/RenderMessages.h"
#include "engine/protocol/WireMessage.h"

namespace qm::test {
namespace {

// --- WireMessage --------------------------------------------------------------

TEST(WireMessage, FieldsComeBackInOrder) {
  WireMessage message(RenderMessageType::kExport);
  message.PutU32(0xDEADBEEFu);
  message.PutString("dé ck #1.pptx");
  message.PutI64(-1234567890123LL);
  message.PutString("");
  WireMessage read;
  ASSERT_TRUE(WireMessage::FromBytes(message.Bytes(), &read));
  EXPECT_EQ(read.Type(), RenderMessageType::kExport);
  EXPECT_EQ(read.GetU32(), 0xDEADBEEFu);
  EXPECT_EQ(read.GetString(), "dé ck #1.pptx");
  EXPECT_EQ(read.GetI64(), -1234567890123LL);
  EXPECT_EQ(read.GetString(), "");
  EXPECT_TRUE(read.Ok());
  EXPECT_TRUE(read.AtEnd());
}

TEST(WireMessage, ReadingPastTheEndIsCaughtNotUndefined) {
  WireMessage message(RenderMessageType::kOpened);
  message.PutU32(3);
  WireMessage read;
  ASSERT_TRUE(WireMessage::FromBytes(message.Bytes(), &read));
  EXPECT_EQ(read.GetU32(), 3u);
  EXPECT_EQ(read.GetI64(), 0);  // missing field
  EXPECT_FALSE(read.Ok());
  EXPECT_EQ(read.GetU32(), 0u);  // stays failed
  EXPECT_FALSE(read.Ok());
}

TEST(WireMessage, StringLongerThanTheMessageIsRefused) {
  // kFailed, failure 1, then a string claiming 1000 bytes but carrying 3.
  std::vector<std::uint8_t> bytes = {6, 1, 0, 0, 0, 0xE8, 0x03, 0, 0, 'a', 'b', 'c'};
  WireMessage read;
  ASSERT_TRUE(WireMessage::FromBytes(bytes, &read));
  EXPECT_EQ(read.GetU32(), 1u);
  EXPECT_EQ(read.GetString(), "");
  EXPECT_FALSE(read.Ok());
}

TEST(WireMessage, EmptyFrameIsNotAMessage) {
  WireMessage read;
  EXPECT_FALSE(WireMessage::FromBytes({}, &read));
}

TEST(WireMessage, TrailingBytesAreVisible) {
  WireMessage message(RenderMessageType::kClosed);
  message.PutU32(1);
  WireMessage read;
  ASSERT_TRUE(WireMessage::FromBytes(message.Bytes(), &read));
  EXPECT_TRUE(read.Ok());
  EXPECT_FALSE(read.AtEnd());
}

/// An export request as the program writes it, with `flags` as the drawing's
/// flags word and `stepPlusOne` as its click state word.
WireMessage ExportRequest(std::uint32_t flags, std::uint32_t stepPlusOne = 0) {
  WireMessage message(RenderMessageType::kExport);
  message.PutU32(2);
  message.PutString("/folder/slide.bmp");
  message.PutU32(1280);
  message.PutU32(0);
  message.PutU32(flags);
  message.PutU32(stepPlusOne);
  WireMessage read;
  (void)WireMessage::FromBytes(message.Bytes(), &read);  // a message's own bytes always read
  return read;
}

TEST(RenderRequest, TheDrawingCrossesWholeAndAFlagOfAnotherBuildIsRefused) {
  WireMessage transparent = ExportRequest(1);
  RenderRequest request;
  ASSERT_TRUE(DecodeRenderRequest(transparent, &request));
  EXPECT_EQ(request.index, 2);
  EXPECT_EQ(request.drawing, (DrawRequest{1280, 0, true, -1}));
  WireMessage step = ExportRequest(0, 4);
  ASSERT_TRUE(DecodeRenderRequest(step, &request));
  EXPECT_EQ(request.drawing, (DrawRequest{1280, 0, false, 3}));
  // A worker that drew the background for a flag it does not know would
  // hand back a picture other than the one asked for.
  WireMessage unknown = ExportRequest(2);
  EXPECT_FALSE(DecodeRenderRequest(unknown, &request));
}

// --- FrameChannel -----------------------------------------------------------------

class FrameChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_), 0);
  }
  void TearDown() override {
    for (int& fd : fds_) {
      if (fd >= 0) ::close(fd);
    }
  }
  void RawWrite(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(::write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  int fds_[2] = {-1, -1};
};

TEST_F(FrameChannelTest, FramesCrossInBothDirections) {
  FrameChannel a(fds_[0], fds_[0]);
  FrameChannel b(fds_[1], fds_[1]);
  WireMessage hello(RenderMessageType::kHello);
  hello.PutU32(kRenderProtocolMagic);
  ASSERT_TRUE(a.Write(hello));
  WireMessage got;
  ASSERT_EQ(b.Read(1000, &got), FrameChannel::ReadStatus::kOk);
  EXPECT_EQ(got.Type(), RenderMessageType::kHello);
  EXPECT_EQ(got.GetU32(), kRenderProtocolMagic);
  ASSERT_TRUE(b.Write(WireMessage(RenderMessageType::kQuit)));
  ASSERT_EQ(a.Read(1000, &got), FrameChannel::ReadStatus::kOk);
  EXPECT_EQ(got.Type(), RenderMessageType::kQuit);
}

TEST_F(FrameChannelTest, SilenceEndsInATimeout) {
  FrameChannel a(fds_[0], fds_[0]);
  WireMessage got;
  EXPECT_EQ(a.Read(50, &got), FrameChannel::ReadStatus::kTimeout);
}

TEST_F(FrameChannelTest, HalfAFrameThenSilenceIsATimeoutNotAHang) {
  FrameChannel a(fds_[0], fds_[0]);
  RawWrite({10, 0, 0, 0, 3, 1});  // promises 10 bytes, sends 2
  WireMessage got;
  EXPECT_EQ(a.Read(100, &got), FrameChannel::ReadStatus::kTimeout);
}

TEST_F(FrameChannelTest, PeerClosingIsEofAlsoInTheMiddleOfAFrame) {
  FrameChannel a(fds_[0], fds_[0]);
  RawWrite({10, 0, 0, 0, 3, 1});
  ::close(fds_[1]);
  fds_[1] = -1;
  WireMessage got;
  EXPECT_EQ(a.Read(1000, &got), FrameChannel::ReadStatus::kEof);
}

TEST_F(FrameChannelTest, ImpossibleLengthsAreGarbage) {
  FrameChannel a(fds_[0], fds_[0]);
  WireMessage got;
  RawWrite({0, 0, 0, 0});
  EXPECT_EQ(a.Read(1000, &got), FrameChannel::ReadStatus::kGarbage);
  const std::uint32_t tooLong = kMaxFrameBytes + 1;
  RawWrite({static_cast<std::uint8_t>(tooLong), static_cast<std::uint8_t>(tooLong >> 8),
            static_cast<std::uint8_t>(tooLong >> 16), static_cast<std::uint8_t>(tooLong >> 24)});
  EXPECT_EQ(a.Read(1000, &got), FrameChannel::ReadStatus::kGarbage);
}

TEST_F(FrameChannelTest, WritingToAVanishedPeerFailsWithoutKillingTheProgram) {
  // Without MSG_NOSIGNAL this write raises SIGPIPE and ends the test process.
  FrameChannel a(fds_[0], fds_[0]);
  ::close(fds_[1]);
  fds_[1] = -1;
  WireMessage big(RenderMessageType::kOpen);
  big.PutString(std::string(300000, 'x'));
  EXPECT_FALSE(a.Write(big));
  EXPECT_NE(a.LastError(), 0);
}

TEST_F(FrameChannelTest, SlicedWaitCallsItsSliceFunctionEvery50MsAndStillTimesOut) {
  FrameChannel a(fds_[0], fds_[0]);
  WireMessage got;
  std::vector<std::chrono::steady_clock::time_point> calls;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(a.Read(500, &got, [&] { calls.push_back(std::chrono::steady_clock::now()); }),
            FrameChannel::ReadStatus::kTimeout);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(490));  // the deadline counts whole milliseconds
  EXPECT_LT(took, std::chrono::milliseconds(1000));
  // About 10 slices; each 50 ms after the one before (with slack for a busy machine).
  EXPECT_GE(calls.size(), 6u);
  auto last = start;
  for (const auto& call : calls) {
    EXPECT_LE(call - last, std::chrono::milliseconds(150));
    last = call;
  }
}

TEST_F(FrameChannelTest, SlicedWaitWithoutALimitEndsWhenTheFrameComes) {
  FrameChannel a(fds_[0], fds_[0]);
  FrameChannel b(fds_[1], fds_[1]);
  std::thread sender([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    WireMessage message(RenderMessageType::kClosed);
    b.Write(message);
  });
  WireMessage got;
  int slices = 0;
  EXPECT_EQ(a.Read(-1, &got, [&] { ++slices; }), FrameChannel::ReadStatus::kOk);
  sender.join();
  EXPECT_EQ(got.Type(), RenderMessageType::kClosed);
  EXPECT_GE(slices, 2);
}

TEST_F(FrameChannelTest, ASliceFunctionThatThrowsEndsTheWaitWithItsException) {
  FrameChannel a(fds_[0], fds_[0]);
  RawWrite({10, 0, 0, 0, 3, 1});  // half a frame: the wait goes on inside the frame too
  WireMessage got;
  int slices = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(a.Read(-1, &got,
                      [&] {
                        if (++slices == 3) throw std::runtime_error("stop");
                      }),
               std::runtime_error);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));
}

TEST(FrameChannelPipes, PlainPipesWorkToo) {
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  FrameChannel writer(-1, pipeFds[1]);
  FrameChannel reader(pipeFds[0], -1);
  WireMessage message(RenderMessageType::kClose);
  message.PutString("x");
  ASSERT_TRUE(writer.Write(message));
  WireMessage got;
  EXPECT_EQ(reader.Read(1000, &got), FrameChannel::ReadStatus::kOk);
  EXPECT_EQ(got.GetString(), "x");
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
}

TEST(DeckFacts, TheFactsOfADeckOfLongNotesFitOneFrameCutAtCharacters) {
  // 400 slides of 64 KiB of notes in a two-byte script: far past a frame.
  DeckFacts facts;
  facts.fontsMissing = {"Corbel", "Script MT Bold"};
  std::string notes;
  while (notes.size() < kMaxFactText + 10) notes += "\xc3\xa4";  // U+00E4, two bytes
  for (int n = 1; n <= 400; ++n) facts.slides.push_back({n, n == 3, "Title " + std::to_string(n), notes, n % 4, ""});
  WireMessage message(RenderMessageType::kOpened);
  facts.PutTo(message, kMaxFrameBytes - 4096);
  ASSERT_LE(message.Bytes().size(), kMaxFrameBytes);
  WireMessage read;
  ASSERT_TRUE(WireMessage::FromBytes(message.Bytes(), &read));
  DeckFacts back;
  ASSERT_TRUE(DeckFacts::GetFrom(read, &back));
  EXPECT_TRUE(read.AtEnd());
  EXPECT_EQ(back.fontsMissing, facts.fontsMissing);
  ASSERT_EQ(back.slides.size(), 400u) << "every slide is carried, whatever its words";
  EXPECT_TRUE(back.slides[2].hidden);
  EXPECT_EQ(back.slides[398].clicks, 3);
  EXPECT_EQ(back.slides[0].notes.size() % 2, 0u) << "a character is never split";
  EXPECT_LE(back.slides[0].notes.size(), kMaxFactText);
  EXPECT_TRUE(back.slides[399].notes.empty()) << "past the budget the texts are left out";

  // A count the bytes cannot hold is refused before anything is sized.
  WireMessage lying(RenderMessageType::kOpened);
  lying.PutU32(0);
  lying.PutU32(0xFFFFFFFFu);
  WireMessage lie;
  ASSERT_TRUE(WireMessage::FromBytes(lying.Bytes(), &lie));
  EXPECT_FALSE(DeckFacts::GetFrom(lie, &back));
}

}  // namespace
}  // namespace qm::test
