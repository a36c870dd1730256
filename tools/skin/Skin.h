// Everything the skin generator makes, by where it goes: bitmaps by resource id,
// the two JPEG data resources, the cursor and icon images, and the two album
// list backgrounds that live beside the program.
#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "tools/skin/SkinFiles.h"

namespace lumora::skin {

struct Skin {
  std::map<uint32_t, QImage> bitmaps;  // written as bitmap/<id>.bmp
  QImage compactBackground;            // data/452, JPEG
  QImage audioPicture;                 // data/436, JPEG
  std::vector<IconImage> cursor;       // cursor/532.cur
  std::vector<IconImage> icon;         // icon/128.ico
  QImage compactAlbumBase;             // TValbumbase.bmp
  QImage maxAlbumBase;                 // newAlbumBase.bmp
};

// The parts, each drawing its share into `skin`.
void DrawButtons(Skin& skin);
void DrawAlbums(Skin& skin);       // strips, thumbnail frames, album list backgrounds
void DrawChrome(Skin& skin);       // compact background, full-screen and editor pieces
void DrawExtras(Skin& skin);       // splash, cursor, icon, audio-only picture

// The colour the buttons of `set` are shown on (their soft edges blend into it).
QColor ButtonMatte(std::string_view set);

}  // namespace lumora::skin
