// The extension rules of the drop target: the filter texts of
// DragAcceptFileFilters, the extension a dragged path contributes, and the
// test of the dragged extensions against the accept and reject lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumora::dropdialog {

// "JPG, BMP" -> {"JPG", "BMP"}: split at blanks and commas, empty parts dropped.
std::vector<std::string> SplitFilterText(std::string_view text);

// The text after the last "." of the file name (the part after the last "/")
// when that "." is not its last character, without trailing blanks, in ASCII
// upper case; "" when the name has no such ".".
std::string DraggedExtension(std::string_view path);

// Adds the extension unless it is there already (exact comparison).
void AddDraggedExtension(std::vector<std::string>& extensions, std::string extension);

// True when every extension passes: with a non-empty accept list it must match
// one of its entries, and it must match no entry of the reject list (entries
// compared ignoring ASCII case).
bool ExtensionsPass(const std::vector<std::string>& extensions, const std::vector<std::string>& acceptList,
                    const std::vector<std::string>& rejectList);

}  // namespace lumora::dropdialog
