// The dialog as a drop target, driven by synthetic Qt drag events offscreen:
// extension filters, effects by keys and by position, drops into OnDropFiles,
// and the right-button menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QUrl>

#include <tuple>

#include "tests/dropdialog/DropDialogTesting.h"
#include "tests/dropdialog/SampleDropDialog.h"

namespace lumora::test {
namespace {

using Paths = std::vector<std::string>;

class DropTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = std::make_unique<SampleDropDialog>(doubles_.Platform());
    dialog_->resize(300, 200);
    dialog_->show();
  }

  DialogDoubles doubles_;
  std::unique_ptr<SampleDropDialog> dialog_;
};

TEST_F(DropTargetTest, AcceptFilterPassesListedExtensionsAndRefusesADragWithAnyOther) {
  dialog_->DragAcceptFileFilters("JPG, BMP", "");
  auto listed = UrlData({"/pics/a.jpg", "/pics/b.BMP", "/pics/c.Jpg"});
  const DragAnswer answer = SendEnter(*dialog_, *listed);
  EXPECT_TRUE(answer.accepted);
  EXPECT_EQ(answer.action, Qt::MoveAction);
  EXPECT_EQ(dialog_->DraggedExtensions(), (Paths{"JPG", "BMP"}));
  SendLeave(*dialog_);
  EXPECT_TRUE(dialog_->DraggedExtensions().empty());

  auto mixed = UrlData({"/pics/a.jpg", "/pics/b.BMP", "/pics/c.txt"});
  EXPECT_FALSE(SendEnter(*dialog_, *mixed).accepted);
  EXPECT_FALSE(dialog_->Accepted());

  dialog_->DragAcceptFileFilters("", "txt");
  EXPECT_FALSE(SendEnter(*dialog_, *mixed).accepted) << "c.txt is rejected";
  EXPECT_TRUE(SendEnter(*dialog_, *listed).accepted);
  SendLeave(*dialog_);
}

TEST_F(DropTargetTest, ANameWithoutExtensionIsRefusedByAnyAcceptList) {
  // The "." of a folder or a final "." gives no extension; trailing blanks go.
  auto data = UrlData({"/my.pics/README", "/pics/b.", "/pics/c.jpg  "});
  ASSERT_TRUE(SendEnter(*dialog_, *data).accepted);
  EXPECT_EQ(dialog_->DraggedExtensions(), (Paths{"", "JPG"}));
  SendLeave(*dialog_);

  dialog_->DragAcceptFileFilters("JPG", "");
  EXPECT_FALSE(SendEnter(*dialog_, *UrlData({"/pics/README"})).accepted);
  dialog_->DragAcceptFileFilters("", "JPG");
  EXPECT_TRUE(SendEnter(*dialog_, *UrlData({"/pics/README"})).accepted);
  SendLeave(*dialog_);
}

TEST_F(DropTargetTest, DragsWithoutAFileListOrBeforeAcceptingFilesAreRefused) {
  auto web = UrlData({});
  web->setUrls({QUrl("https://example.org/a.jpg")});
  EXPECT_FALSE(SendEnter(*dialog_, *web).accepted);
  QMimeData text;
  text.setText("/pics/a.jpg");
  EXPECT_FALSE(SendEnter(*dialog_, text).accepted);
  EXPECT_FALSE(SendEnter(*dialog_, *OwnFormatData(QByteArray(30, 'x'))).accepted) << "malformed block";
  EXPECT_FALSE(SendEnter(*dialog_, *UrlData({"/" + std::string(260, 'x') + ".jpg"})).accepted)
      << "a path the block cannot hold";

  dialog_->DragAcceptFiles(false);
  EXPECT_FALSE(SendEnter(*dialog_, *UrlData({"/pics/a.jpg"})).accepted);
}

TEST_F(DropTargetTest, CtrlGivesCopyAltGivesMoveAndOtherwiseThePositionDecides) {
  auto data = UrlData({"/pics/a.jpg"});
  ASSERT_TRUE(SendEnter(*dialog_, *data).accepted);
  const QvDropDialog::DragKeys ctrl{Qt::LeftButton, Qt::ControlModifier};
  const QvDropDialog::DragKeys alt{Qt::LeftButton, Qt::AltModifier};
  const QvDropDialog::DragKeys plain{Qt::LeftButton, Qt::NoModifier};
  dialog_->refuseArea = QRect(0, 0, 50, 50);
  EXPECT_EQ(dialog_->OnDragOver(data.get(), ctrl, QPoint(10, 10)), QvDropDialog::kDropEffectCopy);
  EXPECT_EQ(dialog_->OnDragOver(data.get(), alt, QPoint(10, 10)), QvDropDialog::kDropEffectMove);
  EXPECT_EQ(dialog_->OnDragOver(data.get(), plain, QPoint(10, 10)), QvDropDialog::kDropEffectNone);
  EXPECT_EQ(dialog_->OnDragOver(data.get(), plain, QPoint(100, 100)), QvDropDialog::kDropEffectMove);

  // The same through Qt's events; a source that allows no move gets a copy.
  EXPECT_EQ(SendMove(*dialog_, *data, {.modifiers = Qt::ControlModifier}).action, Qt::CopyAction);
  EXPECT_FALSE(SendMove(*dialog_, *data, {.point = {10, 10}}).accepted);
  const DragAnswer copyOnly = SendMove(*dialog_, *data, {.point = {100, 100}, .allowed = Qt::CopyAction});
  EXPECT_TRUE(copyOnly.accepted);
  EXPECT_EQ(copyOnly.action, Qt::CopyAction);
  SendLeave(*dialog_);
  EXPECT_EQ(dialog_->OnDragOver(data.get(), ctrl, QPoint(100, 100)), QvDropDialog::kDropEffectNone)
      << "no effect once the drag has left";
}

TEST_F(DropTargetTest, AnEnterWithoutEffectStaysAcceptedSoMovesStillArrive) {
  dialog_->refuseArea = QRect(0, 0, 50, 50);
  auto data = UrlData({"/pics/a.jpg"});
  const DragAnswer enter = SendEnter(*dialog_, *data, {.point = {10, 10}});
  EXPECT_TRUE(enter.accepted);
  EXPECT_EQ(enter.action, Qt::IgnoreAction);
  EXPECT_EQ(SendMove(*dialog_, *data, {.point = {100, 100}}).action, Qt::MoveAction);
  SendLeave(*dialog_);
}

TEST_F(DropTargetTest, DropsReachOnDropFilesFromEitherFormatAndSetDropFailRefusesThem) {
  auto urls = UrlData({"/pics/a.jpg", "/pics/b c.avi"});
  ASSERT_TRUE(SendEnter(*dialog_, *urls).accepted);
  const DragAnswer drop = SendDrop(*dialog_, *urls, {.buttons = Qt::NoButton});
  EXPECT_TRUE(drop.accepted);
  EXPECT_EQ(drop.action, Qt::MoveAction);
  ASSERT_EQ(dialog_->dropped, (std::vector<Paths>{{"/pics/a.jpg", "/pics/b c.avi"}}));
  EXPECT_FALSE(dialog_->Accepted()) << "OnDrop ends the drag";

  auto own = OwnFormatData(*QvDropDialog::CreateDropFiles({"/pics/c.bmp"}));
  ASSERT_TRUE(SendEnter(*dialog_, *own).accepted);
  EXPECT_TRUE(SendDrop(*dialog_, *own, {.buttons = Qt::NoButton}).accepted);
  EXPECT_EQ(dialog_->dropped.back(), Paths{"/pics/c.bmp"});

  dialog_->failDrops = true;
  ASSERT_TRUE(SendEnter(*dialog_, *urls).accepted);
  const DragAnswer failed = SendDrop(*dialog_, *urls, {.buttons = Qt::NoButton});
  EXPECT_FALSE(failed.accepted);
  EXPECT_EQ(failed.action, Qt::IgnoreAction);
  EXPECT_EQ(dialog_->dropped.size(), 3u);

  // Effects the source does not allow give way: copy and move to each other,
  // else to link; link to nothing.
  dialog_->failDrops = false;
  const std::vector<std::tuple<Qt::DropActions, Qt::KeyboardModifiers, int>> standIns{
      {Qt::CopyAction | Qt::LinkAction, Qt::NoModifier, QvDropDialog::kDropEffectCopy},
      {Qt::LinkAction, Qt::NoModifier, QvDropDialog::kDropEffectLink},
      {Qt::MoveAction, Qt::ControlModifier, QvDropDialog::kDropEffectMove},
  };
  for (const auto& [allowed, modifiers, effect] : standIns) {
    ASSERT_TRUE(SendEnter(*dialog_, *urls, {.allowed = allowed}).accepted);
    EXPECT_TRUE(SendDrop(*dialog_, *urls, {.allowed = allowed, .buttons = Qt::NoButton, .modifiers = modifiers})
                    .accepted);
    EXPECT_EQ(dialog_->dropEffects.back(), effect);
  }
  EXPECT_EQ(dialog_->dropped.size(), 6u);

  // A drop where the position gives no effect never reaches OnDropFiles.
  dialog_->refuseArea = QRect(0, 0, 50, 50);
  ASSERT_TRUE(SendEnter(*dialog_, *urls).accepted);
  EXPECT_FALSE(SendDrop(*dialog_, *urls, {.point = {10, 10}, .buttons = Qt::NoButton}).accepted);
  EXPECT_EQ(dialog_->dropped.size(), 6u);
  EXPECT_FALSE(dialog_->Accepted());
}

// The right-button menu, answered by a script instead of the user.
class DropMenuTest : public DropTargetTest {
 protected:
  void SetUp() override {
    QvDropDialog::Platform platform = doubles_.Platform();
    platform.runMenu = [this](QMenu& menu, const QPoint& at) -> QAction* {
      shown_.clear();
      for (QAction* action : menu.actions()) {
        std::string line = action->isSeparator() ? "-" : action->text().toStdString();
        if (!action->isEnabled()) line += " (disabled)";
        if (action == menu.defaultAction()) line += " (default)";
        shown_.push_back(line);
      }
      for (QAction* action : menu.actions())
        if (!action->isSeparator() && action->text().toStdString() == choice_) return action;
      return nullptr;
    };
    platform.dropMenu = dropMenu_;
    dialog_ = std::make_unique<SampleDropDialog>(std::move(platform));
    dialog_->resize(300, 200);
    dialog_->show();
  }

  // Drags `paths` in with the right button, then drops.
  DragAnswer RightDrop(const QMimeData& data, Qt::DropActions allowed) {
    EXPECT_TRUE(SendEnter(*dialog_, data, {.allowed = allowed, .buttons = Qt::RightButton}).accepted);
    SendMove(*dialog_, data, {.allowed = allowed, .buttons = Qt::RightButton});
    EXPECT_TRUE(dialog_->RightButton());
    return SendDrop(*dialog_, data, {.allowed = allowed, .buttons = Qt::NoButton});
  }

  std::optional<Menu> dropMenu_;
  std::string choice_;
  std::vector<std::string> shown_;
};

TEST_F(DropMenuTest, CancelOrAMenuClosedWithoutAChoiceMovesNothingAndGivesNoEffect) {
  auto data = UrlData({"/pics/a.jpg"});
  for (const char* choice : {"Cancel", ""}) {  // "": Escape or a click beside the menu
    SCOPED_TRACE(choice);
    choice_ = choice;
    const int leavesBefore = dialog_->leaves;
    const DragAnswer answer = RightDrop(*data, Qt::CopyAction | Qt::MoveAction);
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.action, Qt::IgnoreAction);
    EXPECT_TRUE(dialog_->dropped.empty());
    EXPECT_EQ(dialog_->leaves, leavesBefore + 1);
    EXPECT_FALSE(dialog_->RightButton());
    EXPECT_EQ(shown_, (std::vector<std::string>{"Copy", "Move (default)", "Link (disabled)", "-", "Cancel"}));
  }
}

TEST_F(DropMenuTest, AChosenEffectDropsWithIt) {
  auto data = UrlData({"/pics/a.jpg"});
  choice_ = "Copy";
  const DragAnswer copied = RightDrop(*data, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
  EXPECT_TRUE(copied.accepted);
  EXPECT_EQ(copied.action, Qt::CopyAction);
  EXPECT_EQ(dialog_->dropped.size(), 1u);
  EXPECT_EQ(shown_, (std::vector<std::string>{"Copy", "Move (default)", "Link", "-", "Cancel"}));

  choice_ = "Move";
  const DragAnswer moved = RightDrop(*data, Qt::CopyAction | Qt::MoveAction);
  EXPECT_EQ(moved.action, Qt::MoveAction);
  EXPECT_EQ(dialog_->dropped.size(), 2u);

  dialog_->failDrops = true;
  EXPECT_FALSE(RightDrop(*data, Qt::CopyAction | Qt::MoveAction).accepted);
}

class ProgramDropMenuTest : public DropMenuTest {
 protected:
  void SetUp() override {
    Menu menu;
    menu.id = 9002;
    MenuItem popup;
    popup.kind = MenuItem::Kind::kPopup;
    for (auto [text, command] : {std::pair{"Kopieren", 32771u}, {"Verschieben", 32772u}, {"Abbrechen", 32774u}}) {
      MenuItem item;
      item.text = text;
      item.command = command;
      popup.children.push_back(item);
    }
    menu.items.push_back(popup);
    dropMenu_ = menu;
    DropMenuTest::SetUp();
  }
};

TEST_F(ProgramDropMenuTest, TheProgramsMenuTextsAreShown) {
  choice_ = "Kopieren";
  auto data = UrlData({"/pics/a.jpg"});
  EXPECT_EQ(RightDrop(*data, Qt::CopyAction | Qt::MoveAction).action, Qt::CopyAction);
  EXPECT_EQ(shown_, (std::vector<std::string>{"Kopieren", "Verschieben (default)", "Abbrechen"}));
}

}  // namespace
}  // namespace lumora::test
