// Handing messages to the desktop's mail client with xdg-email.
#include "platform/MailClient.h"

#include "platform/Exec.h"

namespace lumora {

bool XdgMailClient::Available() { return !FindProgram(kProgram).empty(); }

std::vector<std::string> XdgMailClient::Arguments(const MailDraft& draft) {
  std::vector<std::string> args;
  // The note's spaces only mark where attachments go; xdg-email adds the
  // files itself, so a note of nothing else is left out.
  if (draft.note.find_first_not_of(' ') != std::string::npos) {
    args.push_back("--body");
    args.push_back(draft.note);
  }
  for (const MailRecipient& r : draft.recipients) {
    if (r.kind != RecipientClass::Cc) continue;
    args.push_back("--cc");
    args.push_back(r.name);
  }
  for (const MailAttachment& a : draft.attachments) {
    args.push_back("--attach");
    args.push_back(a.path);
  }
  for (const MailRecipient& r : draft.recipients) {
    if (r.kind == RecipientClass::To) args.push_back(r.name);
  }
  return args;
}

int XdgMailClient::Send(const MailDraft& draft, uint32_t) {
  // xdg-email always opens the compose window, whatever the flags ask.
  const std::string program = FindProgram(kProgram);
  if (program.empty()) return kMailFailure;
  return RunProgram(program, Arguments(draft)).ok() ? kMailSuccess : kMailFailure;
}

}  // namespace lumora
