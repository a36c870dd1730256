// Building a message and handing it to the mail client.
#include "sharing/MailMessage.h"

#include <new>

#include "platform/Prompts.h"

namespace lumora {

MailMessage::MailMessage(MailService& service, Prompts& prompts, const std::string& caption) : service_(service) {
  if (!service_.Available()) {
    error_ = kClientMissing;
    prompts.ShowMessage(kClientMissingText, caption, box::kIconExclamation);
  }
}

bool MailMessage::AddTo(std::string_view name) {
  try {
    draft_.recipients.push_back({RecipientClass::To, std::string(name)});
    return true;
  } catch (const std::bad_alloc&) {
    error_ = kNoMemoryTo;
    return false;
  }
}

bool MailMessage::AddCc(std::string_view name) {
  try {
    draft_.recipients.push_back({RecipientClass::Cc, std::string(name)});
    return true;
  } catch (const std::bad_alloc&) {
    error_ = kNoMemoryCc;
    return false;
  }
}

bool MailMessage::AddAttachment(std::string_view path, std::string_view displayName) {
  try {
    draft_.attachments.push_back({std::string(path), std::string(displayName), 0});
    return true;
  } catch (const std::bad_alloc&) {
    error_ = kNoMemoryAttachment;
    return false;
  }
}

int MailMessage::Send(uint32_t flags) {
  if (error_ == kClientMissing) return 0;
  const size_t former = draft_.note.size();
  draft_.note.append(draft_.attachments.size(), ' ');
  for (size_t i = 0; i < draft_.attachments.size(); ++i) draft_.attachments[i].position = uint32_t(former + i);
  const int code = service_.client.Send(draft_, flags | mailflag::kLogonUi);
  draft_.recipients.clear();
  draft_.attachments.clear();
  return code == kMailSuccess || code == kMailUserAbort || code == kMailLogonFailure ? 1 : 0;
}

MailOutcome MailItems(MailService& service, Prompts& prompts, const MailTexts& texts,
                      std::span<const std::optional<std::string>> selected) {
  if (selected.empty()) {
    prompts.ShowMessage(texts.noneSelected, texts.caption, box::kTopmost);
    return MailOutcome::NothingSelected;
  }
  MailMessage message(service, prompts, texts.caption);
  if (!service.Available()) return MailOutcome::Unavailable;
  for (const std::optional<std::string>& path : selected) {
    if (path) message.AddAttachment(*path);
  }
  if (message.Send(mailflag::kDialog) == 1) return MailOutcome::Opened;
  prompts.ShowMessage(kMailFailedText, texts.caption, box::kIconExclamation | box::kTopmost);
  return MailOutcome::Failed;
}

}  // namespace lumora
