// LinkLabel: font rebuilds, colours, and link mode opening its text.
#include "app/LinkLabel.h"

#include <gtest/gtest.h>

#include "platform/testing/RecordingShell.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

TEST(LinkLabel, FontChangesRebuildTheFontItDrawsWith) {
  test::App();
  testing_support::RecordingShell shell;
  LinkLabel label(shell, nullptr);
  EXPECT_TRUE(label.LinkMode()) << "on by default";
  EXPECT_EQ(label.TextColour(), label.palette().color(QPalette::WindowText));
  label.SetFontSize(17);
  label.SetUnderline(true);
  label.SetItalic(true);
  EXPECT_EQ(label.LabelFont().pixelSize(), 17);
  EXPECT_TRUE(label.LabelFont().underline());
  EXPECT_TRUE(label.LabelFont().italic());
  EXPECT_EQ(label.font(), label.LabelFont());
  label.SetItalic(false);
  EXPECT_FALSE(label.font().italic());
  EXPECT_TRUE(label.font().underline()) << "the other attributes stay";

  label.SetTextColour(QColor(0, 0, 255));
  EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(label.palette().brush(QPalette::Window), label.Background());
}

TEST(LinkLabel, OnlyLinkModeOpensTheTextWithTheShell) {
  test::App();
  testing_support::RecordingShell shell;
  LinkLabel label(shell, nullptr);
  label.setText("https://www.example.org/");
  label.resize(200, 20);
  label.SetLinkMode(false);
  test::Press(label, {3, 3});
  EXPECT_TRUE(shell.calls.empty());
  label.SetLinkMode(true);
  test::SendMouse(label, QEvent::MouseButtonPress, {3, 3}, Qt::RightButton, Qt::RightButton);
  EXPECT_TRUE(shell.calls.empty()) << "the left button only";
  test::Press(label, {3, 3});
  EXPECT_EQ(shell.calls, std::vector<std::string>{"open https://www.example.org/"});
}

}  // namespace
}  // namespace lumora
