// lumora-cli mail and wallpaper: the files reach a fake xdg-email first on
// the PATH; a picture becomes the wallpaper through the real gsettings on a
// key file and comes back off with --restore; failures exit non-zero with one
// line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/Cli.h"
#include "media/codecs/PictureFiles.h"
#include "picture/DibImage.h"
#include "platform/Exec.h"
#include "tests/TempDir.h"
#include "tests/support/ScopedEnv.h"

namespace lumora::cli {
namespace {

struct Result {
  int code;
  std::string out, err;
};

Result RunCli(std::vector<std::string> args) {
  args.insert(args.begin(), "lumora-cli");
  std::ostringstream out, err;
  const int code = Run(args, {out, err});
  return {code, out.str(), err.str()};
}

// The environment of one test: a temporary registry, data and configuration
// folder, a folder of fake programs first on the PATH, and no desktop.
class DesktopCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(temp_ / "bin");
    Set("PATH", (temp_ / "bin").string() + ":" + std::getenv("PATH"));
    Set("QUORVIX_REGISTRY_DIR", (temp_ / "registry").string());
    Set("XDG_DATA_HOME", (temp_ / "data").string());
    Set("XDG_CONFIG_HOME", (temp_ / "config").string());
    Set("GSETTINGS_BACKEND", "keyfile");
    Set("XDG_CURRENT_DESKTOP", "GNOME");
    Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (temp_ / "no-bus").string());
  }
  void Set(const std::string& name, const std::string& value) { env_.Set(name, value); }
  void Script(const std::string& name, const std::string& body) {
    const auto path = temp_ / "bin" / name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
  }

  test::TempDir temp_;
  test::ScopedEnv env_;
};

TEST_F(DesktopCommandsTest, MailAttachesEveryFileInOrderAndExitsByTheClientsStatus) {
  for (const char* name : {"b.jpg", "a.bmp"}) std::ofstream(temp_ / name) << "x";
  const std::string args = (temp_ / "args").string();
  Script("xdg-email", "for a in \"$@\"; do echo \"$a\"; done > '" + args + "'\nexit \"${MAIL_STATUS:-0}\"\n");

  Result sent = RunCli({"mail", (temp_ / "b.jpg").string(), (temp_ / "a.bmp").string()});
  EXPECT_EQ(sent.code, kExitOk) << sent.err;
  EXPECT_EQ(test::ReadText(args), "--attach\n" + (temp_ / "b.jpg").string() + "\n--attach\n" +
                                      (temp_ / "a.bmp").string() + "\n");
  Set("MAIL_STATUS", "3");
  Result failed = RunCli({"mail", (temp_ / "a.bmp").string()});
  EXPECT_EQ(failed.code, kExitBadInput);
  EXPECT_EQ(failed.err, "lumora-cli mail: The mail client could not be started.\n");

  struct Case {
    std::vector<std::string> args;
    int code;
  };
  const Case bad[] = {{{"mail"}, kExitBadArguments}, {{"mail", (temp_ / "missing.jpg").string()}, kExitBadInput}};
  for (const Case& c : bad) EXPECT_EQ(RunCli(c.args).code, c.code);
  std::filesystem::remove(temp_ / "bin" / "xdg-email");
  Set("PATH", (temp_ / "bin").string());
  Result none = RunCli({"mail", (temp_ / "a.bmp").string()});
  EXPECT_EQ(none.code, kExitBadInput);
  EXPECT_EQ(none.err, "lumora-cli mail: Mail support could not be loaded.\n");
}

TEST_F(DesktopCommandsTest, WallpaperSetsThePictureThroughGsettingsAndRestoreSetsTheEarlierOne) {
  if (!RunProgram("gsettings", {"list-keys", "org.gnome.desktop.background"}).ok())
    GTEST_SKIP() << "gsettings or the GNOME background schema is not installed";
  ASSERT_TRUE(RunProgram("gsettings", {"set", "org.gnome.desktop.background", "picture-uri", "'file:///old.jpg'"}).ok());
  DibImage picture;
  ASSERT_TRUE(picture.Create(4, 3, 24));
  ASSERT_TRUE(SavePictureFile(picture, (temp_ / "in.bmp").string()));
  auto current = [] { return RunProgram("gsettings", {"get", "org.gnome.desktop.background", "picture-uri"}).output; };

  Result set = RunCli({"wallpaper", (temp_ / "in.bmp").string()});
  EXPECT_EQ(set.code, kExitOk) << set.err;
  EXPECT_EQ(set.out, "wallpaper set through gnome\n");
  const auto saved = temp_ / "data" / "quorvix" / "Lumora Wallpaper.bmp";
  EXPECT_TRUE(std::filesystem::exists(saved));
  EXPECT_EQ(current(), "'file://" + (temp_ / "data" / "quorvix").string() + "/Lumora%20Wallpaper.bmp'\n");

  EXPECT_EQ(RunCli({"wallpaper", "--restore"}).code, kExitOk);
  EXPECT_EQ(current(), "'file:///old.jpg'\n");
  Result again = RunCli({"wallpaper", "--restore"});
  EXPECT_EQ(again.code, kExitBadInput);
  EXPECT_EQ(again.err, "lumora-cli wallpaper: There is no earlier wallpaper to set again.\n");

  struct Case {
    std::vector<std::string> args;
    int code;
  };
  const Case bad[] = {
      {{"wallpaper"}, kExitBadArguments},
      {{"wallpaper", "a.bmp", "b.bmp"}, kExitBadArguments},
      {{"wallpaper", (temp_ / "missing.bmp").string()}, kExitBadInput},
  };
  for (const Case& c : bad) EXPECT_EQ(RunCli(c.args).code, c.code);
  // No desktop that answers and no X display: nothing can set it.
  Set("XDG_CURRENT_DESKTOP", "");
  Set("DISPLAY", "");
  Result unset = RunCli({"wallpaper", (temp_ / "in.bmp").string()});
  EXPECT_EQ(unset.code, kExitBadInput);
  EXPECT_EQ(unset.err, "lumora-cli wallpaper: The wallpaper could not be set.\n");
}

}  // namespace
}  // namespace lumora::cli
