#include "toolkit/zip_archive.h"

#include <gtest/gtest.h>

#include <random>

#include "support/test_paths.h"
#include "toolkit/tests/zip_writer.h"

namespace {

using toolkit_test::Bytes;
using toolkit_test::Set32;
using toolkit_test::WriteZip;
using toolkit_test::ZipEntry;
using toolkit_test::ZipLayout;

std::string Text(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// A picture-like block that deflate shrinks, and some text.
const std::string kLong = std::string(5000, 'a') + "tail";
const std::vector<ZipEntry> kEntries = {
    {"msgbox.xml", "<Window size=\"392,182\" />", false},
    {"images/bg_msg.png", kLong, true},
    {"Images/", "", false},
    {"文字/说明.txt", "中文", true},
};

TEST(ZipArchive, ReadsStoredAndDeflatedEntriesByNameInAnyCase) {
  CZipArchive zip;
  ASSERT_TRUE(zip.OpenMemory(Bytes(WriteZip(kEntries, nullptr, "comment after the end"))));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(zip.Extract(L"msgbox.xml", &bytes));
  EXPECT_EQ(Text(bytes), "<Window size=\"392,182\" />");
  for (const wchar_t* name : {L"images/bg_msg.png", L"Images/BG_MSG.png", L"IMAGES\\bg_msg.PNG"}) {
    ASSERT_TRUE(zip.Extract(name, &bytes)) << name;
    EXPECT_EQ(Text(bytes), kLong);
  }
  ASSERT_TRUE(zip.Extract(L"文字/说明.txt", &bytes));
  EXPECT_EQ(Text(bytes), "中文");
  EXPECT_FALSE(zip.Extract(L"images/missing.png", &bytes));
  EXPECT_TRUE(bytes.empty());
  // Folders are not entries.
  EXPECT_EQ(zip.Names(),
            (std::vector<std::wstring>{L"msgbox.xml", L"images/bg_msg.png", L"文字/说明.txt"}));
}

TEST(ZipArchive, ReadsAFileAndRefusesWhatIsNotThere) {
  test_support::ScratchFolder folder(L"zip");
  const std::wstring path = folder.File(L"skins.zip");
  ASSERT_TRUE(test_support::WriteFileBytes(path, WriteZip(kEntries)));
  CZipArchive zip;
  ASSERT_TRUE(zip.OpenFile(path));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(zip.Extract(L"IMAGES/bg_msg.png", &bytes));
  EXPECT_EQ(Text(bytes), kLong);

  EXPECT_FALSE(zip.OpenFile(folder.File(L"missing.zip")));
  EXPECT_FALSE(zip.IsOpen());
  EXPECT_FALSE(zip.Extract(L"msgbox.xml", &bytes));
  EXPECT_FALSE(zip.OpenMemory({}));
  EXPECT_FALSE(zip.OpenMemory(Bytes("PK\x05\x06 not really")));
}

TEST(ZipArchive, EveryTruncationFailsCleanly) {
  const std::string whole = WriteZip(kEntries);
  for (size_t length = 0; length < whole.size(); ++length) {
    CZipArchive zip;
    if (!zip.OpenMemory(Bytes(whole.substr(0, length)))) {
      continue;
    }
    // A cut that keeps a readable end record still holds no entry whose
    // data was cut off.
    std::vector<uint8_t> bytes;
    for (const std::wstring& name : zip.Names()) {
      if (zip.Extract(name, &bytes)) {
        EXPECT_TRUE(Text(bytes) == kLong || Text(bytes) == "中文" ||
                    Text(bytes) == "<Window size=\"392,182\" />");
      }
    }
  }
}

TEST(ZipArchive, LyingSizesAndOffsetsAreRefused) {
  ZipLayout layout;
  const std::string whole = WriteZip(kEntries, &layout);
  const size_t stored = layout.directory_entry_offsets[0];
  const size_t deflated = layout.directory_entry_offsets[1];
  const struct {
    const char* what;
    size_t at;
    uint32_t value;
    bool opens;  // the directory itself is still readable
  } cases[] = {
      {"deflated entry claims more bytes than it unpacks to", deflated + 24, 6000, true},
      {"deflated entry claims fewer bytes than it unpacks to", deflated + 24, 4000, true},
      {"deflated entry claims nearly the entry limit", deflated + 24, 60u << 20, true},
      {"stored entry with packed and unpacked sizes apart", stored + 24, 10, true},
      {"packed data running into the directory", deflated + 20, 100000, true},
      {"a size beyond the entry limit", deflated + 24, 0x7FFFFFFF, true},
      {"local header outside the file", deflated + 42, 0x10000000, true},
      {"local header inside another entry's data", deflated + 42, 40, true},
      {"checksum that does not match", deflated + 16, 0x12345678, true},
      {"directory beyond the end of the file", layout.end_offset + 16, 0x00FFFFFF, false},
      {"directory larger than the file", layout.end_offset + 12, 0x00FFFFF0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string damaged = whole;
    Set32(damaged, c.at, c.value);
    CZipArchive zip;
    ASSERT_EQ(zip.OpenMemory(Bytes(damaged)), c.opens);
    std::vector<uint8_t> bytes;
    const std::wstring name = c.at < deflated ? L"msgbox.xml" : L"images/bg_msg.png";
    EXPECT_FALSE(zip.Extract(name, &bytes));
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(ZipArchive, RandomDamageNeverGivesWrongBytes) {
  const std::string whole = WriteZip(kEntries, nullptr);
  std::mt19937 random(15);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = whole;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) {
      damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
    }
    CZipArchive zip;
    if (!zip.OpenMemory(Bytes(damaged))) {
      continue;
    }
    std::vector<uint8_t> bytes;
    for (const std::wstring& name : zip.Names()) {
      // The checksum stands between a damaged entry and its reader.
      if (zip.Extract(name, &bytes)) {
        const std::string text = Text(bytes);
        EXPECT_TRUE(text == kLong || text == "中文" || text == "<Window size=\"392,182\" />" ||
                    text.empty());
      }
    }
  }
}

}  // namespace
