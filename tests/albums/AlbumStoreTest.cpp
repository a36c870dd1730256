// The album store against real folders: the root, the start album, names,
// create, delete, rename, information and sizes.
#include "albums/AlbumStore.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/testing/RecordingShell.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using testing_support::RecordingShell;

class AlbumStoreTest : public ::testing::Test {
 protected:
  std::string Root() const { return (dir_.path() / "Albums").string() + "/"; }
  void Folder(const std::string& name) { fs::create_directories(Root() + name); }
  void File(const std::string& name) {
    fs::create_directories(Root());
    test::WriteText(Root() + name, "x");
  }
  static std::vector<std::string> Names(const std::vector<AlbumItem>& albums) {
    std::vector<std::string> names;
    for (const auto& a : albums) names.push_back(a.name);
    return names;
  }

  test::TempDir dir_;
};

TEST_F(AlbumStoreTest, RootLiesBesideTheProgram) {
  EXPECT_EQ(AlbumsRoot("/opt/lumora/Lumora"), "/opt/lumora/Albums/");
}

TEST_F(AlbumStoreTest, MissingOrEmptyRootGivesNoAlbumsAndNewCannotCreate) {
  StartAlbums missing = BuildStartAlbums(Root(), "");
  EXPECT_TRUE(missing.albums.empty());
  EXPECT_EQ(missing.current, -1);
  EXPECT_EQ(NewAlbumName(Root()), "Album");
  EXPECT_FALSE(CreateAlbum(Root(), "Album"));
  EXPECT_FALSE(fs::exists(Root())) << "the root is never created";

  fs::create_directories(Root());
  File("notes.txt");
  StartAlbums empty = BuildStartAlbums(Root(), "");
  EXPECT_TRUE(empty.albums.empty());
  EXPECT_EQ(empty.current, -1);
}

TEST_F(AlbumStoreTest, StartAlbumMatchesIgnoringCaseAndSortsByteWise) {
  for (const char* name : {"trip", "apple", "Zoo"}) Folder(name);
  Folder("trip/sub");  // sub-folders of an album are not albums
  File("loose.jpg");   // files of the root are not albums

  StartAlbums wanted = BuildStartAlbums(Root(), "TRIP");
  EXPECT_EQ(Names(wanted.albums), (std::vector<std::string>{"Zoo", "apple", "trip"}));
  EXPECT_EQ(wanted.current, 2);
  EXPECT_EQ(wanted.albums[2].path, Root() + "trip");

  EXPECT_EQ(BuildStartAlbums(Root(), "nowhere").current, 0);
  EXPECT_EQ(BuildStartAlbums(Root(), "").current, 0);
  EXPECT_EQ(FindAlbumIgnoringCase(wanted.albums, "ZOO"), 0);
  EXPECT_EQ(FindAlbumIgnoringCase(wanted.albums, "Zo"), -1);
}

TEST_F(AlbumStoreTest, NewAlbumNameTakesTheFirstFreeInOrder) {
  Folder("Album");
  Folder("album (1)");
  EXPECT_EQ(NewAlbumName(Root()), "Album (2)");

  fs::remove(Root() + "Album");
  EXPECT_EQ(NewAlbumName(Root()), "Album") << "a later free name does not win over an earlier one";

  File("album");
  EXPECT_EQ(NewAlbumName(Root()), "Album (2)") << "a file blocks the name too";
}

TEST_F(AlbumStoreTest, CreateMakesTheFolderOnceAndEntersTheRoot) {
  fs::create_directories(Root());
  const fs::path before = fs::current_path();
  std::optional<AlbumItem> made = CreateAlbum(Root(), "Album");
  const fs::path during = fs::current_path();
  fs::current_path(before);
  ASSERT_TRUE(made);
  EXPECT_EQ(made->name, "Album");
  EXPECT_EQ(made->path, Root() + "Album");
  EXPECT_EQ(made->time, 0);
  EXPECT_TRUE(fs::is_directory(made->path));
  EXPECT_EQ(fs::canonical(during), fs::canonical(Root()));
  EXPECT_FALSE(CreateAlbum(Root(), "Album")) << "an existing folder is a failure";
}

TEST_F(AlbumStoreTest, DeleteLeavesTheListOnlyWhenTheFolderIsGone) {
  Folder("Trip");
  File("Trip/a.jpg");
  const AlbumItem trip{"Trip", Root() + "Trip", 0};

  RecordingShell aborting;
  aborting.fileOpResult = FileOpResult::Aborted;
  EXPECT_EQ(DeleteAlbum(aborting, trip), AlbumDeleteResult::Aborted);

  RecordingShell claimsDone;  // says done, touches nothing
  claimsDone.trashResult = FileOpResult::Done;
  EXPECT_EQ(DeleteAlbum(claimsDone, trip), AlbumDeleteResult::Failed);
  EXPECT_EQ(claimsDone.calls, (std::vector<std::string>{"trash " + trip.path, "delete " + trip.path}));

  // The real shell: into the trash, with the album's files.
  const fs::path dataHome = fs::path(Root()).parent_path().parent_path() / "data";
  setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
  PosixShell shell;
  EXPECT_EQ(DeleteAlbum(shell, trip), AlbumDeleteResult::Deleted);
  unsetenv("XDG_DATA_HOME");
  EXPECT_FALSE(fs::exists(trip.path));
  EXPECT_TRUE(fs::exists(dataHome / "Trash/files/Trip/a.jpg"));
  EXPECT_TRUE(fs::exists(dataHome / "Trash/info/Trip.trashinfo"));
}

TEST_F(AlbumStoreTest, RenameFollowsTheFolderOnDisk) {
  Folder("Trip");
  RecordingShell recording;

  AlbumRename caseOnly = RenameAlbum(recording, Root(), "Trip", "TRIP");
  EXPECT_TRUE(recording.calls.empty()) << "a change of case renames nothing";
  ASSERT_EQ(caseOnly.step, AlbumRenameStep::Renamed);
  EXPECT_FALSE(caseOnly.renamedOnDisk);
  EXPECT_EQ(caseOnly.entry.name, "TRIP");
  EXPECT_EQ(caseOnly.entry.path, Root() + "Trip") << "the entry keeps naming the real folder";

  for (const char* refused : {"", ".", "..", "../Outside", "a/b", "a\\b"})
    EXPECT_EQ(RenameAlbum(recording, Root(), "Trip", refused).step, AlbumRenameStep::EditAgain) << refused;
  EXPECT_TRUE(recording.calls.empty());

  recording.fileOpResult = FileOpResult::Failed;
  EXPECT_EQ(RenameAlbum(recording, Root(), "Trip", "Summer").step, AlbumRenameStep::EditAgain);

  PosixShell shell;
  AlbumRename renamed = RenameAlbum(shell, Root(), "Trip", "Summer");
  ASSERT_EQ(renamed.step, AlbumRenameStep::Renamed);
  EXPECT_TRUE(renamed.renamedOnDisk);
  EXPECT_EQ(renamed.entry.path, Root() + "Summer");
  EXPECT_TRUE(fs::is_directory(Root() + "Summer"));

  AlbumRename back = RenameAlbum(shell, Root(), "Summer", "SUMMER");
  ASSERT_EQ(back.step, AlbumRenameStep::Renamed);
  AlbumRename onward = RenameAlbum(shell, Root(), "SUMMER", "Autumn");
  ASSERT_EQ(onward.step, AlbumRenameStep::Renamed) << "the shown name differs from the folder's in case only";
  EXPECT_TRUE(fs::is_directory(Root() + "Autumn"));

  Folder("Winter");
  EXPECT_EQ(RenameAlbum(shell, Root(), "Autumn", "Winter").step, AlbumRenameStep::EditAgain)
      << "an existing album is never replaced";
  EXPECT_EQ(RenameAlbum(recording, Root(), "Gone", "GONE").step, AlbumRenameStep::Missing);
}

TEST_F(AlbumStoreTest, RenameRefusesANameThatAnotherEntryHasIgnoringCase) {
  // Two albums differing in case only would make the album found by name
  // ignoring case the wrong one.
  Folder("Beach");
  Folder("Trip");
  File("notes");
  PosixShell shell;
  for (const char* taken : {"beach", "BEACH", "Notes"}) {
    EXPECT_EQ(RenameAlbum(shell, Root(), "Trip", taken).step, AlbumRenameStep::EditAgain) << taken;
    EXPECT_TRUE(fs::is_directory(Root() + "Trip")) << taken;
  }
  EXPECT_FALSE(fs::exists(Root() + "beach"));
  EXPECT_EQ(RenameAlbum(shell, Root(), "Trip", "trip").step, AlbumRenameStep::Renamed) << "its own name in another case";
}

TEST_F(AlbumStoreTest, RepointKeepsNamesTimesAndExtensions) {
  std::vector<AlbumItem> items = {{"beach", "/r/Trip/beach.JPG", 7}, {"v1.2", "/r/Trip/v1.2.mpeg", 9}};
  RepointItems(items, "/r/Summer");
  EXPECT_EQ(items[0].path, "/r/Summer/beach.JPG");
  EXPECT_EQ(items[0].time, 7);
  EXPECT_EQ(items[1].path, "/r/Summer/v1.2.mpeg");
}

TEST_F(AlbumStoreTest, LabelsCutLongNamesAtWholeCharacters) {
  EXPECT_EQ(AlbumLabelText("Holidays2"), "Holida...");
  EXPECT_EQ(AlbumLabelText("Holidays"), "Holidays");
  // "Fêtes" + "été": "ê" and "é" take two bytes; byte 6 falls inside "é".
  EXPECT_EQ(AlbumLabelText("F\xC3\xAAtes\xC3\xA9t\xC3\xA9"), "F\xC3\xAAtes...");
  EXPECT_EQ(ShortenLabel("Sunset over the bay", 10), "Sunset ove...");
}

TEST_F(AlbumStoreTest, FormatSizeFollowsTheDivisionRule) {
  EXPECT_EQ(FormatSize(0), "0 bytes");
  EXPECT_EQ(FormatSize(512), "512.0 bytes");
  EXPECT_EQ(FormatSize(1000), "1000.0 bytes");
  EXPECT_EQ(FormatSize(1001), "1.0 KB");
  EXPECT_EQ(FormatSize(1048576), "1.0 MB");
  EXPECT_EQ(FormatSize(1536000), "1.5 MB");
  EXPECT_EQ(FormatSize(4294967295u), "4.0 GB");
}

TEST_F(AlbumStoreTest, InformationCountsOnlyItemFiles) {
  Folder("Trip");
  test::WriteText(Root() + "Trip/a.jpg", std::string(1500, 'x'));
  test::WriteText(Root() + "Trip/b.MPG", std::string(548, 'x'));
  test::WriteText(Root() + "Trip/c.txt", std::string(999, 'x'));
  const uint32_t sum = SumItemSizes({Root() + "Trip/a.jpg", Root() + "Trip/b.MPG", Root() + "Trip/c.txt",
                                     Root() + "Trip/gone.jpg"});
  EXPECT_EQ(sum, 2048u);

  fs::last_write_time(Root() + "Trip", fs::file_time_type::clock::now());
  AlbumInfo info = ReadAlbumInfo(Root() + "Trip", 2, sum);
  EXPECT_TRUE(info.found);
  EXPECT_EQ(info.name, "Trip");
  EXPECT_EQ(info.path, Root() + "Trip");
  EXPECT_EQ(info.count, "2");
  EXPECT_EQ(info.size, "2.0 KB");
  EXPECT_EQ(info.modified.size(), 19u) << info.modified;
  EXPECT_EQ(info.modified.substr(0, 2), "20");

  AlbumInfo missing = ReadAlbumInfo(Root() + "Nowhere", 2, sum);
  EXPECT_FALSE(missing.found);
  EXPECT_TRUE(missing.count.empty() && missing.size.empty() && missing.modified.empty());
}

}  // namespace
}  // namespace lumora
