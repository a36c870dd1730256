// lumora-cli info: one "Label: value" line per field of the information
// window, and the exit codes of a missing file and of bad arguments.
#include "cli/InfoCommand.h"

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "albums/ItemFiles.h"
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
  const std::optional<ItemInfo> info = ReadItemInfo(bmp, {});
  ASSERT_TRUE(info);

  std::ostringstream out, err;
  ASSERT_EQ(RunInfoCommand(std::vector<std::string>{bmp}, {out, err}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), "Title name: harbour\nPath: " + dir.path().string() + "\nCreated: " + info->created +
                           "\nModified: " + info->modified + "\nAccessed: " + info->accessed +
                           "\nType: BITMAP\nFile Size: 6,054 bytes( 100 * 20)\n");
  EXPECT_TRUE(err.str().empty());

  const std::pair<std::vector<std::string>, int> cases[] = {
      {{(dir / "gone.bmp").string()}, kExitBadInput},
      {{}, kExitBadArguments},
      {{bmp, bmp}, kExitBadArguments},
      {{"--all"}, kExitBadArguments},
  };
  for (const auto& [args, code] : cases) {
    std::ostringstream o, e;
    EXPECT_EQ(RunInfoCommand(args, {o, e}), code) << args.size();
    EXPECT_TRUE(o.str().empty());
    const std::string error = e.str();
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  }
}

}  // namespace
}  // namespace lumora::cli
