#include "tools/common/NewFile.h"

#include <cstring>

#include "platform/files/AtomicFileWriter.h"

NewFileResult CreateNewFile(const std::string& path, std::string_view bytes, std::string& error) {
  CAtomicFileWriter out;
  CAtomicFileWriter::Options options;
  options.existence = CAtomicFileWriter::Existence::MUST_NOT_EXIST;
  options.newFileMode = 0600;
  Files::FileResult rc = out.Begin(path, options);
  if (rc == Files::FILE_OK) rc = out.Write(bytes.data(), bytes.size());
  if (rc == Files::FILE_OK) rc = out.Commit();
  const char* what = nullptr;
  switch (rc) {
    case Files::FILE_OK:
    case Files::FILE_ERR_FOLDER_SYNC:  // the file is whole under its name
      return NEW_FILE_CREATED;
    case Files::FILE_ERR_EXISTS:
      return NEW_FILE_EXISTS;
    case Files::FILE_ERR_CREATE:
    case Files::FILE_ERR_NO_MEMORY:
      error = "cannot create a file in " + Files::FolderOf(path);
      break;
    case Files::FILE_ERR_WRITE: what = "cannot write "; break;
    case Files::FILE_ERR_FLUSH: what = "cannot flush "; break;
    case Files::FILE_ERR_CLOSE: what = "cannot close "; break;
    default: what = "cannot create "; break;
  }
  if (what != nullptr) error = what + path;
  error += std::string(": ") + std::strerror(out.SystemError());
  return NEW_FILE_FAILED;
}
