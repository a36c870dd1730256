// Helpers shared by every prompt backend.
#include "platform/Prompts.h"

namespace lumora {

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
  std::vector<std::string_view> fields;
  while (!filter.empty()) {
    size_t bar = filter.find('|');
    fields.push_back(filter.substr(0, bar));
    if (bar == std::string_view::npos) break;
    filter.remove_prefix(bar + 1);
  }
  std::vector<FileFilter> out;
  for (size_t i = 0; i + 1 < fields.size(); i += 2) {
    FileFilter f{std::string(fields[i]), {}};
    std::string_view pats = fields[i + 1];
    while (!pats.empty()) {
      size_t semi = pats.find(';');
      std::string_view p = pats.substr(0, semi);
      while (!p.empty() && p.front() == ' ') p.remove_prefix(1);
      while (!p.empty() && p.back() == ' ') p.remove_suffix(1);
      if (!p.empty()) f.patterns.emplace_back(p);
      if (semi == std::string_view::npos) break;
      pats.remove_prefix(semi + 1);
    }
    if (!f.patterns.empty()) out.push_back(std::move(f));
  }
  return out;
}

}  // namespace lumora
