// libxcb implementation of the window directory: WM_CLASS and title lookup,
// EWMH requests to the window manager, direct restacking without one.
#include "platform/window/X11WindowSystem.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/window/MessageSocket.h"
#include "platform/window/WindowFrame.h"

namespace lumora {
namespace {

// Largest property value read: client lists of 16384 windows, long titles.
constexpr std::uint32_t kMaxPropertyBytes = 64 * 1024;
// Frames nest windows a few levels deep; anything deeper is not a frame.
constexpr int kMaxAncestors = 16;

enum AtomIndex {
  kNetWmName,
  kUtf8String,
  kNetClientList,
  kNetActiveWindow,
  kNetWmState,
  kNetWmStateAbove,
  kNetSupportingWmCheck,
  kNetSupported,
  kNetWmPid,
  kNetShowingDesktop,
};
constexpr const char* kAtomNames[] = {
    "_NET_WM_NAME",    "UTF8_STRING",         "_NET_CLIENT_LIST",           "_NET_ACTIVE_WINDOW",
    "_NET_WM_STATE",   "_NET_WM_STATE_ABOVE", "_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED",
    "_NET_WM_PID",     "_NET_SHOWING_DESKTOP",
};

// EWMH _NET_WM_STATE actions and the source indication of a pager-like tool.
constexpr std::uint32_t kStateRemove = 0;
constexpr std::uint32_t kStateAdd = 1;
constexpr std::uint32_t kSourcePager = 2;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Own(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

// Waits for a checked request; false (and the error freed) when it failed.
bool Succeeded(xcb_connection_t* connection, xcb_void_cookie_t cookie) {
  xcb_generic_error_t* error = xcb_request_check(connection, cookie);
  std::free(error);
  return error == nullptr;
}

std::string Latin1ToUtf8(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  for (std::uint8_t c : bytes) {
    if (c < 0x80) {
      out.push_back(char(c));
    } else {
      out.push_back(char(0xC0 | (c >> 6)));
      out.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string SafeHost(std::string_view host) {
  if (host.empty() || host == "unix") return "local";
  std::string out;
  for (char c : host) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-';
    out.push_back(plain ? c : '_');
  }
  return out;
}

}  // namespace

std::string X11DisplayKey(const char* displayName) {
  char* host = nullptr;
  int display = 0;
  int screen = 0;
  if (!xcb_parse_display(displayName, &host, &display, &screen)) return {};
  std::string key = SafeHost(host ? host : "") + "_" + std::to_string(display);
  std::free(host);
  return key;
}

bool SetX11WindowClass(xcb_connection_t* connection, std::uint32_t window, std::string_view instance,
                       std::string_view windowClass) {
  std::string value(instance);
  value.push_back('\0');
  value.append(windowClass);
  value.push_back('\0');
  return Succeeded(connection, xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, window,
                                                           XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                                                           std::uint32_t(value.size()), value.data()));
}

std::unique_ptr<X11WindowSystem> X11WindowSystem::Connect(const char* displayName, std::string folder,
                                                          std::string* error) {
  auto fail = [&](std::string text) {
    if (error) *error = std::move(text);
    return std::unique_ptr<X11WindowSystem>();
  };
  const std::string key = X11DisplayKey(displayName);
  const char* shown = displayName ? displayName : std::getenv("DISPLAY");
  const std::string name = shown ? shown : "(DISPLAY unset)";
  if (key.empty()) return fail("X display name \"" + name + "\" does not parse");
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(displayName, &screenNumber);
  if (const int code = xcb_connection_has_error(connection); code != 0) {
    xcb_disconnect(connection);
    return fail("cannot connect to X display " + name + " (xcb error " + std::to_string(code) + ")");
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    xcb_disconnect(connection);
    return fail("X display " + name + " has no screen " + std::to_string(screenNumber));
  }
  std::unique_ptr<X11WindowSystem> system(
      new X11WindowSystem(connection, screens.data->root, std::move(folder), key));

  xcb_intern_atom_cookie_t cookies[kAtomCount];
  static_assert(std::size(kAtomNames) == kAtomCount);
  for (int i = 0; i < kAtomCount; ++i)
    cookies[i] = xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(kAtomNames[i])), kAtomNames[i]);
  for (int i = 0; i < kAtomCount; ++i) {
    auto reply = Own(xcb_intern_atom_reply(connection, cookies[i], nullptr));
    if (!reply) return fail(std::string("X server did not intern ") + kAtomNames[i]);
    system->atoms_[i] = reply->atom;
  }
  return system;
}

X11WindowSystem::~X11WindowSystem() { xcb_disconnect(connection_); }

std::optional<X11WindowSystem::Property> X11WindowSystem::GetProperty(std::uint32_t window,
                                                                      std::uint32_t property) {
  auto reply = Own(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxPropertyBytes / 4),
      nullptr));
  if (!reply || reply->type == XCB_NONE) return std::nullopt;
  const auto* data = static_cast<const std::uint8_t*>(xcb_get_property_value(reply.get()));
  const int length = xcb_get_property_value_length(reply.get());
  Property out{reply->type, reply->format, {}};
  if (length > 0) out.bytes.assign(data, data + length);
  return out;
}

std::vector<std::uint32_t> X11WindowSystem::GetWindowList(std::uint32_t window, std::uint32_t property) {
  std::vector<std::uint32_t> list;
  const std::optional<Property> value = GetProperty(window, property);
  if (!value || value->format != 32) return list;
  list.resize(value->bytes.size() / 4);
  if (!list.empty()) std::memcpy(list.data(), value->bytes.data(), list.size() * 4);
  return list;
}

std::vector<std::uint32_t> X11WindowSystem::Children(std::uint32_t window) {
  std::vector<std::uint32_t> children;
  auto reply = Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
  if (!reply) return children;
  const xcb_window_t* list = xcb_query_tree_children(reply.get());
  children.assign(list, list + xcb_query_tree_children_length(reply.get()));
  return children;
}

bool X11WindowSystem::WindowManagerSupports(std::uint32_t atom) {
  const std::vector<std::uint32_t> check = GetWindowList(root_, atoms_[kNetSupportingWmCheck]);
  if (check.size() != 1) return false;
  const std::vector<std::uint32_t> self = GetWindowList(check[0], atoms_[kNetSupportingWmCheck]);
  if (self.size() != 1 || self[0] != check[0]) return false;  // a window manager that went away
  const std::vector<std::uint32_t> supported = GetWindowList(root_, atoms_[kNetSupported]);
  return std::find(supported.begin(), supported.end(), atom) != supported.end();
}

std::vector<std::uint32_t> X11WindowSystem::ClientWindows() {
  if (WindowManagerSupports(atoms_[kNetClientList])) return GetWindowList(root_, atoms_[kNetClientList]);
  std::vector<std::uint32_t> clients;
  for (std::uint32_t child : Children(root_)) {
    if (GetProperty(child, XCB_ATOM_WM_CLASS)) {
      clients.push_back(child);
      continue;
    }
    for (std::uint32_t inner : Children(child))
      if (GetProperty(inner, XCB_ATOM_WM_CLASS)) clients.push_back(inner);
  }
  return clients;
}

std::optional<std::string> X11WindowSystem::ClassOf(WindowHandle window) {
  const std::optional<Property> value = GetProperty(window, XCB_ATOM_WM_CLASS);
  if (!value || value->format != 8) return std::nullopt;
  const auto& bytes = value->bytes;
  const auto instanceEnd = std::find(bytes.begin(), bytes.end(), std::uint8_t(0));
  if (instanceEnd == bytes.end()) return std::nullopt;
  const auto classEnd = std::find(instanceEnd + 1, bytes.end(), std::uint8_t(0));
  return std::string(instanceEnd + 1, classEnd);
}

std::optional<std::string> X11WindowSystem::TitleOf(WindowHandle window) {
  std::optional<Property> value = GetProperty(window, atoms_[kNetWmName]);
  if (value && value->format == 8 && value->type == atoms_[kUtf8String])
    return std::string(value->bytes.begin(), value->bytes.end());
  value = GetProperty(window, XCB_ATOM_WM_NAME);
  if (!value || value->format != 8) return std::nullopt;
  if (value->type == XCB_ATOM_STRING) return Latin1ToUtf8(value->bytes);
  if (value->type == atoms_[kUtf8String]) return std::string(value->bytes.begin(), value->bytes.end());
  // Compound text and other encodings: plain ASCII reads the same in all.
  if (std::all_of(value->bytes.begin(), value->bytes.end(), [](std::uint8_t c) { return c < 0x80; }))
    return std::string(value->bytes.begin(), value->bytes.end());
  return std::nullopt;
}

WindowHandle X11WindowSystem::FindTopLevel(std::string_view windowClass, std::string_view title) {
  for (std::uint32_t window : ClientWindows()) {
    const std::optional<std::string> foundClass = ClassOf(window);
    if (!foundClass || *foundClass != windowClass) continue;
    const std::optional<std::string> foundTitle = TitleOf(window);
    if (foundTitle && *foundTitle == title && !OfAnotherUser(window)) return window;
  }
  return kNoWindow;
}

bool X11WindowSystem::OfAnotherUser(std::uint32_t window) {
  const std::optional<Property> pid = GetProperty(window, atoms_[kNetWmPid]);
  const std::optional<Property> machine = GetProperty(window, XCB_ATOM_WM_CLIENT_MACHINE);
  if (!pid || pid->format != 32 || pid->bytes.size() != 4 || !machine || machine->format != 8) return false;
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0 ||
      std::string(machine->bytes.begin(), machine->bytes.end()) != host)
    return false;
  std::uint32_t process = 0;
  std::memcpy(&process, pid->bytes.data(), sizeof process);
  // The owner's real user id, from the "Uid:" line; the process directory's
  // own owner is root for processes that changed their ids.
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  std::string field;
  while (status >> field) {
    if (field != "Uid:") continue;
    uid_t owner = 0;
    return status >> owner && owner != ::getuid();
  }
  return false;
}

bool X11WindowSystem::Exists(WindowHandle window) {
  if (window == kNoWindow) return false;
  auto reply = Own(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window), nullptr));
  return reply != nullptr;
}

std::uint32_t X11WindowSystem::OuterWindow(std::uint32_t window) {
  for (int depth = 0; depth < kMaxAncestors; ++depth) {
    auto reply = Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!reply) return XCB_NONE;
    if (reply->parent == reply->root || reply->parent == XCB_NONE) return window;
    window = reply->parent;
  }
  return XCB_NONE;
}

std::optional<WindowRect> X11WindowSystem::Rect(WindowHandle window) {
  if (window == kNoWindow) return std::nullopt;
  const std::uint32_t outer = OuterWindow(window);
  if (outer == XCB_NONE) return std::nullopt;
  auto geometry = Own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, outer), nullptr));
  if (!geometry) return std::nullopt;
  const int border = 2 * geometry->border_width;
  return WindowRect{geometry->x, geometry->y, geometry->width + border, geometry->height + border};
}

bool X11WindowSystem::MoveTo(WindowHandle window, int left, int top) {
  if (window == kNoWindow) return false;
  const std::uint32_t values[] = {std::uint32_t(left), std::uint32_t(top)};
  return Succeeded(connection_, xcb_configure_window_checked(connection_, window,
                                                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values));
}

bool X11WindowSystem::CentreOnScreen(WindowHandle window) {
  const std::optional<WindowRect> rect = Rect(window);
  const std::optional<WindowRect> screen = Screen();
  if (!rect || !screen) return false;
  return MoveTo(window, (screen->width - rect->width) / 2, (screen->height - rect->height) / 2);
}

std::optional<WindowRect> X11WindowSystem::Screen() {
  auto root = Own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_), nullptr));
  if (!root) return std::nullopt;
  return WindowRect{0, 0, root->width, root->height};
}

bool X11WindowSystem::SendToRoot(std::uint32_t window, std::uint32_t type, const std::uint32_t (&data)[5]) {
  xcb_client_message_event_t event;
  std::memset(&event, 0, sizeof event);
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = type;
  std::copy(std::begin(data), std::end(data), event.data.data32);
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  return Succeeded(connection_, xcb_send_event_checked(connection_, 0, root_, mask,
                                                       reinterpret_cast<const char*>(&event)));
}

bool X11WindowSystem::ShowDesktop() {
  const std::uint32_t showing = atoms_[kNetShowingDesktop];
  if (WindowManagerSupports(showing)) return SendToRoot(root_, showing, {1, 0, 0, 0, 0});
  // Without a window manager nobody minimises; the root's property still
  // tells pagers and later window managers the desktop was asked for.
  const std::uint32_t on = 1;
  return Succeeded(connection_, xcb_change_property_checked(connection_, XCB_PROP_MODE_REPLACE, root_, showing,
                                                            XCB_ATOM_CARDINAL, 32, 1, &on));
}

bool X11WindowSystem::Restack(std::uint32_t window) {
  const std::uint32_t outer = OuterWindow(window);
  if (outer == XCB_NONE) return false;
  const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
  return Succeeded(connection_,
                   xcb_configure_window_checked(connection_, outer, XCB_CONFIG_WINDOW_STACK_MODE, above));
}

bool X11WindowSystem::BringToFront(WindowHandle window) {
  if (!Exists(window)) return false;
  if (WindowManagerSupports(atoms_[kNetActiveWindow]))
    return SendToRoot(window, atoms_[kNetActiveWindow], {kSourcePager, XCB_CURRENT_TIME, 0, 0, 0});
  if (!Restack(window)) return false;
  auto attributes = Own(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window), nullptr));
  // Only a viewable window can take the focus; raising is all there is then.
  if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
    Succeeded(connection_, xcb_set_input_focus_checked(connection_, XCB_INPUT_FOCUS_PARENT, window,
                                                       XCB_CURRENT_TIME));
  return true;
}

bool X11WindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  if (!Exists(window)) return false;
  const std::uint32_t above = atoms_[kNetWmStateAbove];
  if (WindowManagerSupports(atoms_[kNetWmState]) && WindowManagerSupports(above))
    return SendToRoot(window, atoms_[kNetWmState], {topmost ? kStateAdd : kStateRemove, above, 0, kSourcePager, 0});

  std::vector<std::uint32_t> state = GetWindowList(window, atoms_[kNetWmState]);
  state.erase(std::remove(state.begin(), state.end(), above), state.end());
  if (topmost) state.push_back(above);
  if (!Succeeded(connection_, xcb_change_property_checked(connection_, XCB_PROP_MODE_REPLACE, window,
                                                          atoms_[kNetWmState], XCB_ATOM_ATOM, 32,
                                                          std::uint32_t(state.size()), state.data())))
    return false;
  return !topmost || Restack(window);
}

bool X11WindowSystem::Post(WindowHandle window, const WindowMessage& message) {
  const std::vector<std::uint8_t> frame = EncodeMessageFrame(message);
  if (frame.empty() || !Exists(window)) return false;
  return SendFrame(X11SocketPath(folder_, displayKey_, window), frame);
}

}  // namespace lumora
