// Prompts: the filter strings, the scripted double's checks, the Qt message
// box's buttons and answers, and the Qt folder browser's typed-path check.
#include <QApplication>
#include <QCursor>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include "platform/Prompts.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtPrompts.h"
#include "platform/testing/ScriptedPrompts.h"
#include "tests/support/QtTestApp.h"

namespace lumora {
namespace {

using testing_support::ScriptedPrompts;

TEST(FileFilter, SplitsDescriptionsAndPatterns) {
  auto f = ParseFileFilter("Pictures (*.jpg;*.bmp)|*.jpg; *.bmp|All files|*.*|Dangling");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].description, "Pictures (*.jpg;*.bmp)");
  EXPECT_EQ(f[0].patterns, (std::vector<std::string>{"*.jpg", "*.bmp"}));
  EXPECT_EQ(f[1].patterns, std::vector<std::string>{"*.*"});
  EXPECT_TRUE(ParseFileFilter("").empty());
  EXPECT_TRUE(ParseFileFilter("|||").empty());

  QStringList q = QtNameFilters("Pictures (*.jpg;*.bmp)|*.jpg;*.bmp|All files|*.*|");
  EXPECT_EQ(q, (QStringList{"Pictures (*.jpg *.bmp)", "All files (*.*)"}));
}

TEST(ScriptedPrompts, AnswersInOrderAndRetriesTheFolderCheck) {
  ScriptedPrompts prompts;
  prompts.ExpectMessage("Do you want to save the changes?", "Lumora", box::kYesNo | box::kTopmost, kAnswerYes)
      .ExpectFolder({"relative", "/photos/export"})
      .ExpectOpenFiles({"/a.jpg", "/b.bmp"})
      .ExpectColour(MakeColour(1, 2, 3));
  EXPECT_EQ(prompts.ShowMessage("Do you want to save the changes?", "Lumora", box::kYesNo | box::kTopmost),
            kAnswerYes);
  FolderRequest folder{"Export", "Path...", "/photos/", [](const std::string& p) { return p[0] == '/'; }};
  EXPECT_EQ(prompts.BrowseFolder(folder), "/photos/export");
  EXPECT_EQ(prompts.OpenFiles({"Import", "Pictures|*.jpg|", "/", true}).size(), 2u);
  EXPECT_EQ(prompts.ChooseColour(0), MakeColour(1, 2, 3));
  EXPECT_TRUE(prompts.AllAnswered());
  EXPECT_EQ(prompts.shown().front(), "message: Do you want to save the changes?");
}

TEST(ScriptedPrompts, ReportsTheWrongTextAndUnexpectedPrompts) {
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedPrompts prompts;
        prompts.ExpectMessage("Cannot delete");
        prompts.ShowMessage("Cannot create", "Lumora", 0);
      },
      "message box text");
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedPrompts prompts;
        prompts.ShowMessage("Surprise", "Lumora", 0);
      },
      "unexpected message box");
  EXPECT_NONFATAL_FAILURE({ ScriptedPrompts().ExpectMessage("Never shown"); }, "was never shown");
}

class QtPromptsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    test::App();
  }
  // Presses `button` on the message box once it is shown.
  static void PressLater(QMessageBox::StandardButton button, QString* seenText, QString* seenTitle) {
    QTimer::singleShot(0, [=] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      *seenText = box->text();
      *seenTitle = box->windowTitle();
      box->button(button)->click();
    });
  }
};

TEST_F(QtPromptsTest, MessageBoxButtonsMapToTheirAnswers) {
  QtPrompts prompts;
  QString text, title;
  PressLater(QMessageBox::No, &text, &title);
  EXPECT_EQ(prompts.ShowMessage("Are you sure you want to delete selected album?", "Lumora",
                                box::kYesNo | box::kTopmost),
            kAnswerNo);
  EXPECT_EQ(text, "Are you sure you want to delete selected album?");
  EXPECT_EQ(title, "Lumora");
  PressLater(QMessageBox::Cancel, &text, &title);
  EXPECT_EQ(prompts.ShowMessage("Save?", "Lumora", box::kYesNoCancel), kAnswerCancel);
  PressLater(QMessageBox::Ok, &text, &title);
  EXPECT_EQ(prompts.ShowMessage("Minimum screen resolution should be 800 * 600.", "Lumora", box::kIconStop),
            kAnswerOk);
}

TEST_F(QtPromptsTest, WaitCursorNestsAndIsRestored) {
  QtDesktop desktop;
  {
    WaitCursor outer(desktop);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    {
      WaitCursor inner(desktop);
    }
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_GT(desktop.WorkArea().width(), 0);
  QtDesktop seam("/opt/lumora/Lumora");
  EXPECT_EQ(seam.ProgramFolder(), "/opt/lumora");
}

TEST_F(QtPromptsTest, FolderBrowserHandsTheTypedTextToItsCheckUntilItPasses) {
  QtPrompts prompts;
  // Never wait on the browser if a step below goes wrong.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  guard.start(10000);

  std::vector<std::string> checked;
  FolderRequest request{"Export", "Choose the folder to export to:", QDir::tempPath().toStdString(),
                        [&](const std::string& path) {
                          checked.push_back(path);
                          return path == "/no/such/folder/yet";
                        }};
  QString title, initial, afterSelection;
  bool promptShown = false, okWhenEmpty = true, openAfterRefusal = false, focusBackInField = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return ADD_FAILURE() << "no folder browser";
    auto* field = dialog->findChild<QLineEdit*>();
    auto* tree = dialog->findChild<QTreeView*>();
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    title = dialog->windowTitle();
    promptShown = !dialog->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly).isEmpty();
    initial = field->text();
    field->clear();
    okWhenEmpty = ok->isEnabled();
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    tree->setCurrentIndex(model->index(QDir::rootPath()));
    afterSelection = field->text();

    field->setText("relative/path");
    tree->setFocus();
    ok->click();
    openAfterRefusal = dialog->isVisible();
    focusBackInField = dialog->focusWidget() == field;
    field->setText("/no/such/folder/yet");
    ok->click();
  });
  EXPECT_EQ(prompts.BrowseFolder(request), "/no/such/folder/yet");
  EXPECT_EQ(checked, (std::vector<std::string>{"relative/path", "/no/such/folder/yet"}));
  EXPECT_EQ(title, "Export");
  EXPECT_TRUE(promptShown);
  EXPECT_EQ(initial, QDir::tempPath());
  EXPECT_FALSE(okWhenEmpty);
  EXPECT_EQ(afterSelection, "/");
  EXPECT_TRUE(openAfterRefusal);
  EXPECT_TRUE(focusBackInField);

  QTimer::singleShot(0, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  checked.clear();
  EXPECT_EQ(prompts.BrowseFolder(request), std::nullopt);
  EXPECT_TRUE(checked.empty());
}

}  // namespace
}  // namespace lumora
