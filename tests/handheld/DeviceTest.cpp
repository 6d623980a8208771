// The device folder: device.json, database files, crash-safe writes, open modes.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "handheld/Device.h"
#include "handheld/JsonValue.h"
#include "handheld/DeviceDb.h"
#include "handheld/HandheldResult.h"
#include "PdbBytes.h"
#include "support/TempFolder.h"

using namespace HandheldResult;

namespace {

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

CPdbFile::Info MemoInfo(const std::string& name) {
  CPdbFile::Info info;
  info.name = name;
  info.type = 0x44415441;
  info.creator = 0x44655275;
  return info;
}

// Names of the files in a folder, to check that no temporary file is left behind.
std::vector<std::string> FileNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(Device, InitOpenAndSaveKeepTheUserAndUnknownFields) {
  CTempFolder temp;
  const auto folder = temp.Path() / "dev";
  CDevice device;
  ASSERT_EQ(HH_OK, CDevice::Init(folder, "Hanako \"H\"", 4242, device));
  CDevice again;
  EXPECT_EQ(HH_ERR_EXISTS, CDevice::Init(folder, "Other", 1, again));
  // Another program's field survives a save.
  std::string json = ReadText(folder / "device.json");
  json.insert(json.find('{') + 1, "\n  \"extra\": [1, {\"a\": null}],");
  WriteText(folder / "device.json", json);
  ASSERT_EQ(HH_OK, again.Open(folder));
  EXPECT_EQ("Hanako \"H\"", again.UserName());
  EXPECT_EQ(4242u, again.UserId());
  EXPECT_EQ(0u, again.LastSyncPc());
  EXPECT_EQ(0u, again.CardNumber());
  again.SetLastSyncPc(0xDEADBEEF);
  ASSERT_EQ(HH_OK, again.Save());
  CDevice third;
  ASSERT_EQ(HH_OK, third.Open(folder));
  EXPECT_EQ(0xDEADBEEFu, third.LastSyncPc());
  EXPECT_NE(std::string::npos, ReadText(folder / "device.json").find("\"extra\""));
  EXPECT_EQ(std::vector<std::string>{"device.json"}, FileNames(folder));
}

TEST(Device, RefusesAMissingOrDamagedDeviceFile) {
  CTempFolder temp;
  CDevice device;
  EXPECT_EQ(HH_ERR_NOT_FOUND, device.Open(temp.Path() / "none"));
  // Each text is damaged in one way only: the first three in their format, the rest elsewhere.
  const char* bad[] = {"{\"userName\": \"x\", \"userId\": 1}", "{\"format\": 2, \"userName\": \"x\", \"userId\": 1}",
                       "{\"format\": \"1\", \"userName\": \"x\", \"userId\": 1}", "", "[]",
                       "{\"format\": 1, \"userName\": \"x\"}", "{\"format\": 1, \"userName\": 1, \"userId\": 1}",
                       "{\"format\": 1, \"userName\": \"x\", \"userId\": -1}",
                       "{\"format\": 1, \"userName\": \"x\", \"userId\": 4294967296}",
                       "{\"format\": 1, \"userName\": \"x\", \"userId\": 1,}",
                       "{\"format\": 1, \"userName\": \"x\", \"userId\": 1} x",
                       "{\"format\": 1, \"userName\": \"\\ud800\", \"userId\": 1}",
                       "{\"format\": 1, \"userName\": \"x\", \"userId\": 1.5}",
                       "{\"format\": 1, \"userName\": \"x\", \"userName\": \"y\", \"userId\": 1}",
                       "{\"format\": 1, \"userName\": \"\xff\", \"userId\": 1}"};
  for (const char* text : bad) {
    WriteText(temp.Path() / "device.json", text);
    EXPECT_EQ(HH_ERR_DAMAGED, device.Open(temp.Path())) << text;
  }
  std::string deep(100000, '[');
  WriteText(temp.Path() / "device.json", deep);
  EXPECT_EQ(HH_ERR_DAMAGED, device.Open(temp.Path()));
  // Larger than a device file can be, by a little or by far (a sparse file):
  // damaged, refused by its size.
  for (std::uintmax_t size : {std::uintmax_t{1024 * 1024 + 1}, std::uintmax_t{600} * 1024 * 1024}) {
    std::filesystem::resize_file(temp.Path() / "device.json", size);
    EXPECT_EQ(HH_ERR_DAMAGED, device.Open(temp.Path())) << size;
  }
  WriteText(temp.Path() / "device.json", "{\"format\": 1, \"userName\": \"\\u65e5\\u672c\", \"userId\": 7}");
  ASSERT_EQ(HH_OK, device.Open(temp.Path()));
  EXPECT_EQ("\xE6\x97\xA5\xE6\x9C\xAC", device.UserName());
}

TEST(Device, WhatIsWrittenReadsBackWhateverTheBytesOfAString) {
  CJsonValue object = CJsonValue::Object();
  object.Set("name", CJsonValue::String("a\xff\"\\\n\x01\xE6\x97\xA5"));
  CJsonValue again;
  ASSERT_EQ(HH_OK, CJsonValue::Parse(object.Write(), again)) << object.Write();
  EXPECT_EQ("a\xEF\xBF\xBD\"\\\n\x01\xE6\x97\xA5", again.Find("name")->AsString());
}

TEST(Device, CreatesReadsWritesAndDeletesDatabases) {
  CTempFolder temp;
  CDevice device;
  ASSERT_EQ(HH_OK, CDevice::Init(temp.Path(), "u", 1, device));
  CPdbFile db;
  EXPECT_EQ(HH_ERR_ARGUMENT, device.CreateDatabase(MemoInfo(""), db));
  EXPECT_EQ(HH_ERR_ARGUMENT, device.CreateDatabase(MemoInfo(std::string(32, 'x')), db));
  ASSERT_EQ(HH_OK, device.CreateDatabase(MemoInfo("Memo/DB.x"), db));
  EXPECT_EQ(HH_ERR_EXISTS, device.CreateDatabase(MemoInfo("Memo/DB.x"), db));
  // Unsafe bytes are escaped in the file name.
  EXPECT_TRUE(std::filesystem::exists(temp.Path() / "Memo%2FDB.x.pdb"));
  EXPECT_EQ(0u, db.GetInfo().modificationNumber);
  EXPECT_NE(0u, db.GetInfo().creationDate);

  CPdbRecord record;
  record.data = {'h', 'i', 0};
  ASSERT_EQ(HH_OK, db.WriteRecord(record));
  ASSERT_EQ(HH_OK, device.WriteDatabase(db));
  EXPECT_EQ(1u, db.GetInfo().modificationNumber);
  ASSERT_EQ(HH_OK, device.WriteDatabase(db));  // unchanged: no new modification
  EXPECT_EQ(1u, db.GetInfo().modificationNumber);

  CPdbFile read;
  ASSERT_EQ(HH_OK, device.ReadDatabase("Memo/DB.x", read));
  ASSERT_EQ(1u, read.RecordCount());
  EXPECT_EQ(record.data, read.RecordAt(0)->data);
  std::vector<CDevice::DatabaseEntry> list;
  ASSERT_EQ(HH_OK, device.ListDatabases(list));
  ASSERT_EQ(1u, list.size());
  EXPECT_EQ("Memo/DB.x", list[0].info.name);
  EXPECT_EQ(1u, list[0].recordCount);
  ASSERT_EQ(HH_OK, device.DeleteDatabase("Memo/DB.x"));
  EXPECT_EQ(HH_ERR_NOT_FOUND, device.DeleteDatabase("Memo/DB.x"));
  EXPECT_EQ(HH_ERR_NOT_FOUND, device.ReadDatabase("Memo/DB.x", read));
  EXPECT_EQ(std::vector<std::string>{"device.json"}, FileNames(temp.Path()));
}

TEST(Device, AFileNotNamedAfterItsDatabaseIsDamagedAndNeverReplaced) {
  CTempFolder temp;
  CDevice device;
  ASSERT_EQ(HH_OK, CDevice::Init(temp.Path(), "u", 1, device));
  const auto bytes = PdbBytes::Database({PdbBytes::Bytes("x")}, nullptr);  // named TestDB
  const std::string text(bytes.begin(), bytes.end());
  WriteText(temp.Path() / "Other.pdb", text);
  WriteText(temp.Path() / "backup copy.pdb", text);
  CPdbFile db;
  EXPECT_EQ(HH_ERR_DAMAGED, device.ReadDatabase("Other", db));
  EXPECT_EQ(HH_ERR_NOT_FOUND, device.ReadDatabase("TestDB", db));  // a copy is not the database
  std::vector<CDevice::DatabaseEntry> list;
  ASSERT_EQ(HH_OK, device.ListDatabases(list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(HH_ERR_EXISTS, device.CreateDatabase(MemoInfo("Other"), db));
  EXPECT_EQ(HH_ERR_DAMAGED, device.DeleteDatabase("Other"));
  EXPECT_EQ(text, ReadText(temp.Path() / "Other.pdb"));
  // A cut file is kept as well.
  WriteText(temp.Path() / "TestDB.pdb", text.substr(0, 80));
  EXPECT_EQ(HH_ERR_DAMAGED, device.DeleteDatabase("TestDB"));
  EXPECT_EQ(80u, ReadText(temp.Path() / "TestDB.pdb").size());
}

TEST(Device, ImportsAndExportsFilesAndRefusesDamagedOnes) {
  CTempFolder temp;
  CDevice device;
  ASSERT_EQ(HH_OK, CDevice::Init(temp.Path() / "dev", "u", 1, device));
  const auto bytes = PdbBytes::Database({PdbBytes::Bytes("one"), PdbBytes::Bytes("two")}, nullptr);
  const auto source = temp.Path() / "in.pdb";
  std::ofstream(source, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::string name;
  ASSERT_EQ(HH_OK, device.ImportFile(source, name));
  EXPECT_EQ("TestDB", name);
  const auto copy = temp.Path() / "out.pdb";
  ASSERT_EQ(HH_OK, device.ExportDatabase("TestDB", copy));
  // The imported file had no changes to make, so it comes back byte for byte.
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ReadText(copy));
  EXPECT_EQ(HH_ERR_NOT_FOUND, device.ExportDatabase("Nothing", copy));

  WriteText(source, std::string(bytes.begin(), bytes.begin() + 60));
  EXPECT_EQ(HH_ERR_DAMAGED, device.ImportFile(source, name));
  EXPECT_EQ(HH_ERR_NOT_FOUND, device.ImportFile(temp.Path() / "missing.pdb", name));
  // A damaged file on the device is refused cleanly and left alone.
  WriteText(temp.Path() / "dev" / "TestDB.pdb", "short");
  CPdbFile db;
  EXPECT_EQ(HH_ERR_DAMAGED, device.ReadDatabase("TestDB", db));
  EXPECT_EQ("short", ReadText(temp.Path() / "dev" / "TestDB.pdb"));
}

TEST(Device, WritesKeepTheFilePermissions) {
  CTempFolder temp;
  CDevice device;
  ASSERT_EQ(HH_OK, CDevice::Init(temp.Path(), "u", 1, device));
  CPdbFile db;
  ASSERT_EQ(HH_OK, device.CreateDatabase(MemoInfo("Perm"), db));
  const auto file = device.DatabasePath("Perm");
  EXPECT_EQ(std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
            std::filesystem::status(file).permissions());
  std::filesystem::permissions(file, std::filesystem::perms::owner_all | std::filesystem::perms::group_read);
  db.MutableInfo().version = 1;
  ASSERT_EQ(HH_OK, device.WriteDatabase(db));
  EXPECT_EQ(std::filesystem::perms::owner_all | std::filesystem::perms::group_read,
            std::filesystem::status(file).permissions());
  EXPECT_EQ(std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
            std::filesystem::status(temp.Path() / CDevice::DEVICE_FILE).permissions());
}

TEST(DeviceDb, ReadModeRefusesChangesAndWriteModeSavesAtClose) {
  CTempFolder temp;
  CDevice device;
  ASSERT_EQ(HH_OK, CDevice::Init(temp.Path(), "u", 1, device));
  CDeviceDb db;
  EXPECT_EQ(HH_ERR_NOT_FOUND, db.Open(device, "Sync", CDeviceDb::MODE_READ));
  ASSERT_EQ(HH_OK, db.Create(device, MemoInfo("Sync")));
  ASSERT_NE(nullptr, db.Writable());
  CPdbRecord record;
  record.data = {1, 2, 3};
  ASSERT_EQ(HH_OK, db.Writable()->WriteRecord(record));
  ASSERT_EQ(HH_OK, db.Close());
  EXPECT_FALSE(db.IsOpen());

  ASSERT_EQ(HH_OK, db.Open(device, "Sync", CDeviceDb::MODE_READ));
  EXPECT_EQ(nullptr, db.Writable());
  EXPECT_EQ(1u, db.Image().RecordCount());
  ASSERT_EQ(HH_OK, db.Close());
  EXPECT_EQ(HH_ERR_ARGUMENT, db.Open(device, "Sync", 0));
}
