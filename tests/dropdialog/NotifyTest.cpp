// Owner and child dialogs within one process: the announce at the first
// showing, the owner's list of children, the file codes, and what closing
// posts (to a fake window system).
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/window/MessageSocket.h"
#include "tests/dropdialog/DropDialogTesting.h"
#include "tests/dropdialog/SampleDropDialog.h"

namespace lumora::test {
namespace {

using Children = std::vector<QvDropDialog::ChildDialog>;

QByteArray HandleBytes(WindowHandle window) {
  QByteArray bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = char(window >> (8 * i));
  return bytes;
}

std::vector<std::uint8_t> Payload(const QByteArray& bytes) { return {bytes.begin(), bytes.end()}; }

QString OwnerArgument(WindowHandle window) {
  char text[32];
  std::snprintf(text, sizeof text, "/owner=%X", unsigned(window));
  return text;
}

class NotifyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // The list of children belongs to the library: leave it empty.
    if (dialog_)
      for (const QvDropDialog::ChildDialog& child : dialog_->ChildDialogs())
        dialog_->OnQuorvixNotify(QvDropDialog::kNotifyChildClosing, HandleBytes(child.window));
  }

  SampleDropDialog& Show(QStringList arguments) {
    dialog_ = std::make_unique<SampleDropDialog>(doubles_.Platform(std::move(arguments)));
    dialog_->show();
    return *dialog_;
  }

  DialogDoubles doubles_;
  std::unique_ptr<SampleDropDialog> dialog_;
};

TEST_F(NotifyTest, TheFirstShowingAnnouncesTheDialogToTheOwnerOfTheCommandLine) {
  const WindowHandle owner = doubles_.windows.Open("#32770", "Owner");
  SampleDropDialog& dialog = Show({"lumora", "/album", OwnerArgument(owner)});
  ASSERT_NE(dialog.Handle(), kNoWindow);
  EXPECT_EQ(dialog.OwnerWindow(), owner);
  EXPECT_EQ(dialog.ProgramFileName(), "lumora");
  const WindowMessage announce{2011, 1, Payload(QvDropDialog::MakeAnnounceEntry(dialog.Handle(), "lumora"))};
  EXPECT_EQ(doubles_.windows.Window(owner)->received, std::vector<WindowMessage>{announce});

  dialog.hide();
  dialog.show();
  EXPECT_EQ(doubles_.windows.Window(owner)->received.size(), 1u) << "initialised once";

  // An announce the owner cannot take is reported, not dropped silently.
  const WindowHandle deaf = doubles_.windows.Open("#32770", "Owner", {0, 0, 200, 100}, false);
  ::testing::internal::CaptureStderr();
  Show({"lumora", OwnerArgument(deaf)});
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("lumora could not announce itself to its owner window " + FormatHandle(deaf)),
            std::string::npos)
      << said;
}

TEST_F(NotifyTest, TheOwnerArgumentIsAHexNumberOfAtMost32Bits) {
  const std::vector<std::pair<QStringList, WindowHandle>> cases{
      {{"lumora", "/owner=1a2B"}, 0x1A2B},
      {{"lumora", "/owner=0x7F"}, 0x7F},
      {{"lumora", "/owner=00000000FFFFFFFF"}, 0xFFFFFFFF},
      {{"lumora", "/owner=123456789"}, kNoWindow},
      {{"lumora", "/owner=zz"}, kNoWindow},
      {{"/owner=5"}, kNoWindow},  // the program itself is not an argument
      {{"lumora"}, kNoWindow},
  };
  for (const auto& [arguments, owner] : cases) {
    EXPECT_EQ(Show(arguments).OwnerWindow(), owner) << arguments.join(' ').toStdString();
  }
}

TEST_F(NotifyTest, TheOwnerListsEachProgramOnceAndForgetsClosingChildren) {
  SampleDropDialog& owner = Show({"lumora"});
  owner.OnQuorvixNotify(1, QvDropDialog::MakeAnnounceEntry(0x10, "Tunerec"));
  owner.OnQuorvixNotify(1, QvDropDialog::MakeAnnounceEntry(0x20, "TUNEREC"));
  owner.OnQuorvixNotify(1, QvDropDialog::MakeAnnounceEntry(0x30, "Clipsmith"));
  owner.OnQuorvixNotify(1, QvDropDialog::MakeAnnounceEntry(0x40, "Clipsmith").left(200));
  owner.OnQuorvixNotify(1, QvDropDialog::MakeAnnounceEntry(0x40, ""));
  EXPECT_EQ(owner.ChildDialogs(), (Children{{0x20, "Tunerec"}, {0x30, "Clipsmith"}}));

  owner.OnQuorvixNotify(2, HandleBytes(0x20).left(3));
  owner.OnQuorvixNotify(2, HandleBytes(0x10));
  EXPECT_EQ(owner.ChildDialogs().size(), 2u);
  owner.OnQuorvixNotify(2, HandleBytes(0x20));
  EXPECT_EQ(owner.ChildDialogs(), (Children{{0x30, "Clipsmith"}}));
}

TEST_F(NotifyTest, FileCodesReachTheirHooksOnlyWithAValidBlock) {
  SampleDropDialog& dialog = Show({"lumora"});
  const QByteArray block = *QvDropDialog::CreateDropFiles({"/pics/a.jpg", "/pics/b.avi"});
  dialog.OnQuorvixNotify(3, block);
  dialog.OnQuorvixNotify(4, *QvDropDialog::CreateDropFiles({"/pics/c.bmp"}));
  dialog.OnQuorvixNotify(3, block.left(30));
  dialog.OnQuorvixNotify(4, QByteArray());
  EXPECT_EQ(dialog.dropped, (std::vector<std::vector<std::string>>{{"/pics/a.jpg", "/pics/b.avi"}}));
  EXPECT_EQ(dialog.deleted, (std::vector<std::vector<std::string>>{{"/pics/c.bmp"}}));
}

TEST_F(NotifyTest, ClosingTellsTheOwnerAndEveryChild) {
  const WindowHandle owner = doubles_.windows.Open("#32770", "Owner");
  const WindowHandle tunerec = doubles_.windows.Open("#32770", "Tunerec");
  const WindowHandle clipsmith = doubles_.windows.Open("#32770", "Clipsmith");
  SampleDropDialog& dialog = Show({"lumora", OwnerArgument(owner)});
  dialog.OnQuorvixNotify(1, QvDropDialog::MakeAnnounceEntry(tunerec, "Tunerec"));
  dialog.OnQuorvixNotify(1, QvDropDialog::MakeAnnounceEntry(clipsmith, "Clipsmith"));

  dialog.close();
  EXPECT_EQ(doubles_.windows.Window(owner)->received.back(),
            (WindowMessage{2011, 2, Payload(HandleBytes(dialog.Handle()))}));
  EXPECT_EQ(doubles_.windows.Window(tunerec)->received, (std::vector<WindowMessage>{{2011, 99, {}}}));
  EXPECT_EQ(doubles_.windows.Window(clipsmith)->received, (std::vector<WindowMessage>{{2011, 99, {}}}));
  EXPECT_TRUE(dialog.ChildDialogs().empty());

  // Once the owner has closed, the child tells it nothing more.
  dialog.OnQuorvixNotify(99, {});
  EXPECT_EQ(dialog.OwnerWindow(), kNoWindow);
  const size_t toldOwner = doubles_.windows.Window(owner)->received.size();
  dialog.show();
  dialog.close();
  EXPECT_EQ(doubles_.windows.Window(owner)->received.size(), toldOwner);
}

}  // namespace
}  // namespace lumora::test
