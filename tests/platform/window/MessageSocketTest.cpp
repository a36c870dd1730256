// Private messages between processes: a message posted to another process's
// window arrives with its payload, control requests reach the owning
// process, a burst to a busy receiver waits for room and arrives whole, and
// posting to a receiver that is missing fails at once.
#include "platform/window/MessageSocket.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numeric>
#include <thread>

#include "platform/window/FolderWindowSystem.h"
#include "platform/window/WindowFolder.h"
#include "tests/platform/window/ChildProcess.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

using testing::ChildProcess;

// Enough posts to fill any AF_UNIX datagram queue (net.unix.max_dgram_qlen
// and the socket buffer are far smaller).
constexpr int kFloodPosts = 20000;
// Far more messages than a datagram queue holds.
constexpr std::uint32_t kBurst = 5000;

// The state letter of a thread of this process ('S': asleep, waiting).
char ThreadState(pid_t thread) {
  std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
  const std::string text{std::istreambuf_iterator<char>(stat), std::istreambuf_iterator<char>()};
  const std::size_t nameEnd = text.rfind(')');
  return nameEnd != std::string::npos && nameEnd + 2 < text.size() ? text[nameEnd + 2] : '?';
}

class MessageSocketTest : public ::testing::Test {
 protected:
  WindowHandle StartHelper(ChildProcess& helper) {
    const std::optional<std::string> line = helper.ReadLine();
    if (!line || line->rfind("handle ", 0) != 0) return kNoWindow;
    return WindowHandle(std::stoul(line->substr(7), nullptr, 16));
  }

  test::TempDir temp_;
  std::string folder_ = temp_.path().string() + "/windows";
};

TEST_F(MessageSocketTest, MessageToAnotherProcessArrivesWithItsPayload) {
  ChildProcess helper({LUMORA_WINDOW_FOLDER_HELPER, folder_, "#32770", "Lumora"});
  const WindowHandle handle = StartHelper(helper);
  ASSERT_NE(handle, kNoWindow);
  FolderWindowSystem windows(folder_);

  WindowMessage announce{2011, 1, {0x78, 0x56, 0x34, 0x12, 'L', 'u', 'm', 0, 0xFF}};
  ASSERT_TRUE(windows.Post(handle, announce));
  EXPECT_EQ(helper.ReadLine(), "message 2011 1 785634124c756d00ff");

  ASSERT_TRUE(windows.Post(handle, {2011, 99, {}}));
  EXPECT_EQ(helper.ReadLine(), "message 2011 99 ");

  // Two messages in a row keep their order.
  ASSERT_TRUE(windows.Post(handle, {2011, 3, {1}}));
  ASSERT_TRUE(windows.Post(handle, {2011, 4, {2}}));
  EXPECT_EQ(helper.ReadLine(), "message 2011 3 01");
  EXPECT_EQ(helper.ReadLine(), "message 2011 4 02");

  EXPECT_FALSE(windows.Post(handle, {2011, 3, std::vector<std::uint8_t>(kMaxPayloadBytes + 1)}));
}

TEST_F(MessageSocketTest, ControlRequestsReachTheOwningProcess) {
  ChildProcess helper({LUMORA_WINDOW_FOLDER_HELPER, folder_, "quorvixTV 2.0", "Tunerec 2.0"});
  const WindowHandle handle = StartHelper(helper);
  ASSERT_NE(handle, kNoWindow);
  FolderWindowSystem windows(folder_);

  ASSERT_TRUE(windows.MoveTo(handle, 12, -34));
  EXPECT_EQ(helper.ReadLine(), "control 3 0 12 -34");
  ASSERT_TRUE(windows.SetTopmost(handle, true));
  EXPECT_EQ(helper.ReadLine(), "control 2 1 0 0");
  ASSERT_TRUE(windows.SetTopmost(handle, false));
  EXPECT_EQ(helper.ReadLine(), "control 2 0 0 0");
  ASSERT_TRUE(windows.BringToFront(handle));
  EXPECT_EQ(helper.ReadLine(), "control 1 0 0 0");
  ASSERT_TRUE(windows.CentreOnScreen(handle));
  EXPECT_EQ(helper.ReadLine(), "control 4 0 0 0");

  helper.CloseInput();
  EXPECT_EQ(helper.Wait(), 0);
  EXPECT_FALSE(windows.MoveTo(handle, 0, 0));
  EXPECT_FALSE(windows.BringToFront(handle));
}

TEST_F(MessageSocketTest, PostToAWindowWithoutListenerFails) {
  ASSERT_TRUE(PrepareWindowFolder(folder_, nullptr));
  FolderWindowSystem windows(folder_);
  EXPECT_FALSE(windows.Post(0x0BADF00D, {2011, 2, {}}));
  EXPECT_FALSE(windows.Post(kNoWindow, {2011, 2, {}}));

  // A live record whose socket nobody reads any more: bound, then closed.
  const WindowHandle handle = 0x00C0FFEE;
  const WindowRecord record{handle, ::getpid(), ProcessStartTime(::getpid()), "#32770", "Lumora", {}};
  std::ofstream(WindowFolder(folder_).RecordPath(handle)) << FormatRecord(record);
  const std::string path = FolderSocketPath(folder_, handle);
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);

  ASSERT_TRUE(windows.Exists(handle));
  EXPECT_FALSE(windows.Post(handle, {2011, 2, {}}));
  EXPECT_FALSE(windows.SetTopmost(handle, true));
  EXPECT_FALSE(SendFrame(temp_.path().string() + "/nothing.sock", EncodeMessageFrame({1, 0, {}})));
}

TEST_F(MessageSocketTest, ABurstToABusyReceiverArrivesCompleteAndInOrderAndAStalledOneFailsTheSend) {
  std::string error;
  auto registration = WindowRegistration::Register(folder_, "#32770", "Lumora", {}, &error);
  ASSERT_TRUE(registration) << error;
  const WindowHandle handle = registration->handle();
  const std::string path = FolderSocketPath(folder_, handle);

  // The receiver is busy: its queue is full before the burst starts, and a
  // frame that finds no room within its wait is not sent.
  const std::vector<std::uint8_t> filler = EncodeMessageFrame({1, 0, {}});
  std::size_t queued = 0;
  while (queued < kFloodPosts && SendFrame(path, filler, std::chrono::milliseconds(0))) ++queued;
  ASSERT_LT(queued, std::size_t(kFloodPosts)) << "the queue never filled up";
  EXPECT_FALSE(SendFrame(path, filler, std::chrono::milliseconds(20)));

  std::atomic<pid_t> senderThread{0};
  std::atomic<bool> senderDone{false};
  std::vector<char> posted(kBurst, 0);
  std::thread sender([&] {
    senderThread = ::gettid();
    FolderWindowSystem windows(folder_);
    for (std::uint32_t i = 0; i < kBurst; ++i) posted[i] = windows.Post(handle, {2011, i, {std::uint8_t(i)}});
    senderDone = true;
  });
  // Nothing is read until the sender sleeps waiting for room, or has given up.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!senderDone && !(senderThread != 0 && ThreadState(senderThread) == 'S') &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));

  std::size_t fillers = 0;
  std::vector<std::uint32_t> words;
  for (;;) {
    const bool finished = senderDone;  // then everything it sent is queued
    pollfd readable{registration->listener().fd(), POLLIN, 0};
    ::poll(&readable, 1, 100);
    const std::size_t got = registration->listener().Drain([&](const IncomingFrame& frame) {
      const auto& message = std::get<WindowMessage>(frame);
      if (message.number == 2011)
        words.push_back(message.word);
      else
        ++fillers;
    });
    EXPECT_LE(got, kMaxFramesPerDrain);
    if (finished && got == 0) break;
  }
  sender.join();

  EXPECT_EQ(fillers, queued);
  EXPECT_EQ(std::count(posted.begin(), posted.end(), 1), std::ptrdiff_t(kBurst)) << "every post succeeded";
  std::vector<std::uint32_t> expected(kBurst);
  std::iota(expected.begin(), expected.end(), 0u);
  EXPECT_EQ(words, expected) << words.size() << " of " << kBurst << " arrived";
}

TEST_F(MessageSocketTest, ListenerDropsMalformedAndOversizedDatagrams) {
  std::string error;
  auto registration = WindowRegistration::Register(folder_, "#32770", "Lumora", {}, &error);
  ASSERT_TRUE(registration) << error;
  const std::string path = FolderSocketPath(folder_, registration->handle());

  std::vector<std::uint8_t> oversized = EncodeMessageFrame({1, 0, std::vector<std::uint8_t>(kMaxPayloadBytes)});
  oversized.resize(oversized.size() + 100);
  const std::vector<std::uint8_t> garbage = {'Q', 'V', 'W', 'M', 9};
  const std::vector<std::uint8_t> valid = EncodeMessageFrame({2011, 4, {7, 8}});
  ASSERT_TRUE(SendFrame(path, garbage));
  ASSERT_TRUE(SendFrame(path, oversized));
  ASSERT_TRUE(SendFrame(path, valid));

  std::vector<IncomingFrame> frames;
  EXPECT_EQ(registration->listener().Drain([&](const IncomingFrame& f) { frames.push_back(f); }), 1u);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(std::get<WindowMessage>(frames[0]), (WindowMessage{2011, 4, {7, 8}}));
  EXPECT_EQ(registration->listener().rejectedFrames(), 2u);
}

TEST(MessageSocketPaths, SocketNamesCarryTheHandleAndFitAnAddress) {
  EXPECT_EQ(FolderSocketPath("/run/w", 0xAB), "/run/w/000000AB.sock");
  EXPECT_EQ(X11SocketPath("/run/w", "local_0", 0x2A00005), "/run/w/x11-local_0-02A00005.sock");

  std::string error;
  const std::string tooLong = "/tmp/" + std::string(120, 'x') + ".sock";
  EXPECT_FALSE(MessageListener::Bind(tooLong, true, &error));
  EXPECT_NE(error.find("does not fit the 107 of an AF_UNIX address"), std::string::npos) << error;
}

}  // namespace
}  // namespace lumora
