// A shell that records what it was asked to do and answers from a script,
// without starting programs or touching files.
#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace lumora::testing_support {

class RecordingShell final : public Shell {
 public:
  // Every call, e.g. "open https://...", "start /opt/x/Tool.exe in /opt/x",
  // "delete /a/b", "trash /a/b", "rename /a -> /b", "copy /a/x.jpg -> /dest".
  std::vector<std::string> calls;
  bool startResult = true;
  FileOpResult fileOpResult = FileOpResult::Done;
  // What a move to the trash answers; by default there is no trash, so
  // callers go on to delete.
  FileOpResult trashResult = FileOpResult::Failed;

  bool OpenDocument(const std::string& target) override;
  bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::string& startFolder) override;
  FileOpResult DeletePaths(const std::vector<std::string>& paths) override;
  FileOpResult TrashPaths(const std::vector<std::string>& paths) override;
  FileOpResult RenamePath(const std::string& from, const std::string& to) override;
  FileOpResult CopyPaths(const std::vector<std::string>& sources, const std::string& toFolder) override;
};

}  // namespace lumora::testing_support
