// The progress window: the percentage rule and its self-close, the bar's
// bounds, the owner kept disabled until it is destroyed, however it closed,
// the event pump that runs before every change of the bar, and its look.
#include "ui/ProgressDialog.h"

#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/TempDir.h"
#include "resources/Resources.h"
#include "tests/support/QtTestApp.h"

namespace lumora {
namespace {

class ProgressDialogTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { test::App(); }
  test::TempDir programFolder_;
  Resources resources_{programFolder_.path()};
  QWidget owner_;
};

TEST_F(ProgressDialogTest, PercentageOfTheRangeAndTheCloseAtOneHundred) {
  ProgressDialog progress(resources_);
  ASSERT_TRUE(progress.Create(&owner_));
  EXPECT_EQ(progress.percentText(), "0%");
  progress.SetRange(0, 200);
  progress.SetPos(150);
  EXPECT_EQ(progress.percentText(), "75%");
  progress.SetRange(50, 150);  // counted from the lower bound
  progress.SetPos(75);
  EXPECT_EQ(progress.percentText(), "25%");
  progress.SetRange(7, 7);  // an empty range divides by nothing
  progress.SetPos(7);
  EXPECT_EQ(progress.percentText(), "0%");
  // Past the upper bound the share is taken modulo 100 and the window stays;
  // the bar itself stops at the bound.
  progress.SetRange(0, 100);
  progress.SetPos(150);
  EXPECT_EQ(progress.percentText(), "50%");
  EXPECT_EQ(progress.position(), 100);
  EXPECT_TRUE(progress.IsOpen());

  progress.Show();
  progress.SetPos(100);
  EXPECT_EQ(progress.percentText(), "100%");
  EXPECT_FALSE(progress.IsOpen());
  EXPECT_FALSE(progress.window()->isVisible());
  EXPECT_FALSE(owner_.isEnabled()) << "the work may still pump events: the owner waits for Destroy";
  progress.Destroy();
  EXPECT_TRUE(owner_.isEnabled());
}

TEST_F(ProgressDialogTest, OffsetAndStepShowTheOldPositionPlusTheMove) {
  ProgressDialog progress(resources_);
  ASSERT_TRUE(progress.Create(&owner_));
  progress.SetPos(30);
  progress.OffsetPos(25);
  EXPECT_EQ(progress.percentText(), "55%");
  progress.StepIt();  // the default step is 10
  EXPECT_EQ(progress.percentText(), "65%");
  // A step past the upper bound starts the bar again at the lower one; the
  // label shows the position asked for: 105 -> 5%.
  progress.SetStep(40);
  progress.StepIt();
  EXPECT_EQ(progress.position(), 0);
  EXPECT_EQ(progress.percentText(), "5%");
  // Ten steps of 10 reach 100 per cent on the tenth.
  progress.SetStep(10);
  for (int i = 0; i < 9; ++i) progress.StepIt();
  EXPECT_EQ(progress.percentText(), "90%");
  EXPECT_TRUE(progress.IsOpen());
  progress.StepIt();
  EXPECT_FALSE(progress.IsOpen());

  ProgressDialog offset(resources_);
  ASSERT_TRUE(offset.Create(&owner_));
  offset.SetRange(0, 40);
  offset.SetPos(30);
  offset.OffsetPos(10);
  EXPECT_EQ(offset.percentText(), "100%");
  EXPECT_FALSE(offset.IsOpen());
}

TEST_F(ProgressDialogTest, OwnerIsDisabledWhileUpAndReEnabledOnlyIfThisDialogDisabledIt) {
  {
    ProgressDialog progress(resources_);
    ASSERT_TRUE(progress.Create(&owner_));
    EXPECT_FALSE(owner_.isEnabled());
    EXPECT_TRUE(progress.window()->isEnabled()) << "not disabled with its owner";
    EXPECT_FALSE(progress.window()->isVisible()) << "hidden until the caller shows it";
    EXPECT_EQ(progress.window()->windowTitle(), "Wait, please...");
    QWidget otherOwner;
    EXPECT_FALSE(progress.Create(&otherOwner)) << "a second Create";
    EXPECT_TRUE(otherOwner.isEnabled());
    progress.Destroy();
    EXPECT_TRUE(owner_.isEnabled());
    EXPECT_EQ(progress.window(), nullptr);
  }
  for (const bool escape : {true, false}) {
    SCOPED_TRACE(escape ? "closed with Escape" : "closed by the window manager");
    ProgressDialog progress(resources_);
    ASSERT_TRUE(progress.Create(&owner_));
    progress.Show();
    if (escape) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(progress.window(), &key);
    } else {
      progress.window()->close();
    }
    EXPECT_FALSE(progress.IsOpen());
    EXPECT_FALSE(progress.window()->isVisible());
    EXPECT_FALSE(owner_.isEnabled()) << "the work goes on: the owner waits for Destroy";
  }
  EXPECT_TRUE(owner_.isEnabled()) << "the destructor destroys";
  owner_.setEnabled(false);
  {
    ProgressDialog progress(resources_, 14);
    ASSERT_TRUE(progress.Create(&owner_));
    EXPECT_EQ(progress.window()->windowTitle(), "Lumora");
  }
  EXPECT_FALSE(owner_.isEnabled()) << "someone else disabled the owner";
}

TEST_F(ProgressDialogTest, WaitingEventsAreProcessedBeforeEachBarChange) {
  ProgressDialog progress(resources_);
  ASSERT_TRUE(progress.Create(&owner_));
  progress.SetPos(20);
  // A queued call records where the bar stood when it ran: before the change.
  auto expectPumpedBefore = [&](const char* what, auto change) {
    int seen = -1;
    QTimer::singleShot(0, &owner_, [&] { seen = progress.position(); });
    const int before = progress.position();
    change();
    EXPECT_EQ(seen, before) << what;
    EXPECT_NE(progress.position(), before) << what;
  };
  expectPumpedBefore("SetPos", [&] { progress.SetPos(40); });
  expectPumpedBefore("OffsetPos", [&] { progress.OffsetPos(5); });
  expectPumpedBefore("StepIt", [&] { progress.StepIt(); });
}

// Text line and percentage are not cut off; the window manager gets a
// dialog of fixed size with a title and no buttons. With LUMORA_SCREENSHOT_DIR
// set the window is saved there as progress.png.
TEST_F(ProgressDialogTest, LooksCompleteWithATitleAndNoWindowButtons) {
  ProgressDialog progress(resources_);
  ASSERT_TRUE(progress.Create(&owner_));
  progress.SetText("Copying \"Harbour at dusk.jpg\"");
  EXPECT_EQ(progress.text(), "Copying \"Harbour at dusk.jpg\"");
  progress.SetRange(0, 48);
  progress.SetPos(20);
  progress.Show();
  QDialog* window = progress.window();
  ASSERT_TRUE(test::RunEventsUntil([&] { return window->isVisible(); }));
  for (QLabel* label : window->findChildren<QLabel*>()) {
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    EXPECT_TRUE(window->rect().contains(label->geometry())) << label->text().toStdString();
  }
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  for (const Qt::WindowType button : {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                      Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint,
                                      Qt::WindowContextHelpButtonHint})
    EXPECT_FALSE(flags & button) << std::hex << button;
  EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
  if (const char* dir = std::getenv("LUMORA_SCREENSHOT_DIR")) {
    EXPECT_TRUE(window->grab().toImage().save(QString::fromLocal8Bit(dir) + "/progress.png"));
  }
}

}  // namespace
}  // namespace lumora
