// The main window driven through its command table with test doubles: the
// first start, the work-area minimum, placement, both layouts and the toggle
// between them, dragging, the destroy writes and their order, the popup
// menus' points, help, about, close (and Escape, which does not close),
// minimise and timers.
#include "app/MainDialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QListView>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>

#include <filesystem>

#include "app/AboutDialog.h"
#include "app/AlbumListView.h"
#include "app/ItemListView.h"
#include "app/HomePage.h"
#include "app/LinkLabel.h"
#include "app/SkinButton.h"
#include "app/ToolTipControl.h"
#include "app/WindowPicture.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

using layout::WindowMode;
using test::MainWindowDoubles;

constexpr char kTooSmall[] = "Minimum screen resolution should be 800 * 600.";

QRect Geometry(const QWidget* widget) { return widget->geometry(); }

std::vector<uint32_t> VisibleButtons(const MainDialog& window, std::span<const uint32_t> controls) {
  std::vector<uint32_t> shown;
  for (const uint32_t control : controls) {
    if (window.Button(control) && !window.Button(control)->isHidden()) shown.push_back(control);
  }
  return shown;
}

TEST(MainDialogStart, FirstStartOnAnEmptyRegistryStoresTheDefaultsAndCentresTheWindow) {
  MainWindowDoubles doubles(/*onDisk=*/true);
  {
    auto window = doubles.ShowWindow();
    EXPECT_TRUE(doubles.exitCodes.empty());
    EXPECT_EQ(window->windowTitle(), "Lumora");
    EXPECT_EQ(window->Mode(), WindowMode::Original);
    EXPECT_EQ(window->size(), QSize(178, 400));
    EXPECT_EQ(window->pos(), QPoint((1280 - 178) / 2, (800 - 400) / 2)) << "no saved position: centred";
    // The outline: rows 0 and 399 from x 3, rows 1-2 from x 1, the rest full width.
    EXPECT_FALSE(window->mask().contains(QPoint(2, 0)));
    EXPECT_TRUE(window->mask().contains(QPoint(3, 0)));
    EXPECT_FALSE(window->mask().contains(QPoint(0, 1)));
    EXPECT_TRUE(window->mask().contains(QPoint(0, 3)));
    EXPECT_FALSE(window->mask().contains(QPoint(177, 399)));
    EXPECT_EQ(window->mask().boundingRect(), QRect(0, 0, 178, 400));

    Registry& reg = *doubles.registry;
    EXPECT_EQ(test::ReadText(reg, SuiteKey, kTopmost), "Remocon");
    EXPECT_EQ(test::ReadDword(reg, AppKey, kWindowPosLeft), 0u);
    EXPECT_EQ(test::ReadDword(reg, AppKey, kWindowPosTop), 0u);
    EXPECT_EQ(test::ReadText(reg, AppKey, kAlbumName), "");
  }
  Registry next(doubles.temp / "registry");  // what the next start finds
  EXPECT_EQ(test::ReadDword(next, AppKey, kSortFR), 32811u);
  EXPECT_EQ(test::ReadDword(next, AppKey, kSortID), 32771u);
  EXPECT_EQ(test::ReadDword(next, AppKey, kWindowPosLeft), 0u);
  EXPECT_EQ(test::ReadDword(next, AppKey, kWindowPosTop), 0u);
  EXPECT_EQ(test::ReadText(next, AppKey, kAlbumName), "");
  EXPECT_FALSE(test::ReadText(next, AppKey, kAlbumPath)) << "no current album";
}

TEST(MainDialogStart, WithoutAlbumsTheStoredSortSurvivesARun) {
  MainWindowDoubles doubles(/*onDisk=*/true);
  {
    Registry reg(doubles.temp / "registry");
    ASSERT_TRUE(WriteMachineDword(reg, AppKey, kSortID, 32772));
    ASSERT_TRUE(WriteMachineDword(reg, AppKey, kSortFR, 32812));
  }
  doubles.ShowWindow().reset();  // no albums beside the program
  Registry next(doubles.temp / "registry");
  EXPECT_EQ(test::ReadDword(next, AppKey, kSortID), 32772u);
  EXPECT_EQ(test::ReadDword(next, AppKey, kSortFR), 32812u);
}

TEST(MainDialogStart, TheWorkAreaMustBeAtLeast800By570) {
  struct Case {
    int width, height;
    bool runs;
  };
  for (const Case c : {Case{800, 570, true}, Case{799, 570, false}, Case{800, 569, false}}) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    MainWindowDoubles doubles;
    doubles.desktop.workArea = {0, 0, c.width, c.height};
    if (!c.runs) doubles.prompts.ExpectMessage(kTooSmall, "Lumora", box::kIconStop, kAnswerOk);
    auto window = doubles.ShowWindow();
    EXPECT_TRUE(doubles.prompts.AllAnswered());
    EXPECT_EQ(doubles.exitCodes, c.runs ? std::vector<int>{} : std::vector<int>{0});
    EXPECT_EQ(window->ProcessEnded(), !c.runs);
    if (!c.runs) {
      EXPECT_FALSE(test::ReadText(*doubles.registry, SuiteKey, kTopmost)) << "ended before the defaults";
    }
  }
}

TEST(MainDialogStart, AWorkAreaThatShrinksBelowTheMinimumEndsTheProgramAtTheNextPaint) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  doubles.desktop.workArea = {0, 0, 1024, 560};
  doubles.prompts.ExpectMessage(kTooSmall, "Lumora", box::kIconStop, kAnswerOk);
  window->repaint();
  window->repaint();
  ASSERT_TRUE(test::RunEventsUntil([&] { return !doubles.exitCodes.empty(); }));
  EXPECT_EQ(doubles.exitCodes, std::vector<int>{0}) << "one message and one end, however often it paints";
}

TEST(MainDialogStart, ASavedPositionIsUsedOnlyWhenTheWindowFitsThere) {
  struct Case {
    int left, top;
    ScreenRect area;
    QPoint expected;
  };
  const QPoint centred((1280 - 178) / 2, (800 - 400) / 2);
  for (const Case c : {
           Case{100, 120, {0, 0, 1280, 800}, {100, 120}},
           Case{1102, 400, {0, 0, 1280, 800}, {1102, 400}},       // touches the right and bottom edges
           Case{1103, 100, {0, 0, 1280, 800}, centred},           // one pixel out on the right
           Case{100, 401, {0, 0, 1280, 800}, centred},            // one pixel out at the bottom
           Case{-20, 100, {0, 0, 1280, 800}, centred},            // left of the work area
           Case{30, 10, {0, 24, 1280, 800}, {640 - 89, 24 + (776 - 400) / 2}},  // above a work area below a panel
       }) {
    SCOPED_TRACE(testing::Message() << c.left << ", " << c.top);
    MainWindowDoubles doubles;
    doubles.desktop.workArea = c.area;
    ASSERT_TRUE(WriteMachineDword(*doubles.registry, AppKey, kWindowPosLeft, uint32_t(c.left)));
    ASSERT_TRUE(WriteMachineDword(*doubles.registry, AppKey, kWindowPosTop, uint32_t(c.top)));
    auto window = doubles.ShowWindow();
    EXPECT_EQ(window->pos(), c.expected);
    EXPECT_EQ(window->NormalPosition(), QPoint(c.left, c.top)) << "the setting itself is kept";
  }
}

TEST(MainDialogLayouts, TheCompactPanelShowsItsButtonsAndListsWithTheirColours) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  EXPECT_EQ(Geometry(window->ItemList()), QRect(13, 40, 94, 116));
  EXPECT_EQ(Geometry(window->AlbumList()), QRect(13, 170, 94, 45));
  EXPECT_EQ(window->ItemList()->palette().color(QPalette::Base), QColor(192, 203, 217));
  EXPECT_EQ(window->ThumbnailCell(), (layout::Size{58, 42}));
  EXPECT_EQ(window->ItemList()->iconSize(), QSize(58, 42));
  EXPECT_EQ(window->AlbumList()->iconSize(), QSize(25, 20));
  EXPECT_EQ(VisibleButtons(*window, layout::kShownInCompact).size(), layout::kShownInCompact.size());
  EXPECT_TRUE(VisibleButtons(*window, layout::kHiddenInCompact).empty());
  for (const uint32_t never : {layout::kIepgButtonSmall, layout::kGuardButtonSmall, layout::kGuardButton}) {
    ASSERT_NE(window->Button(never), nullptr);
    EXPECT_TRUE(window->Button(never)->isHidden()) << never;
  }
  EXPECT_FALSE(window->Button(layout::kGuardButton)->isEnabled());
  EXPECT_FALSE(window->Button(layout::kGuardButtonSmall)->isEnabled());
  EXPECT_EQ(window->Button(layout::kCloseSmall)->geometry(), QRect(152, 6, 20, 20));
  EXPECT_TRUE(window->Button(layout::kCloseSmall)->IsReady());
}

TEST(MainDialogLayouts, TogglingCoversTheWorkAreaAndReturnsToTheCompactPosition) {
  MainWindowDoubles doubles;
  doubles.desktop.workArea = {0, 24, 1280, 800};
  ASSERT_TRUE(WriteMachineDword(*doubles.registry, AppKey, kWindowPosLeft, 200));
  ASSERT_TRUE(WriteMachineDword(*doubles.registry, AppKey, kWindowPosTop, 150));
  std::vector<std::string> coupling;
  auto window = doubles.ShowWindow();
  window->SetCompanionCoupling({[&] { coupling.push_back("lower"); }, [&] { coupling.push_back("raise"); }});
  ASSERT_EQ(window->pos(), QPoint(200, 150));
  // The user drags the panel elsewhere first; the toggle keeps that place.
  test::Press(*window, {60, 385});
  test::MoveHeld(*window, {70, 390});
  test::Release(*window, {60, 385});
  ASSERT_EQ(window->pos(), QPoint(210, 155));

  ASSERT_TRUE(window->OnCommand(layout::kMaximizeSmall));
  EXPECT_EQ(window->Mode(), WindowMode::Max);
  EXPECT_EQ(window->geometry(), QRect(0, 24, 1280, 776));
  EXPECT_TRUE(window->mask().isEmpty()) << "the full layout is a rectangle";
  EXPECT_EQ(test::ReadText(*doubles.registry, SuiteKey, kTopmost), "Max");
  EXPECT_EQ(Geometry(window->ItemList()), QRect(145, 75, 1280 - 175, 776 - 185));
  EXPECT_EQ(Geometry(window->AlbumList()), QRect(118, 776 - 84, 1280 - 238, 80));
  EXPECT_EQ(window->ItemList()->palette().color(QPalette::Base), QColor(211, 223, 232));
  EXPECT_EQ(window->ItemList()->iconSize(), QSize(107, 86));
  EXPECT_EQ(window->AlbumList()->iconSize(), QSize(42, 40));
  EXPECT_EQ(window->Button(layout::kNewAlbum)->geometry(), QRect(26, 776 - 90, 79, 28));
  EXPECT_EQ(window->Button(layout::kDeleteAlbum)->geometry(), QRect(25, 776 - 58, 80, 28));
  EXPECT_EQ(window->Button(layout::kRenameAlbum)->geometry(), QRect(1280 - 104, 776 - 90, 84, 28));
  EXPECT_EQ(window->Button(layout::kAlbumInfo)->geometry(), QRect(1280 - 90, 776 - 58, 70, 29));
  EXPECT_EQ(VisibleButtons(*window, layout::kShownInMax).size(), layout::kShownInMax.size());
  EXPECT_TRUE(VisibleButtons(*window, layout::kHiddenInMax).empty());
  EXPECT_EQ(coupling, std::vector<std::string>{"raise"});

  ASSERT_TRUE(window->OnCommand(layout::kMaximize));
  EXPECT_EQ(window->Mode(), WindowMode::Original);
  EXPECT_EQ(window->geometry(), QRect(210, 155, 178, 404));
  EXPECT_EQ(window->mask().boundingRect(), QRect(0, 0, 178, 400));
  EXPECT_EQ(test::ReadText(*doubles.registry, SuiteKey, kTopmost), "Remocon");
  EXPECT_EQ(window->ItemList()->palette().color(QPalette::Base), QColor(192, 203, 217));
  EXPECT_EQ(window->ThumbnailCell(), (layout::Size{58, 42}));
  EXPECT_EQ(VisibleButtons(*window, layout::kShownInCompact).size(), layout::kShownInCompact.size());
  EXPECT_TRUE(VisibleButtons(*window, layout::kHiddenInCompact).empty());
  EXPECT_EQ(coupling, (std::vector<std::string>{"raise", "lower"}));
}

TEST(MainDialogLayouts, PaintingDrawsEachLayoutsSkinAndTheFullLayoutsFrame) {
  MainWindowDoubles doubles;
  doubles.desktop.workArea = {0, 0, 1024, 700};
  auto window = doubles.ShowWindow();
  const QImage background = *window->WindowSkin().CompactBackground();
  QImage shown = WindowPicture(*window);
  EXPECT_EQ(shown.pixel(60, 250), background.pixel(60, 250));
  EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0) << "outside the outline";

  window->OnCommand(layout::kMaximizeSmall);
  shown = WindowPicture(*window).convertToFormat(QImage::Format_RGB32);
  const QImage leftPanel = window->WindowSkin().Bitmap(236);
  ASSERT_FALSE(leftPanel.isNull());
  EXPECT_EQ(shown.pixel(70, 300), leftPanel.pixel(70, (300 - 74) % leftPanel.height())) << "tiled from (0, 74)";
  // The frame from (144, 74) to (width - 29, height - 109).
  EXPECT_EQ(shown.pixel(500, 74), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(144, 300), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(1024 - 29, 300), qRgb(255, 255, 255));
  EXPECT_EQ(shown.pixel(500, 700 - 109), qRgb(255, 255, 255));
}

TEST(MainDialogLayouts, TheCompactAlbumListGrowsFromTwoAlbumsOn) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  auto toggleTwice = [&] {
    window->OnCommand(layout::kMaximizeSmall);
    window->OnCommand(layout::kMaximize);
  };
  EXPECT_EQ(Geometry(window->AlbumList()), QRect(13, 170, 94, 45)) << "no album";
  window->AlbumList()->Append(AlbumEntry({"Trip", (doubles.temp / "Albums/Trip").string(), 0}));
  toggleTwice();
  EXPECT_EQ(Geometry(window->AlbumList()), QRect(13, 170, 94, 45)) << "one album";
  window->AlbumList()->Append(AlbumEntry({"Zoo", (doubles.temp / "Albums/Zoo").string(), 0}));
  toggleTwice();
  EXPECT_EQ(Geometry(window->AlbumList()), QRect(13, 163, 94, 55)) << "two albums";
}

TEST(MainDialogLayouts, TheBackgroundDragsTheCompactWindowButNotTheFullOne) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  const QPoint start = window->pos();
  test::Press(*window, {40, 390});
  EXPECT_EQ(window->cursor().shape(), Qt::SizeAllCursor);
  test::MoveHeld(*window, {10, 350});  // the window follows: the pointer is at (40, 390) on it again
  test::MoveHeld(*window, {30, 380});
  EXPECT_EQ(window->pos(), start + QPoint(-40, -50));
  EXPECT_EQ(window->NormalPosition(), QPoint(0, 0)) << "taken only when the button comes up";
  test::Release(*window, {40, 390});
  EXPECT_EQ(window->NormalPosition(), start + QPoint(-40, -50));
  EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);

  window->OnCommand(layout::kMaximizeSmall);
  const QRect full = window->geometry();
  test::Press(*window, {300, 40});
  test::MoveHeld(*window, {500, 240});
  test::Release(*window, {500, 240});
  EXPECT_EQ(window->geometry(), full);
}

TEST(MainDialogLayouts, MinimiseAndRestoreMoveTheCompanionsOnlyInTheFullLayout) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  std::vector<std::string> coupling;
  window->SetCompanionCoupling({[&] { coupling.push_back("lower"); }, [&] { coupling.push_back("raise"); }});
  window->OnCommand(layout::kMinimizeSmall);
  EXPECT_TRUE(window->isMinimized());
  window->showNormal();
  EXPECT_TRUE(coupling.empty()) << "the compact layout leaves the companions alone";

  window->OnCommand(layout::kMaximizeSmall);
  coupling.clear();
  window->OnCommand(layout::kMinimize);
  EXPECT_TRUE(window->isMinimized());
  window->showNormal();
  EXPECT_EQ(coupling, (std::vector<std::string>{"lower", "raise"}));
}

TEST(MainDialogDestroy, TheExitWritesComeInTheirOrder) {
  MainWindowDoubles doubles;
  std::filesystem::create_directories(doubles.temp / "Albums/Trip");
  auto window = doubles.ShowWindow();
  ASSERT_EQ(window->Albums().Current(), 0);
  ASSERT_TRUE(WriteMachineDword(*doubles.registry, AppKey, kWindowPosLeft, 0));
  test::Press(*window, {40, 390});
  test::MoveHeld(*window, {41, 393});
  test::Release(*window, {41, 393});
  const QPoint dragged = window->pos();

  // Whatever is stored now goes, so the names come back in the order written.
  RegKey key;
  ASSERT_EQ(doubles.registry->OpenKey(Hive::LocalMachine, AppKey, key), RegStatus::Ok);
  for (const std::string& name : test::ValueNames(*doubles.registry, AppKey))
    ASSERT_EQ(doubles.registry->DeleteValue(key, name), RegStatus::Ok);
  window.reset();

  EXPECT_EQ(test::ValueNames(*doubles.registry, AppKey),
            (std::vector<std::string>{"SortFR", "SortID", "WindowPosLeft", "WindowPosTop", "AlbumPath"}));
  EXPECT_EQ(test::ReadDword(*doubles.registry, AppKey, kWindowPosLeft), uint32_t(dragged.x()));
  EXPECT_EQ(test::ReadDword(*doubles.registry, AppKey, kWindowPosTop), uint32_t(dragged.y()));
  EXPECT_EQ(test::ReadText(*doubles.registry, AppKey, kAlbumPath), (doubles.temp / "Albums/Trip").string());
}

TEST(MainDialogDestroy, AWindowThatEndedTheProgramWritesNothing) {
  MainWindowDoubles doubles;
  doubles.desktop.workArea = {0, 0, 640, 480};
  doubles.prompts.ExpectMessage(kTooSmall, "Lumora", box::kIconStop, kAnswerOk);
  doubles.ShowWindow().reset();
  EXPECT_TRUE(test::ValueNames(*doubles.registry, AppKey).empty());
}

TEST(MainDialogCommands, MenuButtonsPopTheirMenusAtFixedPointsOfTheFullLayout) {
  MainWindowDoubles doubles;
  doubles.desktop.workArea = {0, 0, 1024, 700};
  auto window = doubles.ShowWindow();
  window->OnCommand(layout::kMaximizeSmall);
  ASSERT_EQ(window->width(), 1024);

  EXPECT_TRUE(window->OnCommand(layout::kFileButton));
  EXPECT_TRUE(window->OnCommand(layout::kSortButton));
  EXPECT_TRUE(window->OnCommand(layout::kImportButton));
  ASSERT_EQ(doubles.menus.size(), 3u);
  EXPECT_EQ(doubles.menus[0].at, QPoint(1024 - 651, 62));
  EXPECT_EQ(doubles.menus[1].at, QPoint(1024 - 548, 62));
  EXPECT_EQ(doubles.menus[2].at, QPoint(1024 - 231, 62));
  EXPECT_EQ(doubles.menus[0].entries,
            (QStringList{"Add", "Delete", "Rename", "Duplicate", "Information", "-", "Select All", "Refresh"}));
  EXPECT_EQ(doubles.menus[1].entries,
            (QStringList{"by Name [x]", "by Type", "by Date", "-", "Forward(a-z) [x]", "Reverse(z-a)"}));
  EXPECT_EQ(doubles.menus[2].entries, (QStringList{"Select Source...", "Acquire..."}));
}

TEST(MainDialogCommands, AChosenMenuEntryComesBackAsACommand) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  window->OnCommand(layout::kMaximizeSmall);
  doubles.menuChoice = 32773;  // "by Type"
  EXPECT_TRUE(window->OnCommand(layout::kSortButton));
  EXPECT_EQ(window->Items().Sorting().sortID, 32773u);
  EXPECT_FALSE(window->OnCommand(layout::kIepgButton)) << "the iEPG buttons start nothing";
}

TEST(MainDialogCommands, HelpOpensTheHelpFileInTheAppPathFolder) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  window->OnCommand(layout::kHelpSmall);
  ASSERT_TRUE(WriteMachineString(*doubles.registry, AppKey, kAppPath, "/opt/quorvix/Lumora"));
  window->OnCommand(layout::kMaximizeSmall);
  window->OnCommand(layout::kHelp);
  EXPECT_EQ(doubles.shell.calls, (std::vector<std::string>{"open /Lumora.chm", "open /opt/quorvix/Lumora/Lumora.chm"}));
}

TEST(MainDialogCommands, AboutShowsTheVersionAndTheHomePageLink) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  doubles.onDialog = [&](QDialog& dialog) {
    auto* about = dynamic_cast<AboutDialog*>(&dialog);
    ASSERT_NE(about, nullptr);
    LinkLabel& link = about->HomePageLine();
    EXPECT_EQ(link.text().toStdString(), kHomePageAddress);
    EXPECT_TRUE(link.LinkMode());
    EXPECT_EQ(link.TextColour(), QColor(0, 0, 255));
    EXPECT_EQ(link.LabelFont().pixelSize(), 12);
    EXPECT_TRUE(link.LabelFont().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::BitmapCursor) << "cursor 532";
    test::Press(link, {2, 2});
  };
  EXPECT_TRUE(window->OnCommand(32808));
  EXPECT_EQ(doubles.dialogs, std::vector<QString>{"About Lumora"});
  EXPECT_EQ(doubles.shell.calls, std::vector<std::string>{"open " + std::string(kHomePageAddress)});
}

TEST(MainDialogCommands, CloseLowersTheCompanionsAndEndsTheWindowOnce) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  std::vector<std::string> coupling;
  window->SetCompanionCoupling({[&] { coupling.push_back("lower"); }, [&] { coupling.push_back("raise"); }});
  window->OnCommand(layout::kMaximizeSmall);
  ASSERT_EQ(test::ReadText(*doubles.registry, SuiteKey, kTopmost), "Max");
  EXPECT_TRUE(window->OnCommand(layout::kClose));
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(test::ReadText(*doubles.registry, SuiteKey, kTopmost), "Remocon");
  EXPECT_EQ(coupling, (std::vector<std::string>{"raise", "lower"}));
  EXPECT_EQ(doubles.desktop.waitCursorShown, 1);
  EXPECT_EQ(doubles.desktop.waitDepth, 0);
  EXPECT_EQ(window->result(), QDialog::Rejected);
}

TEST(MainDialogCommands, EscapeNeverEndsTheWindowButTheCompactCloseAndTheWindowManagersCloseDo) {
  MainWindowDoubles doubles;
  test::AddAlbum(doubles, "Trip");
  auto window = doubles.ShowWindow();
  // Escape where the focus is, and on the window itself: each goes up to the
  // window unless a control takes it.
  for (QWidget* target : {static_cast<QWidget*>(window->AlbumList()), static_cast<QWidget*>(window->ItemList()),
                          static_cast<QWidget*>(window.get())}) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &escape);
    EXPECT_TRUE(window->isVisible()) << target->metaObject()->className();
  }
  window->Button(layout::kCloseSmall)->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);

  auto second = doubles.ShowWindow();
  ASSERT_TRUE(second->isVisible());
  second->close();  // as the window manager's close button does
  EXPECT_FALSE(second->isVisible());
  EXPECT_EQ(second->result(), QDialog::Rejected);
}

TEST(MainDialogCommands, ButtonClicksReachTheCommandTable) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  window->Button(layout::kMaximizeSmall)->click();
  EXPECT_EQ(window->Mode(), WindowMode::Max);
  window->Button(layout::kMaximize)->click();
  EXPECT_EQ(window->Mode(), WindowMode::Original);
}

TEST(MainDialogTips, ButtonsShowTheirStringsWrappedAt200Pixels) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  ToolTipControl& tips = window->ButtonTips();
  EXPECT_EQ(tips.TipText(window->Button(layout::kMaximize)), "Restore");
  EXPECT_EQ(tips.TipText(window->Button(layout::kMaximizeSmall)), "Maximize");
  EXPECT_EQ(tips.TipText(window->Button(layout::kCloseSmall)), "Close");
  EXPECT_EQ(tips.TipText(window->Button(layout::kNewAlbum)), "New Album");
  EXPECT_EQ(tips.TipText(window->Button(layout::kTvButtonSmall)), "Watch and Record TV");
  EXPECT_EQ(tips.TipText(window->Button(layout::kHomeButton)).toStdString(), kHomePageAddress);
  EXPECT_EQ(window->ItemTips().TipText(window->ItemList()->viewport()), "ListBox Tool Tip");

  const QString longText = "Please close the running program and try again, then start it once more";
  const QStringList lines = tips.ShownText(longText).split('\n');
  EXPECT_GT(lines.size(), 1);
  const QFontMetrics metrics(QToolTip::font());
  for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), 200) << line.toStdString();
  EXPECT_EQ(lines.join(' '), longText);
}

TEST(MainDialogSkin, ACompactBackgroundThatDoesNotDecodeEndsTheProgram) {
  MainWindowDoubles doubles;
  // A resource library whose picture 452 is no JPEG.
  std::filesystem::copy_file(LUMORA_BAD_SKIN_LIBRARY, doubles.temp / "Lumora.rcc");
  auto window = doubles.ShowWindow();
  ASSERT_TRUE(doubles.resources->LibraryLoaded());
  EXPECT_EQ(doubles.exitCodes, std::vector<int>{0});
  EXPECT_TRUE(doubles.prompts.shown().empty()) << "no message";
}

}  // namespace
}  // namespace lumora
