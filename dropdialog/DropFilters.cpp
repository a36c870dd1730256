// Extension filters of the drop target.
#include "dropdialog/DropFilters.h"

#include <algorithm>

#include "platform/Paths.h"

namespace lumora::dropdialog {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

bool Listed(const std::vector<std::string>& list, std::string_view extension) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& entry) { return EqualsIgnoreCase(entry, extension); });
}

}  // namespace

std::vector<std::string> SplitFilterText(std::string_view text) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at < text.size()) {
    if (IsSeparator(text[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    parts.emplace_back(text.substr(at, end - at));
    at = end;
  }
  return parts;
}

std::string DraggedExtension(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return {};
  std::string extension(name.substr(dot + 1));
  while (!extension.empty() && extension.back() == ' ') extension.pop_back();
  for (char& c : extension)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return extension;
}

void AddDraggedExtension(std::vector<std::string>& extensions, std::string extension) {
  if (std::find(extensions.begin(), extensions.end(), extension) != extensions.end()) return;
  extensions.push_back(std::move(extension));
}

bool ExtensionsPass(const std::vector<std::string>& extensions, const std::vector<std::string>& acceptList,
                    const std::vector<std::string>& rejectList) {
  for (const std::string& extension : extensions) {
    if (!acceptList.empty() && !Listed(acceptList, extension)) return false;
    if (Listed(rejectList, extension)) return false;
  }
  return true;
}

}  // namespace lumora::dropdialog
