// The source manager over SANE: triplets to SANE calls, the scan worker and
// the packing of SANE frames into bitmaps.
#include "platform/SaneSource.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/Prompts.h"

namespace lumora {

namespace {

using namespace twain;

// The SANE functions, looked up in the loaded library.
struct SaneApi {
  SANE_Status (*init)(SANE_Int*, SANE_Auth_Callback) = nullptr;
  void (*exit)() = nullptr;
  SANE_Status (*getDevices)(const SANE_Device***, SANE_Bool) = nullptr;
  SANE_Status (*open)(SANE_String_Const, SANE_Handle*) = nullptr;
  void (*close)(SANE_Handle) = nullptr;
  const SANE_Option_Descriptor* (*optionDescriptor)(SANE_Handle, SANE_Int) = nullptr;
  SANE_Status (*controlOption)(SANE_Handle, SANE_Int, SANE_Action, void*, SANE_Int*) = nullptr;
  SANE_Status (*getParameters)(SANE_Handle, SANE_Parameters*) = nullptr;
  SANE_Status (*start)(SANE_Handle) = nullptr;
  SANE_Status (*read)(SANE_Handle, SANE_Byte*, SANE_Int, SANE_Int*) = nullptr;
  void (*cancel)(SANE_Handle) = nullptr;
};

struct LibraryCloser {
  void operator()(void* library) const { dlclose(library); }
};
using Library = std::unique_ptr<void, LibraryCloser>;

template <typename F>
bool Bind(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

// One scanned page: the packed bitmap and what the image information says of it.
struct Page {
  std::vector<uint8_t> block;
  TW_IMAGEINFO info{};
};

constexpr size_t kInfoHeaderBytes = 40;
constexpr size_t kReadChunk = 256 * 1024;

void Put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

// The 16-bit sample at `p` (host byte order, as SANE delivers it), cut to 8 bits.
uint8_t High8(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return uint8_t(v >> 8);
}

// A page of 300 dpi colour is tens of megabytes: backed by huge pages where
// the system offers them, it is mapped in a few steps rather than thousands.
void AdviseHugePages(uint8_t* data, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t(2) << 20;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// The bitmap a frame of `format` (grey or RGB interleaved) with `depth` bits
// a sample becomes: 1-bit grey keeps its bits (SANE's 1 is black: entry 1 of
// the table), 8- and 16-bit grey become 8-bit indices into a grey ramp,
// colour becomes 24-bit blue-green-red (8 colours for 1 bit a sample).
struct Bitmap {
  std::vector<uint8_t> block;  // header and table filled in, rows to come
  size_t offset = 0;           // of the pixel rows
  size_t stride = 0;
  int lines = 0;
  // Where source line `y` (top first) goes: rows are stored bottom-up.
  uint8_t* Row(int y) { return block.data() + offset + size_t(lines - 1 - y) * stride; }
};

// Empty for a form SANE does not define.
Bitmap NewBitmap(SANE_Frame format, int depth, int width, int lines, int dpi) {
  const bool grey = format == SANE_FRAME_GRAY;
  if (width <= 0 || lines <= 0 || (!grey && format != SANE_FRAME_RGB) || (depth != 1 && depth != 8 && depth != 16))
    return {};
  const int bits = grey ? (depth == 1 ? 1 : 8) : 24;
  const size_t colours = bits == 1 ? 2 : bits == 8 ? 256 : 0;
  Bitmap out;
  out.stride = (size_t(width) * size_t(bits) + 31) / 32 * 4;
  out.offset = kInfoHeaderBytes + colours * 4;
  out.lines = lines;
  const size_t bytes = out.offset + out.stride * size_t(lines);
  out.block.reserve(bytes);
  AdviseHugePages(out.block.data(), bytes);
  out.block.resize(bytes);
  uint8_t* h = out.block.data();
  const uint32_t metres = uint32_t(std::lround(dpi / 0.0254));
  Put32(h, kInfoHeaderBytes);
  Put32(h + 4, uint32_t(width));
  Put32(h + 8, uint32_t(lines));
  Put16(h + 12, 1);
  Put16(h + 14, uint32_t(bits));
  Put32(h + 20, uint32_t(out.stride * size_t(lines)));
  Put32(h + 24, metres);
  Put32(h + 28, metres);
  Put32(h + 32, uint32_t(colours));
  uint8_t* table = h + kInfoHeaderBytes;
  if (bits == 1) {
    std::memset(table, 0xFF, 3);  // 0: white; 1: black
  } else {
    for (size_t i = 0; i < colours; ++i) std::memset(table + i * 4, int(i), 3);
  }
  return out;
}

// One line of SANE samples into a bitmap row, as NewBitmap describes.
void PackLine(SANE_Frame format, int depth, int width, const uint8_t* in, uint8_t* out) {
  if (format == SANE_FRAME_GRAY) {
    if (depth == 1)
      std::memcpy(out, in, (size_t(width) + 7) / 8);
    else if (depth == 8)
      std::memcpy(out, in, size_t(width));
    else
      for (int x = 0; x < width; ++x) out[x] = High8(in + 2 * x);
  } else if (depth == 8) {
    for (int x = 0; x < width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  } else if (depth == 16) {
    for (int x = 0; x < width; ++x, in += 6, out += 3) {
      out[0] = High8(in + 4);
      out[1] = High8(in + 2);
      out[2] = High8(in);
    }
  } else {
    for (int x = 0; x < width; ++x, out += 3)
      for (int c = 0; c < 3; ++c) {
        const int sample = x * 3 + c;
        out[2 - c] = (in[sample / 8] >> (7 - sample % 8)) & 1 ? 0xFF : 0;
      }
  }
}

class SaneSourceManager final : public SourceManager {
 public:
  SaneSourceManager(Library library, SaneApi api, Prompts& prompts)
      : library_(std::move(library)), api_(api), prompts_(prompts) {}
  ~SaneSourceManager() override {
    CloseSource();
    if (managerOpen_) api_.exit();
  }

  TW_UINT16 Entry(TW_IDENTITY*, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 argumentType,
                  TW_UINT16 message, void* data) override {
    condition_ = kCcSuccess;
    if (argumentType == kDatStatus && message == kMsgGet) {
      static_cast<TW_STATUS*>(data)->ConditionCode = lastCondition_;
      lastCondition_ = kCcSuccess;
      return kRcSuccess;
    }
    const TW_UINT16 rc = Dispatch(destination, group, argumentType, message, data);
    if (rc != kRcSuccess) lastCondition_ = condition_;
    return rc;
  }

 private:
  TW_UINT16 Fail(TW_UINT16 condition, TW_UINT16 rc = kRcFailure) {
    condition_ = condition;
    return rc;
  }

  TW_UINT16 Dispatch(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message,
                     void* data) {
    if (!data) return Fail(kCcBadValue);
    if (group == kDgControl && argumentType == kDatParent) {
      if (message == kMsgOpenDsm) return OpenManager();
      if (message == kMsgCloseDsm) return CloseManager();
    }
    if (!managerOpen_) return Fail(kCcSeqError);
    if (group == kDgControl && argumentType == kDatIdentity) {
      auto* identity = static_cast<TW_IDENTITY*>(data);
      switch (message) {
        case kMsgGetDefault: return GetDefault(*identity);
        case kMsgUserSelect: return UserSelect(*identity);
        case kMsgOpenDs: return OpenSource(*identity);
        case kMsgCloseDs: return CloseSource() ? kRcSuccess : Fail(kCcSeqError);
      }
    }
    if (!device_ || !destination || destination->Id != openId_) return Fail(kCcBadDest);
    if (group == kDgControl) {
      switch (argumentType) {
        case kDatCapability: return Capability(message, *static_cast<TW_CAPABILITY*>(data));
        case kDatUserInterface:
          if (message == kMsgEnableDs) return Enable(*static_cast<TW_USERINTERFACE*>(data));
          if (message == kMsgDisableDs) return Disable() ? kRcSuccess : Fail(kCcSeqError);
          break;
        case kDatEvent:
          if (message == kMsgProcessEvent) return ProcessEvent(*static_cast<TW_EVENT*>(data));
          break;
        case kDatPendingXfers:
          if (message == kMsgEndXfer) return EndTransfer(*static_cast<TW_PENDINGXFERS*>(data));
          if (message == kMsgReset) return Reset(*static_cast<TW_PENDINGXFERS*>(data));
          break;
      }
    } else if (group == kDgImage && message == kMsgGet) {
      std::lock_guard lock(mutex_);
      if (pages_.empty()) return Fail(kCcSeqError);
      if (argumentType == kDatImageInfo) {
        *static_cast<TW_IMAGEINFO*>(data) = pages_.front().info;
        return kRcSuccess;
      }
      if (argumentType == kDatImageNativeXfer) {
        *static_cast<TW_NATIVEIMAGE*>(data) = std::move(pages_.front().block);
        return kRcXferDone;
      }
    }
    return Fail(kCcBummer);
  }

  TW_UINT16 OpenManager() {
    if (managerOpen_) return Fail(kCcSeqError);
    SANE_Int version = 0;
    if (api_.init(&version, nullptr) != SANE_STATUS_GOOD) return Fail(kCcBummer);
    managerOpen_ = true;
    return kRcSuccess;
  }

  TW_UINT16 CloseManager() {
    if (!managerOpen_ || device_) return Fail(kCcSeqError);
    api_.exit();
    managerOpen_ = false;
    return kRcSuccess;
  }

  // SANE's device list as it is now; identities number them from 1.
  std::vector<ScanDevice> Devices() {
    std::vector<ScanDevice> devices;
    const SANE_Device** list = nullptr;
    if (api_.getDevices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list) return devices;
    for (; *list; ++list) {
      const SANE_Device& d = **list;
      devices.push_back({d.name ? d.name : "", d.vendor ? d.vendor : "", d.model ? d.model : ""});
    }
    names_.clear();
    for (const ScanDevice& d : devices) names_.push_back(d.name);
    return devices;
  }

  static void Copy(TW_STR32& field, const std::string& text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
  }

  void Describe(TW_IDENTITY& identity, const ScanDevice& device, size_t index) {
    identity = TW_IDENTITY{};
    identity.Id = TW_UINT32(index + 1);
    identity.ProtocolMajor = 1;
    identity.ProtocolMinor = 8;
    identity.SupportedGroups = kGroupsControlAndImage;
    Copy(identity.Manufacturer, device.vendor);
    Copy(identity.ProductFamily, device.model);
    Copy(identity.ProductName, device.name);
    chosen_ = device.name;
  }

  TW_UINT16 GetDefault(TW_IDENTITY& identity) {
    const std::vector<ScanDevice> devices = Devices();
    if (devices.empty()) return Fail(kCcNoDs);
    size_t index = 0;
    for (size_t i = 0; i < devices.size(); ++i)
      if (devices[i].name == chosen_) index = i;
    Describe(identity, devices[index], index);
    return kRcSuccess;
  }

  TW_UINT16 UserSelect(TW_IDENTITY& identity) {
    const std::vector<ScanDevice> devices = Devices();
    if (devices.empty()) return Fail(kCcNoDs);
    const size_t current = identity.Id >= 1 && identity.Id <= devices.size() ? identity.Id - 1 : 0;
    const std::optional<size_t> index = prompts_.ChooseScanDevice(devices, current);
    if (!index || *index >= devices.size()) return kRcCancel;
    Describe(identity, devices[*index], *index);
    return kRcSuccess;
  }

  TW_UINT16 OpenSource(TW_IDENTITY& identity) {
    if (device_) return Fail(kCcSeqError);
    if (identity.Id == 0 || identity.Id > names_.size()) {
      if (GetDefault(identity) != kRcSuccess) return kRcFailure;
    }
    const std::string& name = names_[identity.Id - 1];
    SANE_Handle handle = nullptr;
    if (api_.open(name.c_str(), &handle) != SANE_STATUS_GOOD || !handle) return Fail(kCcNoDs);
    device_ = handle;
    deviceName_ = name;
    openId_ = identity.Id;
    count_ = -1;
    return kRcSuccess;
  }

  bool CloseSource() {
    if (!device_) return false;
    Disable();
    api_.close(device_);
    device_ = nullptr;
    openId_ = 0;
    return true;
  }

  TW_UINT16 Capability(TW_UINT16 message, TW_CAPABILITY& capability) {
    if (capability.Cap != kCapXferCount || !capability.hContainer) return Fail(kCcBadCap);
    auto& value = *static_cast<TW_ONEVALUE*>(capability.hContainer);
    if (message == kMsgGet) {
      capability.ConType = kOnOneValue;
      value.ItemType = kTyInt16;
      value.Item = TW_UINT32(uint16_t(count_));
      return kRcSuccess;
    }
    if (message != kMsgSet || enabled_) return Fail(kCcSeqError);
    const int count = int16_t(uint16_t(value.Item));
    if (count != -1 && count < 1) return Fail(kCcBadValue, kRcCheckStatus);
    count_ = count;
    return kRcSuccess;
  }

  // ---- Options ------------------------------------------------------------

  struct Option {
    SANE_Int index = -1;
    const SANE_Option_Descriptor* descriptor = nullptr;
  };

  Option Find(const char* name) {
    SANE_Int count = 0;
    if (api_.controlOption(device_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return {};
    for (SANE_Int i = 1; i < count; ++i) {
      const SANE_Option_Descriptor* d = api_.optionDescriptor(device_, i);
      if (d && d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap))
        return {i, d};
    }
    return {};
  }

  std::string GetString(const Option& o) {
    if (!o.descriptor || o.descriptor->type != SANE_TYPE_STRING) return {};
    std::vector<char> value(size_t(std::max<SANE_Int>(o.descriptor->size, 1)) + 1, '\0');
    if (api_.controlOption(device_, o.index, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
      return {};
    return value.data();
  }

  static std::vector<std::string> StringList(const Option& o) {
    std::vector<std::string> list;
    if (o.descriptor && o.descriptor->constraint_type == SANE_CONSTRAINT_STRING_LIST)
      for (const SANE_String_Const* s = o.descriptor->constraint.string_list; *s; ++s) list.emplace_back(*s);
    return list;
  }

  static int ToDpi(const Option& o, SANE_Word w) {
    return o.descriptor->type == SANE_TYPE_FIXED ? int(std::lround(SANE_UNFIX(w))) : int(w);
  }

  int GetDpi(const Option& o) {
    SANE_Word w = 0;
    if (!o.descriptor || (o.descriptor->type != SANE_TYPE_INT && o.descriptor->type != SANE_TYPE_FIXED) ||
        api_.controlOption(device_, o.index, SANE_ACTION_GET_VALUE, &w, nullptr) != SANE_STATUS_GOOD)
      return 0;
    return ToDpi(o, w);
  }

  // The resolutions a word list allows, or the usual ones inside a range.
  static std::vector<int> Resolutions(const Option& o, int current) {
    std::vector<int> list;
    if (!o.descriptor) return list;
    if (o.descriptor->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
      const SANE_Word* words = o.descriptor->constraint.word_list;
      for (SANE_Word i = 1; i <= words[0]; ++i) list.push_back(ToDpi(o, words[i]));
    } else if (o.descriptor->constraint_type == SANE_CONSTRAINT_RANGE) {
      const SANE_Range& r = *o.descriptor->constraint.range;
      for (int dpi : {50, 75, 100, 150, 200, 300, 400, 600, 1200, 2400})
        if (dpi >= ToDpi(o, r.min) && dpi <= ToDpi(o, r.max)) list.push_back(dpi);
    }
    if (current > 0 && std::find(list.begin(), list.end(), current) == list.end()) list.push_back(current);
    std::sort(list.begin(), list.end());
    return list;
  }

  void SetString(const char* name, const std::string& value) {
    const Option o = Find(name);
    if (!o.descriptor || value.empty() || !SANE_OPTION_IS_SETTABLE(o.descriptor->cap)) return;
    std::vector<char> buffer(std::max(size_t(o.descriptor->size), value.size() + 1), '\0');
    std::memcpy(buffer.data(), value.data(), value.size());
    api_.controlOption(device_, o.index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
  }

  void SetWord(const Option& o, SANE_Word w) {
    if (o.descriptor && SANE_OPTION_IS_SETTABLE(o.descriptor->cap) && o.descriptor->size == sizeof(SANE_Word))
      api_.controlOption(device_, o.index, SANE_ACTION_SET_VALUE, &w, nullptr);
  }

  // The scan area: the whole bed, as a scanner's own dialog starts with.
  void WholeArea() {
    for (const char* name : {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X, SANE_NAME_SCAN_BR_Y}) {
      const Option o = Find(name);
      if (!o.descriptor || o.descriptor->constraint_type != SANE_CONSTRAINT_RANGE) continue;
      const bool corner = name[0] == 't';
      SetWord(o, corner ? o.descriptor->constraint.range->min : o.descriptor->constraint.range->max);
    }
  }

  void Apply(const ScanSettings& settings) {
    SetString(SANE_NAME_SCAN_MODE, settings.mode);
    SetString(SANE_NAME_SCAN_SOURCE, settings.source);
    const Option resolution = Find(SANE_NAME_SCAN_RESOLUTION);
    if (resolution.descriptor && settings.resolution > 0)
      SetWord(resolution, resolution.descriptor->type == SANE_TYPE_FIXED ? SANE_FIX(settings.resolution)
                                                                          : SANE_Word(settings.resolution));
    WholeArea();
  }

  // ---- Enabled source and the scan worker -------------------------------

  TW_UINT16 Enable(const TW_USERINTERFACE& ui) {
    if (enabled_) return Fail(kCcSeqError);
    enabled_ = true;
    closeRequest_ = false;
    if (ui.ShowUI) {
      ScanChoices choices;
      choices.device = deviceName_;
      const Option mode = Find(SANE_NAME_SCAN_MODE), source = Find(SANE_NAME_SCAN_SOURCE),
                   resolution = Find(SANE_NAME_SCAN_RESOLUTION);
      choices.modes = StringList(mode);
      choices.mode = GetString(mode);
      choices.sources = StringList(source);
      choices.source = GetString(source);
      choices.resolution = GetDpi(resolution);
      choices.resolutions = Resolutions(resolution, choices.resolution);
      const std::optional<ScanSettings> settings = prompts_.ChooseScanSettings(choices);
      if (!settings) {
        // The user closed the dialog: the source asks to be closed.
        closeRequest_ = true;
        return kRcSuccess;
      }
      Apply(*settings);
    }
    const std::string source = GetString(Find(SANE_NAME_SCAN_SOURCE));
    const bool feeder = source.find("Feeder") != std::string::npos || source.find("ADF") != std::string::npos ||
                        source.find("Duplex") != std::string::npos;
    const int dpi = GetDpi(Find(SANE_NAME_SCAN_RESOLUTION));
    cancel_ = false;
    finished_ = false;
    worker_ = std::thread([this, feeder, dpi, count = count_] { Scan(feeder ? count : 1, dpi); });
    progress_ = prompts_.ShowScanProgress(deviceName_, [this] { Cancel(); });
    return kRcSuccess;
  }

  void Cancel() {
    cancel_ = true;
    if (device_) api_.cancel(device_);
  }

  bool Disable() {
    if (!enabled_) return false;
    StopWorker();
    progress_.reset();
    enabled_ = false;
    return true;
  }

  void StopWorker() {
    if (worker_.joinable()) {
      Cancel();
      worker_.join();
    }
    std::lock_guard lock(mutex_);
    pages_.clear();
  }

  TW_UINT16 ProcessEvent(TW_EVENT& event) {
    event.TWMessage = kMsgNull;
    if (!enabled_) return kRcNotDsEvent;
    bool ready = false, over = closeRequest_;
    {
      std::lock_guard lock(mutex_);
      ready = !pages_.empty();
      over = over || (finished_ && pages_.empty());
    }
    if (ready) {
      event.TWMessage = kMsgXferReady;
      return kRcDsEvent;
    }
    if (over) {
      progress_.reset();
      event.TWMessage = kMsgCloseDsReq;
      return kRcDsEvent;
    }
    return kRcNotDsEvent;
  }

  TW_UINT16 EndTransfer(TW_PENDINGXFERS& pending) {
    std::lock_guard lock(mutex_);
    if (pages_.empty()) return Fail(kCcSeqError);
    pages_.pop_front();
    pending.Count = TW_UINT16(pages_.size());
    pending.EOJ = 0;
    return kRcSuccess;
  }

  TW_UINT16 Reset(TW_PENDINGXFERS& pending) {
    StopWorker();
    finished_ = true;
    pending.Count = 0;
    return kRcSuccess;
  }

  // Runs on the worker thread: scans up to `pages` pages (-1: while the
  // feeder gives them), handing each to the UI thread as it is complete.
  void Scan(int pages, int dpi) {
    for (int n = 0; (pages < 0 || n < pages) && !cancel_; ++n) {
      std::optional<Page> page = ScanPage(dpi);
      if (!page) break;
      std::lock_guard lock(mutex_);
      pages_.push_back(std::move(*page));
    }
    api_.cancel(device_);
    std::lock_guard lock(mutex_);
    finished_ = true;
  }

  // Reads the frame under way to its end, handing each whole line to
  // `line` (in order); false on an error or a cancel.
  template <typename Line>
  bool ReadFrame(size_t bytesPerLine, Line&& line) {
    std::vector<uint8_t> chunk(std::max(kReadChunk / bytesPerLine, size_t(1)) * bytesPerLine);
    size_t filled = 0;
    for (;;) {
      if (cancel_) return false;
      SANE_Int got = 0;
      const SANE_Status status =
          api_.read(device_, chunk.data() + filled, SANE_Int(chunk.size() - filled), &got);
      filled += size_t(std::max<SANE_Int>(got, 0));
      if (status != SANE_STATUS_GOOD && status != SANE_STATUS_EOF) return false;
      const size_t whole = filled / bytesPerLine * bytesPerLine;
      for (size_t at = 0; at < whole; at += bytesPerLine) line(chunk.data() + at);
      std::memmove(chunk.data(), chunk.data() + whole, filled - whole);
      filled -= whole;
      if (status == SANE_STATUS_EOF) return true;
    }
  }

  std::optional<Page> ScanPage(int dpi) {
    SANE_Parameters p{};
    Bitmap bitmap;
    std::vector<uint8_t> raw;  // lines of a frame of unknown height, or of a three-pass scan
    int lines = 0;
    for (;;) {
      if (cancel_ || api_.start(device_) != SANE_STATUS_GOOD || api_.getParameters(device_, &p) != SANE_STATUS_GOOD)
        return std::nullopt;
      if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0) return std::nullopt;
      const size_t line = size_t(p.bytes_per_line);
      const bool single = p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB;
      if (single && p.lines > 0) {
        // The usual case: each line goes into its row as it comes.
        bitmap = NewBitmap(p.format, p.depth, p.pixels_per_line, p.lines, dpi);
        if (bitmap.block.empty()) return std::nullopt;
        lines = 0;
        const bool read = ReadFrame(line, [&](const uint8_t* in) {
          if (lines < bitmap.lines) PackLine(p.format, p.depth, p.pixels_per_line, in, bitmap.Row(lines++));
        });
        if (!read) return std::nullopt;
      } else if (single) {
        raw.clear();
        if (!ReadFrame(line, [&](const uint8_t* in) { raw.insert(raw.end(), in, in + line); })) return std::nullopt;
        lines = int(raw.size() / line);
      } else {
        // One colour of a three-pass scan: its samples go into place in RGB lines.
        if (p.depth == 1) return std::nullopt;
        const size_t sample = p.depth == 16 ? 2 : 1, plane = size_t(p.format - SANE_FRAME_RED);
        int y = 0;
        const bool read = ReadFrame(line, [&](const uint8_t* in) {
          if (size_t(y + 1) * line * 3 > raw.size()) raw.resize(size_t(y + 1) * line * 3);
          uint8_t* out = &raw[size_t(y++) * line * 3];
          for (size_t x = 0; x < size_t(p.pixels_per_line); ++x)
            std::memcpy(out + (x * 3 + plane) * sample, in + x * sample, sample);
        });
        if (!read) return std::nullopt;
        lines = std::max(lines, y);
        p.format = SANE_FRAME_RGB;
        p.bytes_per_line *= 3;
      }
      if (p.last_frame) break;
    }
    if (!raw.empty()) {
      bitmap = NewBitmap(p.format, p.depth, p.pixels_per_line, lines, dpi);
      if (bitmap.block.empty()) return std::nullopt;
      for (int y = 0; y < lines; ++y)
        PackLine(p.format, p.depth, p.pixels_per_line, raw.data() + size_t(y) * size_t(p.bytes_per_line),
                 bitmap.Row(y));
    }
    if (bitmap.block.empty()) return std::nullopt;
    Page page;
    page.block = std::move(bitmap.block);
    TW_IMAGEINFO& info = page.info;
    info.XResolution = info.YResolution = {TW_INT16(dpi), 0};
    info.ImageWidth = p.pixels_per_line;
    info.ImageLength = bitmap.lines;
    const bool grey = p.format == SANE_FRAME_GRAY;
    info.SamplesPerPixel = grey ? 1 : 3;
    const TW_INT16 sampleBits = TW_INT16(p.depth == 16 ? 8 : p.depth);
    for (int c = 0; c < info.SamplesPerPixel; ++c) info.BitsPerSample[c] = grey || p.depth != 1 ? sampleBits : 8;
    info.BitsPerPixel = grey ? sampleBits : 24;
    info.PixelType = grey ? (p.depth == 1 ? kPtBw : kPtGray) : kPtRgb;
    return page;
  }

  Library library_;
  SaneApi api_;
  Prompts& prompts_;
  bool managerOpen_ = false;
  TW_UINT16 condition_ = kCcSuccess, lastCondition_ = kCcSuccess;
  std::vector<std::string> names_;  // the device list as last read
  std::string chosen_;              // the source last selected
  SANE_Handle device_ = nullptr;
  std::string deviceName_;
  TW_UINT32 openId_ = 0;
  int count_ = -1;
  bool enabled_ = false;
  bool closeRequest_ = false;
  std::unique_ptr<ScanProgress> progress_;

  std::thread worker_;
  std::atomic<bool> cancel_ = false;
  std::mutex mutex_;
  std::deque<Page> pages_;  // finished pages not transferred yet
  bool finished_ = false;   // the worker is done
};

}  // namespace

std::unique_ptr<SourceManager> LoadSaneSourceManager(Prompts& prompts, const std::string& library) {
  // The library stays mapped after its last close: backends may leave a
  // reader thread that ends only after sane_close has returned.
  Library handle(dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
  if (!handle) return nullptr;
  SaneApi api;
  void* l = handle.get();
  if (!Bind(l, "sane_init", api.init) || !Bind(l, "sane_exit", api.exit) ||
      !Bind(l, "sane_get_devices", api.getDevices) || !Bind(l, "sane_open", api.open) ||
      !Bind(l, "sane_close", api.close) || !Bind(l, "sane_get_option_descriptor", api.optionDescriptor) ||
      !Bind(l, "sane_control_option", api.controlOption) || !Bind(l, "sane_get_parameters", api.getParameters) ||
      !Bind(l, "sane_start", api.start) || !Bind(l, "sane_read", api.read) || !Bind(l, "sane_cancel", api.cancel))
    return nullptr;
  return std::make_unique<SaneSourceManager>(std::move(handle), api, prompts);
}

}  // namespace lumora
