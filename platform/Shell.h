// The shell: opening documents and web addresses with the desktop's default
// handler, starting programs, and the file operations on whole files and
// folders (delete, rename, copy) that album and export commands use.
#pragma once

#include <string>
#include <vector>

namespace lumora {

enum class FileOpResult {
  Done,     // everything was done
  Failed,   // something could not be done; what was done stays done
  Aborted,  // the user cancelled; nothing more was done
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Opens a file or a web address with the desktop's default handler.
  // True when the handler was started.
  virtual bool OpenDocument(const std::string& target) = 0;

  // Starts a program on its own (it outlives us and is never waited for),
  // in `startFolder` when one is given. True when the program was started.
  virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& startFolder) = 0;

  // Deletes files and folders with everything in them; no recycle bin, no
  // confirmation.
  virtual FileOpResult DeletePaths(const std::vector<std::string>& paths) = 0;

  // Moves files and folders to the desktop trash, where the user can take
  // them back. Failed when one of them could not go (it stays where it was;
  // the others have gone).
  virtual FileOpResult TrashPaths(const std::vector<std::string>& paths) = 0;

  // Renames (moves) one file or folder; an existing `to` is never replaced.
  virtual FileOpResult RenamePath(const std::string& from, const std::string& to) = 0;

  // Copies files and folders into `toFolder` (created when missing), replacing
  // files of the same name there.
  virtual FileOpResult CopyPaths(const std::vector<std::string>& sources, const std::string& toFolder) = 0;
};

// The shell of this system: xdg-open, posix_spawn and the file system.
class PosixShell final : public Shell {
 public:
  bool OpenDocument(const std::string& target) override;
  bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::string& startFolder) override;
  FileOpResult DeletePaths(const std::vector<std::string>& paths) override;
  FileOpResult TrashPaths(const std::vector<std::string>& paths) override;
  FileOpResult RenamePath(const std::string& from, const std::string& to) override;
  FileOpResult CopyPaths(const std::vector<std::string>& sources, const std::string& toFolder) override;
};

}  // namespace lumora
