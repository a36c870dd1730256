// lumora-cli info: one "Label: value" line per field of the information
// window, and the exit codes of a missing file and of bad arguments.
#include "cli/InfoCommand.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <sstream>

#include <gtest/gtest.h>

#include "media/codecs/Bmp.h"
#include "picture/DibImage.h"
#include "tests/TempDir.h"

namespace lumora::cli {
namespace {

TEST(InfoCommand, PrintsEachFieldOnItsLineAndFailsOnAMissingFile) {
  test::TempDir dir;
  DibImage picture;
  ASSERT_TRUE(picture.Create(100, 20, 24));
  const std::string bmp = (dir / "harbour.bmp").string();
  ASSERT_TRUE(WriteBmpFile(picture, bmp));
  const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, bmp.c_str(), times, 0), 0);
  std::tm tm{};
  const time_t t = 1000000000;
  localtime_r(&t, &tm);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);

  std::ostringstream out, err;
  ASSERT_EQ(RunInfoCommand(std::vector<std::string>{bmp}, {out, err}), kExitOk) << err.str();
  std::istringstream lines(out.str());
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line);
  ASSERT_EQ(got.size(), 7u) << out.str();
  EXPECT_EQ(got[0], "Title name: harbour");
  EXPECT_EQ(got[1], "Path: " + dir.path().string());
  EXPECT_EQ(got[2].substr(0, 9), "Created: ");
  EXPECT_EQ(got[3], std::string("Modified: ") + when);
  EXPECT_EQ(got[4], std::string("Accessed: ") + when);
  EXPECT_EQ(got[5], "Type: BITMAP");
  EXPECT_EQ(got[6], "File Size: 6,054 bytes( 100 * 20)");
  EXPECT_TRUE(err.str().empty());

  struct Case {
    std::vector<std::string> args;
    int code;
  } cases[] = {
      {{(dir / "gone.bmp").string()}, kExitBadInput},
      {{}, kExitBadArguments},
      {{bmp, bmp}, kExitBadArguments},
      {{"--all"}, kExitBadArguments},
  };
  for (const Case& c : cases) {
    std::ostringstream o, e;
    EXPECT_EQ(RunInfoCommand(c.args, {o, e}), c.code) << c.args.size();
    EXPECT_TRUE(o.str().empty());
    const std::string error = e.str();
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  }
}

}  // namespace
}  // namespace lumora::cli
