// "Select Source..." and "Acquire..." in the main window, with SANE's test
// backend as the scanner: the pages land in the open album and its item list,
// "Select Source..." is off while the source is open, and without the
// library "Acquire..." does nothing.
#include <gtest/gtest.h>

#include <QAction>

#include <filesystem>

#include "app/ItemBrowser.h"
#include "app/MainDialog.h"
#include "resources/ResourceIds.h"
#include "tests/app/AppTesting.h"
#include "tests/support/SaneTestBackend.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::MainWindowDoubles;

TEST(MainDialogAcquire, FeederPagesArriveInTheOpenAlbumThroughTimerTwo) {
  ASSERT_TRUE(test::ConfigureSaneTestBackend("depth 8\n"));
  MainWindowDoubles doubles;
  const fs::path album = test::AddAlbum(doubles, "Trip");
  test::WritePicture(album / "PIC0.bmp", 4, 4, qRgb(1, 2, 3));
  auto window = doubles.ShowWindow();
  ASSERT_EQ(window->Albums().CurrentPath(), album.string());
  ASSERT_EQ(window->Items().Count(), 1);

  doubles.prompts.ExpectScanDevice("test:0")
      .ExpectScanSettings(ScanSettings{"Color", 10, "Automatic Document Feeder"});
  EXPECT_TRUE(window->OnCommand(res::kCmdSelectSource));
  ASSERT_NE(window->Twain(), nullptr);
  EXPECT_TRUE(window->OnCommand(res::kCmdAcquire));
  EXPECT_FALSE(window->Action(res::kCmdSelectSource)->isEnabled()) << "no other source while this one is open";
  EXPECT_TRUE(window->AcquireTimerActive());
  ASSERT_TRUE(test::RunEventsUntil([&] { return !window->AcquireTimerActive(); }));
  EXPECT_TRUE(window->Action(res::kCmdSelectSource)->isEnabled());
  EXPECT_FALSE(window->Twain()->SourceOpen());
  // The feeder's ten pages after the picture already there.
  std::vector<std::string> expected{(album / "PIC0.bmp").string()};
  for (int i = 1; i <= 10; ++i) expected.push_back((album / ("PIC" + std::to_string(i) + ".bmp")).string());
  std::vector<std::string> paths = window->Items().Paths();
  std::sort(paths.begin(), paths.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(paths, expected);
}

TEST(MainDialogAcquire, WithoutTheLibraryAcquireDoesNothing) {
  MainWindowDoubles doubles;
  doubles.loadSourceManager = [&doubles] { return LoadSaneSourceManager(doubles.prompts, "libsane-missing.so.1"); };
  auto window = doubles.ShowWindow();
  doubles.prompts.ExpectMessage("Unable to load Twain Driver.", window->Messages().Caption(), box::kOk, kAnswerOk);
  EXPECT_TRUE(window->OnCommand(res::kCmdSelectSource));
  EXPECT_EQ(window->Twain(), nullptr);
  EXPECT_TRUE(window->OnCommand(res::kCmdAcquire));
  EXPECT_FALSE(window->AcquireTimerActive());
  EXPECT_TRUE(window->Action(res::kCmdSelectSource)->isEnabled());
  EXPECT_EQ(doubles.prompts.shown(), (std::vector<std::string>{"message: Unable to load Twain Driver."}));
}

}  // namespace
}  // namespace lumora
