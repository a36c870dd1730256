// The photo editor driven through the main window's command table with
// scripted prompts: entering per kind of item, the level buttons and their
// bars, zoom, region select with its save question, trim, stepping through
// the album, saving (also when it fails), closing, the keys, and the
// wallpaper with the desktop shown.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/ItemListView.h"
#include "app/SkinButton.h"
#include "resources/ResourceIds.h"
#include "editor/ImageCanvas.h"
#include "editor/LevelBar.h"
#include "editor/effects/Selection.h"
#include "media/codecs/PictureFiles.h"
#include "settings/Settings.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using namespace editor;
using test::MainWindowDoubles;

constexpr char kSaveQuestion[] = "Do you want to save the changes?";

QRgb Pixel(const DibImage& picture, int x, int y) {
  const uint8_t* p = picture.Rows()[y] + x * 3;
  return qRgb(p[2], p[1], p[0]);
}

// The window with the album "Trip" holding `files` (name, width, height,
// colour), in the full layout; the item list in name order.
struct EditorFixture {
  struct File {
    std::string name;
    int width, height;
    QRgb colour;
  };
  explicit EditorFixture(const std::vector<File>& files) {
    album = test::AddAlbum(doubles, "Trip");
    for (const File& file : files) test::WritePicture(album / file.name, file.width, file.height, file.colour);
    window = doubles.ShowWindow();
    // Modal, as the program runs it: the editor's keys still reach it.
    window->hide();
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->OnCommand(layout::kMaximizeSmall);
  }
  // Selects `row` alone and presses "&Edit".
  void Open(int row) {
    window->ItemList()->SetCurrentRow(row);
    window->OnCommand(layout::kEditButton);
  }
  PhotoEditor& Editor() { return window->Editor(); }
  ImageCanvas& Canvas() { return window->Editor().Canvas(); }

  MainWindowDoubles doubles;
  fs::path album;
  std::unique_ptr<MainDialog> window;
};

TEST(EditorTest, EnteringOpensPicturesInTheEditorVideosWithTheShellAndRecordingsWithThePlayer) {
  EditorFixture f({{"a.bmp", 40, 30, qRgb(200, 100, 50)}});
  fs::copy_file(LUMORA_AVI_SAMPLE, f.album / "clip.avi");
  // A recording is an MPEG video stream with a 16-byte trailer.
  fs::copy_file(LUMORA_M1V_SAMPLE, f.album / "show.erm");
  std::ofstream(f.album / "show.erm", std::ios::app) << std::string(16, '\0');
  f.window->OnCommand(res::kCmdRefresh);
  ASSERT_EQ(f.window->Items().Paths().size(), 3u);

  f.window->ItemList()->SetCurrentRow(1);
  f.window->OnCommand(res::kCmdOpen);
  EXPECT_EQ(f.doubles.shell.calls, std::vector<std::string>{"open " + (f.album / "clip.avi").string()});
  f.window->ItemList()->SetCurrentRow(2);
  f.doubles.prompts.ExpectMessage("The application has not been installed. Please install it.");
  f.window->OnCommand(layout::kEditButton);
  EXPECT_TRUE(f.doubles.prompts.AllAnswered());
  const fs::path player = f.doubles.desktop.programPath.parent_path() / "Clipview";
  std::ofstream(player) << "#!/bin/sh\n";
  f.window->OnCommand(layout::kEditButton);
  ASSERT_EQ(f.doubles.shell.calls.size(), 2u);
  EXPECT_NE(f.doubles.shell.calls[1].find(player.string()), std::string::npos);
  EXPECT_NE(f.doubles.shell.calls[1].find("/file " + (f.album / "show.erm").string()), std::string::npos);
  EXPECT_FALSE(f.Editor().IsOpen());

  // A double click on a picture opens the editor in the full-screen form.
  ItemListView& items = *f.window->ItemList();
  test::DoubleClick(*items.viewport(), items.ThumbnailRect(0).center());
  EXPECT_TRUE(f.Editor().IsOpen());
  EXPECT_EQ(f.Editor().CurrentPath(), (f.album / "a.bmp").string());
  EXPECT_EQ(f.window->Mode(), layout::WindowMode::Max);
  EXPECT_EQ(test::ReadText(*f.doubles.registry, SuiteKey, kTopmost), kTopmostMax);
  EXPECT_FALSE(items.isVisible());
  EXPECT_FALSE(f.window->Button(layout::kNewAlbum)->isVisible());
  EXPECT_FALSE(f.window->Button(layout::kMaximize)->isVisible());
  EXPECT_TRUE(f.window->Button(kFlipHorizontal)->isVisible()) << "the Distortion panel";
  EXPECT_FALSE(f.window->Button(kInvert)->isVisible());
  EXPECT_EQ(f.window->Button(kDistortionTab)->LookState(), 2);
  EXPECT_EQ(f.Editor().ZoomList().currentText(), "100%");
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 3, 3), qRgb(200, 100, 50));
}

TEST(EditorTest, ASmallWorkAreaEndsTheProgramWithTheMinimumResolutionMessage) {
  EditorFixture f({{"a.bmp", 8, 8, qRgb(1, 1, 1)}});
  f.doubles.desktop.workArea = {0, 0, 799, 600};
  f.doubles.prompts.ExpectMessage("Minimum screen resolution should be 800 * 600.");
  f.Open(0);
  EXPECT_EQ(f.doubles.exitCodes, std::vector<int>{0});
  EXPECT_FALSE(f.Editor().IsOpen());
}

TEST(EditorTest, LevelButtonsStopAtTheirLimitsAndTheBarsShowTheLevels) {
  EditorFixture f({{"a.bmp", 20, 10, qRgb(100, 100, 100)}});
  f.Open(0);
  f.window->OnCommand(kColorTab);
  EXPECT_TRUE(f.window->Button(kInvert)->isVisible());
  EXPECT_EQ(f.window->Button(kColorTab)->LookState(), 2);
  EXPECT_EQ(f.window->Button(kDistortionTab)->LookState(), 0);
  EXPECT_EQ(f.Editor().Bar(1117)->Position(), 100) << "brightness: the negative bar starts full";

  for (int i = 0; i < 5; ++i) f.window->OnCommand(1101);
  EXPECT_EQ(f.Editor().Levels().brightness, 100);
  const int runs = f.Editor().Recomputations();
  f.window->OnCommand(1101);
  EXPECT_EQ(f.Editor().Recomputations(), runs) << "a click at the limit recomputes nothing";
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 0, 0), qRgb(255, 255, 255)) << "100 + 2 x 100";
  EXPECT_EQ(f.Editor().Bar(1120)->Position(), 100);
  EXPECT_TRUE(f.Editor().Levels().modified);

  // A pair's negative side and a single bar.
  f.window->OnCommand(1102);
  EXPECT_EQ(f.Editor().Bar(1118)->Position(), 80);
  EXPECT_EQ(f.Editor().Bar(1112)->Position(), 0);
  f.window->OnCommand(kFilterTab);
  f.window->OnCommand(1105);
  EXPECT_EQ(f.Editor().Bar(1113)->Position(), 1);
  EXPECT_TRUE(f.Editor().Bar(1113)->isVisible());
  EXPECT_FALSE(f.Editor().Bar(1120)->isVisible());
  // The scatter pulls the tile size up to 1; lowering the tile size to 0 takes the scatter along.
  f.window->OnCommand(1163);
  EXPECT_EQ(f.Editor().Bar(1165)->Position(), 1);
  EXPECT_EQ(f.Editor().Bar(1166)->Position(), 1);
  f.window->OnCommand(1159);
  EXPECT_EQ(f.Editor().Bar(1166)->Position(), 0);
  EXPECT_FALSE(f.Editor().Bar(kEffectProgress)->isVisible()) << "shown only while effects run";
}

TEST(EditorTest, TogglesTwiceGiveTheBaseAgainAndOriginalAsksOnlyWhenChanged) {
  EditorFixture f({{"a.bmp", 16, 16, qRgb(10, 20, 40)}});
  f.Open(0);
  f.window->OnCommand(kOriginal);  // unchanged: no question
  f.window->OnCommand(kColorTab);
  f.window->OnCommand(kInvert);
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 5, 5), qRgb(245, 235, 215));
  f.window->OnCommand(kInvert);
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 5, 5), qRgb(10, 20, 40));

  f.window->OnCommand(kGreyScale);
  f.doubles.prompts.ExpectMessage("Do you want to return to Original Image?", "Lumora",
                                  box::kYesNo | box::kIconQuestion | box::kTopmost, kAnswerNo);
  f.window->OnCommand(kOriginal);
  EXPECT_TRUE(f.Editor().Levels().greyScale);
  f.doubles.prompts.ExpectMessage("Do you want to return to Original Image?", kAnswerYes);
  f.window->OnCommand(kOriginal);
  EXPECT_FALSE(f.Editor().Levels().greyScale);
  EXPECT_FALSE(f.Editor().Levels().modified);
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 5, 5), qRgb(10, 20, 40));
  EXPECT_TRUE(f.doubles.prompts.AllAnswered());
}

TEST(EditorTest, ZoomStopsAtTheEndsAndTheListFollowsAndSetsIt) {
  EditorFixture f({{"a.bmp", 64, 48, qRgb(1, 1, 1)}});
  f.Open(0);
  for (int i = 0; i < 8; ++i) f.window->OnCommand(kZoomIn);
  EXPECT_EQ(f.Canvas().ZoomStep(), 16);
  EXPECT_EQ(f.Editor().ZoomList().currentText(), "1600%");
  f.window->OnCommand(kZoomIn);
  EXPECT_EQ(f.Canvas().ZoomStep(), 16);
  f.Editor().ZoomList().setCurrentIndex(1);
  EXPECT_EQ(f.Canvas().ZoomStep(), -3);
  f.Editor().ZoomList().setCurrentIndex(8);
  EXPECT_EQ(f.Canvas().ZoomStep(), 16);
  EXPECT_FLOAT_EQ(f.Canvas().ZoomFactor(), 4.0f);
  for (int i = 0; i < 9; ++i) f.window->OnCommand(kZoomOut);
  EXPECT_EQ(f.Editor().ZoomList().currentText(), "25%");
}

TEST(EditorTest, RegionSelectAsksWithItsCaptionsAndEachAnswerDoesWhatItSays) {
  EditorFixture f({{"a.bmp", 2000, 1600, qRgb(50, 50, 50)}});
  f.Open(0);
  f.window->OnCommand(kColorTab);
  f.window->OnCommand(1101);
  constexpr uint32_t kStyle = box::kYesNoCancel | box::kIconQuestion | box::kTopmost;

  f.doubles.prompts.ExpectMessage(kSaveQuestion, "Vistorell", kStyle, kAnswerCancel);
  f.window->OnCommand(kRegionSelect);
  EXPECT_FALSE(f.Editor().Levels().regionSelect);
  EXPECT_EQ(f.Editor().Levels().brightness, 20) << "Cancel leaves everything";

  f.doubles.prompts.ExpectMessage(kSaveQuestion, "Vistorell", kStyle, kAnswerNo);
  f.window->OnCommand(kRegionSelect);
  EXPECT_TRUE(f.Editor().Levels().regionSelect);
  EXPECT_EQ(f.Editor().Levels().brightness, 0) << "No discards the effects";
  const ViewGeometry view = f.Canvas().Geometry();
  const ViewRect expected{f.Canvas().ScrollX() + view.clientWidth / 4, f.Canvas().ScrollY() + view.clientHeight / 4,
                          f.Canvas().ScrollX() + 3 * view.clientWidth / 4,
                          f.Canvas().ScrollY() + 3 * view.clientHeight / 4};
  EXPECT_EQ(f.Editor().Levels().selection.left, expected.left);
  EXPECT_EQ(f.Editor().Levels().selection.bottom, expected.bottom);
  EXPECT_GT(f.Canvas().ScrollX(), 0) << "a range that appears starts in the middle";
  EXPECT_EQ(f.window->Button(kRegionSelect)->LookState(), 2);

  // Effects now cover the selection only; switching off with Yes saves them.
  f.window->OnCommand(kInvert);
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 0, 0), qRgb(50, 50, 50));
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 1000, 800), qRgb(205, 205, 205));
  f.doubles.prompts.ExpectMessage(kSaveQuestion, "Lumora", kStyle, kAnswerYes);
  f.window->OnCommand(kRegionSelect);
  EXPECT_FALSE(f.Editor().Levels().regionSelect);
  EXPECT_TRUE(f.Editor().Levels().selection.empty());
  DibImage saved;
  ASSERT_TRUE(LoadPictureFile(saved, (f.album / "a.bmp").string()));
  EXPECT_EQ(Pixel(saved, 1000, 800), qRgb(205, 205, 205));
  EXPECT_EQ(Pixel(saved, 0, 0), qRgb(50, 50, 50));
  EXPECT_TRUE(f.doubles.prompts.AllAnswered());
}

TEST(EditorTest, RotatingWithASelectionAsksFirstAndTurnsTheWholePicture) {
  EditorFixture f({{"a.bmp", 2000, 1600, qRgb(50, 50, 50)}});
  f.Open(0);
  f.window->OnCommand(kRegionSelect);
  f.window->OnCommand(kColorTab);
  f.window->OnCommand(kInvert);
  f.doubles.prompts.ExpectMessage(kSaveQuestion, kAnswerCancel);
  f.window->OnCommand(kRotateRight);
  EXPECT_EQ(f.Editor().Levels().rotation, 0);
  EXPECT_TRUE(f.Editor().Levels().regionSelect);
  f.doubles.prompts.ExpectMessage(kSaveQuestion, kAnswerNo);
  f.window->OnCommand(kRotateRight);
  EXPECT_EQ(f.Editor().Levels().rotation, 1);
  EXPECT_FALSE(f.Editor().Levels().regionSelect);
  EXPECT_FALSE(f.Editor().Levels().invert) << "No discarded the effects";
  EXPECT_EQ(f.Canvas().Displayed().width(), 1600);
  EXPECT_EQ(f.window->Button(kRegionSelect)->LookState(), 0);
  f.window->OnCommand(kRotateLeft);  // no selection now: no question, and no turn left to make
  EXPECT_EQ(f.Canvas().Displayed().width(), 2000);
  EXPECT_TRUE(f.doubles.prompts.AllAnswered());
}

TEST(EditorTest, AnOverlayIsBlendedByTheChosenMethodAndTheBackgroundColourIsChosen) {
  EditorFixture f({{"a.bmp", 40, 20, qRgb(0, 0, 0)}});
  const fs::path overlay = f.album.parent_path() / "overlay.bmp";
  test::WritePicture(overlay, 4, 4, qRgb(200, 100, 0));
  f.Open(0);
  int runs = f.Editor().Recomputations();
  f.Editor().BlendList().setCurrentIndex(0);  // "Paste", without an overlay: nothing to recompute
  EXPECT_EQ(f.Editor().Recomputations(), runs);
  f.doubles.prompts.ExpectOpenFiles({});
  f.window->OnCommand(kLoadImage);
  EXPECT_EQ(f.doubles.prompts.lastFileRequest().filter, PhotoEditor::kImageFilter);
  EXPECT_FALSE(f.Editor().Levels().overlayLoaded) << "Cancel changes nothing";

  f.doubles.prompts.ExpectOpenFiles({overlay.string()});
  f.window->OnCommand(kLoadImage);
  EXPECT_TRUE(f.Editor().Levels().modified);
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 39, 19), qRgb(200, 100, 0)) << "pasted over the whole picture";
  f.Editor().BlendList().setCurrentIndex(1);  // "Screen" over black: a little lighter than the overlay
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 0, 0), qRgb(201, 101, 1));
  f.window->OnCommand(kUnloadImage);
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 0, 0), qRgb(0, 0, 0));
  runs = f.Editor().Recomputations();
  f.window->OnCommand(kUnloadImage);
  EXPECT_EQ(f.Editor().Recomputations(), runs);

  f.doubles.prompts.ExpectColour(std::nullopt).ExpectColour(MakeColour(10, 20, 30));
  f.window->OnCommand(kBackground);
  EXPECT_EQ(f.Canvas().Background(), 0u);
  f.window->OnCommand(kBackground);
  EXPECT_EQ(f.Canvas().Background(), MakeColour(10, 20, 30));
  EXPECT_TRUE(f.doubles.prompts.AllAnswered());
}

TEST(EditorTest, TrimCutsTheSelectionAndASecondClickRestoresPictureSelectionAndMode) {
  EditorFixture f({{"a.bmp", 2000, 1600, qRgb(30, 60, 90)}});
  f.Open(0);
  f.window->OnCommand(kTrim);  // region select off and nothing trimmed: nothing happens
  EXPECT_FALSE(f.Editor().Trimmed());
  f.window->OnCommand(kRegionSelect);
  const ViewRect selection = f.Editor().Levels().selection;
  const PictureRect cut = SelectionToPicture(selection, f.Canvas().Geometry(), 2000, 1600);
  f.window->OnCommand(kColorTab);
  f.window->OnCommand(kInvert);
  f.window->OnCommand(kTrim);
  EXPECT_TRUE(f.Editor().Trimmed());
  EXPECT_FALSE(f.Editor().Levels().regionSelect);
  EXPECT_TRUE(f.Editor().Levels().modified);
  EXPECT_EQ(f.Canvas().Displayed().width(), cut.right - cut.left);
  EXPECT_EQ(f.Canvas().Displayed().height(), cut.bottom - cut.top);
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 0, 0), qRgb(225, 195, 165)) << "the effects apply to the trimmed picture";

  f.window->OnCommand(kTrim);
  EXPECT_FALSE(f.Editor().Trimmed());
  EXPECT_TRUE(f.Editor().Levels().regionSelect);
  EXPECT_EQ(f.Editor().Levels().selection.left, selection.left);
  EXPECT_EQ(f.Editor().Levels().selection.bottom, selection.bottom);
  EXPECT_EQ(f.Canvas().Displayed().width(), 2000);
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), 0, 0), qRgb(30, 60, 90)) << "outside the selection again";
  EXPECT_EQ(Pixel(f.Canvas().Displayed(), cut.left, cut.top), qRgb(225, 195, 165));
}

TEST(EditorTest, PrevAndNextSkipVideosStopAtTheEndsAndAskBeforeLeavingAnEdit) {
  EditorFixture f({{"a.bmp", 8, 8, qRgb(1, 0, 0)}, {"c.bmp", 8, 8, qRgb(3, 0, 0)}});
  fs::copy_file(LUMORA_AVI_SAMPLE, f.album / "b.avi");
  f.window->OnCommand(res::kCmdRefresh);
  ASSERT_EQ(f.window->Items().Paths().size(), 3u);
  f.Open(0);
  f.window->OnCommand(kPrev);  // the first picture: nothing happens
  EXPECT_EQ(f.Editor().CurrentRow(), 0);
  f.window->OnCommand(kNext);
  EXPECT_EQ(f.Editor().CurrentPath(), (f.album / "c.bmp").string()) << "the video is skipped";
  EXPECT_EQ(f.window->ItemList()->LastSelectedRow(), 2);
  f.window->OnCommand(kNext);
  EXPECT_EQ(f.Editor().CurrentRow(), 2);

  f.window->OnCommand(kColorTab);
  f.window->OnCommand(kInvert);
  f.doubles.prompts.ExpectMessage(kSaveQuestion, kAnswerCancel);
  f.window->OnCommand(kPrev);
  EXPECT_EQ(f.Editor().CurrentRow(), 2);
  EXPECT_TRUE(f.Editor().Levels().invert);
  f.doubles.prompts.ExpectMessage(kSaveQuestion, kAnswerNo);
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QApplication::sendEvent(f.window.get(), &left);
  EXPECT_EQ(f.Editor().CurrentRow(), 0);
  EXPECT_FALSE(f.Editor().Levels().modified);
  DibImage kept;
  ASSERT_TRUE(LoadPictureFile(kept, (f.album / "c.bmp").string()));
  EXPECT_EQ(Pixel(kept, 1, 1), qRgb(3, 0, 0)) << "No discards";
  EXPECT_TRUE(f.doubles.prompts.AllAnswered());
}

TEST(EditorTest, AFailedSaveKeepsTheEditAndTheOldFileAndASaveRefreshesTheThumbnail) {
  EditorFixture f({{"a.bmp", 300, 200, qRgb(0, 0, 255)}});
  const QImage before = f.window->ItemList()->Thumbnail(0).toImage();
  f.Open(0);
  f.window->OnCommand(kColorTab);
  f.window->OnCommand(kSwapRedBlue);
  const fs::path moved = f.album.parent_path() / "Elsewhere";
  fs::rename(f.album, moved);
  const std::string path = (f.album / "a.bmp").string();
  f.doubles.prompts.ExpectMessage(kSaveQuestion, kAnswerYes)
      .ExpectMessage(std::string("Error writing the file\n\n") + path, kAnswerOk);
  QKeyEvent save(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier);
  QApplication::sendEvent(f.window.get(), &save);
  EXPECT_TRUE(f.Editor().Levels().modified);
  EXPECT_TRUE(f.Editor().Levels().swapRedBlue);

  // Close with Yes and a failing save: the editor stays open.
  f.doubles.prompts.ExpectMessage(kSaveQuestion, kAnswerYes)
      .ExpectMessage(std::string("Error writing the file\n\n") + path, kAnswerOk);
  f.window->OnCommand(kClose);
  EXPECT_TRUE(f.Editor().IsOpen());
  // So does the window's own close (Yes and No only).
  f.doubles.prompts.ExpectMessage(kSaveQuestion, "Lumora", box::kYesNo | box::kIconQuestion | box::kTopmost, kAnswerYes)
      .ExpectMessage(std::string("Error writing the file\n\n") + path, kAnswerOk);
  f.window->close();
  EXPECT_TRUE(f.window->isVisible());
  EXPECT_TRUE(f.Editor().IsOpen());

  fs::rename(moved, f.album);
  f.doubles.prompts.ExpectMessage(kSaveQuestion, kAnswerYes);
  f.window->OnCommand(kSave);
  EXPECT_FALSE(f.Editor().Levels().modified);
  DibImage saved;
  ASSERT_TRUE(LoadPictureFile(saved, path));
  EXPECT_EQ(Pixel(saved, 10, 10), qRgb(255, 0, 0));
  EXPECT_NE(f.window->ItemList()->Thumbnail(0).toImage(), before) << "the thumbnail was made again";
  EXPECT_TRUE(f.doubles.prompts.AllAnswered());
}

TEST(EditorTest, CloseRestoresTheAlbumViewAndRefillsTheListAtTheFullCellSize) {
  EditorFixture f({{"a.bmp", 30, 20, qRgb(9, 9, 9)}, {"b.bmp", 30, 20, qRgb(9, 9, 9)}});
  f.Open(1);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(f.window.get(), &escape);
  EXPECT_FALSE(f.Editor().IsOpen());
  EXPECT_TRUE(f.Canvas().Displayed().empty());
  EXPECT_TRUE(f.Canvas().EffectBase().empty());
  EXPECT_FALSE(f.Canvas().isVisible());
  EXPECT_FALSE(f.window->Button(kFlipHorizontal)->isVisible());
  EXPECT_TRUE(f.window->ItemList()->isVisible());
  EXPECT_TRUE(f.window->Button(layout::kNewAlbum)->isVisible());
  EXPECT_EQ(f.window->Mode(), layout::WindowMode::Max);
  EXPECT_EQ(test::ReadText(*f.doubles.registry, SuiteKey, kTopmost), kTopmostMax);
  ASSERT_EQ(f.window->ItemList()->Count(), 2);
  EXPECT_EQ(f.window->ItemList()->Thumbnail(0).size(), QSize(107, 86));
}

TEST(EditorTest, HoldingBackslashShowsTheUneditedPictureWithoutChangingState) {
  EditorFixture f({{"a.bmp", 4000, 3000, qRgb(0, 0, 0)}});
  f.Open(0);
  f.window->OnCommand(kColorTab);
  f.window->OnCommand(kInvert);
  QWidget& view = *f.Canvas().viewport();
  const QPoint middle = view.rect().center();
  EXPECT_EQ(view.grab().toImage().pixel(middle), qRgb(255, 255, 255));
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Backslash, Qt::NoModifier, "\\");
  QApplication::sendEvent(f.window.get(), &press);
  EXPECT_EQ(view.grab().toImage().pixel(middle), qRgb(0, 0, 0));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Backslash, Qt::NoModifier, "\\");
  QApplication::sendEvent(f.window.get(), &release);
  EXPECT_EQ(view.grab().toImage().pixel(middle), qRgb(255, 255, 255));
  EXPECT_TRUE(f.Editor().Levels().invert);
}

TEST(EditorTest, WallpaperSetsThePictureThenTheEarlierOneAndShowsTheDesktopOnlyWhenTheDesktopChanged) {
  EditorFixture f({{"a.bmp", 40, 30, qRgb(200, 10, 20)}});
  f.Open(0);
  ASSERT_TRUE(f.Editor().IsOpen());
  auto showDesktopCalls = [&f] {
    return std::ranges::count(f.doubles.windows.calls(), FakeWindowCall::Op::ShowDesktop, &FakeWindowCall::op);
  };

  // First click: saved as a bitmap in the system folder, set (the portal
  // refuses, the desktop's own backend takes it), the earlier one kept.
  f.window->OnCommand(kWallpaper);
  const fs::path file = f.doubles.temp / "Lumora Wallpaper.bmp";
  EXPECT_EQ(f.doubles.portalDesktop.log, (std::vector<std::string>{"portal set Lumora Wallpaper.bmp 40x30"}));
  EXPECT_EQ(f.doubles.wallpaperDesktop.log, (std::vector<std::string>{"gnome set Lumora Wallpaper.bmp 40x30"}));
  ASSERT_EQ(f.doubles.wallpaperDesktop.pictures.size(), 1u);
  EXPECT_EQ(f.doubles.wallpaperDesktop.pictures[0].path, file.string());
  EXPECT_EQ(f.doubles.wallpaperDesktop.pictures[0].pixels[0], 0xC80A14u);
  DibImage saved;
  ASSERT_TRUE(LoadPictureFile(saved, file.string()));
  EXPECT_EQ(Pixel(saved, 39, 29), qRgb(200, 10, 20));
  EXPECT_EQ(test::ReadText(*f.doubles.registry, AppKey, kPreviousWallpaper), "'file:///old.jpg'");
  EXPECT_EQ(showDesktopCalls(), 1);
  EXPECT_TRUE(f.window->isMinimized());
  EXPECT_TRUE(f.Editor().WallpaperSet());

  // Second click: the earlier wallpaper again, and the desktop shown again.
  f.window->showNormal();
  f.window->OnCommand(kWallpaper);
  EXPECT_EQ(f.doubles.wallpaperDesktop.log.back(), "gnome restore 'file:///old.jpg'");
  EXPECT_EQ(f.doubles.wallpaperDesktop.reading, "'file:///old.jpg'");
  EXPECT_EQ(showDesktopCalls(), 2);
  EXPECT_TRUE(f.window->isMinimized());
  EXPECT_FALSE(f.Editor().WallpaperSet());

  // No backend sets it: the message, and nothing is minimised.
  f.window->showNormal();
  f.doubles.wallpaperDesktop.sets = false;
  f.doubles.prompts.ExpectMessage("The wallpaper could not be set.", "Lumora", box::kIconExclamation | box::kTopmost,
                                  kAnswerOk);
  f.window->OnCommand(kWallpaper);
  EXPECT_EQ(showDesktopCalls(), 2);
  EXPECT_FALSE(f.window->isMinimized());
  EXPECT_FALSE(f.Editor().WallpaperSet());
  EXPECT_TRUE(f.doubles.prompts.AllAnswered());
}

}  // namespace
}  // namespace lumora
