// The dialog as a drag source: DoDragDrop and DoDragDrop2 with a drag runner
// that carries the drag over a target dialog with synthetic events, so no
// test enters Qt's nested drag loop.
#include <gtest/gtest.h>

#include <QDrag>

#include "tests/dropdialog/DropDialogTesting.h"
#include "tests/dropdialog/SampleDropDialog.h"

namespace lumora::test {
namespace {

using Paths = std::vector<std::string>;

class DragSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QvDropDialog::Platform platform = doubles_.Platform();
    platform.runDrag = [this](QDrag& drag, Qt::DropActions allowed) { return RunDrag(drag, allowed); };
    platform.cancelDrag = [this] { ++cancels_; };
    source_ = std::make_unique<SampleDropDialog>(std::move(platform));
    target_ = std::make_unique<SampleDropDialog>(doubles_.Platform());
    source_->show();
    target_->show();
  }

  // Carries the drag over `dropOn_`: enter, move, and a drop unless the source
  // cancelled the drag or the target refused it.
  Qt::DropAction RunDrag(QDrag& drag, Qt::DropActions allowed) {
    ++drags_;
    const QMimeData& data = *drag.mimeData();
    formats_ = data.formats();
    waitDepthDuringDrag_ = doubles_.desktop.waitDepth;
    const int cancelsBefore = cancels_;
    const DragAnswer enter = SendEnter(*dropOn_, data, {.allowed = allowed});
    if (cancels_ != cancelsBefore || !enter.accepted) return Qt::IgnoreAction;
    SendMove(*dropOn_, data, {.allowed = allowed});
    const DragAnswer drop = SendDrop(*dropOn_, data, {.allowed = allowed, .buttons = Qt::NoButton});
    return drop.accepted ? drop.action : Qt::IgnoreAction;
  }

  DialogDoubles doubles_;
  std::unique_ptr<SampleDropDialog> source_;
  std::unique_ptr<SampleDropDialog> target_;
  QWidget* dropOn_ = nullptr;
  int drags_ = 0;
  int cancels_ = 0;
  QStringList formats_;
  int waitDepthDuringDrag_ = 0;
};

TEST_F(DragSourceTest, DoDragDropHandsThePathsToTheTargetAsFileUrls) {
  dropOn_ = target_.get();
  EXPECT_EQ(source_->DoDragDrop({"/pics/a.jpg", "/pics/b.avi"}, QvDropDialog::kDropEffectMove),
            QvDropDialog::kDropEffectMove);
  EXPECT_EQ(target_->dropped, (std::vector<Paths>{{"/pics/a.jpg", "/pics/b.avi"}}));
  EXPECT_EQ(formats_, QStringList{"text/uri-list"});
  EXPECT_EQ(waitDepthDuringDrag_, 1);
  EXPECT_EQ(doubles_.desktop.waitDepth, 0);
  EXPECT_EQ(doubles_.desktop.waitCursorShown, 1);

  // The target prefers move; a source that only allows copy gets a copy.
  EXPECT_EQ(source_->DoDragDrop({"/pics/a.jpg"}, QvDropDialog::kDropEffectCopy), QvDropDialog::kDropEffectCopy);
  target_->refuseArea = QRect(0, 0, 50, 50);
  EXPECT_EQ(source_->DoDragDrop({"/pics/a.jpg"}, QvDropDialog::kDropEffectMove), QvDropDialog::kDropEffectNone);
  EXPECT_EQ(target_->dropped.size(), 2u);
}

TEST_F(DragSourceTest, TheOwnFormatOffersOnlyTheBlock) {
  dropOn_ = target_.get();
  const Paths paths{"/pics/a.jpg", "/pics/b.avi"};
  EXPECT_EQ(source_->DoDragDrop(paths, QvDropDialog::kDropEffectMove | QvDropDialog::kDropEffectCopy, true),
            QvDropDialog::kDropEffectMove);
  EXPECT_EQ(formats_, QStringList{QvDropDialog::kQuorvixFilesFormat});
  EXPECT_EQ(target_->dropped, std::vector<Paths>{paths});
}

TEST_F(DragSourceTest, PathsTheBlockCannotHoldStartNoDrag) {
  dropOn_ = target_.get();
  EXPECT_EQ(source_->DoDragDrop({"/pics/a.jpg", "/" + std::string(259, 'x')}, QvDropDialog::kDropEffectMove),
            QvDropDialog::kDropEffectNone);
  EXPECT_EQ(drags_, 0);
  EXPECT_EQ(doubles_.desktop.waitCursorShown, 0);
}

TEST_F(DragSourceTest, DoDragDrop2BackOntoItsOwnDialogIsCancelledAndReturnsZero) {
  dropOn_ = source_.get();
  int effect = QvDropDialog::kDropEffectMove;
  EXPECT_EQ(source_->DoDragDrop2({"/pics/a.jpg"}, effect), 0);
  EXPECT_EQ(effect, QvDropDialog::kDropEffectNone);
  EXPECT_EQ(cancels_, 1);
  EXPECT_TRUE(source_->dropped.empty());

  // Drags from elsewhere are welcome again afterwards.
  auto outside = UrlData({"/pics/b.jpg"});
  EXPECT_TRUE(SendEnter(*source_, *outside).accepted);
  EXPECT_TRUE(SendDrop(*source_, *outside, {.buttons = Qt::NoButton}).accepted);
  EXPECT_EQ(source_->dropped, std::vector<Paths>{{"/pics/b.jpg"}});

  dropOn_ = target_.get();
  effect = QvDropDialog::kDropEffectMove;
  EXPECT_EQ(source_->DoDragDrop2({"/pics/a.jpg"}, effect, true), 1);
  EXPECT_EQ(effect, QvDropDialog::kDropEffectMove);
  EXPECT_EQ(cancels_, 1);
  EXPECT_EQ(target_->dropped, std::vector<Paths>{{"/pics/a.jpg"}});
}

}  // namespace
}  // namespace lumora::test
