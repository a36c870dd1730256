// The root-window wallpaper over libxcb.
#include "platform/window/RootWallpaper.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace lumora {

namespace {

enum RootAtom { kRootPixmap, kSetRootPixmap, kOurPixmap, kRootAtomCount };
constexpr const char* kRootAtomNames[kRootAtomCount] = {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID", "_QUORVIX_ROOT_PIXMAP"};

constexpr std::string_view kNone = "none";
constexpr std::string_view kPixmapPrefix = "pixmap:";

struct Disconnect {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using XConnection = std::unique_ptr<xcb_connection_t, Disconnect>;

template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> Own(Reply* reply) {
  return {reply, &std::free};
}

bool Succeeded(xcb_connection_t* c, xcb_void_cookie_t cookie) {
  xcb_generic_error_t* error = xcb_request_check(c, cookie);
  std::free(error);
  return error == nullptr;
}

// A connection to the display with its first screen and our atoms.
struct Session {
  XConnection connection;
  xcb_screen_t* screen = nullptr;
  xcb_atom_t atoms[kRootAtomCount] = {};

  static std::optional<Session> Open(const std::string& display) {
    Session s;
    int screenNumber = 0;
    s.connection.reset(xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber));
    xcb_connection_t* c = s.connection.get();
    if (xcb_connection_has_error(c)) return std::nullopt;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) return std::nullopt;
    s.screen = it.data;
    xcb_intern_atom_cookie_t cookies[kRootAtomCount];
    for (int i = 0; i < kRootAtomCount; ++i)
      cookies[i] = xcb_intern_atom(c, 0, uint16_t(std::char_traits<char>::length(kRootAtomNames[i])), kRootAtomNames[i]);
    for (int i = 0; i < kRootAtomCount; ++i) {
      auto reply = Own(xcb_intern_atom_reply(c, cookies[i], nullptr));
      if (!reply) return std::nullopt;
      s.atoms[i] = reply->atom;
    }
    return s;
  }

  xcb_connection_t* c() const { return connection.get(); }
  xcb_window_t root() const { return screen->root; }

  // The pixmap a root property names, or XCB_NONE.
  xcb_pixmap_t PixmapOf(xcb_atom_t property) const {
    auto reply = Own(xcb_get_property_reply(
        c(), xcb_get_property(c(), 0, root(), property, XCB_ATOM_PIXMAP, 0, 1), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4) return XCB_NONE;
    return *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
  }

  bool PixmapExists(xcb_pixmap_t pixmap) const {
    return Own(xcb_get_geometry_reply(c(), xcb_get_geometry(c(), pixmap), nullptr)) != nullptr;
  }

  // Makes `pixmap` (XCB_NONE: none) the root's background and names it in
  // the properties; `ours` is the pixmap we made (XCB_NONE: none of ours).
  bool Show(xcb_pixmap_t pixmap, xcb_pixmap_t ours) const {
    const uint32_t background[] = {pixmap == XCB_NONE ? uint32_t(XCB_BACK_PIXMAP_NONE) : pixmap};
    bool ok = Succeeded(c(), xcb_change_window_attributes_checked(c(), root(), XCB_CW_BACK_PIXMAP, background));
    for (const RootAtom property : {kRootPixmap, kSetRootPixmap}) {
      ok = Succeeded(c(), pixmap == XCB_NONE
                              ? xcb_delete_property_checked(c(), root(), atoms[property])
                              : xcb_change_property_checked(c(), XCB_PROP_MODE_REPLACE, root(), atoms[property],
                                                            XCB_ATOM_PIXMAP, 32, 1, &pixmap)) &&
           ok;
    }
    ok = Succeeded(c(), ours == XCB_NONE ? xcb_delete_property_checked(c(), root(), atoms[kOurPixmap])
                                         : xcb_change_property_checked(c(), XCB_PROP_MODE_REPLACE, root(),
                                                                       atoms[kOurPixmap], XCB_ATOM_PIXMAP, 32, 1,
                                                                       &ours)) &&
         ok;
    xcb_clear_area(c(), 0, root(), 0, 0, 0, 0);
    return ok;
  }

  // Frees the pixmap we made last, with the retained connection that holds it.
  void FreeOurs(xcb_pixmap_t keep) const {
    const xcb_pixmap_t ours = PixmapOf(atoms[kOurPixmap]);
    if (ours != XCB_NONE && ours != keep && PixmapExists(ours)) xcb_kill_client(c(), ours);
  }

  // Bits per pixel of the pixmap format for the root's depth (0: none).
  int BitsPerPixel() const {
    const xcb_setup_t* setup = xcb_get_setup(c());
    xcb_format_iterator_t it = xcb_setup_pixmap_formats_iterator(setup);
    for (; it.rem; xcb_format_next(&it)) {
      if (it.data->depth == screen->root_depth) return it.data->bits_per_pixel;
    }
    return 0;
  }
};

uint32_t Lerp(uint32_t a, uint32_t b, uint32_t weight) {  // weight 0..256
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t ca = (a >> shift) & 0xFF;
    const uint32_t cb = (b >> shift) & 0xFF;
    out |= ((ca * (256 - weight) + cb * weight + 128) >> 8) << shift;
  }
  return out;
}

}  // namespace

std::vector<uint32_t> StretchPixels(const WallpaperPicture& picture, int width, int height) {
  const int sw = picture.width;
  const int sh = picture.height;
  if (sw <= 0 || sh <= 0 || width <= 0 || height <= 0 || picture.pixels.size() < size_t(sw) * size_t(sh))
    return {};
  std::vector<uint32_t> out(size_t(width) * size_t(height));
  // Source position of a target pixel's centre, in 1/256 pixels, clamped to
  // the outer pixel centres.
  auto source = [](int target, int targetSize, int sourceSize, int& index, uint32_t& weight) {
    int64_t pos = ((2 * int64_t(target) + 1) * sourceSize * 256) / (2 * int64_t(targetSize)) - 128;
    pos = std::clamp<int64_t>(pos, 0, int64_t(sourceSize - 1) * 256);
    index = int(pos >> 8);
    weight = uint32_t(pos & 0xFF);
  };
  for (int y = 0; y < height; ++y) {
    int sy = 0;
    uint32_t wy = 0;
    source(y, height, sh, sy, wy);
    const uint32_t* row0 = &picture.pixels[size_t(sy) * size_t(sw)];
    const uint32_t* row1 = &picture.pixels[size_t(std::min(sy + 1, sh - 1)) * size_t(sw)];
    for (int x = 0; x < width; ++x) {
      int sx = 0;
      uint32_t wx = 0;
      source(x, width, sw, sx, wx);
      const int sx1 = std::min(sx + 1, sw - 1);
      out[size_t(y) * size_t(width) + size_t(x)] = Lerp(Lerp(row0[sx], row0[sx1], wx), Lerp(row1[sx], row1[sx1], wx), wy);
    }
  }
  return out;
}

std::optional<std::string> RootWallpaper::Current() {
  const std::optional<Session> session = Session::Open(display_);
  if (!session) return std::nullopt;
  const xcb_pixmap_t pixmap = session->PixmapOf(session->atoms[kRootPixmap]);
  if (pixmap == XCB_NONE) return std::string(kNone);
  return std::string(kPixmapPrefix) + std::to_string(pixmap);
}

bool RootWallpaper::Set(const WallpaperPicture& picture) {
  // The pixmap is made on a connection of its own, which is closed with
  // RetainPermanent so the pixmap outlives it.
  const std::optional<Session> maker = Session::Open(display_);
  if (!maker) return false;
  xcb_connection_t* c = maker->c();
  const xcb_screen_t& screen = *maker->screen;
  const int width = screen.width_in_pixels;
  const int height = screen.height_in_pixels;
  // 24- and 32-bit TrueColor roots hold 0x00RRGGBB in 32-bit pixels.
  if ((screen.root_depth != 24 && screen.root_depth != 32) || maker->BitsPerPixel() != 32) return false;
  std::vector<uint32_t> pixels = StretchPixels(picture, width, height);
  if (pixels.empty()) return false;
  if (xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST) {
    for (uint32_t& p : pixels) p = __builtin_bswap32(p);
  }

  const xcb_pixmap_t pixmap = xcb_generate_id(c);
  if (!Succeeded(c, xcb_create_pixmap_checked(c, screen.root_depth, pixmap, screen.root, uint16_t(width),
                                              uint16_t(height))))
    return false;
  const xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, pixmap, 0, nullptr);
  // As many rows a request as the server takes.
  const size_t maxBytes = size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
  const int rowsPerRequest = std::max(1, int(maxBytes / (size_t(width) * 4)));
  bool ok = true;
  for (int top = 0; top < height && ok; top += rowsPerRequest) {
    const int rows = std::min(rowsPerRequest, height - top);
    ok = Succeeded(c, xcb_put_image_checked(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(width),
                                            uint16_t(rows), 0, int16_t(top), 0, screen.root_depth,
                                            uint32_t(size_t(rows) * size_t(width) * 4),
                                            reinterpret_cast<const uint8_t*>(&pixels[size_t(top) * size_t(width)])));
  }
  xcb_free_gc(c, gc);
  if (!ok) {
    xcb_free_pixmap(c, pixmap);
    return false;
  }
  maker->FreeOurs(pixmap);
  if (!maker->Show(pixmap, pixmap)) return false;
  xcb_set_close_down_mode(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
  return Own(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)) != nullptr;
}

bool RootWallpaper::Restore(const std::string& reading) {
  const std::optional<Session> session = Session::Open(display_);
  if (!session) return false;
  xcb_pixmap_t pixmap = XCB_NONE;
  if (reading.starts_with(kPixmapPrefix)) {
    char* end = nullptr;
    const unsigned long id = std::strtoul(reading.c_str() + kPixmapPrefix.size(), &end, 10);
    if (!end || *end != '\0' || id == 0) return false;
    pixmap = xcb_pixmap_t(id);
    // A pixmap that went away with its program cannot come back.
    if (!session->PixmapExists(pixmap)) return false;
  } else if (reading != kNone) {
    return false;
  }
  session->FreeOurs(pixmap);
  const bool ok = session->Show(pixmap, XCB_NONE);
  xcb_flush(session->c());
  return ok;
}

}  // namespace lumora
