// The formats that cross between programs, byte for byte: the file list block
// (built, refused, and parsed within its own length) and the announce entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dropdialog/QvDropDialog.h"

namespace lumora::test {
namespace {

QByteArray Header(uint32_t listOffset, uint32_t wide = 0) {
  QByteArray header(20, '\0');
  for (int i = 0; i < 4; ++i) {
    header[i] = char(listOffset >> (8 * i));
    header[16 + i] = char(wide >> (8 * i));
  }
  return header;
}

TEST(FileListBlockTest, HoldsTheHeaderThePathsAndZeroPaddingInItsFixedSize) {
  const std::optional<QByteArray> block = QvDropDialog::CreateDropFiles({"/albums/a.jpg", "/b.avi"});
  ASSERT_TRUE(block);
  ASSERT_EQ(block->size(), 2 * 260 + 21);
  QByteArray expected = Header(20);
  expected += QByteArray("/albums/a.jpg\0/b.avi\0\0", 23);
  EXPECT_EQ(block->left(expected.size()), expected);
  EXPECT_EQ(block->mid(expected.size()), QByteArray(block->size() - expected.size(), '\0'));
  EXPECT_EQ(QvDropDialog::ReadDropFiles(*block), (std::vector<std::string>{"/albums/a.jpg", "/b.avi"}));

  const std::optional<QByteArray> empty = QvDropDialog::CreateDropFiles({});
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty, Header(20) + QByteArray(1, '\0'));
  EXPECT_EQ(QvDropDialog::ReadDropFiles(*empty), std::vector<std::string>{});
}

TEST(FileListBlockTest, RefusesPathsItCannotHold) {
  const std::string longest = "/" + std::string(258, 'x');
  const std::optional<QByteArray> fits = QvDropDialog::CreateDropFiles({longest});
  ASSERT_TRUE(fits);
  EXPECT_EQ(QvDropDialog::ReadDropFiles(*fits), std::vector<std::string>{longest});

  EXPECT_FALSE(QvDropDialog::CreateDropFiles({"/a.jpg", longest + "y"})) << "260 bytes overrun the slot";
  EXPECT_FALSE(QvDropDialog::CreateDropFiles({"/a.jpg", ""})) << "an empty path would end the list";
  EXPECT_FALSE(QvDropDialog::CreateDropFiles({std::string("/a\0b.jpg", 8)}));
}

TEST(FileListBlockTest, MalformedBlocksAreRefusedWithoutReadingPastTheirEnd) {
  const QByteArray valid = Header(20) + QByteArray("/a.jpg\0\0", 8);
  ASSERT_EQ(QvDropDialog::ReadDropFiles(valid), std::vector<std::string>{"/a.jpg"});

  EXPECT_FALSE(QvDropDialog::ReadDropFiles(valid.left(19))) << "short header";
  EXPECT_FALSE(QvDropDialog::ReadDropFiles(valid.left(27))) << "no empty path closes the list";
  EXPECT_FALSE(QvDropDialog::ReadDropFiles(valid.left(26))) << "the path runs to the end";
  EXPECT_FALSE(QvDropDialog::ReadDropFiles(Header(16) + QByteArray("/a.jpg\0\0", 8))) << "offset inside the header";
  EXPECT_FALSE(QvDropDialog::ReadDropFiles(Header(28))) << "offset past the end";
  EXPECT_FALSE(QvDropDialog::ReadDropFiles(Header(20, 1) + QByteArray("/\0\0\0\0\0", 6))) << "wide characters";
  const QByteArray tooLong = Header(20) + QByteArray(260, 'x') + QByteArray(2, '\0');
  EXPECT_FALSE(QvDropDialog::ReadDropFiles(tooLong));

  // The list may start after extra header bytes.
  const QByteArray later = Header(24) + QByteArray("..../a.jpg\0\0", 12);
  EXPECT_EQ(QvDropDialog::ReadDropFiles(later), std::vector<std::string>{"/a.jpg"});
}

TEST(AnnounceEntryTest, HoldsTheHandleAndAZeroTerminatedProgramName) {
  const QByteArray entry = QvDropDialog::MakeAnnounceEntry(0x01020304, "Tunerec");
  ASSERT_EQ(entry.size(), 260);
  QByteArray expected("\x04\x03\x02\x01Tunerec", 11);
  expected += QByteArray(260 - 11, '\0');
  EXPECT_EQ(entry, expected);
  EXPECT_EQ(QvDropDialog::ReadAnnounceEntry(entry), (QvDropDialog::ChildDialog{0x01020304, "Tunerec"}));

  // A long name keeps 255 bytes at most, cut before a split character.
  const std::string name = std::string(254, 'n') + "\xC3\xA9";
  const std::optional<QvDropDialog::ChildDialog> cut =
      QvDropDialog::ReadAnnounceEntry(QvDropDialog::MakeAnnounceEntry(7, name));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->programFileName, std::string(254, 'n'));
  EXPECT_EQ(QvDropDialog::ReadAnnounceEntry(QvDropDialog::MakeAnnounceEntry(7, std::string(300, 'n')))
                ->programFileName.size(),
            255u);
}

TEST(AnnounceEntryTest, RefusesMalformedEntries) {
  const QByteArray entry = QvDropDialog::MakeAnnounceEntry(9, "Clipsmith");
  EXPECT_FALSE(QvDropDialog::ReadAnnounceEntry(entry.left(259)));
  EXPECT_FALSE(QvDropDialog::ReadAnnounceEntry(entry + '\0'));
  EXPECT_FALSE(QvDropDialog::ReadAnnounceEntry(QvDropDialog::MakeAnnounceEntry(0, "Clipsmith"))) << "no window";
  EXPECT_FALSE(QvDropDialog::ReadAnnounceEntry(QvDropDialog::MakeAnnounceEntry(9, ""))) << "no name";
  QByteArray unterminated = entry;
  unterminated.replace(4, 256, QByteArray(256, 'n'));
  EXPECT_FALSE(QvDropDialog::ReadAnnounceEntry(unterminated));
}

}  // namespace
}  // namespace lumora::test
