// The album list of the main window, driven through the command table with
// scripted prompts and real album folders in a temporary program folder: the
// list at start and the album it opens, the open animation in both layouts,
// a click during a load, new, delete, rename through the label editor, the information dialog, and
// how the list draws its entries.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QKeySequence>
#include <QScrollBar>
#include <QWheelEvent>

#include <filesystem>

#include "albums/AlbumStore.h"
#include "app/AlbumInfoDialog.h"
#include "app/AlbumListView.h"
#include "app/ItemBrowser.h"
#include "app/ItemListView.h"
#include "app/MainDialog.h"
#include "ui/ProgressDialog.h"
#include "resources/ResourceIds.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using layout::WindowMode;
using test::MainWindowDoubles;

constexpr uint32_t kTopmostOk = box::kOk | box::kTopmost;

std::vector<std::string> Names(const AlbumListView& list) {
  std::vector<std::string> names;
  for (const AlbumItem& album : list.Albums()) names.push_back(album.name);
  return names;
}

QLineEdit* LabelEditor(const AlbumListView& list) {
  for (QLineEdit* editor : list.findChildren<QLineEdit*>()) {
    if (editor->isVisible()) return editor;
  }
  return nullptr;
}

// Types `text` into the open label editor and presses Enter.
void TypeLabel(AlbumListView& list, const QString& text) {
  QLineEdit* editor = LabelEditor(list);
  ASSERT_NE(editor, nullptr) << "no label editor open";
  editor->setText(text);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(editor, &enter);
  QCoreApplication::processEvents();
}

void ClickAlbum(AlbumListView& list, int row) {
  test::Click(*list.viewport(), list.RowRect(row).center());
}

TEST(AlbumListTest, WithoutAlbumsTheListIsEmptyAndNewCannotCreateTheRoot) {
  {
    MainWindowDoubles doubles;
    auto window = doubles.ShowWindow();
    EXPECT_EQ(window->AlbumList()->Count(), 0);
    EXPECT_EQ(window->Albums().Current(), -1);
    doubles.prompts.ExpectMessage("Cannot create Album", "Lumora", kTopmostOk, kAnswerOk);
    EXPECT_TRUE(window->OnCommand(layout::kNewAlbum));
    EXPECT_TRUE(doubles.prompts.AllAnswered());
    EXPECT_FALSE(fs::exists(doubles.temp / "Albums")) << "the program never makes the root";
  }
  MainWindowDoubles doubles;
  fs::create_directory(doubles.temp / "Albums");
  auto window = doubles.ShowWindow();
  EXPECT_EQ(fs::current_path(), doubles.temp / "Albums");
  EXPECT_EQ(fs::path(doubles.desktop.currentFolder), doubles.temp / "Albums") << "the start asks the desktop";
  EXPECT_EQ(window->ItemList()->Count(), 0);
  EXPECT_EQ(window->Items().Progress(), nullptr) << "no items, no progress window";
  for (const uint32_t command : {layout::kDeleteAlbum, layout::kRenameAlbum, layout::kAlbumInfo}) {
    doubles.prompts.ExpectMessage("No album item selected", "Lumora", kTopmostOk, kAnswerOk);
    window->OnCommand(command);
    EXPECT_TRUE(doubles.prompts.AllAnswered()) << command;
  }
}

TEST(AlbumListTest, TheStoredAlbumNameOpensItsAlbumIgnoringCaseElseTheFirstInByteOrder) {
  struct Case {
    std::string stored;
    int current;
  };
  for (const Case& c : {Case{"TRIP", 2}, Case{"nothing", 0}}) {
    SCOPED_TRACE(c.stored);
    MainWindowDoubles doubles;
    for (const char* name : {"trip", "apple", "Zoo"}) test::AddAlbum(doubles, name);
    ASSERT_TRUE(WriteMachineString(*doubles.registry, AppKey, kAlbumName, c.stored));
    auto window = doubles.ShowWindow();
    EXPECT_EQ(Names(*window->AlbumList()), (std::vector<std::string>{"Zoo", "apple", "trip"}));
    EXPECT_EQ(window->Albums().Current(), c.current);
    EXPECT_TRUE(window->AlbumList()->IsSelected(c.current));
    EXPECT_EQ(fs::current_path(), fs::path(window->AlbumList()->Entry(c.current)->Album().path));
    EXPECT_TRUE(window->Albums().Animating());
  }
}

TEST(AlbumListTest, ClickingAnotherAlbumLoadsItAndOpensItsPictureOnTimer1InBothLayouts) {
  MainWindowDoubles doubles;
  test::AddAlbum(doubles, "Beach");
  test::WritePicture(test::AddAlbum(doubles, "City") / "tower.bmp", 40, 30, qRgb(200, 10, 10));
  auto window = doubles.ShowWindow();
  AlbumListView& albums = *window->AlbumList();
  ASSERT_TRUE(test::RunEventsUntil([&] { return !window->Albums().Animating(); }));
  EXPECT_EQ(albums.Entry(0)->Image(), 1) << "the compact layout opens at once";

  // City's load pumps the events, so its animation may be over or not when
  // the click returns: the wait cursor is up exactly while it runs.
  const int waitCursorShown = doubles.desktop.waitCursorShown;
  auto waitCursorWhileOpening = [&] {
    return doubles.desktop.waitDepth == (window->Albums().Animating() ? 1 : 0);
  };
  ClickAlbum(albums, 1);
  EXPECT_EQ(window->Albums().Current(), 1);
  EXPECT_EQ(albums.Entry(0)->Image(), 0);
  EXPECT_EQ(window->ItemList()->Count(), 1);
  EXPECT_EQ(fs::current_path(), doubles.temp / "Albums/City");
  EXPECT_EQ(fs::path(doubles.desktop.currentFolder), doubles.temp / "Albums/City") << "the load asks the desktop";
  EXPECT_EQ(doubles.desktop.waitCursorShown, waitCursorShown + 1);
  EXPECT_TRUE(waitCursorWhileOpening());
  ASSERT_TRUE(test::RunEventsUntil([&] {
    EXPECT_TRUE(waitCursorWhileOpening());
    return !window->Albums().Animating();
  }));
  EXPECT_EQ(albums.Entry(1)->Image(), 1);
  EXPECT_EQ(doubles.desktop.waitDepth, 0);

  ClickAlbum(albums, 1);
  EXPECT_FALSE(window->Albums().Animating()) << "the open album again: nothing";

  window->OnCommand(layout::kMaximizeSmall);
  // Beach has no items: nothing pumps the events before the click returns.
  ClickAlbum(albums, 0);
  EXPECT_TRUE(window->Albums().Animating());
  EXPECT_EQ(doubles.desktop.waitDepth, 1) << "the wait cursor stays until the album is open";
  ASSERT_TRUE(test::RunEventsUntil([&] { return !window->Albums().Animating(); }));
  EXPECT_EQ(albums.Entry(0)->Image(), 5) << "the full layout opens through frames 1 to 5";
  EXPECT_EQ(albums.Entry(1)->Image(), 0);
  EXPECT_EQ(doubles.desktop.waitDepth, 0);

  // Hovering shows another album half open until the pointer leaves it.
  const QImage halfOpen = albums.Look().frames.at(1);
  const QPoint picture = albums.IconRect(1).topLeft() + QPoint(3, 2);
  auto pictureShown = [&] {
    const QImage shown = albums.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int same = 0, opaque = 0;
    for (int y = 0; y < halfOpen.height(); ++y)
      for (int x = 0; x < halfOpen.width(); ++x) {
        if (qAlpha(halfOpen.pixel(x, y)) == 0) continue;
        ++opaque;
        same += (shown.pixel(picture + QPoint(x, y)) & RGB_MASK) == (halfOpen.pixel(x, y) & RGB_MASK);
      }
    return same > opaque / 2;
  };
  EXPECT_FALSE(pictureShown());
  test::Hover(*albums.viewport(), albums.IconRect(1).center());
  EXPECT_EQ(albums.Entry(1)->Image(), 1);
  EXPECT_TRUE(pictureShown()) << "the half-open picture is drawn under the pointer";
  test::Hover(*albums.viewport(), albums.IconRect(0).center());
  EXPECT_EQ(albums.Entry(1)->Image(), 0);
  EXPECT_EQ(albums.Entry(0)->Image(), 5) << "the open album stays open";
}

TEST(AlbumListTest, ALoadNeverStartsInsideAnotherButAnotherAlbumClickedMidLoadStopsItAndOpens) {
  MainWindowDoubles doubles;
  test::WritePicture(test::AddAlbum(doubles, "Beach") / "sand.bmp", 20, 20, qRgb(250, 240, 200));
  const fs::path city = test::AddAlbum(doubles, "City");
  for (const char* name : {"bridge.bmp", "tower.bmp"}) test::WritePicture(city / name, 20, 20, qRgb(90, 90, 90));
  auto window = doubles.ShowWindow();
  AlbumListView& albums = *window->AlbumList();
  ASSERT_EQ(window->Albums().Current(), 0);
  ASSERT_TRUE(test::RunEventsUntil([&] { return !window->Albums().Animating(); }));
  const QPoint beach = albums.RowRect(0).center();

  const ProgressDialog* running = nullptr;
  auto lookInside = [&](int count) {
    const ProgressDialog* progress = window->Items().Progress();
    ASSERT_NE(progress, nullptr);
    if (count == 1) {
      // The user presses Escape on the progress window and clicks Beach;
      // both arrive while the progress window pumps the events.
      running = progress;
      ASSERT_TRUE(progress->IsOpen());
      QCoreApplication::postEvent(progress->window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
      test::PostClick(*albums.viewport(), beach);
      return;
    }
    EXPECT_EQ(progress, running) << "the progress window of the running load stays";
    EXPECT_FALSE(progress->IsOpen()) << "closed by Escape";
    EXPECT_FALSE(window->isEnabled()) << "disabled until the load ends";
    EXPECT_EQ(window->Albums().Current(), 1);
    // A command that reaches the window all the same starts no load of its
    // own; a click on another album stops this load (after the click is
    // handled, at the load's next step).
    window->setEnabled(true);
    test::PostClick(*albums.viewport(), beach);
    window->OnCommand(res::kCmdRefresh);
    EXPECT_EQ(window->ItemList()->Count(), count) << "the list is not refilled under the running load";
  };
  int loadsInside = 0;
  bool looking = false;
  QMetaObject::Connection during = test::OnItemLoaded(*window, [&](int count) {
    if (window->Albums().Current() != 1) return;  // Beach's load, after City's stopped
    if (looking) {
      ++loadsInside;
      return;
    }
    looking = true;
    lookInside(count);
    looking = false;
  });
  ClickAlbum(albums, 1);
  QObject::disconnect(during);
  EXPECT_EQ(loadsInside, 0);
  ASSERT_NE(running, nullptr) << "City's load put its items into the list while it ran";
  EXPECT_EQ(window->Albums().Current(), 0) << "Beach, clicked during City's load";
  EXPECT_TRUE(albums.IsSelected(0));
  EXPECT_FALSE(albums.IsSelected(1));
  ASSERT_EQ(window->ItemList()->Count(), 1) << "none of City's items stayed";
  EXPECT_EQ(window->ItemList()->Entry(0)->Item().name, "sand");
  EXPECT_EQ(fs::current_path(), doubles.temp / "Albums" / "Beach");
  EXPECT_TRUE(window->isEnabled()) << "the loads are over";
  EXPECT_EQ(window->Items().Progress()->window(), nullptr) << "the progress windows went with their loads";

  ASSERT_TRUE(test::RunEventsUntil([&] { return !window->Albums().Animating(); }));
  EXPECT_EQ(doubles.desktop.waitDepth, 0);
  ClickAlbum(albums, 1);
  EXPECT_EQ(window->Albums().Current(), 1) << "once the load is over, a click opens the album";
  EXPECT_EQ(window->ItemList()->Count(), 2);
}

TEST(AlbumListTest, NewTakesTheFirstFreeNameAppendsTheAlbumAndOpensTheLabelEditor) {
  struct Case {
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::string created;
  };
  for (const Case& c : {Case{{"Album", "Album (1)"}, {}, "Album (2)"}, Case{{"Album (1)"}, {}, "Album"},
                        Case{{"Album (1)"}, {"album"}, "Album (2)"}}) {
    SCOPED_TRACE(c.created);
    MainWindowDoubles doubles;
    test::WritePicture(test::AddAlbum(doubles, "Zoo") / "lion.bmp", 20, 20, qRgb(1, 2, 3));
    for (const std::string& folder : c.folders) test::AddAlbum(doubles, folder);
    for (const std::string& file : c.files) test::WriteText(doubles.temp / "Albums" / file, "x");
    ASSERT_TRUE(WriteMachineString(*doubles.registry, AppKey, kAlbumName, "Zoo"));
    auto window = doubles.ShowWindow();
    ASSERT_EQ(window->ItemList()->Count(), 1);

    EXPECT_TRUE(window->OnCommand(layout::kNewAlbum));
    EXPECT_TRUE(fs::is_directory(doubles.temp / "Albums" / c.created));
    AlbumListView& albums = *window->AlbumList();
    EXPECT_EQ(Names(albums).back(), c.created) << "appended, not sorted in";
    EXPECT_EQ(window->Albums().Current(), albums.Count() - 1);
    EXPECT_EQ(window->ItemList()->Count(), 0);
    ASSERT_NE(LabelEditor(albums), nullptr);
    EXPECT_EQ(LabelEditor(albums)->text().toStdString(), c.created);
  }
}

TEST(AlbumListTest, DeleteNeverTakesTheLastAlbumAsksFirstAndKeepsAFolderThatStays) {
  MainWindowDoubles doubles;
  test::AddAlbum(doubles, "Trip");
  {
    auto window = doubles.ShowWindow();
    doubles.prompts.ExpectMessage("Cannot delete Trip", "Lumora", kTopmostOk, kAnswerOk);
    window->OnCommand(layout::kDeleteAlbum);
    EXPECT_TRUE(doubles.prompts.AllAnswered());
    EXPECT_TRUE(doubles.shell.calls.empty());
  }
  test::WritePicture(test::AddAlbum(doubles, "Beach") / "sand.bmp", 20, 20, qRgb(250, 240, 200));
  // The album goes to the trash under a data folder of the test's own.
  const fs::path dataHome = doubles.temp / "data";
  setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
  PosixShell shell;
  doubles.shellInUse = &shell;
  ASSERT_TRUE(WriteMachineString(*doubles.registry, AppKey, kAlbumName, "Trip"));
  auto window = doubles.ShowWindow();
  ASSERT_EQ(window->Albums().Current(), 1);
  const std::string areYouSure = "Are you sure you want to delete selected album?";
  doubles.prompts.ExpectMessage(areYouSure, "Lumora", box::kYesNo | box::kTopmost, kAnswerNo);
  window->OnCommand(layout::kDeleteAlbum);
  EXPECT_TRUE(fs::exists(doubles.temp / "Albums/Trip"));
  EXPECT_EQ(window->AlbumList()->Count(), 2);

  doubles.prompts.ExpectMessage(areYouSure, kAnswerYes);
  window->OnCommand(layout::kDeleteAlbum);
  EXPECT_TRUE(doubles.prompts.AllAnswered());
  EXPECT_FALSE(fs::exists(doubles.temp / "Albums/Trip"));
  EXPECT_TRUE(fs::exists(dataHome / "Trash/info/Trip.trashinfo"));
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(Names(*window->AlbumList()), std::vector<std::string>{"Beach"});
  EXPECT_EQ(window->Albums().Current(), 0);
  EXPECT_EQ(window->ItemList()->Count(), 1) << "album 0 is loaded";

  // A folder the shell could not remove stays in the list, with a message.
  window.reset();
  test::AddAlbum(doubles, "Keep");
  doubles.shellInUse = nullptr;
  auto recorded = doubles.ShowWindow();
  doubles.prompts.ExpectMessage(areYouSure, kAnswerYes).ExpectMessage("Cannot delete Beach", kAnswerOk);
  recorded->OnCommand(layout::kDeleteAlbum);
  EXPECT_TRUE(doubles.prompts.AllAnswered());
  EXPECT_EQ(recorded->AlbumList()->Count(), 2);
}

TEST(AlbumListTest, RenameEndsByTheLabelEditorsRulesAndRepointsTheItems) {
  MainWindowDoubles doubles;
  test::WritePicture(test::AddAlbum(doubles, "Trip") / "sea.bmp", 30, 20, qRgb(0, 0, 200));
  test::AddAlbum(doubles, "Zoo");
  auto window = doubles.ShowWindow();
  AlbumListView& albums = *window->AlbumList();
  ItemListView& items = *window->ItemList();
  ASSERT_EQ(window->Albums().Current(), 0);

  // Only the case changes: nothing is renamed on disk, the entry shows it.
  window->OnCommand(layout::kRenameAlbum);
  TypeLabel(albums, "TRIP");
  EXPECT_TRUE(doubles.shell.calls.empty());
  EXPECT_EQ(albums.Entry(0)->Album().name, "TRIP");
  EXPECT_EQ(albums.model()->index(0, 0).data().toString(), "TRIP");
  EXPECT_EQ(albums.Entry(0)->Album().path, (doubles.temp / "Albums/Trip").string());
  EXPECT_EQ(items.Entry(0)->Item().path, (doubles.temp / "Albums/Trip/sea.bmp").string());

  // An empty name opens the editor again.
  window->OnCommand(layout::kRenameAlbum);
  TypeLabel(albums, "");
  ASSERT_TRUE(test::RunEventsUntil([&] { return LabelEditor(albums) != nullptr; }));
  EXPECT_EQ(albums.Entry(0)->Album().name, "TRIP");

  // A real rename: the folder moves, the list sorts, the items point into it
  // and keep their thumbnails.
  window.reset();
  PosixShell shell;
  doubles.shellInUse = &shell;
  auto renamed = doubles.ShowWindow();
  const qint64 thumbnail = renamed->ItemList()->Thumbnail(0).cacheKey();
  renamed->OnCommand(layout::kRenameAlbum);
  TypeLabel(*renamed->AlbumList(), "apple");
  EXPECT_TRUE(fs::is_directory(doubles.temp / "Albums/apple"));
  EXPECT_FALSE(fs::exists(doubles.temp / "Albums/Trip"));
  EXPECT_EQ(Names(*renamed->AlbumList()), (std::vector<std::string>{"Zoo", "apple"}));
  EXPECT_EQ(renamed->Albums().Current(), 1);
  EXPECT_TRUE(renamed->AlbumList()->IsSelected(1));
  ItemListView& moved = *renamed->ItemList();
  ASSERT_EQ(moved.Count(), 1);
  EXPECT_EQ(moved.Entry(0)->Item().path, (doubles.temp / "Albums/apple/sea.bmp").string());
  EXPECT_EQ(moved.Entry(0)->Item().name, "sea");
  EXPECT_EQ(moved.Thumbnail(0).cacheKey(), thumbnail) << "re-pointed, not reloaded";
}

TEST(AlbumListTest, InformationShowsTheFolderTheCountAndTheSizeOfTheItems) {
  MainWindowDoubles doubles;
  const fs::path trip = test::AddAlbum(doubles, "Trip");
  test::WritePicture(trip / "a.bmp", 64, 64, qRgb(9, 9, 9));  // 54 + 64 * 64 * 3 bytes
  test::WritePicture(trip / "b.bmp", 32, 32, qRgb(9, 9, 9));  // 54 + 32 * 32 * 3 bytes
  test::WriteText(trip / "notes.txt", "not an item");
  auto window = doubles.ShowWindow();
  std::map<uint32_t, QString> fields;
  QImage shown;
  doubles.onDialog = [&](QDialog& dialog) {
    auto* info = dynamic_cast<AlbumInfoDialog*>(&dialog);
    ASSERT_NE(info, nullptr);
    for (const uint32_t control : {AlbumInfoDialog::kName, AlbumInfoDialog::kPath, AlbumInfoDialog::kModified,
                                   AlbumInfoDialog::kCount, AlbumInfoDialog::kSize})
      fields[control] = info->Field(control);
    shown = info->grab().toImage();
  };
  EXPECT_TRUE(window->OnCommand(layout::kAlbumInfo));
  EXPECT_EQ(doubles.dialogs, std::vector<QString>{"Album information"});
  EXPECT_EQ(fields[AlbumInfoDialog::kName], "Trip");
  EXPECT_EQ(fields[AlbumInfoDialog::kPath].toStdString(), trip.string());
  EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                  .match(fields[AlbumInfoDialog::kModified])
                  .hasMatch())
      << fields[AlbumInfoDialog::kModified].toStdString();
  EXPECT_EQ(fields[AlbumInfoDialog::kCount], "2");
  EXPECT_EQ(fields[AlbumInfoDialog::kSize].toStdString(), FormatSize(54 + 64 * 64 * 3 + 54 + 32 * 32 * 3));
  // The open album's picture at (20, 25): frame 5 of bitmap 428.
  const QImage strip = window->WindowSkin().Bitmap(428);
  ASSERT_FALSE(shown.isNull());
  int drawn = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 42; ++x) {
      const QRgb source = strip.pixel(210 + x, y) & RGB_MASK;
      if (source == 0xFF00FF) continue;
      ASSERT_EQ(shown.pixel(20 + x, 25 + y) & RGB_MASK, source) << x << ", " << y;
      ++drawn;
    }
  EXPECT_GT(drawn, 0);
}

TEST(AlbumListTest, EachEntryDrawsItsBandAndOnlyTheSelectedAlbumShowsItsPicture) {
  MainWindowDoubles doubles;
  test::AddAlbum(doubles, "A");
  test::AddAlbum(doubles, "B");
  auto window = doubles.ShowWindow();
  AlbumListView& albums = *window->AlbumList();
  ASSERT_TRUE(test::RunEventsUntil([&] { return !window->Albums().Animating(); }));
  for (const WindowMode mode : {WindowMode::Original, WindowMode::Max}) {
    SCOPED_TRACE(layout::ModeText(mode));
    if (mode == WindowMode::Max) {
      window->OnCommand(layout::kMaximizeSmall);
      QCoreApplication::processEvents();
    }
    const QImage shown = albums.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect label = albums.LabelRect(1);
    const QRgb band = mode == WindowMode::Max ? AlbumListView::kBandMax : AlbumListView::kBandOriginal;
    // The band covers the rows from the label's top - 1 up to, not including, its top + 14.
    for (int y = label.top() - 2; y <= label.top() + 14; ++y) {
      const bool inBand = y >= label.top() - 1 && y < label.top() + 14;
      EXPECT_EQ((shown.pixel(label.left() + 1, y) & RGB_MASK) == band, inBand) << "row " << y - label.top();
    }
    const QImage frame = albums.Look().frames.at(size_t(albums.Entry(0)->Image()));
    const QPoint at = albums.IconRect(0).topLeft() + QPoint(3, mode == WindowMode::Max ? 2 : 5);
    int pictured = 0, blankInOther = 0;
    const QPoint other = albums.IconRect(1).topLeft() + (at - albums.IconRect(0).topLeft());
    for (int y = 0; y < frame.height(); ++y)
      for (int x = 0; x < frame.width(); ++x) {
        if (qAlpha(frame.pixel(x, y)) == 0) continue;
        pictured += (shown.pixel(at + QPoint(x, y)) & RGB_MASK) == (frame.pixel(x, y) & RGB_MASK);
        blankInOther += (shown.pixel(other + QPoint(x, y)) & RGB_MASK) == (frame.pixel(x, y) & RGB_MASK);
      }
    EXPECT_GT(pictured, frame.width() * frame.height() / 4) << "the selected album shows its picture";
    EXPECT_LT(blankInOther, pictured / 4) << "the other album shows none";
  }
}

bool InView(const AlbumListView& list, int row) {
  return list.viewport()->rect().contains(list.RowRect(row));
}

void Press(QWidget& widget, int key) {
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
}

void Wheel(AlbumListView& list, int notches) {
  const QPointF at = list.viewport()->rect().center();
  QWheelEvent event(at, list.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list.viewport(), &event);
}

TEST(AlbumListTest, TheCompactStripScrollsByWheelAndKeysAndKeepsTheCurrentAlbumInView) {
  MainWindowDoubles doubles;
  for (int i = 0; i < 12; ++i) test::AddAlbum(doubles, "A" + std::to_string(10 + i));
  ASSERT_TRUE(WriteMachineString(*doubles.registry, AppKey, kAlbumName, "A19"));
  auto window = doubles.ShowWindow();
  AlbumListView& albums = *window->AlbumList();
  const QScrollBar& bar = *albums.verticalScrollBar();
  ASSERT_EQ(window->Albums().Current(), 9);
  EXPECT_TRUE(test::RunEventsUntil([&] { return InView(albums, 9); })) << "the stored album is in sight at start";
  EXPECT_FALSE(InView(albums, 0)) << "two of six rows show";

  // The keys scroll; the current album, its selection and its items stay.
  enum Scroll { kToStart, kBack, kOn, kToEnd };
  struct Key {
    int key;
    Scroll scroll;
  };
  const Key keys[] = {{Qt::Key_Home, kToStart}, {Qt::Key_Down, kOn}, {Qt::Key_Right, kOn}, {Qt::Key_PageDown, kOn},
                      {Qt::Key_End, kToEnd},    {Qt::Key_Up, kBack}, {Qt::Key_Left, kBack}, {Qt::Key_PageUp, kBack}};
  for (const Key& key : keys) {
    SCOPED_TRACE(QKeySequence(key.key).toString().toStdString());
    const int before = bar.value();
    Press(albums, key.key);
    switch (key.scroll) {
      case kToStart: EXPECT_EQ(bar.value(), 0); break;
      case kBack: EXPECT_LT(bar.value(), before); break;
      case kOn: EXPECT_GT(bar.value(), before); break;
      case kToEnd: EXPECT_EQ(bar.value(), bar.maximum()); break;
    }
    EXPECT_EQ(albums.currentIndex().row(), 9);
    EXPECT_EQ(albums.selectionModel()->selectedIndexes(), QModelIndexList{albums.model()->index(9, 0)});
  }
  Press(albums, Qt::Key_End);
  EXPECT_TRUE(InView(albums, 11)) << "the last album can be reached";
  EXPECT_EQ(window->Albums().Current(), 9);

  Press(albums, Qt::Key_Home);
  Wheel(albums, -1);
  EXPECT_GT(bar.value(), 0) << "the wheel turned towards the user scrolls on";
  Wheel(albums, 1);
  EXPECT_EQ(bar.value(), 0);

  // Each layout switch lays the strip out anew, with the current album in sight.
  for (const WindowMode mode : {WindowMode::Max, WindowMode::Original}) {
    window->OnCommand(layout::kMaximizeSmall);
    ASSERT_EQ(window->Mode(), mode);
    EXPECT_TRUE(test::RunEventsUntil([&] { return InView(albums, 9); })) << layout::ModeText(mode);
  }
}

}  // namespace
}  // namespace lumora
