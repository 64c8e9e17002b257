// The words a refusal uses for what a file is, from the file itself: each
// kind the system can make here, looked at without following a link.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/FileKind.h"
#include "support/TempDir.h"

namespace {

TEST(FileKind, NamesEachKindByTheFileItself) {
  TempDir temp;
  ASSERT_TRUE(temp.ok());
  const std::filesystem::path dir = temp.path();
  std::ofstream(dir / "regular") << "x";
  std::filesystem::create_directory(dir / "folder");
  ASSERT_EQ(0, mkfifo((dir / "fifo").c_str(), 0600));
  std::filesystem::create_symlink(dir / "regular", dir / "link");
  const struct {
    std::string path;
    const char* kind;
  } cases[] = {
      {(dir / "regular").string(), "a regular file"},
      {(dir / "folder").string(), "a directory"},
      {(dir / "fifo").string(), "a FIFO"},
      {(dir / "link").string(), "a symbolic link"},
      {"/dev/null", "a character device"},
  };
  for (const auto& c : cases) {
    struct stat seen {};
    ASSERT_EQ(0, lstat(c.path.c_str(), &seen)) << c.path;
    EXPECT_STREQ(c.kind, FileKindOf(seen.st_mode)) << c.path;
  }
}

}  // namespace
