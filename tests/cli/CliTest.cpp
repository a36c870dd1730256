// lumora-cli: dispatch, exit codes, one-line errors, and the settings listing.
#include "cli/Cli.h"

#include <sys/wait.h>

#include <sstream>

#include <gtest/gtest.h>

#include "media/codecs/Jpeg.h"
#include "platform/Exec.h"
#include "settings/Settings.h"
#include "tests/TempDir.h"

namespace lumora::cli {
namespace {

struct Result {
  int code;
  std::string out, err;
};

Result RunCli(std::vector<std::string> args) {
  args.insert(args.begin(), "lumora-cli");
  std::ostringstream out, err;
  int code = Run(args, {out, err});
  return {code, out.str(), err.str()};
}

size_t Lines(const std::string& s) { return size_t(std::count(s.begin(), s.end(), '\n')); }

TEST(Cli, HelpListsEveryCommandAndBadArgumentsExitWithTwo) {
  Result help = RunCli({"--help"});
  EXPECT_EQ(help.code, kExitOk);
  for (const auto& c : Commands()) EXPECT_NE(help.out.find(std::string(c.name)), std::string::npos) << c.name;
  EXPECT_TRUE(help.err.empty());

  for (auto args : {std::vector<std::string>{}, {"frobnicate"}, {"settings", "--bogus"}, {"settings", "--registry"}}) {
    Result r = RunCli(args);
    EXPECT_EQ(r.code, kExitBadArguments);
    EXPECT_EQ(Lines(r.err), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("lumora-cli", 0), 0u) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
}

TEST(Cli, SettingsShowsStoredValuesAndDefaultsWithoutWriting) {
  test::TempDir dir;
  {
    Registry reg(dir.path());
    ASSERT_TRUE(WriteMachineDword(reg, AppKey, kSortID, 32773));
    ASSERT_TRUE(WriteMachineString(reg, TunerecKey, kAppPath, "/opt/tv"));
    ASSERT_TRUE(WriteMachineString(reg, AppKey, kSortFR, "text"));
  }
  // A damaged line, and no lock file yet: the listing still writes nothing.
  const auto hive = dir / "HKEY_LOCAL_MACHINE.reg";
  test::WriteText(hive, test::ReadText(hive) + "\"Broken\"=\"no closing quote\n");
  std::filesystem::remove(dir / "HKEY_LOCAL_MACHINE.reg.lock");
  const std::string before = test::ReadText(hive);
  testing::internal::CaptureStderr();
  Result r = RunCli({"settings", "--registry", dir.path().string()});
  EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("Lumora\\Lumora\\SortID = 32773\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Tunerec\\AppPath = \"/opt/tv\"\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("WindowPosLeft = (missing, default 0)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("SortFR = (unreadable"), std::string::npos) << r.out;
  EXPECT_EQ(test::ReadText(hive), before);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"HKEY_LOCAL_MACHINE.reg"});

  test::WriteText(dir / "file", "x");
  Result bad = RunCli({"settings", "--registry", (dir / "file").string()});
  EXPECT_EQ(bad.code, kExitBadInput);
  EXPECT_EQ(Lines(bad.err), 1u);
}

TEST(Cli, TheProgramReturnsItsExitCodes) {
  auto status = [](const std::string& args) {
    int s = std::system((std::string(LUMORA_CLI_PATH) + " " + args + " >/dev/null 2>&1").c_str());
    return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  };
  EXPECT_EQ(status("--help"), 0);
  EXPECT_EQ(status("--version"), 0);
  EXPECT_EQ(status("no-such-command"), 2);
  // The media subcommands run in the sibling program or like it, with its exit codes.
  EXPECT_EQ(status("preview"), 2);
  EXPECT_EQ(status("thumbnail /nonexistent/x.jpg /nonexistent/y.bmp"), 1);
  EXPECT_EQ(status("info /nonexistent/x.jpg"), 1);
}

TEST(Cli, StillThumbnailsLoadNeitherFfmpegNorQt) {
  // The dynamic loader's log of each process (LD_DEBUG_OUTPUT adds ".<pid>"):
  // a still picture's cell is made in lumora-cli alone, with neither library;
  // a video's starts lumora-cli-media, which loads FFmpeg.
  test::TempDir dir;
  DibImage picture;
  ASSERT_TRUE(picture.Create(64, 48, 24));
  ASSERT_TRUE(WriteJpegFile(picture, (dir / "photo.jpg").string()));
  test::WriteText(dir / "clip.avi", "no video");
  auto logsOf = [&](const std::string& in) {
    const std::filesystem::path logs = dir / ("logs-" + in);
    std::filesystem::create_directory(logs);
    setenv("LD_DEBUG", "libs", 1);
    setenv("LD_DEBUG_OUTPUT", (logs / "ld").c_str(), 1);
    const ChildRun run =
        RunChild(LUMORA_CLI_PATH, {LUMORA_CLI_PATH, "thumbnail", (dir / in).string(), (dir / "out.bmp").string()});
    unsetenv("LD_DEBUG");
    unsetenv("LD_DEBUG_OUTPUT");
    std::vector<std::string> texts;
    for (const std::string& name : test::NamesIn(logs)) texts.push_back(test::ReadText(logs / name));
    return std::pair{run.exitCode, texts};
  };
  auto loads = [](const std::string& log, const char* library) {
    return log.find(std::string("find library=") + library) != std::string::npos;
  };

  const auto [stillCode, stillLogs] = logsOf("photo.jpg");
  EXPECT_EQ(stillCode, kExitOk);
  ASSERT_EQ(stillLogs.size(), 1u) << "one process";
  EXPECT_TRUE(loads(stillLogs[0], "libjpeg")) << stillLogs[0];
  for (const char* library : {"libavcodec", "libavformat", "libQt6Core"})
    EXPECT_FALSE(loads(stillLogs[0], library)) << library;

  const auto [videoCode, videoLogs] = logsOf("clip.avi");
  EXPECT_EQ(videoCode, kExitBadInput);
  ASSERT_EQ(videoLogs.size(), 2u) << "lumora-cli and lumora-cli-media";
  EXPECT_NE(loads(videoLogs[0], "libavcodec"), loads(videoLogs[1], "libavcodec"));
}

}  // namespace
}  // namespace lumora::cli
