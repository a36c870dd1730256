// PhotoEditor: the photo editor mode of the main window. It owns the effect
// levels, the picture view (ImageCanvas), the level bars, the zoom and blend
// lists and the effect progress bar, and carries out every editor command:
// entering from an album item, the level, toggle and rotation buttons with
// their recomputation, zoom, region select, trim, the overlay picture, the
// background colour, the panels, previous and next, back to the stored
// picture, save and close, and making the picture the desktop wallpaper.
//
// The editor's buttons are the main window's skin buttons and the item list
// is the window's: the editor reaches them through its host. Every message
// and file or colour dialog goes through Prompts, every program through Shell.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "editor/effects/ClassicRandom.h"
#include "editor/effects/EffectLevels.h"

class QComboBox;
class QObject;
class QWidget;

namespace lumora {

class Desktop;
class DesktopWallpaper;
class ImageCanvas;
class LevelBar;
class Prompts;
class Registry;
class Resources;
class Shell;

// What the main window does for the editor.
class EditorHost {
 public:
  virtual ~EditorHost() = default;
  // The window the editor's controls are children of.
  virtual QWidget& Window() = 0;
  // The editor's buttons are the window's skin buttons: shown or hidden, and
  // their look (0 normal, 2 active: the current panel, region select on).
  virtual void ShowButton(uint32_t control, bool visible) = 0;
  virtual void SetButtonLook(uint32_t control, int look) = 0;
  // The album's items in list order, and the last selected one (-1: none).
  virtual std::vector<std::string> ItemPaths() const = 0;
  virtual int LastSelectedItem() const = 0;
  // Makes `row` the list's current, selected item.
  virtual void SelectItem(int row) = 0;
  // The file at `path` was written: its thumbnail is made again.
  virtual void RefreshItem(const std::string& path) = 0;
  // Switches to the full-screen form with the album controls hidden; false
  // when the work area is too small (the process was told to end).
  virtual bool EnterEditorForm() = 0;
  // Back to the album controls in the full-screen form; the item list is
  // refilled at the full layout's thumbnail size.
  virtual void LeaveEditorForm() = 0;
  // The desktop wallpaper the "Wallpaper" button sets and takes back.
  virtual DesktopWallpaper& Wallpaper() = 0;
  // Minimises every window, the main window too, to show the desktop.
  virtual void ShowDesktop() = 0;
};

class PhotoEditor {
 public:
  struct Services {
    Prompts& prompts;
    Shell& shell;
    Desktop& desktop;
    const Resources& resources;
  };

  // The companion player of recordings, in the program's folder.
  static constexpr char kPlayerName[] = "Clipview";
  static constexpr char kPlayerFileArgument[] = "/file";
  // Messages and captions.
  static constexpr uint32_t kSaveChanges = 17;       // "Do you want to save the changes?"
  static constexpr uint32_t kReturnToOriginal = 22;  // "Do you want to return to Original Image?"
  static constexpr uint32_t kNotInstalled = 137;
  static constexpr char kRegionOnCaption[] = "Vistorell";
  static constexpr char kWriteError[] = "Error writing the file";
  // The overlay picture's file dialog.
  static constexpr char kImageFilter[] =
      "Image Files(*.BMP, *.GIF, *.JPG, *.TIF)|*.BMP;*.GIF;*.JPG;*.TIF|Jpeg Files(*.JPG)|*.JPG|Bitmap "
      "Files(*.BMP)|*.BMP|GIF Files(*.GIF)|*.GIF|TIF Files(*.TIF)|*.TIF|";

  // Builds the editor's controls as hidden children of the host's window.
  PhotoEditor(Services services, EditorHost& host);
  ~PhotoEditor();
  PhotoEditor(const PhotoEditor&) = delete;
  PhotoEditor& operator=(const PhotoEditor&) = delete;

  // Every command id the editor carries out (its buttons); the window makes
  // one action for each and hands it to OnCommand.
  static std::span<const uint32_t> Commands();
  void OnCommand(uint32_t id);

  // "&Edit", "Open" and a double click: the last selected item opens. Videos
  // go to the desktop's player, recordings to the companion player, pictures
  // into the editor.
  void Enter();
  bool IsOpen() const { return open_; }
  // The window closes: when the editor is open, asks to save changes (Yes,
  // No) and frees the pictures. False when Yes was chosen and the save
  // failed: the window stays open so the edit is not lost.
  bool CloseForExit();

  // Places the controls for a window of this size.
  void Place(int width, int height);
  // The row labels of the current panel, painted by the window over its background.
  void PaintPanel(QWidget& window) const;

  // --- State the window and the tests read.
  const EffectLevels& Levels() const { return levels_; }
  ImageCanvas& Canvas() const { return *canvas_; }
  const std::string& CurrentPath() const { return path_; }
  int CurrentRow() const { return row_; }
  editor::Panel CurrentPanel() const { return panel_; }
  bool Trimmed() const { return trimmed_; }
  // The "Wallpaper" button has set the wallpaper (its next click sets the
  // earlier one again).
  bool WallpaperSet() const { return wallpaperSet_; }
  QComboBox& ZoomList() const { return *zoomList_; }
  QComboBox& BlendList() const { return *blendList_; }
  // The bar with this control id (level bars and the progress bar), or null.
  LevelBar* Bar(uint32_t control) const;
  // Recomputations run since the editor was built (tests: a click at a limit runs none).
  int Recomputations() const { return recomputations_; }

 private:
  class KeyFilter;

  void CreateControls();
  std::string Caption() const;
  // Frees the pictures and hides the controls.
  void Leave();
  void OpenPicture(const std::string& path, int row);
  void ShowControls(bool open);
  void ShowPanel(editor::Panel panel);
  void ResetEffects();
  void Recompute();
  void UpdateBars();
  void UpdateZoomList();
  bool HasPicture() const;

  // The save question with Yes, No and (with `cancel`) Cancel. Yes saves over
  // the current path. Stop when the user cancelled or the save failed: the
  // caller goes no further.
  enum class Unsaved { Saved, Discarded, Stop };
  Unsaved AskToSave(bool cancel, const std::string& caption);
  // Writes the displayed picture over the current path and refreshes its
  // item; on failure shows the error and changes nothing.
  bool SaveCurrent();
  // After the save question: the levels reset and the stored picture read again.
  void ReloadAfterQuestion();

  void OnLevel(uint32_t control);
  void OnToggle(Toggle toggle);
  void OnRotate(int direction);
  void OnZoom(bool in);
  void OnRegionSelect();
  void OnTrim();
  void OnLoadImage();
  void OnUnloadImage();
  void OnBlendChosen(int index);
  void OnBackground();
  void OnStep(int direction);
  void OnOriginal();
  void OnSave();
  void OnClose();
  void OnWallpaper();

  Services services_;
  EditorHost& host_;
  EffectLevels levels_;
  ClassicRandom random_;
  ImageCanvas* canvas_ = nullptr;
  QComboBox* zoomList_ = nullptr;
  QComboBox* blendList_ = nullptr;
  LevelBar* progress_ = nullptr;
  std::vector<std::pair<uint32_t, LevelBar*>> bars_;
  std::unique_ptr<KeyFilter> keys_;
  std::vector<std::unique_ptr<QObject>> shortcuts_;

  bool open_ = false;
  std::string path_;
  int row_ = -1;
  editor::Panel panel_ = editor::Panel::Distortion;
  bool trimmed_ = false;
  bool wallpaperSet_ = false;
  ViewRect trimSelection_;
  bool followingZoom_ = false;  // the zoom list is being set to the view's step
  int recomputations_ = 0;
};

}  // namespace lumora
