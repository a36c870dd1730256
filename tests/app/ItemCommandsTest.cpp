// The item commands of the main window on real album folders, through the
// command table with scripted prompts: Add with its clash rule, Delete into
// the trash and of missing files, Rename of the title only, Duplicate, the
// information window, Export, and the drops and drags of items.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/AlbumListView.h"
#include "app/FileInfoDialog.h"
#include "app/ItemBrowser.h"
#include "app/ItemCommands.h"
#include "app/ItemListView.h"
#include "app/MainDialog.h"
#include "platform/Shell.h"
#include "resources/ResourceIds.h"
#include "tests/app/AppTesting.h"
#include "ui/ProgressDialog.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::MainWindowDoubles;

constexpr char kNotFound[] = "was not found.";
constexpr char kNoPicture[] = "No Picture Selected";
constexpr char kConfirmDelete[] = "Are you sure you want to delete selected item(s)?";

std::vector<std::string> Names(const ItemListView& list) {
  std::vector<std::string> names;
  for (int row = 0; row < list.Count(); ++row) names.push_back(list.Entry(row)->Item().name);
  return names;
}

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

int RowOf(const ItemListView& list, const std::string& name) {
  for (int row = 0; row < list.Count(); ++row) {
    if (list.Entry(row)->Item().name == name) return row;
  }
  return -1;
}

void Select(ItemListView& list, std::initializer_list<std::string> names) {
  list.clearSelection();
  for (const std::string& name : names) {
    const int row = RowOf(list, name);
    ASSERT_GE(row, 0) << name;
    list.selectionModel()->select(list.model()->index(row, 0), QItemSelectionModel::Select);
  }
}

// Puts the pointer at a point of `widget`.
void PointAt(const QWidget& widget, const QPoint& local) { QCursor::setPos(widget.mapToGlobal(local)); }

// A window over the album "Trip" (current) and "Home", with real file
// operations; the trash is in the temporary folder.
struct Albums {
  Albums() {
    trip = test::AddAlbum(doubles, "Trip");
    home = test::AddAlbum(doubles, "Home");
    outside = doubles.temp / "outside";
    fs::create_directories(outside);
    dataHome = doubles.temp / "data";
    fs::create_directories(dataHome);
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    doubles.shellInUse = &shell;
  }
  ~Albums() { unsetenv("XDG_DATA_HOME"); }
  std::unique_ptr<MainDialog> Show() {
    auto window = doubles.ShowWindow();
    if (window->Albums().CurrentPath() != trip.string()) {
      const int row = window->AlbumList()->Entry(0)->Album().name == "Trip" ? 0 : 1;
      test::Click(*window->AlbumList()->viewport(), window->AlbumList()->RowRect(row).center());
      window->Albums().EndOpenAnimation();
    }
    return window;
  }
  QPoint AlbumPoint(const MainDialog& window, const std::string& name) const {
    const AlbumListView& list = *window.AlbumList();
    for (int row = 0; row < list.Count(); ++row) {
      if (list.Entry(row)->Album().name == name) return list.viewport()->mapTo(&window, list.RowRect(row).center());
    }
    return {};
  }
  QPoint ItemsPoint(const MainDialog& window) const {
    const ItemListView& list = *window.ItemList();
    return list.viewport()->mapTo(&window, QPoint(list.viewport()->width() - 5, list.viewport()->height() - 5));
  }

  MainWindowDoubles doubles;
  PosixShell shell;
  fs::path trip, home, outside, dataHome;
};

TEST(ItemCommandsTest, AddNumbersClashesByTitleCopiesAndMakesTheNewItemCurrent) {
  Albums albums;
  test::WritePicture(albums.trip / "beach.jpg", 16, 16, qRgb(1, 2, 3));
  test::WritePicture(albums.trip / "Beach (1).bmp", 16, 16, qRgb(1, 2, 3));
  test::WritePicture(albums.outside / "beach.jpg", 20, 10, qRgb(9, 9, 9));
  test::WritePicture(albums.outside / "sea.bmp", 20, 10, qRgb(9, 9, 9));
  auto window = albums.Show();
  ItemListView& list = *window->ItemList();
  ASSERT_EQ(list.Count(), 2);

  const std::string gone = (albums.outside / "gone.jpg").string();
  albums.doubles.prompts.ExpectOpenFiles({(albums.outside / "beach.jpg").string(), gone,
                                          (albums.outside / "sea.bmp").string()});
  window->OnCommand(res::kCmdAdd);
  const OpenFileRequest& request = albums.doubles.prompts.lastFileRequest();
  EXPECT_EQ(request.filter, ItemCommands::kAddFilter);
  EXPECT_EQ(request.initialFolder, albums.trip.string());
  EXPECT_TRUE(request.multiple);

  EXPECT_EQ(FilesIn(albums.trip), (std::set<std::string>{"beach.jpg", "Beach (1).bmp", "beach (2).jpg", "sea.bmp"}));
  EXPECT_TRUE(fs::exists(albums.outside / "beach.jpg")) << "Add copies";
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Beach (1)", "beach", "beach (2)", "sea"}));
  EXPECT_EQ(window->Items().CurrentItem(), 3);
  EXPECT_EQ(list.LastSelectedRow(), 3);
  EXPECT_FALSE(list.IsSelected(2)) << "only the last added item stays selected";
  ASSERT_NE(window->ItemOps().Progress(), nullptr);
  EXPECT_EQ(window->ItemOps().Progress()->upper(), 4) << "two steps for each readable file";
  EXPECT_FALSE(window->ItemOps().Progress()->IsOpen());

  // An album folder that went away meanwhile: the failure, per file.
  fs::remove_all(albums.trip);
  const std::string source = (albums.outside / "sea.bmp").string();
  albums.doubles.prompts.ExpectOpenFiles({source})
      .ExpectMessage(source + " - " + (albums.trip / "sea.bmp").string() + " : file copy failure", "Lumora",
                     box::kOk, kAnswerOk);
  window->OnCommand(res::kCmdAdd);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_TRUE(albums.doubles.prompts.AllAnswered());
}

TEST(ItemCommandsTest, DeleteTrashesFilesReportsMissingOnesEachAndMakesItemZeroCurrent) {
  Albums albums;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"})
    test::WritePicture(albums.trip / name, 8, 8, qRgb(1, 2, 3));
  auto window = albums.Show();
  ItemListView& list = *window->ItemList();
  ASSERT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c", "d"}));

  list.clearSelection();
  albums.doubles.prompts.ExpectMessage(kNoPicture);
  window->OnCommand(res::kCmdDelete);

  // No keeps everything.
  Select(list, {"b"});
  albums.doubles.prompts.ExpectMessage(kConfirmDelete, "Lumora", box::kYesNo | box::kTopmost, kAnswerNo);
  window->OnCommand(res::kCmdDelete);
  EXPECT_EQ(list.Count(), 4);

  Select(list, {"b", "c", "d"});
  fs::remove(albums.trip / "b.bmp");
  fs::remove(albums.trip / "d.bmp");
  albums.doubles.prompts.ExpectMessage(kConfirmDelete, kAnswerYes)
      .ExpectMessage("'" + (albums.trip / "b.bmp").string() + "' " + kNotFound)
      .ExpectMessage("'" + (albums.trip / "d.bmp").string() + "' " + kNotFound);
  // The Delete key is the command.
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(&list, &del);
  EXPECT_TRUE(albums.doubles.prompts.AllAnswered());
  EXPECT_EQ(Names(list), std::vector<std::string>{"a"});
  EXPECT_EQ(window->Items().CurrentItem(), 0);
  EXPECT_TRUE(list.IsSelected(0));
  EXPECT_FALSE(fs::exists(albums.trip / "c.bmp"));
  EXPECT_TRUE(fs::exists(albums.dataHome / "Trash" / "files" / "c.bmp")) << "in the trash";
  EXPECT_TRUE(fs::exists(albums.dataHome / "Trash" / "info" / "c.bmp.trashinfo"));

  Select(list, {"a"});
  albums.doubles.prompts.ExpectMessage(kConfirmDelete, kAnswerYes);
  window->OnCommand(res::kCmdDelete);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(window->Items().CurrentItem(), -1);
}

// Types `text` into the item list's open label editor and presses Enter.
void TypeLabel(ItemListView& list, const QString& text) {
  QLineEdit* editor = nullptr;
  for (QLineEdit* line : list.findChildren<QLineEdit*>()) {
    if (line->isVisible()) editor = line;
  }
  ASSERT_NE(editor, nullptr) << "no label editor open";
  editor->setText(text);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(editor, &enter);
  QCoreApplication::processEvents();
}

TEST(ItemCommandsTest, RenameChangesTheTitleOnlyAndRefusesTakenOrEscapingNames) {
  Albums albums;
  test::WritePicture(albums.trip / "beach.jpg", 8, 8, qRgb(1, 2, 3));
  test::WritePicture(albums.trip / "sand.jpg", 8, 8, qRgb(1, 2, 3));
  auto window = albums.Show();
  ItemListView& list = *window->ItemList();

  Select(list, {"beach"});
  const int64_t time = list.Entry(RowOf(list, "beach"))->Item().time;
  window->OnCommand(res::kCmdRename);
  TypeLabel(list, "sea");
  EXPECT_EQ(FilesIn(albums.trip), (std::set<std::string>{"sand.jpg", "sea.jpg"}));
  const int row = RowOf(list, "sea");
  ASSERT_GE(row, 0);
  EXPECT_EQ(list.Entry(row)->Item().path, (albums.trip / "sea.jpg").string());
  EXPECT_EQ(list.Entry(row)->Item().time, time);

  const std::string old = (albums.trip / "sea.jpg").string();
  struct Refused {
    QString typed;
    std::string newPath;
  };
  for (const Refused& refused : {Refused{"sand", (albums.trip / "sand.jpg").string()},
                                 Refused{"..", (albums.trip / "...jpg").string()},
                                 Refused{"up/x", (albums.trip / "up/x.jpg").string()}}) {
    Select(list, {"sea"});
    albums.doubles.prompts.ExpectMessage("Picture name could not be renamed(" + old + " - " + refused.newPath + ") ");
    window->OnCommand(res::kCmdRename);
    TypeLabel(list, refused.typed);
    EXPECT_TRUE(albums.doubles.prompts.AllAnswered()) << refused.typed.toStdString();
  }
  // An empty text keeps the name.
  Select(list, {"sea"});
  window->OnCommand(res::kCmdRename);
  TypeLabel(list, "");
  EXPECT_EQ(FilesIn(albums.trip), (std::set<std::string>{"sand.jpg", "sea.jpg"}));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"sea", "sand"})) << "the renamed item keeps its place";

  list.clearSelection();
  albums.doubles.prompts.ExpectMessage(kNoPicture, "Lumora", box::kOk, kAnswerOk);
  window->OnCommand(res::kCmdRename);
  EXPECT_EQ(window->Items().CurrentItem(), 0);
  EXPECT_TRUE(list.IsSelected(0));
}

TEST(ItemCommandsTest, RenameAndDeleteTakeTheItemsThumbnailCacheEntriesAlong) {
  Albums albums;
  test::WritePicture(albums.trip / "beach.jpg", 64, 48, qRgb(1, 2, 3));
  test::WritePicture(albums.trip / "sand.jpg", 64, 48, qRgb(1, 2, 3));
  auto window = albums.Show();
  ItemListView& list = *window->ItemList();
  const ThumbnailCache& cache = *window->Items().Cache();
  const fs::path beach = albums.trip / "beach.jpg", sea = albums.trip / "sea.jpg", sand = albums.trip / "sand.jpg";
  ASSERT_TRUE(fs::exists(cache.NormalPath(beach))) << "the load filled the cache";
  ASSERT_TRUE(fs::exists(cache.NormalPath(sand)));

  Select(list, {"beach"});
  window->OnCommand(res::kCmdRename);
  TypeLabel(list, "sea");
  EXPECT_FALSE(fs::exists(cache.NormalPath(beach)));
  CachedThumbnail moved;
  EXPECT_EQ(cache.Find(sea, false, window->Items().Cell(), moved), CacheLookup::Found) << "moved, keys and all";

  Select(list, {"sand"});
  albums.doubles.prompts.ExpectMessage(kConfirmDelete, kAnswerYes);
  window->OnCommand(res::kCmdDelete);
  EXPECT_FALSE(fs::exists(cache.NormalPath(sand)));
  EXPECT_TRUE(fs::exists(cache.NormalPath(sea)));
}

TEST(ItemCommandsTest, DuplicateNumbersCopiesFromOneAndInformationShowsTheFile) {
  Albums albums;
  test::WritePicture(albums.trip / "beach.bmp", 640, 480, qRgb(1, 2, 3));
  auto window = albums.Show();
  ItemListView& list = *window->ItemList();

  for (int copy = 1; copy <= 2; ++copy) {
    Select(list, {"beach"});
    window->OnCommand(res::kCmdDuplicate);
    EXPECT_FALSE(list.IsSelected(RowOf(list, "beach"))) << "the source's selection goes";
  }
  EXPECT_EQ(FilesIn(albums.trip), (std::set<std::string>{"beach.bmp", "beach (1).bmp", "beach (2).bmp"}));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"beach", "beach (1)", "beach (2)"}));
  EXPECT_EQ(window->ItemOps().Progress()->upper(), 5);

  std::map<uint32_t, QString> fields;
  albums.doubles.onDialog = [&](QDialog& dialog) {
    auto* info = dynamic_cast<FileInfoDialog*>(&dialog);
    ASSERT_NE(info, nullptr);
    for (const uint32_t control : {FileInfoDialog::kTitle, FileInfoDialog::kPath, FileInfoDialog::kType,
                                   FileInfoDialog::kSize, FileInfoDialog::kModified})
      fields[control] = info->Field(control);
  };
  Select(list, {"beach (1)"});
  window->Items().SetCurrentItem(-1);
  window->OnCommand(res::kCmdInformation);
  ASSERT_EQ(albums.doubles.dialogs, std::vector<QString>{"Information"});
  EXPECT_EQ(fields[FileInfoDialog::kTitle], "beach (1)");
  EXPECT_EQ(fields[FileInfoDialog::kPath].toStdString(), albums.trip.string());
  EXPECT_EQ(fields[FileInfoDialog::kType], "BITMAP");
  EXPECT_EQ(fields[FileInfoDialog::kSize].toStdString(),
            GroupThousands(fs::file_size(albums.trip / "beach (1).bmp")) + " bytes( 640 * 480)");
  EXPECT_EQ(fields[FileInfoDialog::kModified].size(), 19);

  // A missing file: the message, and the item leaves.
  fs::remove(albums.trip / "beach (2).bmp");
  Select(list, {"beach (2)"});
  window->Items().SetCurrentItem(-1);
  albums.doubles.prompts.ExpectMessage("'" + (albums.trip / "beach (2).bmp").string() + "' " + kNotFound);
  window->OnCommand(res::kCmdInformation);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"beach", "beach (1)"}));
  EXPECT_EQ(albums.doubles.dialogs.size(), 1u);
}

TEST(ItemCommandsTest, ExportCopiesTheSelectedFilesUnderTheirNamesAndLeavesTheAlbum) {
  Albums albums;
  for (const char* name : {"a.bmp", "b.jpg", "c.tif", "d.bmp"})
    test::WritePicture(albums.trip / name, 8, 8, qRgb(1, 2, 3));
  auto window = albums.Show();
  ItemListView& list = *window->ItemList();
  const fs::path out = albums.doubles.temp / "out";
  fs::create_directories(out);
  std::ofstream(out / "b.jpg") << "old";

  list.clearSelection();
  albums.doubles.prompts.ExpectMessage(kNoPicture);
  window->OnCommand(layout::kExportButton);

  Select(list, {"a", "b", "c"});
  albums.doubles.prompts.ExpectFolder({out.string()});
  window->OnCommand(layout::kExportButton);
  const FolderRequest& request = albums.doubles.prompts.lastFolderRequest();
  EXPECT_EQ(request.title, "Export");
  EXPECT_EQ(request.prompt, "Path...");
  EXPECT_EQ(request.initialFolder, albums.trip.string() + "/");
  EXPECT_EQ(FilesIn(out), (std::set<std::string>{"a.bmp", "b.jpg", "c.tif"}));
  EXPECT_EQ(fs::file_size(out / "b.jpg"), fs::file_size(albums.trip / "b.jpg")) << "replaced";
  EXPECT_EQ(FilesIn(albums.trip).size(), 4u);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(window->ItemOps().Progress()->upper(), 3 + 1) << "a step per file started, one for their end";

  // A file that went: reported with its path, the others still go.
  fs::remove(albums.trip / "a.bmp");
  fs::remove(out / "d.bmp");
  Select(list, {"a", "d"});
  albums.doubles.prompts.ExpectFolder({out.string()})
      .ExpectMessage((albums.trip / "a.bmp").string() + " - " + (out / "a.bmp").string() + " : " + kNotFound);
  window->OnCommand(layout::kExportButton);
  EXPECT_TRUE(fs::exists(out / "d.bmp"));
  EXPECT_TRUE(albums.doubles.prompts.AllAnswered());
}

TEST(ItemCommandsTest, DropsMoveFilesIntoTheListOrAnotherAlbumAndNumberTakenNamesFromZero) {
  Albums albums;
  test::WritePicture(albums.trip / "beach.jpg", 8, 8, qRgb(1, 2, 3));
  test::WritePicture(albums.outside / "beach.jpg", 8, 8, qRgb(4, 5, 6));
  test::WritePicture(albums.outside / "sea.bmp", 8, 8, qRgb(4, 5, 6));
  test::WritePicture(albums.outside / "hill.bmp", 8, 8, qRgb(4, 5, 6));
  fs::create_directories(albums.outside / "folder");
  auto window = albums.Show();
  ItemListView& list = *window->ItemList();
  const QPoint items = albums.ItemsPoint(*window);
  const QPoint home = albums.AlbumPoint(*window, "Home");
  const QPoint trip = albums.AlbumPoint(*window, "Trip");

  EXPECT_EQ(window->OnDragOver(items), QvDropDialog::kDropEffectMove);
  EXPECT_EQ(window->OnDragOver(home), QvDropDialog::kDropEffectMove);
  EXPECT_EQ(window->OnDragOver(trip), QvDropDialog::kDropEffectNone) << "the current album";
  EXPECT_EQ(window->OnDragOver(QPoint(1, 1)), QvDropDialog::kDropEffectNone);

  // From outside onto the list: moved (one file system) and added; a taken
  // name gets (0) and the message; a folder and a vanished file are skipped.
  PointAt(*window, items);
  albums.doubles.prompts.ExpectMessage(
      "Same file name already exists. File has been automatically renamed to beach (0).jpg", "Lumora",
      box::kOk | box::kSystemModal | box::kIconExclamation, kAnswerOk);
  window->OnDropFiles(*QvDropDialog::CreateDropFiles(
      {(albums.outside / "folder").string(), (albums.outside / "gone.bmp").string(),
       (albums.outside / "beach.jpg").string(), (albums.outside / "sea.bmp").string()}));
  EXPECT_EQ(FilesIn(albums.trip), (std::set<std::string>{"beach.jpg", "beach (0).jpg", "sea.bmp"}));
  EXPECT_EQ(FilesIn(albums.outside), (std::set<std::string>{"folder", "hill.bmp"}));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"beach", "beach (0)", "sea"}));

  // From outside onto another album: moved there, the list stays.
  PointAt(*window, home);
  window->OnDropFiles(*QvDropDialog::CreateDropFiles({(albums.outside / "hill.bmp").string()}));
  EXPECT_EQ(FilesIn(albums.home), std::set<std::string>{"hill.bmp"});
  EXPECT_EQ(list.Count(), 3);

  // The album's own files dropped onto itself stay.
  PointAt(*window, items);
  window->OnDropFiles(*QvDropDialog::CreateDropFiles({(albums.trip / "sea.bmp").string()}));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_TRUE(albums.doubles.prompts.AllAnswered());
}

TEST(ItemCommandsTest, DraggingItemsOntoAnotherAlbumMovesThemOutOfTheList) {
  Albums albums;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) test::WritePicture(albums.trip / name, 8, 8, qRgb(1, 2, 3));
  std::vector<QString> dragged;
  Qt::DropActions allowed;
  bool draggingSeen = false, listRefusesItsOwn = false;
  MainDialog* shown = nullptr;
  QPoint target;
  albums.doubles.runDrag = [&](QDrag& drag, Qt::DropActions actions) {
    allowed = actions;
    for (const QUrl& url : drag.mimeData()->urls()) dragged.push_back(url.toLocalFile());
    draggingSeen = shown->ItemOps().Dragging();
    listRefusesItsOwn = shown->OnDragOver(albums.ItemsPoint(*shown)) == QvDropDialog::kDropEffectNone;
    std::vector<std::string> paths;
    for (const QString& path : dragged) paths.push_back(path.toStdString());
    PointAt(*shown, target);
    shown->OnDropFiles(*QvDropDialog::CreateDropFiles(paths));
    return Qt::MoveAction;
  };
  auto window = albums.Show();
  shown = window.get();
  target = albums.AlbumPoint(*window, "Home");
  ItemListView& list = *window->ItemList();

  Select(list, {"a", "c"});
  window->ItemOps().DragItems();
  EXPECT_EQ(dragged, (std::vector<QString>{QString::fromStdString((albums.trip / "a.bmp").string()),
                                           QString::fromStdString((albums.trip / "c.bmp").string())}));
  EXPECT_EQ(allowed, Qt::MoveAction);
  EXPECT_TRUE(draggingSeen);
  EXPECT_TRUE(listRefusesItsOwn);
  EXPECT_FALSE(window->ItemOps().Dragging());
  EXPECT_EQ(FilesIn(albums.home), (std::set<std::string>{"a.bmp", "c.bmp"}));
  EXPECT_EQ(Names(list), std::vector<std::string>{"b"});

  // Dropped back onto the list itself: nothing moves.
  target = albums.ItemsPoint(*window);
  Select(list, {"b"});
  window->ItemOps().DragItems();
  EXPECT_EQ(FilesIn(albums.trip), std::set<std::string>{"b.bmp"});
  EXPECT_EQ(list.Count(), 1);
}

TEST(ItemCommandsTest, MailHandsTheSelectedFilesInListOrderToTheMailClient) {
  MainWindowDoubles doubles;
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) test::WritePicture(trip / name, 8, 8, qRgb(1, 2, 3));
  auto window = doubles.ShowWindow();
  ItemListView& list = *window->ItemList();
  ASSERT_EQ(list.Count(), 4);

  // Nothing selected: the message, and the mail client is not looked for.
  list.clearSelection();
  doubles.prompts.ExpectMessage(kNoPicture, "Lumora", box::kTopmost, kAnswerOk);
  window->OnCommand(layout::kMailButton);
  EXPECT_EQ(doubles.mail.availabilityAsked, 0);
  EXPECT_TRUE(doubles.mail.sent.empty());

  // Selected in another order than the list's: the list's order counts.
  Select(list, {"d", "b", "a"});
  window->OnCommand(layout::kMailButton);
  ASSERT_EQ(doubles.mail.sent.size(), 1u);
  std::vector<std::string> paths;
  for (const MailAttachment& a : doubles.mail.sent[0].attachments) paths.push_back(a.path);
  EXPECT_EQ(paths, (std::vector<std::string>{(trip / "a.bmp").string(), (trip / "b.bmp").string(),
                                             (trip / "d.bmp").string()}));
  EXPECT_EQ(doubles.mail.sent[0].note, "   ");
  EXPECT_EQ(doubles.mail.flags[0], mailflag::kDialog | mailflag::kLogonUi);
  EXPECT_TRUE(doubles.prompts.AllAnswered());
}

}  // namespace
}  // namespace lumora
