// TwainLink: the program's side of scanner and camera acquisition. It owns
// the source manager (loaded on the first "Select Source..."), keeps the
// application and source identities, the state flags, the last return and
// condition codes and the image count, and sends every triplet through one
// routine. Acquired images are made 24-bit, saved as PIC<n>.bmp in the open
// album and handed to the owner, which adds them to the item list.
//
// States: library loaded -> source manager open -> source open -> source
// enabled -> transfer ready -> transferring -> back to enabled; down again by
// disable, close source, close source manager. The source's messages
// ("transfer ready", "close request") are polled through ProcessEvent on the
// UI thread; the source scans on its own thread meanwhile.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Twain.h"

namespace lumora {

class DibImage;
class Prompts;

// What the link needs from the window that owns it.
class TwainOwner {
 public:
  virtual ~TwainOwner() = default;
  // The folder of the album that is open, ending in "/"; empty without one.
  virtual std::string AlbumFolder() const = 0;
  // A saved picture, to be added to the item list.
  virtual void AddAcquiredItem(const std::string& path) = 0;
};

class TwainLink {
 public:
  // Loads the source manager; null when it can't be loaded.
  using Loader = std::function<std::unique_ptr<SourceManager>()>;

  static constexpr char kCantLoad[] = "Unable to load Twain Driver.";
  static constexpr char kCantWrite[] = "Error writing the file";
  static constexpr char kSummaryFormat[] =
      "%d out of %d file(s) were not recognized. Recognized files have been imported.";
  // Image information that fails is asked again this many times, a pause
  // apart (five seconds in all), before the transfers are reset.
  static constexpr int kImageInfoTries = 50;
  static constexpr std::chrono::milliseconds kImageInfoPause{100};

  // What DecideNextImage answers.
  enum Decision : int { kTransfer = 0, kSkip = 1, kCancelRest = 2 };

  // `caption` titles the messages (the program name).
  TwainLink(Prompts& prompts, std::string caption, Loader loader,
            std::chrono::milliseconds imageInfoPause = kImageInfoPause);
  // Stops (closes the source and the source manager) and frees the library.
  virtual ~TwainLink();
  TwainLink(const TwainLink&) = delete;
  TwainLink& operator=(const TwainLink&) = delete;

  // Fills the application identity.
  virtual void FillIdentity();
  // The default source the first time, then the user's choice; true when a
  // source was selected.
  virtual bool SelectSource();
  // Opens the selected (or the default) source; true when open.
  virtual bool OpenSource();
  // About the next image: transfer, skip or cancel the rest. Every image is transferred.
  virtual int DecideNextImage();
  virtual void DisableSource();
  // May the source be closed on its request.
  virtual bool CanCloseSource();

  // Loads the source manager and opens it for `owner`; false (after the
  // message "Unable to load Twain Driver." when the library is missing)
  // when either fails.
  bool Start(TwainOwner* owner);
  // Closes the source, then the source manager.
  void Stop();
  // Opens the source when it is not, sets the image count, and enables the
  // source with its user interface. `count` -1 asks for every image.
  bool Acquire(int count = -1);
  bool SetImageCount(int count);
  bool EnableSource(bool showUi = true);
  void CloseSource();
  // Offers the source its chance to speak; true when it did ("transfer
  // ready" runs the transfer loop, "close request" closes the source).
  bool ProcessEvent();

  bool Loaded() const { return manager_ != nullptr; }
  bool ManagerOpen() const { return managerOpen_; }
  bool SourceOpen() const { return sourceOpen_; }
  bool SourceEnabled() const { return sourceEnabled_; }
  bool SourceSelected() const { return sourceSelected_; }
  TW_UINT16 ReturnCode() const { return returnCode_; }
  TW_UINT16 ConditionCode() const { return conditionCode_; }
  int ImageCount() const { return imageCount_; }
  const TW_IDENTITY& AppIdentity() const { return app_; }
  const TW_IDENTITY& SourceIdentity() const { return source_; }
  // Images transferred and files imported since the last Acquire.
  int Transferred() const { return transferred_; }
  int Imported() const { return imported_; }

  // Every triplet goes through here: the application identity as origin,
  // the source identity as destination (none for the source manager's own
  // triplets). Asks for the condition code after a non-zero return code;
  // true only for success. Without a source manager: false, return code 1.
  bool Call(TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message, void* data, bool toSource = true);

 private:
  bool HandleEvent();
  void TransferLoop();
  // Makes the image 24-bit, picks its name and saves it; true when saved.
  bool SaveImage(TW_NATIVEIMAGE block);
  void Message(const std::string& text);

  Prompts& prompts_;
  std::string caption_;
  Loader loader_;
  std::chrono::milliseconds imageInfoPause_;
  std::unique_ptr<SourceManager> manager_;
  TwainOwner* owner_ = nullptr;
  TW_IDENTITY app_{};
  TW_IDENTITY source_{};
  bool managerOpen_ = false;
  bool sourceOpen_ = false;
  bool sourceEnabled_ = false;
  bool sourceSelected_ = false;
  TW_UINT16 returnCode_ = twain::kRcSuccess;
  TW_UINT16 conditionCode_ = twain::kCcSuccess;
  int imageCount_ = -1;
  int transferred_ = 0;
  int imported_ = 0;
  bool inEvent_ = false;  // ProcessEvent is under way
};

// The picture as 24 bits a pixel: 24-bit pictures as they are; 1-, 4- and
// 8-bit pictures through their colour table (most significant bits first).
// False, leaving the picture as it was, for other depths or a broken table.
bool MakeTwentyFourBit(DibImage& picture);

// The first of folder + "PIC0.bmp", "PIC1.bmp", ... that does not exist;
// past PIC999.bmp the numbering goes on rather than reusing a name.
std::string AcquiredPictureName(const std::string& folder);

}  // namespace lumora
