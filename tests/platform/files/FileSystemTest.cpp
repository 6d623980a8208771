// Whole-file reads, durable removal and the byte-order helpers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files/ByteOrder.h"
#include "platform/files/FileSystem.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace Files;
using Bytes = std::vector<std::uint8_t>;

class FileSystemTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return m_folder.File(name); }

  CTempFolder m_folder;
  const fs::path& folder = m_folder.Path();
};

TEST_F(FileSystemTest, ReadWholeFileReadsEveryByteOrSaysWhyNot) {
  const std::string bytes("a\0b\xff\r\n", 6);
  std::ofstream(File("data"), std::ios::binary) << bytes;
  Bytes read;
  ASSERT_EQ(ReadWholeFile(File("data"), read), FILE_OK);
  EXPECT_EQ(read, Bytes(bytes.begin(), bytes.end()));
  std::ofstream(File("empty"), std::ios::binary);
  ASSERT_EQ(ReadWholeFile(File("empty"), read), FILE_OK);
  EXPECT_TRUE(read.empty());

  // A failure leaves the caller's bytes alone.
  read = {1, 2};
  EXPECT_EQ(ReadWholeFile(File("missing"), read), FILE_ERR_NOT_FOUND);
  EXPECT_EQ(ReadWholeFile(File("data/below"), read), FILE_ERR_NOT_FOUND);  // a file is no folder
  EXPECT_EQ(ReadWholeFile(folder.string(), read), FILE_ERR_IO);
  ASSERT_EQ(::mkfifo(File("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(File("pipe"), read), FILE_ERR_IO) << "refused without waiting for a writer";
  EXPECT_EQ(ReadWholeFile(File("data"), read, 5), FILE_ERR_TOO_LARGE);
  EXPECT_EQ(read, (Bytes{1, 2}));
}

TEST_F(FileSystemTest, RemoveFileDurablyTellsAMissingFileApart) {
  std::ofstream(File("gone"), std::ios::binary) << "x";
  EXPECT_EQ(RemoveFileDurably(File("gone")), FILE_OK);
  EXPECT_FALSE(fs::exists(File("gone")));
  EXPECT_EQ(RemoveFileDurably(File("gone")), FILE_ERR_NOT_FOUND);
  EXPECT_EQ(RemoveFileDurably(folder.string()), FILE_ERR_IO);  // folders are not removed
  EXPECT_TRUE(SyncFolder(folder.string()));
  EXPECT_FALSE(SyncFolder(File("missing")));
}

TEST(FolderOf, NamesTheFolderOfEveryKindOfPath) {
  EXPECT_EQ(FolderOf("record.dat"), ".");
  EXPECT_EQ(FolderOf("/record.dat"), "/");
  EXPECT_EQ(FolderOf("home/ann/record.dat"), "home/ann");
}

TEST(ByteOrder, ReadsAndWritesBothOrdersWithTheHighBitsSet) {
  const std::uint8_t bytes[4] = {0xF1, 0x82, 0x93, 0xA4};
  EXPECT_EQ(ByteOrder::ReadLE16(bytes), 0x82F1u);
  EXPECT_EQ(ByteOrder::ReadLE32(bytes), 0xA49382F1u);
  EXPECT_EQ(ByteOrder::ReadBE16(bytes), 0xF182u);
  EXPECT_EQ(ByteOrder::ReadBE24(bytes), 0xF18293u);
  EXPECT_EQ(ByteOrder::ReadBE32(bytes), 0xF18293A4u);

  std::uint8_t out[4] = {};
  ByteOrder::WriteLE32(out, 0xA49382F1u);
  EXPECT_EQ(Bytes(out, out + 4), Bytes(bytes, bytes + 4));
  ByteOrder::WriteBE32(out, 0xF18293A4u);
  EXPECT_EQ(Bytes(out, out + 4), Bytes(bytes, bytes + 4));
  std::uint8_t few[4] = {0, 0, 0, 0x55};
  ByteOrder::WriteLE16(few, 0x82F1);
  ByteOrder::WriteBE16(few + 2, 0xF182);
  EXPECT_EQ(Bytes(few, few + 4), (Bytes{0xF1, 0x82, 0xF1, 0x82}));
  ByteOrder::WriteBE24(few, 0xF18293);
  EXPECT_EQ(Bytes(few, few + 4), (Bytes{0xF1, 0x82, 0x93, 0x82}));  // the fourth byte untouched
}

}  // namespace
