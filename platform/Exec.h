// Handing the running process over to another program, as a small front
// program does when a command needs a larger sibling program.
#pragma once

#include <string>
#include <vector>

namespace lumora {

// Replaces the running process with the program at `path`, given `args`
// (args[0] included). Returns only when that fails, with errno's value.
int ReplaceProcess(const std::string& path, const std::vector<std::string>& args);

}  // namespace lumora
