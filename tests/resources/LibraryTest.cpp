// Tests of the resource library "Lumora.rcc": what it replaces, what still comes
// from the built-in set, and that a missing or broken library changes nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace lumora {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::SizeIs;

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A temporary program folder, optionally holding a copy of `library` as Lumora.rcc.
class ProgramFolder {
 public:
  ProgramFolder() { EXPECT_TRUE(dir_.isValid()); }
  std::filesystem::path Path() const { return dir_.path().toStdString(); }
  std::filesystem::path Library() const { return Path() / kResourceLibraryFileName; }
  void InstallLibrary(const char* built) {
    std::filesystem::copy_file(built, Library(), std::filesystem::copy_options::overwrite_existing);
  }
  void WriteLibrary(std::string_view bytes) {
    std::ofstream(Library(), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

 private:
  QTemporaryDir dir_;
};

// Map roots of the libraries that are mapped at the moment.
QStringList MappedLibraries() {
  return QDir(QStringLiteral(":/")).entryList({QStringLiteral("lumora-library-*")});
}

TEST(ResourceLibrary, AbsentLibraryLeavesTheBuiltinSet) {
  ProgramFolder folder;
  Resources resources(folder.Path());
  EXPECT_FALSE(resources.LibraryLoaded());
  EXPECT_EQ(resources.String(res::kStringProgramName), "Lumora");
  // The built-in compact background is a JPEG picture, not a library's stand-in.
  const std::optional<std::vector<uint8_t>> background = resources.Data(res::kDataCompactBackground);
  ASSERT_TRUE(background);
  ASSERT_GE(background->size(), 2u);
  EXPECT_EQ((*background)[0], 0xFF);
  EXPECT_EQ((*background)[1], 0xD8);
  EXPECT_TRUE(resources.LibraryProblems().empty());
}

TEST(ResourceLibrary, ReplacesWhatItHoldsAndLeavesTheRest) {
  ProgramFolder folder;
  folder.InstallLibrary(LUMORA_TEST_SKIN_RCC);
  Resources resources(folder.Path());
  ASSERT_TRUE(resources.LibraryLoaded());
  EXPECT_TRUE(resources.LibraryProblems().empty());

  EXPECT_EQ(resources.String(17), "Keep the changes?");
  EXPECT_EQ(resources.String(5000), "Only in the skin");
  EXPECT_EQ(resources.String(res::kStringProgramName), "Lumora");  // not in the library
  EXPECT_EQ(resources.Data(res::kDataCompactBackground),
            Bytes("\xff\xd8skin background stand-in\xff\xd9"));

  const std::optional<Menu> context = resources.GetMenu(res::kMenuItemContext);
  ASSERT_TRUE(context);
  ASSERT_THAT(context->items, SizeIs(1));
  EXPECT_EQ(context->items[0].children.at(0).text, "Open picture");
  const std::optional<Menu> main = resources.GetMenu(res::kMenuMain);  // built-in
  ASSERT_TRUE(main);
  EXPECT_TRUE(main->FindPopup(res::kPopupImport));

  const std::optional<std::vector<uint8_t>> bitmap = resources.Bitmap(427);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->size(), 62u);
  EXPECT_EQ((*bitmap)[0], 'B');
  EXPECT_EQ((*bitmap)[54], 255);  // first pixel: magenta, blue byte first
  EXPECT_EQ((*bitmap)[55], 0);
  EXPECT_EQ((*bitmap)[56], 255);

  const std::optional<CursorImage> cursor = resources.Cursor(res::kCursorLinkHover);
  ASSERT_TRUE(cursor);
  EXPECT_EQ(cursor->hotspotX, 1);
  EXPECT_EQ(cursor->hotspotY, 1);
  EXPECT_EQ(cursor->bytes.size(), 86u);
  const std::optional<std::vector<uint8_t>> icon = resources.Icon(res::kIconApplication);
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->size(), 86u);
}

TEST(ResourceLibrary, WindowOutlineAlwaysComesFromTheProgram) {
  ProgramFolder folder;
  folder.InstallLibrary(LUMORA_TEST_SKIN_RCC);
  Resources resources(folder.Path());
  ASSERT_TRUE(resources.LibraryLoaded());
  EXPECT_EQ(resources.Data(res::kDataWindowOutline), Bytes("not the program outline"));
  const std::optional<std::vector<uint8_t>> own = resources.OwnData(res::kDataWindowOutline);
  ASSERT_TRUE(own);
  EXPECT_EQ(own->size(), 112u);
}

TEST(ResourceLibrary, TablesThatDoNotParseAreIgnoredAndReported) {
  ProgramFolder folder;
  folder.InstallLibrary(LUMORA_TEST_BROKEN_RCC);
  Resources resources(folder.Path());
  ASSERT_TRUE(resources.LibraryLoaded());
  EXPECT_EQ(resources.String(17), "Do you want to save the changes?");
  ASSERT_TRUE(resources.GetMenu(res::kMenuMain));
  EXPECT_EQ(resources.GetMenu(res::kMenuMain)->FindPopup(res::kPopupFile)->children[0].command,
            res::kCmdAdd);
  EXPECT_EQ(resources.Data(res::kDataCompactBackground),
            Bytes("broken library background stand-in"));
  ASSERT_THAT(resources.LibraryProblems(), SizeIs(2));
  EXPECT_THAT(resources.LibraryProblems()[0],
              HasSubstr("strings.json ignored: entry 0: unknown key \"txt\""));
  EXPECT_THAT(resources.LibraryProblems()[1], HasSubstr("menus.json ignored: menu 248"));
}

TEST(ResourceLibrary, TwoObjectsWithDifferentLibrariesDoNotMix) {
  ProgramFolder skinFolder;
  skinFolder.InstallLibrary(LUMORA_TEST_SKIN_RCC);
  ProgramFolder brokenFolder;
  brokenFolder.InstallLibrary(LUMORA_TEST_BROKEN_RCC);
  Resources skin(skinFolder.Path());
  Resources broken(brokenFolder.Path());
  EXPECT_EQ(skin.String(17), "Keep the changes?");
  EXPECT_EQ(broken.String(17), "Do you want to save the changes?");
  EXPECT_EQ(broken.Data(res::kDataCompactBackground), Bytes("broken library background stand-in"));
  EXPECT_EQ(skin.Data(res::kDataCompactBackground),
            Bytes("\xff\xd8skin background stand-in\xff\xd9"));
}

TEST(ResourceLibrary, IsUnmappedWhenTheObjectGoes) {
  ProgramFolder folder;
  folder.InstallLibrary(LUMORA_TEST_SKIN_RCC);
  const QStringList before = MappedLibraries();
  std::optional<Resources> resources(std::in_place, folder.Path());
  ASSERT_TRUE(resources->LibraryLoaded());
  EXPECT_EQ(MappedLibraries().size(), before.size() + 1);
  resources.reset();
  EXPECT_EQ(MappedLibraries(), before);
  // The file can be replaced and mapped again by a new object.
  folder.InstallLibrary(LUMORA_TEST_BROKEN_RCC);
  Resources again(folder.Path());
  EXPECT_EQ(again.Data(res::kDataCompactBackground), Bytes("broken library background stand-in"));
}

TEST(ResourceLibrary, InvalidLibrariesAreIgnoredSilently) {
  std::string garbage(4096, '\0');
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 131 + 7) % 251);
  const std::pair<const char*, std::string> cases[] = {
      {"garbage", garbage},
      {"empty", ""},
      {"magic only", "qres"},
      {"header with offsets past the end",
       std::string("qres\0\0\0\3\x7f\0\0\0\x7f\0\0\0\x7f\0\0\0", 20)},
  };
  for (const auto& [name, bytes] : cases) {
    ProgramFolder folder;
    folder.WriteLibrary(bytes);
    Resources resources(folder.Path());
    EXPECT_FALSE(resources.LibraryLoaded()) << name;
    EXPECT_TRUE(resources.LibraryProblems().empty()) << name;
    EXPECT_EQ(resources.String(17), "Do you want to save the changes?") << name;
    EXPECT_TRUE(resources.OwnData(res::kDataWindowOutline)) << name;
  }
}

TEST(ResourceLibrary, AFolderNamedLikeTheLibraryIsIgnored) {
  ProgramFolder folder;
  std::filesystem::create_directory(folder.Library());
  Resources resources(folder.Path());
  EXPECT_FALSE(resources.LibraryLoaded());
  EXPECT_EQ(resources.String(res::kStringProgramName), "Lumora");
}

}  // namespace
}  // namespace lumora
