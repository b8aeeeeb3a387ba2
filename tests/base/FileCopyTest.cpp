// Copying and moving a picture between the renderer's folder and the output
// folder, when either holds something planted by someone else.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/FileCopy.h"
#include "tests/support/TempFolder.h"

namespace qm::test {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

bool IsRegular(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TEST(FileCopy, ALinkPlantedAtTheTargetIsReplacedNeverWrittenThrough) {
  // Another user's link at the predictable name of a temporary once made the
  // copy overwrite the file it pointed to.
  // As root the link is planted by another account ("nobody") in a folder
  // both may write, as in the attack; unprivileged, by the same account.
  TempFolder folder;
  ASSERT_EQ(::chmod(folder.Path().c_str(), 0777), 0);
  const std::string victim = folder / "private.txt";
  const std::string picture = folder / "slide.bmp";
  const std::string target = folder / ".quillmere-1-2-3.bmp";
  Write(victim, "private");
  ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
  Write(picture, "BM picture");
  const bool root = ::geteuid() == 0;
  const pid_t planter = ::fork();
  ASSERT_GE(planter, 0);
  if (planter == 0) {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(::symlink(victim.c_str(), target.c_str()) == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(planter, &status, 0), planter);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the link could not be planted";
  struct stat link {};
  ASSERT_EQ(::lstat(target.c_str(), &link), 0);
  if (root) {
    EXPECT_EQ(link.st_uid, 65534u);
  }
  std::string why;
  ASSERT_TRUE(CopyFileBytes(picture, target, &why)) << why;
  EXPECT_EQ(Contents(victim), "private");
  EXPECT_TRUE(IsRegular(target));
  EXPECT_EQ(Contents(target), "BM picture");
}

TEST(FileCopy, OnlyARegularFileIsCopiedOrMovedNeverALinkAPipeOrADevice) {
  // A renderer that leaves a link to another file, to /dev/zero or a FIFO as
  // its picture once had it read, the disk filled, or the run hang.
  TempFolder folder;
  const std::string victim = folder / "private.txt";
  Write(victim, "private");
  const std::string toFile = folder / "link-to-file.bmp";
  const std::string toZero = folder / "link-to-zero.bmp";
  const std::string fifo = folder / "fifo.bmp";
  ASSERT_EQ(::symlink(victim.c_str(), toFile.c_str()), 0);
  ASSERT_EQ(::symlink("/dev/zero", toZero.c_str()), 0);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& source : {toFile, toZero, fifo}) {
    SCOPED_TRACE(source);
    const std::string copy = folder / "copy.bmp";
    std::string why;
    EXPECT_FALSE(CopyFileBytes(source, copy, &why));
    EXPECT_NE(why.find(source), std::string::npos) << why;
    EXPECT_NE(::access(copy.c_str(), F_OK), 0);
    const std::string moved = folder / "moved.bmp";
    EXPECT_FALSE(MoveFileBytes(source, moved, &why));
    EXPECT_NE(::access(moved.c_str(), F_OK), 0);
  }
  EXPECT_EQ(Contents(victim), "private");
  // A regular file still moves.
  const std::string picture = folder / "slide.bmp";
  Write(picture, "BM");
  std::string why;
  EXPECT_TRUE(MoveFileBytes(picture, folder / "out.bmp", &why)) << why;
  EXPECT_EQ(Contents(folder / "out.bmp"), "BM");
}

}  // namespace
}  // namespace qm::test
