// The acquisition link: triplets, the transfer loop and the saving of images.
#include "media/twain/TwainLink.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "media/codecs/Bmp.h"
#include "picture/DibImage.h"
#include "platform/Prompts.h"

namespace lumora {

using namespace twain;

namespace {

void CopyText(TW_STR32& field, const char* text) {
  std::memset(field, 0, sizeof field);
  std::strncpy(field, text, sizeof field - 1);
}

bool Exists(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

bool MakeTwentyFourBit(DibImage& picture) {
  const std::optional<DibLayout> l = picture.layout();
  if (!l) return false;
  if (l->bitCount == 24) return true;
  const int bits = l->bitCount;
  if (bits != 1 && bits != 4 && bits != 8) return false;
  const std::span<const uint8_t> table = picture.ColourTable();
  const size_t entries = table.size() / l->entryBytes;
  DibImage out;
  if (!out.Create(l->width, l->height, 24)) return false;
  const RowView in = picture.Rows();
  const RowTable rows(out);
  const unsigned mask = (1u << bits) - 1;
  for (int32_t y = 0; y < l->height; ++y) {
    const uint8_t* src = in[y];
    uint8_t* dst = rows[y];
    for (int32_t x = 0; x < l->width; ++x, dst += 3) {
      const size_t bit = size_t(x) * size_t(bits);
      const size_t index = (src[bit / 8] >> (8 - bits - bit % 8)) & mask;
      if (index < entries) std::memcpy(dst, &table[index * l->entryBytes], 3);
    }
  }
  picture = std::move(out);
  return true;
}

std::string AcquiredPictureName(const std::string& folder) {
  for (int i = 0;; ++i) {
    std::string path = folder + "PIC" + std::to_string(i) + ".bmp";
    if (!Exists(path)) return path;
  }
}

TwainLink::TwainLink(Prompts& prompts, std::string caption, Loader loader,
                     std::chrono::milliseconds imageInfoPause)
    : prompts_(prompts), caption_(std::move(caption)), loader_(std::move(loader)), imageInfoPause_(imageInfoPause) {}

TwainLink::~TwainLink() { Stop(); }

void TwainLink::FillIdentity() {
  app_ = TW_IDENTITY{};
  app_.Id = 0;
  app_.Version.MajorNum = 3;
  app_.Version.MinorNum = 5;
  app_.Version.Language = 13;  // English, USA
  app_.Version.Country = 1;    // USA
  CopyText(app_.Version.Info, "3.5");
  app_.ProtocolMajor = 1;
  app_.ProtocolMinor = 8;
  app_.SupportedGroups = kGroupsControlAndImage;
  CopyText(app_.Manufacturer, "Varno");
  CopyText(app_.ProductFamily, "Generic");
  CopyText(app_.ProductName, "Twain Test");
}

bool TwainLink::Call(TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message, void* data, bool toSource) {
  if (!manager_) {
    returnCode_ = kRcFailure;
    return false;
  }
  returnCode_ = manager_->Entry(&app_, toSource ? &source_ : nullptr, group, argumentType, message, data);
  if (returnCode_ != kRcSuccess) {
    TW_STATUS status{};
    manager_->Entry(&app_, toSource ? &source_ : nullptr, kDgControl, kDatStatus, kMsgGet, &status);
    conditionCode_ = status.ConditionCode;
  }
  return returnCode_ == kRcSuccess;
}

bool TwainLink::Start(TwainOwner* owner) {
  if (!owner) return false;
  owner_ = owner;
  if (!manager_) manager_ = loader_ ? loader_() : nullptr;
  if (!manager_) {
    Message(kCantLoad);
    return false;
  }
  FillIdentity();
  // The parent window has no meaning for the source manager here; the
  // owner stands for it.
  managerOpen_ = Call(kDgControl, kDatParent, kMsgOpenDsm, owner, false);
  return managerOpen_;
}

void TwainLink::Stop() {
  CloseSource();
  if (managerOpen_) {
    Call(kDgControl, kDatParent, kMsgCloseDsm, owner_, false);
    managerOpen_ = false;
  }
}

bool TwainLink::SelectSource() {
  if (!managerOpen_ || sourceOpen_) return false;
  if (!sourceSelected_) Call(kDgControl, kDatIdentity, kMsgGetDefault, &source_, false);
  if (!Call(kDgControl, kDatIdentity, kMsgUserSelect, &source_, false)) return false;
  sourceSelected_ = true;
  return true;
}

bool TwainLink::OpenSource() {
  if (sourceOpen_) return true;
  if (!managerOpen_) return false;
  sourceOpen_ = Call(kDgControl, kDatIdentity, kMsgOpenDs, &source_, false);
  return sourceOpen_;
}

int TwainLink::DecideNextImage() { return kTransfer; }

void TwainLink::DisableSource() {
  if (!sourceEnabled_) return;
  TW_USERINTERFACE ui{};
  Call(kDgControl, kDatUserInterface, kMsgDisableDs, &ui);
  sourceEnabled_ = false;
}

bool TwainLink::CanCloseSource() { return true; }

void TwainLink::CloseSource() {
  DisableSource();
  if (!sourceOpen_) return;
  Call(kDgControl, kDatIdentity, kMsgCloseDs, &source_, false);
  sourceOpen_ = false;
}

bool TwainLink::SetImageCount(int count) {
  TW_ONEVALUE value{kTyInt16, TW_UINT32(uint16_t(int16_t(count)))};
  TW_CAPABILITY capability{kCapXferCount, kOnOneValue, &value};
  if (Call(kDgControl, kDatCapability, kMsgSet, &capability)) {
    imageCount_ = count;
    return true;
  }
  if (returnCode_ != kRcCheckStatus) return false;
  // The source refused the count: set back the count it has.
  TW_ONEVALUE current{};
  TW_CAPABILITY get{kCapXferCount, kOnDontCare, &current};
  if (!Call(kDgControl, kDatCapability, kMsgGet, &get)) return false;
  TW_ONEVALUE again{kTyUInt16, uint16_t(current.Item)};
  TW_CAPABILITY set{kCapXferCount, kOnOneValue, &again};
  if (!Call(kDgControl, kDatCapability, kMsgSet, &set)) return false;
  imageCount_ = int(uint16_t(current.Item));
  return true;
}

bool TwainLink::EnableSource(bool showUi) {
  if (sourceEnabled_) return true;
  TW_USERINTERFACE ui{TW_BOOL(showUi), 0, owner_};
  sourceEnabled_ = Call(kDgControl, kDatUserInterface, kMsgEnableDs, &ui);
  return sourceEnabled_;
}

bool TwainLink::Acquire(int count) {
  // An acquisition under way goes on as it is.
  if (sourceEnabled_) return true;
  if (!OpenSource()) return false;
  transferred_ = imported_ = 0;
  SetImageCount(count);
  return EnableSource(true);
}

bool TwainLink::ProcessEvent() {
  // A message box of the transfer loop runs its own event loop, in which
  // the poll comes again: the source waits for the loop to finish.
  if (!sourceEnabled_ || inEvent_) return false;
  inEvent_ = true;
  const bool claimed = HandleEvent();
  inEvent_ = false;
  return claimed;
}

bool TwainLink::HandleEvent() {
  TW_EVENT event{nullptr, kMsgNull};
  Call(kDgControl, kDatEvent, kMsgProcessEvent, &event);
  if (returnCode_ != kRcDsEvent) return false;
  if (event.TWMessage == kMsgXferReady) {
    TransferLoop();
  } else if (event.TWMessage == kMsgCloseDsReq && CanCloseSource()) {
    CloseSource();
    if (imported_ < transferred_) {
      char text[sizeof kSummaryFormat + 40];
      std::snprintf(text, sizeof text, kSummaryFormat, transferred_ - imported_, transferred_);
      Message(text);
    }
  }
  return true;
}

void TwainLink::TransferLoop() {
  TW_PENDINGXFERS pending{1, 0};
  while (pending.Count != 0 && sourceEnabled_) {
    TW_IMAGEINFO info{};
    int tries = 0;
    while (!Call(kDgImage, kDatImageInfo, kMsgGet, &info)) {
      if (++tries == kImageInfoTries) break;
      std::this_thread::sleep_for(imageInfoPause_);
    }
    if (tries == kImageInfoTries) {
      Call(kDgControl, kDatPendingXfers, kMsgReset, &pending);
      return;
    }
    switch (DecideNextImage()) {
      case kSkip:
        Call(kDgControl, kDatPendingXfers, kMsgEndXfer, &pending);
        continue;
      case kCancelRest:
        Call(kDgControl, kDatPendingXfers, kMsgReset, &pending);
        return;
      default:
        break;
    }
    TW_NATIVEIMAGE image;
    Call(kDgImage, kDatImageNativeXfer, kMsgGet, &image);
    if (returnCode_ == kRcXferDone) {
      ++transferred_;
      if (SaveImage(std::move(image))) ++imported_;
    } else if (returnCode_ == kRcFailure) {
      Call(kDgControl, kDatPendingXfers, kMsgReset, &pending);
      return;
    }
    Call(kDgControl, kDatPendingXfers, kMsgEndXfer, &pending);
    if (returnCode_ != kRcSuccess) return;
  }
}

bool TwainLink::SaveImage(TW_NATIVEIMAGE block) {
  DibImage picture;
  const std::string folder = owner_ ? owner_->AlbumFolder() : std::string();
  std::string path;
  bool saved = false;
  if (picture.Adopt(std::move(block), false) && MakeTwentyFourBit(picture) && !folder.empty()) {
    path = AcquiredPictureName(folder);
    saved = static_cast<bool>(WriteBmpFile(picture, path));
  }
  if (!saved) {
    Message(kCantWrite);
    return false;
  }
  owner_->AddAcquiredItem(path);
  return true;
}

void TwainLink::Message(const std::string& text) { prompts_.ShowMessage(text, caption_, box::kOk); }

}  // namespace lumora
