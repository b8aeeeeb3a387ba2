// The batch core's queue and the tasks it hands to jobs.

#include <gtest/gtest.h>

#include "engine/batch/FileTask.h"
#include "engine/batch/WorkQueue.h"

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
