// The portal and Plasma wallpaper backends against fake services on a
// private session bus: the test runs under dbus-run-session, and a thread
// of its own owns the portal's and plasmashell's names and answers as the
// real services do.
#include "platform/DBusWallpaper.h"

#include <dbus/dbus.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/FileIo.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

class FakeServices {
 public:
  // What the fakes do; set before Start.
  bool wallpaperInterface = true;  // the portal exports org.freedesktop.portal.Wallpaper
  uint32_t response = 0;           // the portal's answer to a request (0: done, 1: cancelled)
  std::string plasmaPrints = "file:///old/plasma.png\n";

  // What they were given.
  struct Request {
    std::string bytes;  // the file's contents, read through the passed descriptor
    std::string token;
    bool showPreview = true;
    std::string setOn;
  };
  std::vector<Request> requests;
  std::vector<std::string> scripts;

  void Start() {
    DBusError error;
    dbus_error_init(&error);
    connection_ = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    ASSERT_TRUE(connection_) << (dbus_error_is_set(&error) ? error.message : "no session bus");
    for (const char* name : {PortalWallpaper::kService, PlasmaWallpaper::kService})
      ASSERT_EQ(dbus_bus_request_name(connection_, name, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error),
                DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER);
    thread_ = std::thread([this] { Serve(); });
  }
  // Stops answering and gives the names up.
  void Stop() {
    if (!connection_) return;
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
    connection_ = nullptr;
  }
  ~FakeServices() { Stop(); }

 private:
  void Serve() {
    while (!stop_) {
      dbus_connection_read_write(connection_, 20);
      while (DBusMessage* message = dbus_connection_pop_message(connection_)) {
        Answer(message);
        dbus_message_unref(message);
      }
    }
  }

  void Reply(DBusMessage* reply) {
    dbus_connection_send(connection_, reply, nullptr);
    dbus_connection_flush(connection_);
    dbus_message_unref(reply);
  }

  void Answer(DBusMessage* call) {
    if (dbus_message_is_method_call(call, "org.freedesktop.DBus.Properties", "Get")) {
      const char* interface = "";
      const char* property = "";
      dbus_message_get_args(call, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID);
      if (!wallpaperInterface || std::string(interface) != PortalWallpaper::kInterface) {
        Reply(dbus_message_new_error(call, DBUS_ERROR_UNKNOWN_INTERFACE, "no such interface"));
        return;
      }
      DBusMessage* reply = dbus_message_new_method_return(call);
      DBusMessageIter args, variant;
      dbus_message_iter_init_append(reply, &args);
      dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "u", &variant);
      const dbus_uint32_t version = 1;
      dbus_message_iter_append_basic(&variant, DBUS_TYPE_UINT32, &version);
      dbus_message_iter_close_container(&args, &variant);
      Reply(reply);
    } else if (dbus_message_is_method_call(call, PortalWallpaper::kInterface, "SetWallpaperFile")) {
      AnswerSetWallpaperFile(call);
    } else if (dbus_message_is_method_call(call, PlasmaWallpaper::kInterface, "evaluateScript")) {
      const char* script = "";
      dbus_message_get_args(call, nullptr, DBUS_TYPE_STRING, &script, DBUS_TYPE_INVALID);
      scripts.push_back(script);
      const char* printed = std::string(script).find("print(") != std::string::npos ? plasmaPrints.c_str() : "";
      DBusMessage* reply = dbus_message_new_method_return(call);
      dbus_message_append_args(reply, DBUS_TYPE_STRING, &printed, DBUS_TYPE_INVALID);
      Reply(reply);
    } else if (dbus_message_get_type(call) == DBUS_MESSAGE_TYPE_METHOD_CALL) {
      Reply(dbus_message_new_error(call, DBUS_ERROR_UNKNOWN_METHOD, "unknown"));
    }
  }

  void AnswerSetWallpaperFile(DBusMessage* call) {
    Request request;
    DBusMessageIter args, options;
    dbus_message_iter_init(call, &args);
    dbus_message_iter_next(&args);  // the parent window
    int fd = -1;
    if (dbus_message_iter_get_arg_type(&args) == DBUS_TYPE_UNIX_FD) dbus_message_iter_get_basic(&args, &fd);
    const UniqueFd file(fd);
    ReadToEnd(file.get(), 1 << 24, request.bytes);
    dbus_message_iter_next(&args);
    dbus_message_iter_recurse(&args, &options);
    for (; dbus_message_iter_get_arg_type(&options) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&options)) {
      DBusMessageIter entry, value;
      dbus_message_iter_recurse(&options, &entry);
      const char* key = "";
      dbus_message_iter_get_basic(&entry, &key);
      dbus_message_iter_next(&entry);
      dbus_message_iter_recurse(&entry, &value);
      const std::string name = key;
      if (name == "handle_token" || name == "set-on") {
        const char* text = "";
        dbus_message_iter_get_basic(&value, &text);
        (name == "set-on" ? request.setOn : request.token) = text;
      } else if (name == "show-preview") {
        dbus_bool_t preview = true;
        dbus_message_iter_get_basic(&value, &preview);
        request.showPreview = preview;
      }
    }
    std::string sender = dbus_message_get_sender(call) + 1;  // without ":"
    for (char& c : sender) {
      if (c == '.') c = '_';
    }
    const std::string path = std::string(PortalWallpaper::kObject) + "/request/" + sender + "/" + request.token;
    requests.push_back(request);
    DBusMessage* reply = dbus_message_new_method_return(call);
    const char* handle = path.c_str();
    dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID);
    Reply(reply);
    DBusMessage* signal = dbus_message_new_signal(path.c_str(), "org.freedesktop.portal.Request", "Response");
    DBusMessageIter signalArgs, results;
    dbus_message_iter_init_append(signal, &signalArgs);
    dbus_message_iter_append_basic(&signalArgs, DBUS_TYPE_UINT32, &response);
    dbus_message_iter_open_container(&signalArgs, DBUS_TYPE_ARRAY, "{sv}", &results);
    dbus_message_iter_close_container(&signalArgs, &results);
    Reply(signal);
  }

  DBusConnection* connection_ = nullptr;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class DBusWallpaperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr) << "run under dbus-run-session";
    std::ofstream(picture_) << "BM picture bytes";
  }
  test::TempDir temp_;
  std::filesystem::path picture_ = temp_ / "Lumora Wallpaper.bmp";
};

TEST_F(DBusWallpaperTest, ThePortalGetsTheOpenFileAndItsAnswerIsTheResult) {
  PortalWallpaper portal;
  EXPECT_FALSE(PortalWallpaper::Present()) << "nobody owns the portal's name yet";
  EXPECT_FALSE(portal.Set({picture_.string(), 0, 0, {}}));

  const std::pair<uint32_t, bool> answers[] = {{0, true}, {1, false}, {2, false}};
  for (const auto& [response, done] : answers) {
    FakeServices fake;
    fake.response = response;
    fake.Start();
    EXPECT_TRUE(PortalWallpaper::Present());
    EXPECT_EQ(portal.Set({picture_.string(), 0, 0, {}}), done) << "response " << response;
    fake.Stop();
    ASSERT_EQ(fake.requests.size(), 1u);
    EXPECT_EQ(fake.requests[0].bytes, "BM picture bytes");
    EXPECT_FALSE(fake.requests[0].showPreview);
    EXPECT_EQ(fake.requests[0].setOn, "background");
    EXPECT_FALSE(fake.requests[0].token.empty());
  }

  FakeServices withoutWallpaper;
  withoutWallpaper.wallpaperInterface = false;
  withoutWallpaper.Start();
  EXPECT_FALSE(PortalWallpaper::Present());
  EXPECT_FALSE(portal.Current());
  EXPECT_FALSE(portal.Set({(temp_ / "missing.bmp").string(), 0, 0, {}})) << "a missing file is never sent";
  EXPECT_FALSE(portal.Restore("relative.bmp"));
}

TEST_F(DBusWallpaperTest, PlasmaReadsSetsAndRestoresThroughDesktopScripts) {
  PlasmaWallpaper plasma;
  EXPECT_FALSE(plasma.Current()) << "no plasmashell";
  EXPECT_FALSE(plasma.Set({picture_.string(), 0, 0, {}}));

  FakeServices fake;
  fake.Start();
  const std::optional<std::string> before = plasma.Current();
  EXPECT_EQ(before, "file:///old/plasma.png");
  ASSERT_TRUE(plasma.Set({"/data/it's here.bmp", 0, 0, {}}));
  ASSERT_TRUE(before && plasma.Restore(*before));
  fake.Stop();
  ASSERT_EQ(fake.scripts.size(), 3u);
  EXPECT_EQ(fake.scripts[0], PlasmaWallpaper::ReadScript());
  EXPECT_NE(fake.scripts[1].find("d.writeConfig('Image', 'file:///data/it\\'s%20here.bmp');"), std::string::npos)
      << fake.scripts[1];
  EXPECT_NE(fake.scripts[1].find("d.wallpaperPlugin = 'org.kde.image';"), std::string::npos);
  EXPECT_EQ(fake.scripts[2], PlasmaWallpaper::SetScript("file:///old/plasma.png"));
  EXPECT_NE(PlasmaWallpaper::SetScript("a'b\\c\nd").find("'a\\'b\\\\c\\nd'"), std::string::npos);
}

}  // namespace
}  // namespace lumora
