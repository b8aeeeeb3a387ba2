// The batch core's queue and the tasks it hands to jobs.

#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <string>

#include "engine/batch/FileTask.h"
#include "engine/batch/WorkQueue.h"
#include "tests/support/TempFolder.h"

namespace qm {
namespace {

FileTask Task(int position, const std::string& path, const std::string& folder) {
  FileTask task;
  task.position = position;
  task.path = path;
  task.outputFolder = folder;
  task.kind = ExportKind::kEachSlide;
  return task;
}

std::vector<int> Positions(const std::vector<FileTask>& group) {
  std::vector<int> positions;
  for (const FileTask& task : group) positions.push_back(task.position);
  return positions;
}

TEST(WorkQueue, FilesWritingTheSameNamesStayInOneGroupInListOrder) {
  WorkQueue queue({Task(1, "/in/deck.ppt", "/out/"), Task(2, "/in/a.pptx", "/out/"),
                   Task(3, "/other/deck.pptx", "/out//"), Task(4, "/in/c.pptx", "/out/")});
  EXPECT_EQ(Positions(queue.Next()), (std::vector<int>{1, 3}));  // due at its first file
  EXPECT_EQ(Positions(queue.Next()), (std::vector<int>{2}));
  EXPECT_EQ(Positions(queue.Next()), (std::vector<int>{4}));
  EXPECT_TRUE(queue.Next().empty());
}

TEST(WorkQueue, TheBiggestDecksGoFirstSoNoJobIsLeftWithOneAtTheEnd) {
  test::TempFolder folder;
  // Zips holding a presentation part and `slides` slide parts (all empty),
  // and a binary deck of 100 KB.
  const auto deck = [&folder](const std::string& name, int slides) {
    const std::string path = folder / name;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    zip_file_add(archive, "ppt/presentation.xml", zip_source_buffer(archive, nullptr, 0, 0), 0);
    for (int n = 1; n <= slides; ++n) {
      const std::string entry = "ppt/slides/slide" + std::to_string(n) + ".xml";
      zip_file_add(archive, entry.c_str(), zip_source_buffer(archive, nullptr, 0, 0), 0);
    }
    EXPECT_EQ(zip_close(archive), 0);
    return path;
  };
  const std::string binary = folder / "old.ppt";
  std::ofstream(binary, std::ios::binary) << std::string(100 * 1024, 'x');

  const std::vector<FileTask> tasks = {
      Task(1, deck("small.pptx", 2), "/out/"), Task(2, deck("big.pptx", 40), "/out/"),
      Task(3, binary, "/out/"), Task(4, deck("middle.pptx", 12), "/out/"),
      Task(5, folder / "missing.pptx", "/out/"), Task(6, deck("twin.pptx", 12), "/out/")};
  WorkQueue biggest(tasks, WorkQueue::Order::kBiggestFirst);
  std::vector<int> order;
  while (!biggest.Empty()) order.push_back(Positions(biggest.Next()).front());
  // 40 slides, 12 and 12 in list order, 100 KB reckoned as 4, 2, unreadable.
  EXPECT_EQ(order, (std::vector<int>{2, 4, 6, 3, 1, 5}));
  WorkQueue listed(tasks);
  EXPECT_EQ(Positions(listed.Next()), (std::vector<int>{1}));
}

TEST(WorkQueue, BesideSourcesOnlyTheSameFolderCollides) {
  WorkQueue apart({Task(1, "/x/deck.ppt", "/x/"), Task(2, "/y/deck.pptx", "/y/")});
  EXPECT_EQ(apart.GroupsLeft(), 2u);
  WorkQueue together({Task(1, "/x/deck.ppt", "/x/"), Task(2, "/x/deck.pptx", "/x//")});
  EXPECT_EQ(together.GroupsLeft(), 1u);
}

TEST(FileTask, SurvivesTheConnectionWithNewlinesAndBackslashes) {
  FileTask task = Task(7, "/in/odd\r\nname \\ x.pptx", "/out/");
  task.kind = ExportKind::kOneSlide;
  task.slide = -32768;
  task.direction = 2;
  task.line = 166;
  WireMessage message(std::uint8_t{60});
  task.PutTo(message);
  WireMessage received;
  ASSERT_TRUE(WireMessage::FromBytes(message.Bytes(), &received));
  FileTask back;
  ASSERT_TRUE(FileTask::GetFrom(received, &back));
  EXPECT_TRUE(received.AtEnd());
  EXPECT_EQ(back.path, task.path);
  EXPECT_EQ(back.kind, ExportKind::kOneSlide);
  EXPECT_EQ(back.slide, -32768);
  EXPECT_EQ(back.direction, 2);
  EXPECT_EQ(back.line, 166);

  WireMessage cut(std::uint8_t{60});
  cut.PutU32(7);
  cut.PutString("/in/a.pptx");
  WireMessage cutReceived;
  ASSERT_TRUE(WireMessage::FromBytes(cut.Bytes(), &cutReceived));
  EXPECT_FALSE(FileTask::GetFrom(cutReceived, &back)) << "a truncated task must be refused";
}

}  // namespace
}  // namespace qm
