// AlbumBrowser: the album list's behaviour. It lists, sorts and selects the
// albums at start, opens the album the user clicks (loading its items into
// the ItemBrowser) with the open animation, follows the pointer in the full
// layout, and carries out the album commands: new, delete, rename with the
// list's label editor, and the information dialog.
#pragma once

#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>

#include "app/MainLayout.h"

class QDialog;
class QWidget;

namespace lumora {

class AlbumListView;
class Desktop;
class ItemBrowser;
class MessageStrings;
class Prompts;
class Registry;
class Shell;
class Skin;

class AlbumBrowser {
 public:
  struct Services {
    Registry& registry;
    Shell& shell;
    Prompts& prompts;
    Desktop& desktop;
    const MessageStrings& messages;
    const Skin& skin;
    // Runs a modal dialog (the information dialog) to its end.
    std::function<int(QDialog&)> runDialog;
  };
  // The period of the open animation's frames.
  static constexpr int kAnimationMs = 70;

  // `owner` parents the information dialog.
  AlbumBrowser(Services services, AlbumListView& list, ItemBrowser& items, QWidget& owner);
  AlbumBrowser(const AlbumBrowser&) = delete;
  AlbumBrowser& operator=(const AlbumBrowser&) = delete;

  // The list's look in this layout (frames, background); the animation
  // opens an album at once in the compact layout, frame by frame in the full one.
  void SetLayout(layout::WindowMode mode);
  // The album list at start: lists, sorts and selects the albums, reads the
  // sort settings into the ItemBrowser and loads the current album's items.
  void Build();
  // Refills the item list from the current album; false when there is none
  // or its folder could not be listed. Another album clicked while the items
  // load stops that load and opens the clicked album.
  bool LoadItems();
  // Stops the open animation, giving back the mouse and the cursor it held.
  void EndOpenAnimation();
  bool Animating() const { return animation_.isActive(); }
  // The end of the window: the animation stops, the list empties.
  void Clear();

  // --- The album commands.
  void NewAlbum();
  void DeleteAlbum();
  void RenameAlbum();
  void ShowInfo();

  // The name "AlbumName" held at start: the album to select first.
  const std::string& StartAlbumName() const { return startAlbumName_; }
  // The current album: an index into the album list, -1 for none.
  int Current() const { return current_; }
  // The current album's folder, empty for none.
  std::string CurrentPath() const;
  // The albums root: the program's folder + "/Albums/".
  std::string RootPath() const;

 private:
  // Makes `index` the current album (the old one shows its closed picture)
  // and starts its open animation.
  void OpenAlbum(int index);
  void StartOpenAnimation();
  void OnAnimationTick();
  void OnClicked(int row);
  void OnHover(int row);
  void OnLabelEdited(int row, const QString& text);
  void OpenLabelEditorLater(int row);
  // A message of the album commands: caption string 14, top-most.
  int ShowMessage(const std::string& text, uint32_t style);

  Services services_;
  AlbumListView& list_;
  ItemBrowser& items_;
  QWidget& owner_;
  layout::WindowMode mode_ = layout::WindowMode::Original;
  QTimer animation_;
  // The open animation holds the mouse and the wait cursor until it ends.
  bool animationHolds_ = false;
  std::string startAlbumName_;
  int current_ = -1;
  int hover_ = -1;  // the album under the pointer in the full layout
  int clickedWhileLoading_ = -1;  // the album to open once the stopped load has returned
};

}  // namespace lumora
