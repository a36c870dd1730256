// The runtime window folder: windows of other processes are found by class
// and title, records of ended processes are not, record files are checked
// field by field, and the folder stays private.
#include "platform/window/WindowFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/window/FolderWindowSystem.h"
#include "tests/platform/window/ChildProcess.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

using testing::ChildProcess;
namespace fs = std::filesystem;

// Starts the folder helper and reads the handle it registered.
WindowHandle StartHelper(ChildProcess& helper) {
  const std::optional<std::string> line = helper.ReadLine();
  if (!line || line->rfind("handle ", 0) != 0) return kNoWindow;
  return WindowHandle(std::stoul(line->substr(7), nullptr, 16));
}

class WindowFolderTest : public ::testing::Test {
 protected:
  test::TempDir temp_;
  std::string folder_ = temp_.path().string() + "/windows";
};

TEST_F(WindowFolderTest, WindowOfAnotherProcessIsFoundByClassAndTitle) {
  ChildProcess helper({LUMORA_WINDOW_FOLDER_HELPER, folder_, "#32770", "Clipsmith 5.0 SE"});
  const WindowHandle handle = StartHelper(helper);
  ASSERT_NE(handle, kNoWindow);

  FolderWindowSystem windows(folder_);
  EXPECT_EQ(windows.FindTopLevel("#32770", "Clipsmith 5.0 SE"), handle);
  EXPECT_EQ(windows.FindTopLevel("#32770", "Mpegsmith 5.0 SE"), kNoWindow);
  EXPECT_EQ(windows.FindTopLevel("quorvixTV 2.0", "Clipsmith 5.0 SE"), kNoWindow);
  EXPECT_EQ(windows.FindTopLevel("#32770", "clipsmith 5.0 se"), kNoWindow);
  EXPECT_TRUE(windows.Exists(handle));
  EXPECT_EQ(windows.Rect(handle), (WindowRect{100, 50, 320, 240}));

  const std::optional<WindowRecord> record = WindowFolder(folder_).ReadLive(handle);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->pid, helper.pid());

  // A helper that ends normally withdraws its window.
  helper.CloseInput();
  EXPECT_EQ(helper.Wait(), 0);
  EXPECT_FALSE(windows.Exists(handle));
  EXPECT_FALSE(fs::exists(WindowFolder(folder_).RecordPath(handle)));
  EXPECT_FALSE(fs::exists(FolderSocketPath(folder_, handle)));
}

TEST_F(WindowFolderTest, RecordOfAnEndedProcessIsIgnoredAndRemoved) {
  ChildProcess helper({LUMORA_WINDOW_FOLDER_HELPER, folder_, "#32770", "Discsmith 1.0"});
  const WindowHandle handle = StartHelper(helper);
  ASSERT_NE(handle, kNoWindow);
  FolderWindowSystem windows(folder_);
  ASSERT_EQ(windows.FindTopLevel("#32770", "Discsmith 1.0"), handle);

  // Killed: it leaves its record and socket behind, and stays a zombie.
  helper.KillLeavingZombie();
  const std::string recordPath = WindowFolder(folder_).RecordPath(handle);
  ASSERT_TRUE(fs::exists(recordPath));
  EXPECT_EQ(windows.FindTopLevel("#32770", "Discsmith 1.0"), kNoWindow);
  EXPECT_FALSE(fs::exists(recordPath));
  EXPECT_FALSE(fs::exists(FolderSocketPath(folder_, handle)));
  EXPECT_FALSE(windows.Exists(handle));
  EXPECT_FALSE(windows.Post(handle, {2011, 99, {}}));
  helper.Wait();
}

TEST_F(WindowFolderTest, RecordOfAReusedPidIsIgnored) {
  ASSERT_TRUE(PrepareWindowFolder(folder_, nullptr));
  const std::uint64_t start = ProcessStartTime(::getpid());
  ASSERT_NE(start, 0u);
  WindowRecord record{0x1234ABCD, ::getpid(), start + 1, "#32770", "Guardcam", {0, 0, 10, 10}};
  const WindowFolder directory(folder_);
  std::ofstream(directory.RecordPath(record.handle)) << FormatRecord(record);
  FolderWindowSystem windows(folder_);
  EXPECT_EQ(windows.FindTopLevel("#32770", "Guardcam"), kNoWindow);

  record.startTime = start;
  std::ofstream(directory.RecordPath(record.handle)) << FormatRecord(record);
  EXPECT_EQ(windows.FindTopLevel("#32770", "Guardcam"), record.handle);
  EXPECT_EQ(directory.ReadLive(record.handle), record);
}

TEST(WindowRecordText, EveryFieldIsChecked) {
  const WindowRecord record{0x10, 4242, 123456, "#32770", "Tunerec - Screen", {-10, 20, 300, 400}};
  const std::string text = FormatRecord(record);
  EXPECT_EQ(text,
            "quorvix-window 1\npid 4242\nstart 123456\nclass #32770\ntitle Tunerec - Screen\n"
            "rect -10 20 300 400\n");
  EXPECT_EQ(ParseRecord(text, 0x10), record);
  EXPECT_EQ(ParseRecord("quorvix-window 1\npid 1\nstart 0\nclass c\ntitle \nrect 0 0 0 0\n", 1)->title, "");

  auto replaced = [&](std::string_view from, std::string_view to) {
    std::string changed = text;
    changed.replace(changed.find(from), from.size(), to);
    return changed;
  };
  const std::pair<std::string, std::string> refused[] = {
      {"", "does not end with a line break"},
      {text.substr(0, text.size() - 1), "does not end with a line break"},
      {replaced("quorvix-window 1", "quorvix-window 2"), "does not start with"},
      {replaced("pid 4242", "pid 0"), "pid \"0\" is not a positive number"},
      {replaced("pid 4242", "pid -3"), "not a positive number"},
      {replaced("pid 4242", "pid 42x"), "not a positive number"},
      {replaced("pid 4242", "pid 99999999999"), "not a positive number"},
      {replaced("start 123456", "start"), "line 3 is not \"start ...\""},
      {replaced("class #32770", "class "), "class is empty"},
      {replaced("title Tunerec", "name Tunerec"), "line 5 is not \"title ...\""},
      {replaced("rect -10 20 300 400", "rect -10 20 300"), "is not left top width height"},
      {replaced("rect -10 20 300 400", "rect -10 20 300 400 5"), "is not left top width height"},
      {replaced("rect -10 20 300 400", "rect -10 20 -300 400"), "is not left top width height"},
      {replaced("rect -10 20 300 400", "rect -10  20 300 400"), "is not left top width height"},
      {text + "extra 1\n", "more than 6 lines"},
      {replaced("class #32770\n", ""), "has 5 lines, expected 6"},
      {replaced("title ", std::string("title \0", 7)), "NUL"},
      {text + std::string(kMaxRecordBytes, ' '), "exceeds 4096"},
  };
  for (const auto& [bad, fault] : refused) {
    std::string error;
    EXPECT_FALSE(ParseRecord(bad, 1, &error)) << bad;
    EXPECT_NE(error.find(fault), std::string::npos) << error;
  }
  // Class and title that would break the line structure cannot be written.
  EXPECT_EQ(FormatRecord({1, 1, 0, "#32770", "two\nlines", {}}), "");
}

TEST_F(WindowFolderTest, RegistrationPublishesUpdatesAndWithdraws) {
  std::string error;
  EXPECT_FALSE(WindowRegistration::Register(folder_, "#32770", "bad\ntitle", {}, &error));
  EXPECT_FALSE(WindowRegistration::Register(folder_, "", "Lumora", {}, &error));

  auto registration = WindowRegistration::Register(folder_, "#32770", "Lumora", {1, 2, 3, 4}, &error);
  ASSERT_TRUE(registration) << error;
  const WindowHandle handle = registration->handle();
  const WindowFolder directory(folder_);
  EXPECT_EQ(directory.ReadLive(handle), registration->record());
  EXPECT_TRUE(fs::is_socket(FolderSocketPath(folder_, handle)));

  auto second = WindowRegistration::Register(folder_, "#32770", "Lumora", {}, &error);
  ASSERT_TRUE(second) << error;
  EXPECT_NE(second->handle(), handle);
  EXPECT_EQ(directory.LiveRecords().size(), 2u);
  second.reset();

  ASSERT_TRUE(registration->Update("Lumora - Editor", {5, 6, 7, 8}));
  const std::optional<WindowRecord> updated = directory.ReadLive(handle);
  ASSERT_TRUE(updated);
  EXPECT_EQ(updated->title, "Lumora - Editor");
  EXPECT_EQ(updated->rect, (WindowRect{5, 6, 7, 8}));
  EXPECT_FALSE(registration->Update("two\nlines", {}));
  EXPECT_EQ(directory.ReadLive(handle)->title, "Lumora - Editor");

  // Only the record and the socket are left: no temporary files.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{FormatHandle(handle) + ".sock", FormatHandle(handle) + ".win"}));

  registration.reset();
  EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(WindowFolderTest, FolderIsCreatedPrivateAndRefusedWhenOpen) {
  std::string error;
  ASSERT_TRUE(PrepareWindowFolder(folder_, &error)) << error;
  struct stat info {};
  ASSERT_EQ(::stat(folder_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_TRUE(PrepareWindowFolder(folder_, &error)) << "an existing private folder is fine";

  ASSERT_EQ(::chmod(folder_.c_str(), 0750), 0);
  EXPECT_FALSE(PrepareWindowFolder(folder_, &error));
  EXPECT_NE(error.find("has mode 0750; others must not have 0077"), std::string::npos) << error;
  EXPECT_FALSE(WindowRegistration::Register(folder_, "#32770", "Lumora", {}, &error));

  const std::string link = temp_.path().string() + "/link";
  ASSERT_EQ(::symlink(temp_.path().string().c_str(), link.c_str()), 0);
  EXPECT_FALSE(PrepareWindowFolder(link, &error));
  EXPECT_NE(error.find("is not a directory"), std::string::npos) << error;

  const std::string shared = temp_.path().string() + "/shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
  EXPECT_FALSE(PrepareWindowFolder(shared + "/windows", &error));
  EXPECT_NE(error.find(shared + " has mode 0777"), std::string::npos) << error;

  EXPECT_FALSE(PrepareWindowFolder("relative/windows", &error));
}

}  // namespace
}  // namespace lumora
