// The outcome of a codec call: the module's error value, its fixed text from
// the module's one text table, and a detail saying what and where with the
// numbers. Discarding it is a compile-time warning.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

template <class Error, std::string_view (*Text)(Error)>
struct [[nodiscard]] CodecResult {
  Error error = Error::None;
  std::string detail;

  explicit operator bool() const { return error == Error::None; }
  // One line for an error message: the fixed text, then the detail.
  std::string Reason() const {
    std::string reason(Text(error));
    if (!detail.empty()) reason += ": " + detail;
    return reason;
  }
};

}  // namespace lumora
