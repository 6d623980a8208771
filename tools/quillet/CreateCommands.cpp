// The commands that create memo files: init (an empty file) and demo (two files
// of sample memos, one of them protected by a password).

#include <cerrno>
#include <cstring>
#include <memory>
#include <ostream>

#include "platform/crypto/Md5.h"
#include "platform/files/FileEnv.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/NewFile.h"
#include "tools/common/ToolText.h"
#include "tools/quillet/Commands.h"
#include "tools/quillet/MemoFile.h"
#include "tools/quillet/MemoText.h"
#include "tools/quillet/RecordFileImage.h"

namespace {

// Creates path with the given bytes; reports and returns the exit status.
int CreateFile(const CArgParser& parser, const std::string& path, const std::string& bytes,
               std::ostream& err) {
  std::string error;
  switch (CreateNewFile(path, bytes, error)) {
    case NEW_FILE_CREATED:
      return ExitStatus::OK;
    case NEW_FILE_EXISTS:
      err << parser.CommandPath() << ": " << path << " exists already; it was left as it was\n";
      return ExitStatus::CANNOT_OPEN;
    case NEW_FILE_FAILED:
      break;
  }
  err << parser.CommandPath() << ": " << error << "\n";
  return ExitStatus::CANNOT_OPEN;
}

bool MakeFolder(const std::string& path, std::string& error) {
  IFileEnv& env = Files::Env();
  if (env.MakeFolder(path) || errno == EEXIST) {
    SFileStatus status;
    if (env.Stat(path, status) && status.kind == SFileStatus::Kind::FOLDER) return true;
    error = "cannot create the folder " + path + ": a file has that name";
    return false;
  }
  error = "cannot create the folder " + path + ": " + std::strerror(errno);
  return false;
}

// ---- The demo ------------------------------------------------------------------

constexpr const char* kDemoPassword = "quillet";
constexpr const char* kDemoHint = "the name of this program";

struct DemoMemo {
  std::uint32_t id;       // 0: made on the desktop, not yet synchronised
  int category;
  std::uint32_t attributes;
  bool isPrivate;
  const char* text;       // UTF-8, "\n" line ends
};

// Categories as the handheld made them (ids below 128); "旅行" is added through
// the category table afterwards, as the extension adds one.
std::vector<RecordFileImage::Category> DemoCategories() {
  std::vector<RecordFileImage::Category> list = RecordFileImage::DefaultCategories();
  list.push_back(RecordFileImage::Category{1, 1, "Business"});
  list.push_back(RecordFileImage::Category{2, 2, "Personal"});
  return list;
}

const DemoMemo kPlainMemos[] = {
    {0x00A1B201, 0, 0, false,
     "Welcome to Quillet\nThese memos were written by 'quillet demo'.\n"
     "Try 'quillet list' and 'quillet show'."},
    {0x00A1B202, 1, 0, false, "Meeting notes\n- budget review\n- hiring plan for the spring"},
    {0x00A1B203, 2, 0, false, "買い物リスト\n牛乳\n卵\nパン"},
    {0x00A1B204, 2, 0, true, "Locker code\n12-34-56"},
    {0, 3, CRecord::ATTR_MODIFIED, false, "京都旅行の計画\n新幹線の予約\n旅館に電話する"},
    {0x00A1B205, 1, CRecord::ATTR_DELETED, false, "Old phone number 555-0100"},
};

const DemoMemo kProtectedMemos[] = {
    {0x00C3D401, 0, 0, false, "Bank\nOnline banking user: yamada-t"},
    {0x00C3D402, 1, 0, false, "サーバーの管理者パスワードは金庫の中"},
    {0x00C3D403, 2, 0, false, "Birthday presents\n- a fountain pen\n- 日本茶のセット"},
    {0, 3, CRecord::ATTR_MODIFIED, false, "旅行の予算\n交通費 30,000円\n宿泊費 45,000円"},
};

// Writes one demo file: the empty file with its categories (and the password
// digest and hint for the protected one), then the memos through the memo
// database, which encrypts them when the file is protected.
int WriteDemoFile(const CArgParser& parser, const std::string& path, const DemoMemo* memos,
                  std::size_t count, const char* password, std::ostream& err) {
  std::string appSpecific;
  if (password != nullptr) {
    const auto digest = CMd5::Of(password);
    std::uint8_t bytes[16];
    std::memcpy(bytes, digest.data(), sizeof bytes);
    std::string hint;
    InputToAnsi(kDemoHint, hint);
    appSpecific = RecordFileImage::ProtectedAppSpecific(bytes, hint);
  }
  // The file is created, then filled: no other writer may come between.
  CMemoFile lock(parser.CommandPath());
  if (const int s = lock.Lock(path, err); s != ExitStatus::OK) return s;
  if (const int s = CreateFile(parser, path, RecordFileImage::Build(DemoCategories(), appSpecific),
                               err);
      s != ExitStatus::OK) {
    return s;
  }
  CMemoDatabase db;
  if (db.Load(path, RDB_OPEN_READ_WRITE, password) != RDB_OK) {
    err << parser.CommandPath() << ": cannot open " << path << " again after creating it\n";
    return ExitStatus::CANNOT_OPEN;
  }
  CCategoryTable* table = db.GetCategories();
  std::string travel;
  InputToAnsi("旅行", travel);
  CCategory added(0, 0, travel, 0);
  if (table == nullptr || table->Add(added) != CCategoryTable::CAT_OK || added.index != 3) {
    err << parser.CommandPath() << ": cannot add the demo category to " << path << "\n";
    return ExitStatus::FAILED;
  }
  for (std::size_t i = 0; i < count; ++i) {
    auto memo = std::make_unique<CMemoRecord>();
    std::string error;
    if (!MemoText::FromInput(memos[i].text, memo->text, error)) {
      err << parser.CommandPath() << ": " << error << "\n";
      return ExitStatus::FAILED;
    }
    memo->uniqueId = memos[i].id;
    memo->category = memos[i].category;
    memo->attributes = memos[i].attributes;
    memo->privateFlag = memos[i].isPrivate ? 1 : 0;
    db.AddRecord(std::move(memo));
  }
  if (db.Save() != RDB_OK) {
    err << parser.CommandPath() << ": cannot write " << path << "\n";
    return ExitStatus::CANNOT_OPEN;
  }
  return ExitStatus::OK;
}

}  // namespace

int InitCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet init",
                    "Creates a new, empty, unprotected memo record file with the category "
                    "\"Unfiled\".");
  parser.AddPositional("FILE", "the file to create; an existing file is never replaced");
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  const std::string& path = parser.Positional(0);
  CMemoFile lock(parser.CommandPath());
  if (const int s = lock.Lock(path, err); s != ExitStatus::OK) return s;
  if (const int s = CreateFile(parser, path,
                               RecordFileImage::Build(RecordFileImage::DefaultCategories(), ""),
                               err);
      s != ExitStatus::OK) {
    return s;
  }
  out << "created " << path << "\n";
  return ExitStatus::OK;
}

int DemoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet demo",
                    "Writes the demo memo files DIR/plain/record.dat and DIR/protected/record.dat "
                    "(password \"quillet\").");
  parser.AddPositional("DIR", "the folder to write to; existing demo files are never replaced");
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  const std::string dir = parser.Positional(0);
  const std::string plainDir = dir + "/plain";
  const std::string protectedDir = dir + "/protected";
  std::string error;
  for (const std::string& folder : {dir, plainDir, protectedDir}) {
    if (!MakeFolder(folder, error)) {
      err << parser.CommandPath() << ": " << error << "\n";
      return ExitStatus::CANNOT_OPEN;
    }
  }
  const std::string plain = plainDir + "/record.dat";
  const std::string secret = protectedDir + "/record.dat";
  if (const int s = WriteDemoFile(parser, plain, kPlainMemos, std::size(kPlainMemos), nullptr, err);
      s != ExitStatus::OK) {
    return s;
  }
  if (const int s = WriteDemoFile(parser, secret, kProtectedMemos, std::size(kProtectedMemos),
                                  kDemoPassword, err);
      s != ExitStatus::OK) {
    return s;
  }
  out << "wrote " << plain << " (" << std::size(kPlainMemos) << " memos, one of them deleted)\n"
      << "wrote " << secret << " (" << std::size(kProtectedMemos)
      << " memos, protected; password: " << kDemoPassword << ", hint: \"" << kDemoHint << "\")\n";
  return ExitStatus::OK;
}
