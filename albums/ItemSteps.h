// The steps of making one item that the still pictures and the videos share,
// kept apart from the video previews (see MakePictureItem in ItemLoader.h).
#pragma once

#include <string>

#include "albums/ItemLoader.h"

namespace lumora {

// The item for the file at `path`: name, path, kind and time. `error` is set
// (status Left) when the name has none of the item extensions or the file is
// empty or not a readable file.
NewItem BeginAlbumItem(const std::string& path);

// Decodes the still picture a thumbnail is made from and reports the full
// size its place comes from. JPEGs decode at reduced scale while the result
// still covers the cell; the codec is chosen by the item's kind, not by
// searching the whole name, so "a.gif.jpg" is read as the JPEG it is. Empty
// on success, else "<FORMAT>: <reason>".
// The decode covers at least `minWidth` x `minHeight`.
std::string LoadItemPicture(const std::string& path, ItemKind kind, int minWidth, int minHeight, DibImage& picture,
                            int& fullWidth, int& fullHeight);

// Finishes the item from the thumbnail cache when it can: a current entry
// gives the picture (status Added), a recorded failure leaves the item out
// unread. False, with `made` untouched, when there is no cache or no entry.
bool FinishFromCache(NewItem& made, const ThumbnailCache* cache, const ThumbnailCell& cell, const DibImage& frame);

// Places `picture` (full size `fullWidth` x `fullHeight`) in the cell and
// composes the thumbnail: status Added, or `error` set.
void FinishAlbumItem(NewItem& made, const DibImage& picture, int fullWidth, int fullHeight, const ThumbnailCell& cell,
                     const DibImage& frame);

}  // namespace lumora
