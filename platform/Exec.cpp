// Replacing the running process with execv.
#include "platform/Exec.h"

#include <unistd.h>

#include <cerrno>

namespace lumora {

int ReplaceProcess(const std::string& path, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(path.c_str(), argv.data());
  return errno;
}

}  // namespace lumora
