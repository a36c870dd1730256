// The user's mail client: a message handed over with its recipients, note
// and attached files opens in the client's compose window, where the user
// fills in the rest and sends it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumora {

// A recipient's class.
enum class RecipientClass : uint32_t { To = 1, Cc = 2 };

struct MailRecipient {
  RecipientClass kind = RecipientClass::To;
  std::string name;
};

struct MailAttachment {
  std::string path;
  std::string displayName;  // empty: the file's own name
  // The character of the note the attachment stands in for.
  uint32_t position = 0;
};

// One message as the client receives it; the subject stays empty.
struct MailDraft {
  std::string note;
  std::vector<MailRecipient> recipients;
  std::vector<MailAttachment> attachments;
};

// Flags of a hand-over.
namespace mailflag {
inline constexpr uint32_t kLogonUi = 0x1;  // the client may ask the user to log on
inline constexpr uint32_t kDialog = 0x8;   // the user sees the message before it goes
}  // namespace mailflag

// What a hand-over came to: the numbers of the classic mail interface.
enum MailCode : int {
  kMailSuccess = 0,
  kMailUserAbort = 1,
  kMailFailure = 2,
  kMailLogonFailure = 3,
};

class MailClient {
 public:
  virtual ~MailClient() = default;
  // True when there is a client to hand messages to. Callers ask once and
  // keep the answer (MailMessage does).
  virtual bool Available() = 0;
  // Hands the message over with `flags` (mailflag); returns a MailCode.
  virtual int Send(const MailDraft& draft, uint32_t flags) = 0;
};

// The desktop's mail client through xdg-email: one "--attach" a file, "--cc"
// for copies, the To recipients as addresses, the note as the body when it
// holds more than the attachments' placeholder spaces. xdg-email ends once
// the compose window is open: exit status 0 is success, any other failure.
class XdgMailClient final : public MailClient {
 public:
  static constexpr char kProgram[] = "xdg-email";

  bool Available() override;
  int Send(const MailDraft& draft, uint32_t flags) override;

  // xdg-email's arguments for `draft`.
  static std::vector<std::string> Arguments(const MailDraft& draft);
};

}  // namespace lumora
