// Whole-file reads against their limit: a file of any size up to the limit
// comes back whole, one byte more is refused with the first limit + 1 bytes,
// and files whose size is not known in advance (/proc) read to their end.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/FileIo.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

TEST(FileIo, ReadsWholeFilesUpToTheirLimit) {
  test::TempDir dir;
  const std::string path = (dir / "data").string();
  // Around the limit and around the first buffer of a file of unknown size.
  struct Case {
    size_t size, limit;
    int error;
  } cases[] = {{0, 0, 0},        {0, 10, 0},           {10, 10, 0},       {11, 10, EFBIG},
               {5000, 10000, 0}, {10000, 4096, EFBIG}, {70000, 70000, 0}, {70001, 70000, EFBIG}};
  for (const Case& c : cases) {
    std::string text(c.size, '\0');
    for (size_t i = 0; i < c.size; ++i) text[i] = char('a' + i % 26);
    {
      UniqueFd fd = OpenFd(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ASSERT_TRUE(fd);
      ASSERT_TRUE(WriteAll(fd.get(), text));
      ASSERT_TRUE(fd.Close());
    }
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadWholeFile(path, c.limit, bytes), c.error) << c.size << " of " << c.limit;
    const size_t expected = c.error == 0 ? c.size : c.limit + 1;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text.substr(0, expected)) << c.size << " of " << c.limit;

    std::string tail;
    UniqueFd fd = OpenFd(path, O_RDONLY);
    ASSERT_TRUE(fd);
    uint8_t three[3];
    EXPECT_EQ(ReadFullyAt(fd.get(), 1, three), c.size < 4 ? ssize_t(c.size > 1 ? c.size - 1 : 0) : 3);
    EXPECT_EQ(ReadToEnd(fd.get(), c.size, tail), 0) << "the positioned read leaves the position alone";
    EXPECT_EQ(tail, text);
  }

  std::string stat;
  EXPECT_EQ(ReadWholeFile("/proc/self/stat", 4096, stat), 0);
  EXPECT_NE(stat.find(") "), std::string::npos) << stat;
  EXPECT_EQ(ReadWholeFile("/proc/self/stat", 3, stat), EFBIG);
  EXPECT_EQ(stat.size(), 4u);
  EXPECT_EQ(ReadWholeFile((dir / "missing").string(), 10, stat), ENOENT);
  EXPECT_TRUE(stat.empty());
}

}  // namespace
}  // namespace lumora
