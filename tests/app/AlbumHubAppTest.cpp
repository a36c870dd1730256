// The start-up: a running copy is brought to the front and the start ends
// with 0; without one the main window runs modally and its destruction at the
// end of the run writes the settings.
#include "app/AlbumHubApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "app/MainDialog.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

TEST(AlbumHubApp, ARunningCopyIsBroughtToTheFrontAndTheStartEnds) {
  test::MainWindowDoubles doubles;
  doubles.windows.Open("#32770", "Lumora 2");  // another title: not this program
  const WindowHandle running = doubles.windows.Open("#32770", "Lumora");
  AlbumHubApp hub({*doubles.registry, doubles.shell, doubles.prompts, doubles.desktop, &doubles.windows});
  bool shown = false;
  hub.OnWindowShown([&](MainDialog&) { shown = true; });
  EXPECT_EQ(hub.Run(), 0);
  EXPECT_EQ(doubles.windows.Foreground(), running);
  EXPECT_FALSE(shown);
  EXPECT_FALSE(test::ReadText(*doubles.registry, SuiteKey, kTopmost)) << "no window of its own";
}

TEST(AlbumHubApp, WithoutARunningCopyTheWindowRunsUntilItCloses) {
  test::MainWindowDoubles doubles;
  doubles.windows.Open("quorvixTV 2.0", "Lumora");  // another class: not this program
  AlbumHubApp hub({*doubles.registry, doubles.shell, doubles.prompts, doubles.desktop, &doubles.windows});
  QString title;
  hub.OnWindowShown([&](MainDialog& window) {
    title = window.windowTitle();
    window.OnCommand(layout::kCloseSmall);
  });
  // Should the window stay up, the test ends its run rather than wait forever.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    ADD_FAILURE() << "the window did not close";
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* window = dynamic_cast<MainDialog*>(top)) window->done(0);
  });
  guard.start(test::kEventWaitMs);
  EXPECT_EQ(hub.Run(), 0);
  EXPECT_EQ(title, "Lumora");
  EXPECT_EQ(test::ReadDword(*doubles.registry, AppKey, kSortID), 32771u) << "written when the window went";
}

}  // namespace
}  // namespace lumora
