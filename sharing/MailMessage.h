// MailMessage: one outgoing message, built, sent and dropped within one
// command: the note text, the To and Cc recipients and the attached files,
// handed to the user's mail client (platform/MailClient.h). MailService is
// what every message of a process shares: the client and the answer to "is
// there a mail client", asked once.
//
// MailItems hands a list of files to the client the way the Mail command
// does, for the main window and for lumora-cli alike.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/MailClient.h"

namespace lumora {

class Prompts;

struct MailService {
  explicit MailService(MailClient& c) : client(c) {}
  MailClient& client;
  int available = -1;  // -1 until first asked, then 1 or 0

  bool Available() {
    if (available < 0) available = client.Available() ? 1 : 0;
    return available == 1;
  }
};

class MailMessage {
 public:
  enum Error : int {
    kNoError = 0,
    kClientMissing = 1,       // there is no mail client to hand messages to
    kNoMemoryTo = 3,          // a To recipient was left out
    kNoMemoryCc = 4,          // a Cc recipient was left out
    kNoMemoryAttachment = 5,  // an attachment was left out
  };
  // The text shown when there is no mail client (prompt 61840).
  static constexpr uint32_t kClientMissingPrompt = 61840;
  static constexpr char kClientMissingText[] = "Mail support could not be loaded.";

  // Finds the mail client; without one, shows kClientMissingText with
  // `caption` and the message is unusable (error kClientMissing).
  MailMessage(MailService& service, Prompts& prompts, const std::string& caption);

  // Each adds a copy; false (and the error code set) when there is no memory.
  bool AddTo(std::string_view name);
  bool AddCc(std::string_view name);
  bool AddAttachment(std::string_view path, std::string_view displayName = {});

  // Appends one space to the note for each attachment, each attachment
  // standing in for one of them, hands the message to the client with
  // `flags` and mailflag::kLogonUi, and drops the recipients and
  // attachments. 1 when the outcome needs no error report (success, the user
  // cancelled, the logon failed), else 0.
  int Send(uint32_t flags);

  Error error() const { return error_; }
  const MailDraft& draft() const { return draft_; }
  void SetNote(std::string note) { draft_.note = std::move(note); }

 private:
  MailService& service_;
  MailDraft draft_;
  Error error_ = kNoError;
};

// What handing a list of files to the mail client came to.
enum class MailOutcome {
  NothingSelected,  // there was nothing to send; the client was not looked for
  Unavailable,      // there is no mail client (the user was told)
  Opened,           // the compose window opened (or the user cancelled it)
  Failed,           // the client could not be started (the user was told)
};

struct MailTexts {
  std::string caption;       // every message's caption
  std::string noneSelected;  // shown when there is nothing to send
};

// The client could not be started or said it failed.
inline constexpr char kMailFailedText[] = "The mail client could not be started.";

// The Mail command: the files of the selected entries, in list order, as the
// attachments of one message shown in the client's compose window. An entry
// without its file (nothing) is passed over. Nothing selected shows
// `texts.noneSelected` topmost and never looks for the client.
MailOutcome MailItems(MailService& service, Prompts& prompts, const MailTexts& texts,
                      std::span<const std::optional<std::string>> selected);

}  // namespace lumora
