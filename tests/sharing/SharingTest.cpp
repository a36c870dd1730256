// Mail messages over a recording mail client, the wallpaper backends' order
// and the set-and-restore of the desktop wallpaper over scripted backends.
#include <gtest/gtest.h>

#include "media/codecs/PictureFiles.h"
#include "picture/DibImage.h"
#include "platform/Registry.h"
#include "platform/testing/DesktopDoubles.h"
#include "platform/testing/ScriptedPrompts.h"
#include "settings/Settings.h"
#include "sharing/DesktopWallpaper.h"
#include "sharing/MailMessage.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

using testing_support::RecordingMailClient;
using testing_support::ScriptedDesktop;
using testing_support::ScriptedPrompts;
using ScriptedBackend = testing_support::ScriptedWallpaper;

const MailTexts kTexts{"Lumora", "No Picture Selected"};

TEST(MailMessage, AttachmentsTakeTheNotesTrailingSpacesAndCopiesAreDroppedAfterSending) {
  struct Case {
    std::string note;
    int files;
    std::string sentNote;
    std::vector<uint32_t> positions;
  };
  const Case cases[] = {
      {"", 3, "   ", {0, 1, 2}},
      {"ab", 3, "ab   ", {2, 3, 4}},
      {"x", 0, "x", {}},
  };
  for (const Case& c : cases) {
    RecordingMailClient client;
    MailService service(client);
    ScriptedPrompts prompts;
    MailMessage message(service, prompts, "Lumora");
    message.SetNote(c.note);
    ASSERT_TRUE(message.AddTo("ann@example.org"));
    ASSERT_TRUE(message.AddCc("bob@example.org"));
    for (int i = 0; i < c.files; ++i) ASSERT_TRUE(message.AddAttachment("/p/" + std::to_string(i) + ".jpg"));
    EXPECT_EQ(message.Send(mailflag::kDialog), 1);
    ASSERT_EQ(client.sent.size(), 1u);
    const MailDraft& draft = client.sent[0];
    EXPECT_EQ(draft.note, c.sentNote) << c.note;
    std::vector<uint32_t> positions;
    for (const MailAttachment& a : draft.attachments) positions.push_back(a.position);
    EXPECT_EQ(positions, c.positions) << c.note;
    ASSERT_EQ(draft.recipients.size(), 2u);
    EXPECT_EQ(draft.recipients[0].kind, RecipientClass::To);
    EXPECT_EQ(draft.recipients[1].kind, RecipientClass::Cc);
    EXPECT_EQ(client.flags[0], mailflag::kDialog | mailflag::kLogonUi);
    EXPECT_TRUE(message.draft().attachments.empty());
    EXPECT_TRUE(message.draft().recipients.empty());
    EXPECT_EQ(message.error(), MailMessage::kNoError);
  }
}

TEST(MailMessage, SuccessAbortAndLogonFailureNeedNoReportEverythingElseDoes) {
  const std::pair<int, int> cases[] = {
      {kMailSuccess, 1}, {kMailUserAbort, 1}, {kMailLogonFailure, 1}, {kMailFailure, 0}, {11, 0}, {-1, 0},
  };
  for (const auto& [code, result] : cases) {
    RecordingMailClient client;
    client.code = code;
    MailService service(client);
    ScriptedPrompts prompts;
    MailMessage message(service, prompts, "Lumora");
    message.AddAttachment("/a.jpg");
    EXPECT_EQ(message.Send(mailflag::kDialog), result) << "code " << code;
  }
}

TEST(MailMessage, NoClientShowsTheSupportTextOnceAndSendsNothingAndTheAnswerIsAskedOnce) {
  RecordingMailClient client;
  client.present = false;
  MailService service(client);
  ScriptedPrompts prompts;
  prompts.ExpectMessage(MailMessage::kClientMissingText, "Lumora", box::kIconExclamation, kAnswerOk);
  const std::vector<std::optional<std::string>> files{"/a.jpg"};
  EXPECT_EQ(MailItems(service, prompts, kTexts, files), MailOutcome::Unavailable);
  EXPECT_TRUE(client.sent.empty());
  // The answer is kept: the client is not looked for again.
  client.present = true;
  prompts.ExpectMessage(MailMessage::kClientMissingText);
  EXPECT_EQ(MailItems(service, prompts, kTexts, files), MailOutcome::Unavailable);
  EXPECT_EQ(client.availabilityAsked, 1);
  prompts.ExpectMessage(MailMessage::kClientMissingText);
  MailMessage unusable(service, prompts, "Lumora");
  EXPECT_EQ(unusable.error(), MailMessage::kClientMissing);
  EXPECT_EQ(unusable.Send(mailflag::kDialog), 0);
  EXPECT_TRUE(prompts.AllAnswered());
}

TEST(MailItems, SelectedFilesGoInListOrderPastEntriesWithoutRecordAndFailuresAreReported) {
  RecordingMailClient client;
  MailService service(client);
  ScriptedPrompts prompts;

  // Nothing selected: the message, and the client is never looked for.
  prompts.ExpectMessage("No Picture Selected", "Lumora", box::kTopmost, kAnswerOk);
  EXPECT_EQ(MailItems(service, prompts, kTexts, {}), MailOutcome::NothingSelected);
  EXPECT_EQ(client.availabilityAsked, 0);

  const std::vector<std::optional<std::string>> selected{"/al/c.jpg", std::nullopt, "/al/a.bmp", "/al/b.tif"};
  EXPECT_EQ(MailItems(service, prompts, kTexts, selected), MailOutcome::Opened);
  ASSERT_EQ(client.sent.size(), 1u);
  std::vector<std::string> paths;
  for (const MailAttachment& a : client.sent[0].attachments) paths.push_back(a.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"/al/c.jpg", "/al/a.bmp", "/al/b.tif"}));
  EXPECT_EQ(client.sent[0].note, "   ");

  client.code = kMailFailure;
  prompts.ExpectMessage(kMailFailedText, "Lumora", box::kIconExclamation | box::kTopmost, kAnswerOk);
  EXPECT_EQ(MailItems(service, prompts, kTexts, selected), MailOutcome::Failed);
  EXPECT_TRUE(prompts.AllAnswered());
}

TEST(WallpaperBackendOrder, PortalFirstThenTheDesktopsOwnElseTheRootWindowOnX11) {
  using Names = std::vector<std::string_view>;
  struct Case {
    std::string_view desktop;
    bool portal;
    bool x11;
    Names order;
  };
  const Case cases[] = {
      {"GNOME", true, true, {"portal", "gnome"}},
      {"ubuntu:GNOME", false, true, {"gnome"}},
      {"Unity", false, true, {"gnome"}},
      {"Budgie:GNOME", false, false, {"gnome"}},
      {"X-Cinnamon", false, true, {"cinnamon"}},
      {"mate", false, true, {"mate"}},
      {"KDE", true, false, {"portal", "plasma"}},
      {"XFCE", false, true, {"xfce"}},
      {"LXQt", false, true, {"lxqt"}},
      {"", false, true, {"x11-root"}},
      {"i3", true, true, {"portal", "x11-root"}},
      {"sway", false, false, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WallpaperBackendOrder(c.desktop, c.portal, c.x11), c.order) << c.desktop;
  for (const std::string_view name : {"portal", "gnome", "cinnamon", "mate", "plasma", "xfce", "lxqt", "x11-root"}) {
    const auto backend = MakeWallpaperBackend(name);
    ASSERT_TRUE(backend) << name;
    EXPECT_EQ(backend->Name(), name);
  }
  EXPECT_FALSE(MakeWallpaperBackend("nonesuch"));
}

DibImage SmallPicture() {
  DibImage picture;
  EXPECT_TRUE(picture.Create(3, 2, 24));
  return picture;
}

std::string Stored(Registry& registry, std::string_view name) {
  std::string value;
  ReadMachineString(registry, AppKey, name, value, "");
  return value;
}

TEST(DesktopWallpaper, FirstBackendThatSetsWinsAndTheEarlierWallpaperComesBackFromItsReader) {
  test::TempDir temp;
  Registry registry = Registry::InMemory();
  ScriptedDesktop portal{std::nullopt, false, false, {}, {}};
  ScriptedDesktop gnome{"'file:///old.jpg'", true, true, {}, {}};
  std::vector<std::unique_ptr<WallpaperBackend>> backends;
  backends.push_back(std::make_unique<ScriptedBackend>("portal", portal));
  backends.push_back(std::make_unique<ScriptedBackend>("gnome", gnome));
  DesktopWallpaper wallpaper(registry, std::move(backends));
  const auto file = DesktopWallpaper::PicturePath(temp / "data", "Lumora");
  EXPECT_EQ(file.filename(), "Lumora Wallpaper.bmp");

  const DibImage picture = SmallPicture();
  EXPECT_EQ(wallpaper.Set(picture, file), DesktopWallpaper::Result::Done);
  EXPECT_EQ(wallpaper.LastBackend(), "gnome");
  DibImage saved;
  ASSERT_TRUE(LoadPictureFile(saved, file.string()));
  EXPECT_EQ(saved.width(), 3);
  EXPECT_EQ(portal.log, (std::vector<std::string>{"portal set Lumora Wallpaper.bmp 3x2"}));
  EXPECT_EQ(Stored(registry, kWallpaperBackend), "gnome");
  EXPECT_EQ(Stored(registry, kPreviousWallpaper), "'file:///old.jpg'");

  // A second picture before the restore keeps the user's own wallpaper as the earlier one.
  EXPECT_EQ(wallpaper.Set(picture, file), DesktopWallpaper::Result::Done);
  EXPECT_EQ(Stored(registry, kPreviousWallpaper), "'file:///old.jpg'");

  // A new start (a new object over the same settings) sets it back.
  std::vector<std::unique_ptr<WallpaperBackend>> again;
  again.push_back(std::make_unique<ScriptedBackend>("gnome", gnome));
  DesktopWallpaper restarted(registry, std::move(again));
  EXPECT_EQ(restarted.Restore(), DesktopWallpaper::Result::Done);
  EXPECT_EQ(gnome.reading, "'file:///old.jpg'");
  EXPECT_EQ(Stored(registry, kWallpaperBackend), "");
  EXPECT_EQ(restarted.Restore(), DesktopWallpaper::Result::NothingToRestore);
}

TEST(DesktopWallpaper, FailuresAreReportedAndLeaveTheSettingsAlone) {
  test::TempDir temp;
  Registry registry = Registry::InMemory();
  ScriptedDesktop desktop{"none", false, false, {}, {}};
  std::vector<std::unique_ptr<WallpaperBackend>> backends;
  backends.push_back(std::make_unique<ScriptedBackend>("xfce", desktop));
  backends.push_back(std::make_unique<ScriptedBackend>("x11-root", desktop));
  DesktopWallpaper wallpaper(registry, std::move(backends));
  const DibImage picture = SmallPicture();

  // Every backend refuses.
  EXPECT_EQ(wallpaper.Set(picture, temp / "Lumora Wallpaper.bmp"), DesktopWallpaper::Result::SetFailed);
  EXPECT_EQ(desktop.log.size(), 2u);
  EXPECT_EQ(Stored(registry, kWallpaperBackend), "");
  // The picture cannot be saved (its folder is a file): no backend is asked.
  std::ofstream(temp / "file") << "x";
  EXPECT_EQ(wallpaper.Set(picture, temp / "file" / "Lumora Wallpaper.bmp"), DesktopWallpaper::Result::SaveFailed);
  EXPECT_EQ(desktop.log.size(), 2u);
  // A restore the backend refuses keeps the reading for the next try.
  desktop.sets = true;
  ASSERT_EQ(wallpaper.Set(picture, temp / "Lumora Wallpaper.bmp"), DesktopWallpaper::Result::Done);
  EXPECT_EQ(Stored(registry, kWallpaperBackend), "xfce");
  EXPECT_EQ(wallpaper.Restore(), DesktopWallpaper::Result::RestoreFailed);
  EXPECT_EQ(Stored(registry, kPreviousWallpaper), "none");
  for (const auto result : {DesktopWallpaper::Result::SaveFailed, DesktopWallpaper::Result::SetFailed,
                            DesktopWallpaper::Result::NothingToRestore, DesktopWallpaper::Result::RestoreFailed})
    EXPECT_FALSE(DesktopWallpaper::Text(result).empty());
  EXPECT_EQ(DesktopWallpaper::Text(DesktopWallpaper::Result::SetFailed), "The wallpaper could not be set.");
}

TEST(WallpaperPixels, TrueColourAndPalettedRowsTopFirst) {
  DibImage rgb;
  ASSERT_TRUE(rgb.Create(2, 2, 24));
  {
    RowTable rows(rgb);
    rows[0][0] = 0x30, rows[0][1] = 0x20, rows[0][2] = 0x10;  // blue, green, red
    rows[1][3] = 0xFF;
  }
  const WallpaperPicture p = WallpaperPixels(rgb);
  EXPECT_EQ(p.width, 2);
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x102030, 0, 0, 0x0000FF}));

  DibImage grey;
  ASSERT_TRUE(grey.Create(3, 1, 8));  // the grey ramp
  {
    RowTable rows(grey);
    rows[0][0] = 0, rows[0][1] = 0x80, rows[0][2] = 0xFF;
  }
  EXPECT_EQ(WallpaperPixels(grey).pixels, (std::vector<uint32_t>{0, 0x808080, 0xFFFFFF}));
  DibImage hiColour;
  ASSERT_TRUE(hiColour.Create(2, 2, 16));
  EXPECT_TRUE(WallpaperPixels(hiColour).pixels.empty());
}

}  // namespace
}  // namespace lumora
