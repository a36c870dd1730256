// The acquisition protocol between the program and a source manager: the
// identity record, the triplet codes (data group, data argument type,
// message), return and condition codes, and the data records each triplet
// carries. The records keep the protocol's 2-byte packing, so the identity is
// 156 bytes as sources expect.
//
// A source manager is reached through one entry point taking (origin,
// destination, data group, data argument type, message, data); SourceManager
// is that entry point together with whatever it loaded.
#pragma once

#include <cstdint>
#include <vector>

namespace lumora {

using TW_UINT16 = uint16_t;
using TW_UINT32 = uint32_t;
using TW_INT16 = int16_t;
using TW_INT32 = int32_t;
using TW_BOOL = uint16_t;
using TW_STR32 = char[34];

#pragma pack(push, 2)

struct TW_VERSION {
  TW_UINT16 MajorNum;
  TW_UINT16 MinorNum;
  TW_UINT16 Language;
  TW_UINT16 Country;
  TW_STR32 Info;
};

struct TW_IDENTITY {
  TW_UINT32 Id;
  TW_VERSION Version;
  TW_UINT16 ProtocolMajor;
  TW_UINT16 ProtocolMinor;
  TW_UINT32 SupportedGroups;
  TW_STR32 Manufacturer;
  TW_STR32 ProductFamily;
  TW_STR32 ProductName;
};

struct TW_FIX32 {
  TW_INT16 Whole;
  TW_UINT16 Frac;
};

struct TW_USERINTERFACE {
  TW_BOOL ShowUI;
  TW_BOOL ModalUI;
  void* hParent;
};

// pEvent is the window message offered to the source; TWMessage is what the
// source says back (kMsgXferReady, kMsgCloseDsReq or kMsgNull).
struct TW_EVENT {
  void* pEvent;
  TW_UINT16 TWMessage;
};

struct TW_PENDINGXFERS {
  TW_UINT16 Count;  // 0xFFFF: an unknown number more
  TW_UINT32 EOJ;
};

struct TW_STATUS {
  TW_UINT16 ConditionCode;
  TW_UINT16 Reserved;
};

struct TW_IMAGEINFO {
  TW_FIX32 XResolution;
  TW_FIX32 YResolution;
  TW_INT32 ImageWidth;
  TW_INT32 ImageLength;
  TW_INT16 SamplesPerPixel;
  TW_INT16 BitsPerSample[8];
  TW_INT16 BitsPerPixel;
  TW_BOOL Planar;
  TW_INT16 PixelType;
  TW_UINT16 Compression;
};

struct TW_ONEVALUE {
  TW_UINT16 ItemType;
  TW_UINT32 Item;
};

// hContainer points at a TW_ONEVALUE the caller owns, for set and get alike.
struct TW_CAPABILITY {
  TW_UINT16 Cap;
  TW_UINT16 ConType;
  void* hContainer;
};

#pragma pack(pop)

static_assert(sizeof(TW_IDENTITY) == 156);

// A native transfer's data: the packed bitmap (40-byte information header,
// colour table, bottom-up rows padded to 4 bytes) moved into the caller's block.
using TW_NATIVEIMAGE = std::vector<uint8_t>;

namespace twain {
// Data groups.
inline constexpr TW_UINT32 kDgControl = 0x1;
inline constexpr TW_UINT32 kDgImage = 0x2;
// Data argument types.
inline constexpr TW_UINT16 kDatCapability = 1, kDatEvent = 2, kDatIdentity = 3, kDatParent = 4,
                           kDatPendingXfers = 5, kDatStatus = 8, kDatUserInterface = 9, kDatImageInfo = 0x0101,
                           kDatImageNativeXfer = 0x0104;
// Messages.
inline constexpr TW_UINT16 kMsgNull = 0, kMsgGet = 1, kMsgGetDefault = 3, kMsgSet = 6, kMsgReset = 7,
                           kMsgXferReady = 0x0101, kMsgCloseDsReq = 0x0102, kMsgOpenDsm = 0x0301,
                           kMsgCloseDsm = 0x0302, kMsgOpenDs = 0x0401, kMsgCloseDs = 0x0402, kMsgUserSelect = 0x0403,
                           kMsgDisableDs = 0x0501, kMsgEnableDs = 0x0502, kMsgProcessEvent = 0x0601,
                           kMsgEndXfer = 0x0701;
// Return codes.
inline constexpr TW_UINT16 kRcSuccess = 0, kRcFailure = 1, kRcCheckStatus = 2, kRcCancel = 3, kRcDsEvent = 4,
                           kRcNotDsEvent = 5, kRcXferDone = 6, kRcEndOfList = 7;
// Condition codes.
inline constexpr TW_UINT16 kCcSuccess = 0, kCcBummer = 1, kCcLowMemory = 2, kCcNoDs = 3, kCcOperationError = 5,
                           kCcBadCap = 6, kCcBadValue = 10, kCcSeqError = 11, kCcBadDest = 12;
// Capabilities, containers and item types.
inline constexpr TW_UINT16 kCapXferCount = 1;
inline constexpr TW_UINT16 kOnOneValue = 5, kOnDontCare = 0xFFFF;
inline constexpr TW_UINT16 kTyInt16 = 1, kTyUInt16 = 4;
// Pixel types of the image information.
inline constexpr TW_INT16 kPtBw = 0, kPtGray = 1, kPtRgb = 2, kPtPalette = 3;
// Supported groups: control and image.
inline constexpr TW_UINT32 kGroupsControlAndImage = kDgControl | kDgImage;
}  // namespace twain

class SourceManager {
 public:
  virtual ~SourceManager() = default;
  // The source manager's entry point. `destination` is null for the
  // triplets addressed to the source manager itself.
  virtual TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 argumentType,
                          TW_UINT16 message, void* data) = 0;
};

}  // namespace lumora
