// Loading the message texts from the string table.
#include "app/MessageStrings.h"

#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace lumora {

void MessageStrings::Load(const Resources& resources) {
  texts_.clear();
  for (const uint32_t id : res::kMessageStringIds) {
    std::string text = resources.String(id).value_or("");
    const bool progressText = id == 15 || id == 16;
    if (progressText && text.size() >= kProgressTextBytes) text.resize(kProgressTextBytes - 1);
    texts_[id] = std::move(text);
  }
}

const std::string& MessageStrings::Text(uint32_t id) const {
  static const std::string kEmpty;
  const auto found = texts_.find(id);
  return found == texts_.end() ? kEmpty : found->second;
}

const std::string& MessageStrings::Caption() const { return Text(res::kStringProgramName); }

}  // namespace lumora
