// MessageStrings: the texts of the main window's messages, loaded once from the
// string table when the window initialises. Other parts of the window show
// their messages from here, most with string 14 (the program name) as caption.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace lumora {

class Resources;

class MessageStrings {
 public:
  // The two progress texts (15 and 16) are kept in buffers of this size, so
  // they are cut to one byte less.
  static constexpr size_t kProgressTextBytes = 255;

  // Loads every message id (ResourceIds.h: kMessageStringIds); an id the table
  // lacks reads as empty.
  void Load(const Resources& resources);
  // The text of a loaded id; empty for an id that was not loaded.
  const std::string& Text(uint32_t id) const;
  // The program name, the caption of most messages.
  const std::string& Caption() const;
  // Frees the texts (the window's destroy sequence).
  void Clear() { texts_.clear(); }

 private:
  std::map<uint32_t, std::string> texts_;
};

}  // namespace lumora
