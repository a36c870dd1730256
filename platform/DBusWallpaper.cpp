// The portal and Plasma wallpaper backends over libdbus.
#include "platform/DBusWallpaper.h"

#include <dbus/dbus.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <memory>

#include "platform/FileIo.h"
#include "platform/Paths.h"

namespace lumora {

namespace {

// A timeout for method calls that answer at once.
constexpr int kCallTimeoutMs = 5000;

struct ConnectionCloser {
  void operator()(DBusConnection* c) const {
    dbus_connection_close(c);
    dbus_connection_unref(c);
  }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;

struct MessageUnref {
  void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// A private connection to the session bus, closed with its owner; null when
// there is no bus.
Connection SessionBus() {
  DBusError error;
  dbus_error_init(&error);
  DBusConnection* c = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
  dbus_error_free(&error);
  if (!c) return nullptr;
  dbus_connection_set_exit_on_disconnect(c, false);
  return Connection(c);
}

// Sends `call` and waits for its reply; null on an error reply or no answer.
Message Call(DBusConnection* c, DBusMessage* call, int timeoutMs = kCallTimeoutMs) {
  DBusError error;
  dbus_error_init(&error);
  DBusMessage* reply = dbus_connection_send_with_reply_and_block(c, call, timeoutMs, &error);
  dbus_error_free(&error);
  return Message(reply);
}

// Appends a dictionary entry {key: variant of `type` holding `value`}.
template <typename T>
void AppendOption(DBusMessageIter& dict, const char* key, int type, const char* signature, T value) {
  DBusMessageIter entry, variant;
  dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
  dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
  dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant);
  dbus_message_iter_append_basic(&variant, type, &value);
  dbus_message_iter_close_container(&entry, &variant);
  dbus_message_iter_close_container(&dict, &entry);
}

// The portal's request path for a handle token: the caller's unique name
// without ":" and with "." as "_".
std::string RequestPath(const char* uniqueName, const std::string& token) {
  std::string sender = uniqueName ? uniqueName : "";
  if (!sender.empty() && sender.front() == ':') sender.erase(0, 1);
  for (char& c : sender) {
    if (c == '.') c = '_';
  }
  return std::string(PortalWallpaper::kObject) + "/request/" + sender + "/" + token;
}

// Waits for the Response signal of request `path`; its response code, or -1
// when none came in time.
int WaitForResponse(DBusConnection* c, const std::string& path, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (true) {
    while (DBusMessage* raw = dbus_connection_pop_message(c)) {
      const Message message(raw);
      if (!dbus_message_is_signal(raw, "org.freedesktop.portal.Request", "Response")) continue;
      const char* from = dbus_message_get_path(raw);
      if (!from || path != from) continue;
      dbus_uint32_t response = 2;
      DBusMessageIter args;
      if (dbus_message_iter_init(raw, &args) && dbus_message_iter_get_arg_type(&args) == DBUS_TYPE_UINT32)
        dbus_message_iter_get_basic(&args, &response);
      return int(response);
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return -1;
    if (!dbus_connection_read_write(c, int(left.count()))) return -1;
  }
}

std::string JsString(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\\' || c == '\'') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  out += '\'';
  return out;
}

// Runs a desktop script in plasmashell; what it printed, or nothing when
// plasmashell does not answer or the script failed.
std::optional<std::string> EvaluatePlasmaScript(const std::string& script) {
  const Connection bus = SessionBus();
  if (!bus) return std::nullopt;
  const Message call(dbus_message_new_method_call(PlasmaWallpaper::kService, PlasmaWallpaper::kObject,
                                                  PlasmaWallpaper::kInterface, "evaluateScript"));
  if (!call) return std::nullopt;
  const char* text = script.c_str();
  dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &text, DBUS_TYPE_INVALID);
  const Message reply = Call(bus.get(), call.get());
  if (!reply) return std::nullopt;
  std::string printed;
  DBusMessageIter args;
  if (dbus_message_iter_init(reply.get(), &args) && dbus_message_iter_get_arg_type(&args) == DBUS_TYPE_STRING) {
    const char* value = nullptr;
    dbus_message_iter_get_basic(&args, &value);
    if (value) printed = value;
  }
  return printed;
}

}  // namespace

// ---- Portal ------------------------------------------------------------------------

bool PortalWallpaper::Present() {
  const Connection bus = SessionBus();
  if (!bus) return false;
  const Message call(
      dbus_message_new_method_call(kService, kObject, "org.freedesktop.DBus.Properties", "Get"));
  if (!call) return false;
  // Only a portal that runs already counts: asking must not start one (nor
  // does setting, below).
  dbus_message_set_auto_start(call.get(), false);
  const char* interface = kInterface;
  const char* property = "version";
  dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property,
                           DBUS_TYPE_INVALID);
  return Call(bus.get(), call.get()) != nullptr;
}

bool PortalWallpaper::SetFile(const std::string& path) {
  const UniqueFd file = OpenFd(path, O_RDONLY | O_CLOEXEC);
  if (!file) return false;
  const Connection bus = SessionBus();
  if (!bus) return false;

  static std::atomic<unsigned> requests{0};
  const std::string token = "lumora" + std::to_string(::getpid()) + "_" + std::to_string(++requests);
  const std::string requestPath = RequestPath(dbus_bus_get_unique_name(bus.get()), token);
  // Subscribed before the call, so an answer that comes at once is not missed.
  const std::string rule =
      "type='signal',interface='org.freedesktop.portal.Request',member='Response',path='" + requestPath + "'";
  DBusError error;
  dbus_error_init(&error);
  dbus_bus_add_match(bus.get(), rule.c_str(), &error);
  const bool matched = !dbus_error_is_set(&error);
  dbus_error_free(&error);
  if (!matched) return false;

  const Message call(dbus_message_new_method_call(kService, kObject, kInterface, "SetWallpaperFile"));
  if (!call) return false;
  dbus_message_set_auto_start(call.get(), false);
  DBusMessageIter args, options;
  dbus_message_iter_init_append(call.get(), &args);
  const char* parentWindow = "";
  dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &parentWindow);
  const int fd = file.get();
  dbus_message_iter_append_basic(&args, DBUS_TYPE_UNIX_FD, &fd);
  dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &options);
  AppendOption(options, "handle_token", DBUS_TYPE_STRING, "s", token.c_str());
  AppendOption(options, "show-preview", DBUS_TYPE_BOOLEAN, "b", dbus_bool_t(false));
  AppendOption(options, "set-on", DBUS_TYPE_STRING, "s", "background");
  dbus_message_iter_close_container(&args, &options);

  const Message reply = Call(bus.get(), call.get());
  if (!reply) return false;
  // Older portals choose the request path themselves and return it.
  std::string answeredPath = requestPath;
  DBusMessageIter replyArgs;
  if (dbus_message_iter_init(reply.get(), &replyArgs) &&
      dbus_message_iter_get_arg_type(&replyArgs) == DBUS_TYPE_OBJECT_PATH) {
    const char* returned = nullptr;
    dbus_message_iter_get_basic(&replyArgs, &returned);
    if (returned && requestPath != returned) {
      answeredPath = returned;
      const std::string other =
          "type='signal',interface='org.freedesktop.portal.Request',member='Response',path='" + answeredPath + "'";
      dbus_bus_add_match(bus.get(), other.c_str(), nullptr);
    }
  }
  return WaitForResponse(bus.get(), answeredPath, answerWait_) == 0;
}

bool PortalWallpaper::Set(const WallpaperPicture& picture) { return SetFile(picture.path); }

bool PortalWallpaper::Restore(const std::string& reading) {
  return !reading.empty() && reading.front() == '/' && SetFile(reading);
}

// ---- Plasma ------------------------------------------------------------------------

std::string PlasmaWallpaper::SetScript(std::string_view uri) {
  return "var ds = desktops();\n"
         "for (var i = 0; i < ds.length; i++) {\n"
         "  var d = ds[i];\n"
         "  d.wallpaperPlugin = 'org.kde.image';\n"
         "  d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
         "  d.writeConfig('Image', " +
         JsString(uri) +
         ");\n"
         "}\n";
}

std::string PlasmaWallpaper::ReadScript() {
  return "var ds = desktops();\n"
         "if (ds.length > 0) {\n"
         "  var d = ds[0];\n"
         "  d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
         "  print(d.readConfig('Image'));\n"
         "}\n";
}

std::optional<std::string> PlasmaWallpaper::Current() {
  std::optional<std::string> printed = EvaluatePlasmaScript(ReadScript());
  if (!printed) return std::nullopt;
  while (!printed->empty() && (printed->back() == '\n' || printed->back() == ' ')) printed->pop_back();
  return printed;
}

bool PlasmaWallpaper::Set(const WallpaperPicture& picture) {
  return EvaluatePlasmaScript(SetScript(FileUri(picture.path))).has_value();
}

bool PlasmaWallpaper::Restore(const std::string& reading) { return EvaluatePlasmaScript(SetScript(reading)).has_value(); }

}  // namespace lumora
