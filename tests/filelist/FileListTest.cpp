// The file list's editing commands: the busy rule, which row goes, case.

#include <gtest/gtest.h>

#include "base/Error.h"
#include "filelist/FileList.h"
#include "tests/support/ScriptedUi.h"

namespace qm {
namespace {

using test::ScriptedUi;

FileList ListOf(std::initializer_list<const char*> rows) {
  FileList list;
  for (const char* row : rows) list.AddFileToList(row);
  return list;
}

std::vector<std::string> Rows(const FileList& list) {
  std::vector<std::string> rows;
  for (int i = 1; i <= list.FileCount(); ++i) rows.push_back(list.FileAt(i));
  return rows;
}

TEST(FileListEdits, NothingChangesWhileTheWindowIsBusy) {
  FileList list = ListOf({"a.pptx", "b.pptx", "c.pptx"});
  list.Select(2);
  ScriptedUi ui;
  ui.SetPointer(Pointer::Busy);
  list.OnDeleteKey(ui);
  list.OnDoubleClick(ui, 1);
  list.OnDoubleClick(ui, std::nullopt);
  list.OnClearList(ui);
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"a.pptx", "b.pptx", "c.pptx"}));
  EXPECT_EQ(list.Selected(), 2);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(FileListEdits, DoubleClickOnARowRemovesThatRowNotTheSelectedOne) {
  FileList list = ListOf({"a.pptx", "b.pptx", "c.pptx"});
  list.Select(1);
  ScriptedUi ui;
  list.OnDoubleClick(ui, 3);
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"a.pptx", "b.pptx"}));
  EXPECT_EQ(list.Selected(), std::nullopt);
}

TEST(FileListEdits, DoubleClickOnEmptySpaceRemovesOnlyASelectedRow) {
  FileList list = ListOf({"a.pptx", "b.pptx", "c.pptx"});
  ScriptedUi ui;
  list.OnDoubleClick(ui, std::nullopt);
  EXPECT_EQ(list.FileCount(), 3) << "nothing was selected";
  list.Select(2);
  list.OnDoubleClick(ui, std::nullopt);
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"a.pptx", "c.pptx"}));
}

TEST(FileListEdits, DeleteRemovesTheSelectedRowOnceAndRenumbers) {
  FileList list = ListOf({"a.pptx", "b.pptx", "c.pptx"});
  ScriptedUi ui;
  list.OnDeleteKey(ui);
  EXPECT_EQ(list.FileCount(), 3) << "Delete without a selection removed a row";
  list.Select(2);
  list.OnDeleteKey(ui);
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"a.pptx", "c.pptx"}));
  list.OnDeleteKey(ui);  // no row is selected after a removal
  EXPECT_EQ(list.FileCount(), 2);
}

TEST(FileListEdits, EmptyListIgnoresEveryEditWithoutAMessage) {
  FileList list = ListOf({});
  ScriptedUi ui;
  list.OnDeleteKey(ui);
  list.OnDoubleClick(ui, 1);
  list.OnDoubleClick(ui, std::nullopt);
  list.OnClearList(ui);
  EXPECT_EQ(list.FileCount(), 0);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(FileListEdits, ClearListRemovesEveryRowAndTheSelection) {
  FileList list = ListOf({"a.pptx", "a.pptx"});
  list.Select(1);
  ScriptedUi ui;
  list.OnClearList(ui);
  EXPECT_EQ(list.FileCount(), 0);
  EXPECT_EQ(list.Selected(), std::nullopt);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(FileList, ListContainsComparesCaseSensitively) {
  FileList list = ListOf({"/in/Deck.pptx"});
  EXPECT_TRUE(list.ListContains("/in/Deck.pptx"));
  EXPECT_FALSE(list.ListContains("/in/deck.pptx"));
  EXPECT_FALSE(list.ListContains("/in/Deck.pptx "));
  EXPECT_FALSE(ListOf({}).ListContains(""));
}

TEST(FileList, RowOutsideTheListIsAReadableError) {
  FileList list = ListOf({"a.pptx"});
  EXPECT_THROW(list.FileAt(0), Error);
  try {
    list.FileAt(2);
    FAIL() << "row 2 of a one-row list was returned";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("row 2"), std::string::npos) << e.what();
  }
  list.Select(5);
  EXPECT_EQ(list.Selected(), std::nullopt) << "a row outside the list became selected";
}

}  // namespace
}  // namespace qm
