// The item list of the main window with real album folders: the load with
// its progress window, which files become items, the sort commands with
// their check marks and settings, select all, refresh, the reload at the
// other layout's cell size, clicks, the name tooltip and the drawing of
// thumbnails, labels and the selection frame.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QTimer>

#include <chrono>
#include <filesystem>

#include "app/ItemBrowser.h"
#include "app/ItemListView.h"
#include "app/MainDialog.h"
#include "app/ToolTipControl.h"
#include "ui/ProgressDialog.h"
#include "resources/ResourceIds.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using layout::WindowMode;
using test::MainWindowDoubles;

std::vector<std::string> Names(const ItemListView& list) {
  std::vector<std::string> names;
  for (int row = 0; row < list.Count(); ++row) names.push_back(list.Entry(row)->Item().name);
  return names;
}

TEST(ItemListTest, TheFirstLoadShowsItsProgressAtTheBottomRightAndListsOnlyRecognisedFiles) {
  MainWindowDoubles doubles;
  doubles.desktop.workArea = {0, 0, 1280, 800};
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  test::WritePicture(trip / "Zebra.bmp", 64, 48, qRgb(10, 200, 10));
  test::WritePicture(trip / "Photo.JPG", 64, 48, qRgb(200, 10, 10));
  fs::copy_file(trip / "Photo.JPG", trip / "Photo.jpeg");
  test::WriteText(trip / "empty.jpg", "");
  test::WriteText(trip / "notes.txt", "not an item");
  // What each load's progress window shows when the first item goes into
  // the list, while the load runs.
  struct Seen {
    QString title, text;
    QPoint corner;  // of the frame
    QSize size;
    bool shown = false, windowEnabled = true;
  };
  std::vector<Seen> loads;
  auto window = doubles.MakeWindow();
  test::OnItemLoaded(*window, [&](int count) {
    const ProgressDialog* progress = window->Items().Progress();
    if (count != 1 || !progress || !progress->window()) return;
    const QDialog& shown = *progress->window();
    loads.push_back({shown.windowTitle(), progress->text(), shown.frameGeometry().topLeft(), shown.size(),
                     shown.isVisible(), window->isEnabled()});
  });
  window->show();

  ASSERT_EQ(loads.size(), 1u) << "the items go into the list while the load runs";
  EXPECT_EQ(loads[0].title, "Lumora");
  EXPECT_EQ(loads[0].text, "Please wait while previews are being generated.");
  EXPECT_EQ(loads[0].corner, QPoint(1280 - 349, 800 - 105));
  EXPECT_EQ(loads[0].size, QSize(333, 97));
  EXPECT_TRUE(loads[0].shown);
  EXPECT_FALSE(loads[0].windowEnabled);
  EXPECT_EQ(Names(*window->ItemList()), (std::vector<std::string>{"Photo", "Zebra"}));
  const ProgressDialog* progress = window->Items().Progress();
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->upper(), 6) << "two steps for each of the three recognised names";
  EXPECT_EQ(progress->position(), 6);
  EXPECT_FALSE(progress->IsOpen());
  EXPECT_EQ(progress->window(), nullptr) << "gone with the load";
  EXPECT_TRUE(window->isEnabled()) << "the window has its input back";
  EXPECT_EQ(window->Items().CurrentItem(), 0);
  EXPECT_TRUE(window->ItemList()->IsSelected(0));

  window->OnCommand(res::kCmdRefresh);
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_NE(loads[1].corner, QPoint(1280 - 349, 800 - 105)) << "only the first load goes to the corner";
}

TEST(ItemListTest, AFileThatVanishesDuringTheLoadIsLeftOutAndTheWindowGetsItsInputBack) {
  MainWindowDoubles doubles;
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  test::WritePicture(trip / "a.bmp", 16, 16, qRgb(1, 1, 1));
  test::WritePicture(trip / "b.bmp", 16, 16, qRgb(1, 1, 1));
  auto window = doubles.ShowWindow();
  ASSERT_EQ(window->ItemList()->Count(), 2);
  // The progress window handles waiting events before its first step, after
  // the files were counted: the file goes then.
  QTimer::singleShot(0, [&] { fs::remove(trip / "b.bmp"); });
  window->OnCommand(res::kCmdRefresh);
  EXPECT_EQ(Names(*window->ItemList()), std::vector<std::string>{"a"});
  EXPECT_FALSE(window->Items().Progress()->IsOpen());
  EXPECT_TRUE(window->isEnabled());
}

TEST(ItemListTest, AnAlbumOfUnrecognisedFilesShowsNoProgressWindow) {
  MainWindowDoubles doubles;
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  test::WriteText(trip / "notes.txt", "x");
  test::WritePicture(trip / "Photo.bmp", 8, 8, qRgb(1, 1, 1));
  fs::rename(trip / "Photo.bmp", trip / "Photo.jpeg");
  auto window = doubles.ShowWindow();
  EXPECT_EQ(window->ItemList()->Count(), 0);
  EXPECT_EQ(window->Items().Progress(), nullptr);
  EXPECT_EQ(window->Items().CurrentItem(), -1);
}

TEST(ItemListTest, SortCommandsReorderAtOnceTickBothMenusAndSurviveARestart) {
  MainWindowDoubles doubles(/*onDisk=*/true);
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  test::WritePicture(trip / "apple.tif", 16, 16, qRgb(1, 2, 3));
  test::WritePicture(trip / "Zebra.jpg", 16, 16, qRgb(1, 2, 3));
  test::WritePicture(trip / "mango.bmp", 16, 16, qRgb(1, 2, 3));
  const auto now = fs::file_time_type::clock::now();
  fs::last_write_time(trip / "mango.bmp", now - std::chrono::hours(3));
  fs::last_write_time(trip / "apple.tif", now - std::chrono::hours(2));
  fs::last_write_time(trip / "Zebra.jpg", now - std::chrono::hours(1));
  {
    auto window = doubles.ShowWindow();
    ItemListView& items = *window->ItemList();
    EXPECT_EQ(Names(items), (std::vector<std::string>{"Zebra", "apple", "mango"})) << "by Name, forward";
    struct Step {
      uint32_t command;
      std::vector<std::string> order;
    };
    for (const Step& step : {Step{32812, {"mango", "apple", "Zebra"}}, Step{32773, {"apple", "Zebra", "mango"}},
                             Step{32811, {"mango", "Zebra", "apple"}}, Step{32772, {"mango", "apple", "Zebra"}},
                             Step{32812, {"Zebra", "apple", "mango"}}}) {
      SCOPED_TRACE(step.command);
      items.SetCurrentRow(2);
      EXPECT_TRUE(window->OnCommand(step.command));
      EXPECT_EQ(Names(items), step.order);
      EXPECT_EQ(items.selectionModel()->selectedIndexes(), QModelIndexList{items.model()->index(0, 0)}) << "item 0 alone is selected";
    }
    window->OnCommand(32773);
    window->OnCommand(layout::kMaximizeSmall);
    window->OnCommand(layout::kSortButton);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(300, 200));
    QApplication::sendEvent(items.viewport(), &rightClick);
    ASSERT_EQ(doubles.menus.size(), 2u);
    EXPECT_EQ(doubles.menus[0].entries,
              (QStringList{"by Name", "by Type [x]", "by Date", "-", "Forward(a-z)", "Reverse(z-a) [x]"}));
    EXPECT_EQ(doubles.menus[1].at, QPoint(300, 200));
    EXPECT_EQ(doubles.menus[1].entries.filter("Sort/"),
              (QStringList{"Sort/by Name", "Sort/by Type [x]", "Sort/by Date", "Sort/-", "Sort/Forward(a-z)",
                           "Sort/Reverse(z-a) [x]"}));
  }
  EXPECT_EQ(test::ReadDword(*doubles.registry, AppKey, kSortID), 32773u);
  EXPECT_EQ(test::ReadDword(*doubles.registry, AppKey, kSortFR), 32812u);
  auto restarted = doubles.ShowWindow();
  EXPECT_EQ(restarted->Items().Sorting().sortID, 32773u);
  EXPECT_EQ(restarted->Items().Sorting().sortFR, 32812u);
  EXPECT_EQ(Names(*restarted->ItemList()), (std::vector<std::string>{"apple", "Zebra", "mango"}));
}

TEST(ItemListTest, SelectAllRefreshAndTheLayoutToggleWorkOnTheAlbumOnDisk) {
  MainWindowDoubles doubles;
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  test::WritePicture(trip / "a.bmp", 640, 480, qRgb(0, 0, 0));
  test::WritePicture(trip / "b.bmp", 30, 60, qRgb(250, 250, 250));
  auto window = doubles.ShowWindow();
  ItemListView& items = *window->ItemList();
  ASSERT_EQ(items.Count(), 2);
  EXPECT_EQ(items.Thumbnail(0).size(), QSize(58, 42));

  EXPECT_TRUE(window->OnCommand(res::kCmdSelectAll));
  EXPECT_EQ(items.selectionModel()->selectedIndexes().size(), 2);

  test::WritePicture(trip / "c.bmp", 10, 10, qRgb(5, 5, 5));
  EXPECT_TRUE(window->OnCommand(res::kCmdRefresh));
  EXPECT_EQ(Names(items), (std::vector<std::string>{"a", "b", "c"}));

  window->OnCommand(layout::kMaximizeSmall);
  ASSERT_EQ(items.Count(), 3);
  EXPECT_EQ(items.Thumbnail(0).size(), QSize(107, 86));
  EXPECT_EQ(items.iconSize(), QSize(107, 86));
  window->OnCommand(layout::kMaximize);
  EXPECT_EQ(items.Thumbnail(0).size(), QSize(58, 42));
}

TEST(ItemListTest, ClicksSetTheCurrentItemADoubleClickPlaysAVideoAndTheNameTipFollowsThePointer) {
  MainWindowDoubles doubles;
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  test::WritePicture(trip / "a.bmp", 20, 20, qRgb(1, 1, 1));
  test::WritePicture(trip / "Beach.JPG", 20, 20, qRgb(1, 1, 1));
  fs::copy_file(LUMORA_AVI_SAMPLE, trip / "clip.avi");
  auto window = doubles.ShowWindow();
  ItemListView& items = *window->ItemList();
  test::Hover(*items.viewport(), items.LabelRect(0).center());
  EXPECT_EQ(window->ItemTips().TipText(items.viewport()), "") << "no name tips in the compact layout";
  window->OnCommand(layout::kMaximizeSmall);
  ASSERT_EQ(Names(items), (std::vector<std::string>{"Beach", "a", "clip"}));

  test::Click(*items.viewport(), items.ThumbnailRect(1).center());
  EXPECT_EQ(window->Items().CurrentItem(), 1);
  test::DoubleClick(*items.viewport(), items.ThumbnailRect(2).center());
  EXPECT_EQ(doubles.shell.calls, std::vector<std::string>{"open " + (trip / "clip.avi").string()});
  test::Click(*items.viewport(), QPoint(items.viewport()->width() - 5, items.viewport()->height() - 5));
  EXPECT_EQ(window->Items().CurrentItem(), -1) << "beside every item: nothing selected";

  test::Hover(*items.viewport(), items.LabelRect(0).center());
  EXPECT_EQ(window->ItemTips().TipText(items.viewport()), "Beach.JPG");
  test::Hover(*items.viewport(), items.ThumbnailRect(0).center());
  EXPECT_EQ(window->ItemTips().TipText(items.viewport()), "") << "only over the name";
}

TEST(ItemListTest, ThumbnailsKeepTheirBlackLabelsAreCutPerLayoutAndSelectionIsFramed) {
  MainWindowDoubles doubles;
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  test::WritePicture(trip / "night.bmp", 640, 480, qRgb(0, 0, 0));
  auto window = doubles.ShowWindow();
  ItemListView& items = *window->ItemList();
  ASSERT_EQ(items.Count(), 1);
  QCoreApplication::processEvents();
  const QImage shown = items.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  // 640 x 480 in 58 x 42: 48 x 36 at (4, 2).
  const QPoint thumbnail = items.ThumbnailRect(0).topLeft();
  EXPECT_EQ(shown.pixel(thumbnail + QPoint(4 + 24, 2 + 18)) & RGB_MASK, 0u) << "the picture's black stays";
  const QImage cell = items.Thumbnail(0).toImage();
  int clear = 0;
  for (int y = 0; y < cell.height(); ++y)
    for (int x = 0; x < cell.width(); ++x) {
      if (qAlpha(cell.pixel(x, y)) != 0) continue;
      ++clear;
      EXPECT_EQ(QColor(shown.pixel(thumbnail + QPoint(x, y))), QColor(192, 203, 217)) << x << ", " << y;
    }
  EXPECT_GT(clear, 0) << "the frame's black lets the list through";
  EXPECT_EQ(qAlpha(cell.pixel(4 + 24, 2 + 18)), 255);
  const QRect frameCell = items.RowRect(0);
  EXPECT_EQ(shown.pixel(frameCell.left() + 1, frameCell.top() + 1) & RGB_MASK, ItemListView::kSelectionColour);
  EXPECT_EQ(shown.pixel(frameCell.right() - 1, frameCell.bottom() - 1) & RGB_MASK, ItemListView::kSelectionColour);

  EXPECT_EQ(items.LabelText("Holidays in Spain"), "Holida...");
  EXPECT_EQ(items.LabelText("abc"), "abc");
  window->OnCommand(layout::kMaximizeSmall);
  EXPECT_EQ(items.LabelText("Holidays in Spain"), "Holidays i...");
  EXPECT_EQ(items.LabelText("Holidays"), "Holidays");
}

TEST(ItemListTest, TheListKeepsABoundedStoreOfThumbnailsAndMakesTheOthersAgainWhenDrawn) {
  test::App();
  ItemListView list(nullptr);
  std::vector<std::string> made;
  list.SetThumbnailMaker([&](const AlbumItem& item) {
    made.push_back(item.name);
    return QPixmap(2, 2);
  });
  const int count = int(ItemListView::kKeptThumbnails) + 10;
  std::vector<std::pair<ItemEntry, QPixmap>> batch;
  for (int i = 0; i < count; ++i) {
    QPixmap thumbnail(1, 1);
    thumbnail.fill(QColor(i % 256, 0, 0));
    batch.emplace_back(ItemEntry(AlbumItem{"i" + std::to_string(i), "/x/i" + std::to_string(i) + ".bmp", 0}),
                       thumbnail);
  }
  list.Append(ItemEntry(AlbumItem{"first", "/x/first.bmp", 0}), QPixmap(3, 3));
  list.AppendAll(std::move(batch));
  ASSERT_EQ(list.Count(), count + 1);
  EXPECT_EQ(list.KeptThumbnails(), ItemListView::kKeptThumbnails);

  const struct {
    int row;
    QSize size;
    std::vector<std::string> madeSoFar;
  } draws[] = {
      {count, QSize(1, 1), {}},                   // the newest is kept
      {0, QSize(2, 2), {"first"}},                // the oldest left the store: made again
      {0, QSize(2, 2), {"first"}},                // and kept from then on
      {1, QSize(2, 2), {"first", "i0"}},
      {count, QSize(1, 1), {"first", "i0"}},      // drawn lately: still there
  };
  for (const auto& d : draws) {
    EXPECT_EQ(list.Thumbnail(d.row).size(), d.size) << d.row;
    EXPECT_EQ(made, d.madeSoFar) << d.row;
  }
  EXPECT_EQ(list.KeptThumbnails(), ItemListView::kKeptThumbnails);
  EXPECT_TRUE(list.Thumbnail(count + 1).isNull()) << "no row";

  // A renamed record keeps its picture; a new entry in the row brings its own.
  ItemEntry renamed = *list.Entry(count);
  renamed.Item().name = "renamed";
  list.Replace(count, renamed);
  EXPECT_EQ(list.Thumbnail(count).size(), QSize(1, 1));
  list.Replace(count, ItemEntry(renamed.Item()), QPixmap(4, 4));
  EXPECT_EQ(list.Thumbnail(count).size(), QSize(4, 4));
  list.Clear();
  EXPECT_EQ(list.KeptThumbnails(), 0u);
}

}  // namespace
}  // namespace lumora
