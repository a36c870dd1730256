// Running desktop tools, the mail client through xdg-email, and the
// wallpaper backends that run gsettings (the real one, on a key file in a
// temporary configuration folder), xfconf-query and pcmanfm-qt (fakes first
// on the PATH that keep their state in files).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/Exec.h"
#include "platform/FileIo.h"
#include "platform/MailClient.h"
#include "platform/Wallpaper.h"
#include "platform/Paths.h"
#include "tests/TempDir.h"
#include "tests/support/ScopedEnv.h"

namespace lumora {
namespace {

using test::ScopedEnv;

void WriteScript(const std::filesystem::path& path, const std::string& body) {
  std::ofstream(path) << "#!/bin/sh\n" << body;
  ::chmod(path.c_str(), 0755);
}

std::string ReadText(const std::filesystem::path& path) {
  std::string text;
  ReadWholeFile(path.string(), 1 << 20, text);
  return text;
}

// A folder of fake programs put first on the PATH.
struct FakeTools {
  test::TempDir temp;
  std::filesystem::path bin = temp / "bin";
  ScopedEnv env;
  FakeTools() {
    std::filesystem::create_directories(bin);
    env.Set("PATH", bin.string() + ":" + std::getenv("PATH"));
  }
};

TEST(RunProgram, FindsProgramsOnThePathAndReportsOutputAndExitStatus) {
  FakeTools tools;
  WriteScript(tools.bin / "answer", "printf '%s|' \"$@\"; exit \"$1\"\n");
  std::ofstream(tools.bin / "plain") << "not executable";
  EXPECT_EQ(FindProgram("answer"), (tools.bin / "answer").string());
  EXPECT_EQ(FindProgram("plain"), "");
  EXPECT_EQ(FindProgram("no-such-tool-here"), "");
  EXPECT_EQ(FindProgram((tools.bin / "answer").string()), (tools.bin / "answer").string());

  const std::pair<std::vector<std::string>, ProgramRun> cases[] = {
      {{"0", "a b"}, {0, "0|a b|"}},
      {{"3"}, {3, "3|"}},
  };
  for (const auto& [args, expected] : cases) {
    const ProgramRun run = RunProgram("answer", args);
    EXPECT_EQ(run.status, expected.status);
    EXPECT_EQ(run.output, expected.output);
  }
  EXPECT_EQ(RunProgram("no-such-tool-here", {}).status, -1);
  WriteScript(tools.bin / "killed", "kill -9 $$\n");
  EXPECT_EQ(RunProgram("killed", {}).status, -1);
}

TEST(XdgMailClient, EachFileBehindAttachInOrderAndTheExitStatusIsTheResult) {
  FakeTools tools;
  XdgMailClient client;
  // The fake records its arguments one a line and exits with $MAIL_STATUS.
  WriteScript(tools.bin / "xdg-email",
              "for a in \"$@\"; do echo \"$a\"; done > \"$MAIL_ARGS\"\nexit \"${MAIL_STATUS:-0}\"\n");
  ASSERT_TRUE(client.Available());
  const auto argsFile = tools.temp / "args";
  tools.env.Set("MAIL_ARGS", argsFile.string());

  MailDraft draft;
  draft.note = "   ";
  for (const char* p : {"/al/c d.jpg", "/al/a.bmp", "/al/b.tif"}) draft.attachments.push_back({p, "", 0});
  const std::pair<const char*, int> statuses[] = {{"0", kMailSuccess}, {"1", kMailFailure}, {"4", kMailFailure}};
  for (const auto& [status, code] : statuses) {
    tools.env.Set("MAIL_STATUS", status);
    EXPECT_EQ(client.Send(draft, mailflag::kDialog), code) << status;
    EXPECT_EQ(ReadText(argsFile), "--attach\n/al/c d.jpg\n--attach\n/al/a.bmp\n--attach\n/al/b.tif\n");
  }

  draft.note = "See these. ";
  draft.recipients = {{RecipientClass::Cc, "cc@example.org"}, {RecipientClass::To, "to@example.org"}};
  draft.attachments.resize(1);
  EXPECT_EQ(XdgMailClient::Arguments(draft),
            (std::vector<std::string>{"--body", "See these. ", "--cc", "cc@example.org", "--attach", "/al/c d.jpg",
                                      "to@example.org"}));
  // Without xdg-email on the PATH there is no client.
  tools.env.Set("PATH", tools.temp.path().string());
  EXPECT_FALSE(client.Available());
  EXPECT_EQ(client.Send(draft, 0), kMailFailure);
}

TEST(WallpaperText, FileUrisAndGVariantStrings) {
  const std::pair<std::string, std::string> uris[] = {
      {"/home/u/Lumora Wallpaper.bmp", "file:///home/u/Lumora%20Wallpaper.bmp"},
      {"/a/50%'x'/\xC3\xA9.jpg", "file:///a/50%25'x'/%C3%A9.jpg"},
      {"/plain-_.~/x", "file:///plain-_.~/x"},
  };
  for (const auto& [path, uri] : uris) {
    EXPECT_EQ(FileUri(path), uri);
    EXPECT_EQ(PathOfFileUri(uri), path);
  }
  for (const char* bad : {"http://x/y", "file://host/x", "file:///a%2", "file:///a%zz", "file:///a%"})
    EXPECT_FALSE(PathOfFileUri(bad)) << bad;
  EXPECT_EQ(GVariantString("it's a\\b"), "'it\\'s a\\\\b'");
}

// gsettings on a key file of its own, so the user's settings stay untouched.
struct KeyFileSettings {
  test::TempDir temp;
  ScopedEnv env;
  KeyFileSettings() {
    env.Set("GSETTINGS_BACKEND", "keyfile").Set("XDG_CONFIG_HOME", (temp / "config").string());
  }
};

TEST(GSettingsWallpaper, GnomeSetsBothKeysReadsThemBackAndRestoresThem) {
  if (FindProgram("gsettings").empty() || !RunProgram("gsettings", {"list-keys", "org.gnome.desktop.background"}).ok())
    GTEST_SKIP() << "gsettings or the GNOME background schema is not installed";
  KeyFileSettings settings;
  GSettingsWallpaper gnome = GSettingsWallpaper::Gnome();
  ASSERT_TRUE(RunProgram("gsettings", {"set", gnome.schema(), "picture-uri", "'file:///old/light.jpg'"}).ok());
  ASSERT_TRUE(RunProgram("gsettings", {"set", gnome.schema(), "picture-uri-dark", "'file:///old/dark.jpg'"}).ok());

  const std::optional<std::string> before = gnome.Current();
  ASSERT_TRUE(before);
  EXPECT_EQ(*before, "'file:///old/light.jpg'\n'file:///old/dark.jpg'\n");
  ASSERT_TRUE(gnome.Set({"/data/Lumora Wallpaper.bmp", 0, 0, {}}));
  EXPECT_EQ(gnome.Current(), "'file:///data/Lumora%20Wallpaper.bmp'\n'file:///data/Lumora%20Wallpaper.bmp'\n");
  // The key file really holds it: a new gsettings process reads it.
  EXPECT_EQ(RunProgram("gsettings", {"get", gnome.schema(), "picture-uri-dark"}).output,
            "'file:///data/Lumora%20Wallpaper.bmp'\n");
  ASSERT_TRUE(gnome.Restore(*before));
  EXPECT_EQ(gnome.Current(), before);

  // Schemas that are not installed make the backend fail, not pretend.
  for (GSettingsWallpaper missing : {GSettingsWallpaper("x", "org.example.none", {"picture-uri"},
                                                        GSettingsWallpaper::ValueForm::Uri)}) {
    EXPECT_FALSE(missing.Current());
    EXPECT_FALSE(missing.Set({"/x.bmp", 0, 0, {}}));
  }
}

TEST(GSettingsWallpaper, CinnamonAndMateWriteTheirSchemasKeysInTheirForm) {
  FakeTools tools;
  const auto log = tools.temp / "log";
  WriteScript(tools.bin / "gsettings", "echo \"$*\" >> '" + log.string() + "'\n[ \"$1\" = get ] && echo \"'v-$3'\"\nexit 0\n");
  struct Case {
    GSettingsWallpaper backend;
    std::string expected;
  };
  const Case cases[] = {
      {GSettingsWallpaper::Cinnamon(), "set org.cinnamon.desktop.background picture-uri 'file:///p/W%20x.bmp'\n"},
      {GSettingsWallpaper::Mate(), "set org.mate.background picture-filename '/p/W x.bmp'\n"},
  };
  for (Case c : cases) {
    std::filesystem::remove(log);
    EXPECT_EQ(c.backend.Current(), "'v-" + c.backend.keys()[0] + "'\n");
    std::filesystem::remove(log);
    ASSERT_TRUE(c.backend.Set({"/p/W x.bmp", 0, 0, {}}));
    EXPECT_EQ(ReadText(log), c.expected);
  }
}

TEST(XfceWallpaper, EveryMonitorsLastImageIsSetReadAndRestored) {
  FakeTools tools;
  // The fake keeps each property in a file named after it under $XFCONF_DIR.
  const auto store = tools.temp / "xfconf";
  std::filesystem::create_directories(store);
  tools.env.Set("XFCONF_DIR", store.string());
  WriteScript(tools.bin / "xfconf-query", R"sh(
[ "$1 $2" = "-c xfce4-desktop" ] || exit 1
key() { echo "$XFCONF_DIR/$(echo "$1" | tr / _)"; }
case "$3" in
  -l) for f in "$XFCONF_DIR"/*; do [ -e "$f" ] && head -n1 "$f"; done; exit 0 ;;
  -p) if [ "$5" = "-s" ]; then printf '%s\n%s\n' "$4" "$6" > "$(key "$4")"; exit 0; fi
      [ -e "$(key "$4")" ] || exit 1; tail -n1 "$(key "$4")"; exit 0 ;;
esac
exit 1
)sh");
  XfceWallpaper xfce;
  EXPECT_FALSE(xfce.Current());
  EXPECT_FALSE(xfce.Set({"/new.bmp", 0, 0, {}}));  // no monitor known yet
  const std::map<std::string, std::string> old = {
      {"/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "/old/one.jpg"},
      {"/backdrop/screen0/monitorVirtual-1/workspace0/last-image", "/old/two.jpg"},
      {"/backdrop/screen0/monitorVirtual-1/workspace0/image-style", "5"},
  };
  for (const auto& [property, value] : old) ASSERT_TRUE(RunProgram("xfconf-query", {"-c", "xfce4-desktop", "-p", property, "-s", value}).ok());

  const std::optional<std::string> before = xfce.Current();
  ASSERT_TRUE(before);
  EXPECT_EQ(*before,
            "/backdrop/screen0/monitorHDMI-1/workspace0/last-image=/old/one.jpg\n"
            "/backdrop/screen0/monitorVirtual-1/workspace0/last-image=/old/two.jpg\n");
  ASSERT_TRUE(xfce.Set({"/data/Lumora Wallpaper.bmp", 0, 0, {}}));
  EXPECT_EQ(xfce.Current(),
            "/backdrop/screen0/monitorHDMI-1/workspace0/last-image=/data/Lumora Wallpaper.bmp\n"
            "/backdrop/screen0/monitorVirtual-1/workspace0/last-image=/data/Lumora Wallpaper.bmp\n");
  ASSERT_TRUE(xfce.Restore(*before));
  EXPECT_EQ(xfce.Current(), before);
  EXPECT_FALSE(xfce.Restore("no equals sign"));
}

TEST(LxqtWallpaper, SetsThroughPcmanfmQtAndReadsItsProfile) {
  FakeTools tools;
  tools.env.Set("XDG_CONFIG_HOME", (tools.temp / "config").string());
  const auto profile = tools.temp / "config" / "pcmanfm-qt" / "lxqt" / "settings.conf";
  WriteScript(tools.bin / "pcmanfm-qt", "[ \"$1\" = --set-wallpaper ] || exit 1\nmkdir -p '" +
                                            profile.parent_path().string() + "'\nprintf '[System]\\nWallpaper=no\\n[Desktop]\\nWallpaperMode=zoom\\nWallpaper=%s\\n' \"$2\" > '" +
                                            profile.string() + "'\n");
  LxqtWallpaper lxqt;
  EXPECT_FALSE(lxqt.Current());
  ASSERT_TRUE(lxqt.Set({"/data/Lumora Wallpaper.bmp", 0, 0, {}}));
  EXPECT_EQ(lxqt.Current(), "/data/Lumora Wallpaper.bmp");
  ASSERT_TRUE(lxqt.Restore("/old.png"));
  EXPECT_EQ(lxqt.Current(), "/old.png");
  EXPECT_FALSE(lxqt.Restore(""));
}

}  // namespace
}  // namespace lumora
