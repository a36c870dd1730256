// Recording shell for tests.
#include "platform/testing/RecordingShell.h"

namespace lumora::testing_support {

namespace {
std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : " ") + p;
  return out;
}
}  // namespace

bool RecordingShell::OpenDocument(const std::string& target) {
  calls.push_back("open " + target);
  return startResult;
}

bool RecordingShell::StartProgram(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& startFolder) {
  std::string call = "start " + program;
  if (!args.empty()) call += " " + Join(args);
  if (!startFolder.empty()) call += " in " + startFolder;
  calls.push_back(call);
  return startResult;
}

FileOpResult RecordingShell::DeletePaths(const std::vector<std::string>& paths) {
  calls.push_back("delete " + Join(paths));
  return fileOpResult;
}

FileOpResult RecordingShell::TrashPaths(const std::vector<std::string>& paths) {
  calls.push_back("trash " + Join(paths));
  return trashResult;
}

FileOpResult RecordingShell::RenamePath(const std::string& from, const std::string& to) {
  calls.push_back("rename " + from + " -> " + to);
  return fileOpResult;
}

FileOpResult RecordingShell::CopyPaths(const std::vector<std::string>& sources, const std::string& toFolder) {
  calls.push_back("copy " + Join(sources) + " -> " + toFolder);
  return fileOpResult;
}

}  // namespace lumora::testing_support
