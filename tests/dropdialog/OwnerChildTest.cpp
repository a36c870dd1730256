// Owner and child dialogs in two processes: the sample program, started with
// "/owner=<hex>", announces itself; the owner lists it (a second announce of
// the same program only updates the handle), receives its files with code 3,
// forgets it when it closes, and when the owner closes the child forgets its
// owner. Runs on the runtime-folder backend offscreen, and under xvfb-run on
// the X11 backend.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/qt/QtWindowSystem.h"
#include "tests/dropdialog/DropDialogTesting.h"
#include "tests/dropdialog/SampleDropDialog.h"
#include "tests/platform/window/ChildProcess.h"

namespace lumora::test {
namespace {

using testing::ChildProcess;
using Children = std::vector<QvDropDialog::ChildDialog>;

constexpr char kSampleName[] = "drop_dialog_sample";

std::string Hex(WindowHandle window) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", unsigned(window));
  return text;
}

// Starts the sample program and waits for its "ready <handle>" line.
WindowHandle StartSample(ChildProcess& child) {
  EXPECT_TRUE(child.started());
  const std::optional<std::string> line = child.ReadLine();
  if (!line || line->rfind("ready ", 0) != 0) {
    ADD_FAILURE() << "the sample program said " << line.value_or("nothing");
    return kNoWindow;
  }
  return WindowHandle(std::strtoul(line->c_str() + 6, nullptr, 16));
}

TEST(OwnerChildTest, ChildrenAnnounceSendFilesAndCloseAndTheOwnersCloseReachesThem) {
  DialogDoubles doubles;  // children inherit the runtime folder
  const char* platformName = std::getenv("QT_QPA_PLATFORM");
  ASSERT_EQ(QtWindowsUseX11(), platformName && std::strcmp(platformName, "xcb") == 0);

  QvDropDialog::Platform platform = doubles.Platform({"owner"});
  platform.windows = nullptr;  // the real window system of Qt's platform
  SampleDropDialog owner(std::move(platform));
  owner.setWindowTitle("Owner");
  owner.show();
  ASSERT_NE(owner.Handle(), kNoWindow);
  const std::string ownerArgument = "/owner=" + Hex(owner.Handle());

  ChildProcess first({LUMORA_DROP_DIALOG_SAMPLE, ownerArgument});
  const WindowHandle firstHandle = StartSample(first);
  ASSERT_NE(firstHandle, kNoWindow);
  ASSERT_TRUE(RunEventsUntil([&] { return owner.ChildDialogs() == Children{{firstHandle, kSampleName}}; }));

  ChildProcess second({LUMORA_DROP_DIALOG_SAMPLE, ownerArgument, "--drop", "/pics/a.jpg", "/pics/b c.avi"});
  const WindowHandle secondHandle = StartSample(second);
  ASSERT_NE(secondHandle, firstHandle);
  ASSERT_TRUE(RunEventsUntil([&] { return !owner.dropped.empty(); }));
  EXPECT_EQ(owner.dropped, (std::vector<std::vector<std::string>>{{"/pics/a.jpg", "/pics/b c.avi"}}));
  EXPECT_EQ(owner.ChildDialogs(), (Children{{secondHandle, kSampleName}})) << "the same program is listed once";

  second.CloseInput();
  ASSERT_TRUE(RunEventsUntil([&] { return owner.ChildDialogs().empty(); }));
  EXPECT_EQ(second.Wait(), 0);
  first.CloseInput();
  EXPECT_EQ(first.Wait(), 0);

  ChildProcess third({LUMORA_DROP_DIALOG_SAMPLE, ownerArgument});
  const WindowHandle thirdHandle = StartSample(third);
  ASSERT_TRUE(RunEventsUntil([&] { return owner.ChildDialogs() == Children{{thirdHandle, kSampleName}}; }));
  owner.close();
  EXPECT_TRUE(owner.ChildDialogs().empty());
  EXPECT_EQ(third.ReadLine(), "owner gone");
  third.CloseInput();
  EXPECT_EQ(third.Wait(), 0);
}

}  // namespace
}  // namespace lumora::test
