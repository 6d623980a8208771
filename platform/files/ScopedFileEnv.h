#pragma once
// CScopedFileEnv: puts a file environment in place for as long as it lives and
// then restores the one before it.  Meant for tests:
//
//   CFaultInjectionEnv faults;
//   CScopedFileEnv use(faults);
//   ... every file operation now goes through `faults` ...
//
// The environment is the whole process's: install it before other threads
// touch files, and keep it alive while this object lives.

#include "platform/files/FileEnv.h"

class CScopedFileEnv {
 public:
  explicit CScopedFileEnv(IFileEnv& env) : m_previous(Files::SetEnv(&env)) {}
  ~CScopedFileEnv() { Files::SetEnv(m_previous); }
  CScopedFileEnv(const CScopedFileEnv&) = delete;
  CScopedFileEnv& operator=(const CScopedFileEnv&) = delete;

 private:
  IFileEnv* m_previous;
};
