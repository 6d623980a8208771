#include "tools/common/PasswordSource.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "platform/crypto/SecureWipe.h"
#include "platform/files/FileEnv.h"
#include "platform/files/FileSystem.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ToolText.h"

namespace {

// A line buffer on the stack that is wiped whatever way the function leaves.
struct LineBuffer {
  char bytes[CPasswordSource::MAX_PASSWORD_BYTES + 1];
  std::size_t size = 0;
  ~LineBuffer() { SecureWipe(bytes, sizeof bytes); }
};

enum LineResult { LINE_OK, LINE_EMPTY_INPUT, LINE_ERROR, LINE_TOO_LONG };

// Reads one line from fd byte by byte, so that nothing after it is consumed and no
// stdio buffer keeps a copy.  The line end ("\n", or "\r\n") is not kept.  A
// file is read through the file environment (`env`); the terminal and
// standard input, which are no files of the user's, directly (nullptr).
LineResult ReadLine(int fd, LineBuffer& line, IFileEnv* env = nullptr) {
  bool sawAny = false;
  line.size = 0;
  for (;;) {
    char c;
    const ssize_t n = env != nullptr ? env->Read(fd, &c, 1) : read(fd, &c, 1);
    if (n < 0) {
      if (errno == EINTR) continue;
      return LINE_ERROR;
    }
    if (n == 0) break;
    sawAny = true;
    if (c == '\n') break;
    if (line.size == CPasswordSource::MAX_PASSWORD_BYTES) {
      c = 0;
      return LINE_TOO_LONG;
    }
    line.bytes[line.size++] = c;
    c = 0;
  }
  if (!sawAny) return LINE_EMPTY_INPUT;
  if (line.size > 0 && line.bytes[line.size - 1] == '\r') --line.size;
  return LINE_OK;
}

// Converts the typed UTF-8 line to ANSI bytes and stores it.
bool StoreLine(const LineBuffer& line, CSecretString& password, std::string& error) {
  if (std::memchr(line.bytes, '\0', line.size) != nullptr) {
    error = "the password contains a NUL character";
    return false;
  }
  std::string ansi;
  ansi.reserve(line.size + 1);
  const bool ok = InputToAnsi(std::string_view(line.bytes, line.size), ansi);
  bool stored = false;
  if (ok) {
    password.Assign(ansi);
    stored = ansi.empty() || !password.empty();
  }
  ansi.resize(ansi.capacity());
  SecureWipe(ansi.data(), ansi.size());
  if (!ok) {
    error = "the password is not UTF-8 text or holds a character that has no Shift-JIS form";
    return false;
  }
  if (!stored) {
    error = "out of memory";
    return false;
  }
  return true;
}

// ---- Terminal echo, restored on every way out ----------------------------------

const int kCaughtSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::size_t kSignalCount = sizeof kCaughtSignals / sizeof kCaughtSignals[0];

volatile sig_atomic_t gEchoOff = 0;
int gTtyFd = -1;
struct termios gSavedTermios;
struct sigaction gPreviousActions[kSignalCount];
bool gCatching[kSignalCount];

// Gives the terminal its modes back.  Whatever was typed and not read (the rest
// of a password cut short by a signal or an error, or type-ahead after the
// answer) is discarded first, while echo is still off, so that it is neither
// shown nor handed to the next program that reads the terminal.  TCSANOW:
// the restore must not wait for output that a stopped terminal may never
// send, since this also runs in a signal handler.  Both calls are
// async-signal-safe.
void RestoreEcho() {
  if (gEchoOff) {
    tcflush(gTtyFd, TCIFLUSH);
    tcsetattr(gTtyFd, TCSANOW, &gSavedTermios);
    gEchoOff = 0;
  }
}

// A signal during the prompt: give the terminal its echo back, then let the
// signal do what it would have done.
extern "C" void OnSignalDuringPrompt(int sig) {
  RestoreEcho();
  static const char nl = '\n';
  if (gTtyFd >= 0) {
    [[maybe_unused]] ssize_t ignored = write(gTtyFd, &nl, 1);
  }
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (kCaughtSignals[i] == sig) sigaction(sig, &gPreviousActions[i], nullptr);
  }
  raise(sig);
}

CPasswordSource::Result AskOnTerminal(std::string_view prompt, CSecretString& password,
                                      std::string& error) {
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = "no terminal to ask for the password on";
    return CPasswordSource::PW_NO_SOURCE;
  }
  struct termios saved;
  if (tcgetattr(fd, &saved) != 0) {
    close(fd);
    error = "no terminal to ask for the password on";
    return CPasswordSource::PW_NO_SOURCE;
  }
  gTtyFd = fd;
  gSavedTermios = saved;

  // A signal the caller ignores (a program started in the background by a
  // script, or under nohup) stays ignored: caught, it would give the echo back
  // while the prompt goes on reading the password.
  struct sigaction act;
  std::memset(&act, 0, sizeof act);
  act.sa_handler = OnSignalDuringPrompt;
  sigemptyset(&act.sa_mask);
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    gCatching[i] = sigaction(kCaughtSignals[i], nullptr, &gPreviousActions[i]) == 0 &&
                   gPreviousActions[i].sa_handler != SIG_IGN;
    if (gCatching[i]) sigaction(kCaughtSignals[i], &act, nullptr);
  }

  // Echo goes off before the prompt appears, so that nothing typed in answer
  // to the prompt is ever shown.
  struct termios quiet = saved;
  quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOE | ECHOK));
  quiet.c_lflag |= ICANON;
  gEchoOff = 1;
  tcsetattr(fd, TCSAFLUSH, &quiet);
  Files::WriteAll(fd, prompt.data(), prompt.size());

  LineBuffer line;
  const LineResult r = ReadLine(fd, line);

  RestoreEcho();
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (gCatching[i]) sigaction(kCaughtSignals[i], &gPreviousActions[i], nullptr);
  }
  Files::WriteAll(fd, "\n", 1);
  gTtyFd = -1;
  close(fd);

  switch (r) {
    case LINE_OK:
      return StoreLine(line, password, error) ? CPasswordSource::PW_OK : CPasswordSource::PW_FAILED;
    case LINE_EMPTY_INPUT:
      error = "no password entered";
      return CPasswordSource::PW_CANCELLED;
    case LINE_TOO_LONG:
      error = "the password is too long";
      return CPasswordSource::PW_FAILED;
    case LINE_ERROR:
      break;
  }
  error = "cannot read the password from the terminal";
  return CPasswordSource::PW_FAILED;
}

CPasswordSource::Result FromLine(int fd, const std::string& what, CSecretString& password,
                                 std::string& error, IFileEnv* env = nullptr) {
  LineBuffer line;
  switch (ReadLine(fd, line, env)) {
    case LINE_OK:
      return StoreLine(line, password, error) ? CPasswordSource::PW_OK : CPasswordSource::PW_FAILED;
    case LINE_EMPTY_INPUT:
      error = what + " holds no password";
      return CPasswordSource::PW_FAILED;
    case LINE_TOO_LONG:
      error = "the password in " + what + " is too long";
      return CPasswordSource::PW_FAILED;
    case LINE_ERROR:
      break;
  }
  error = "cannot read " + what + ": " + std::strerror(errno);
  return CPasswordSource::PW_FAILED;
}

}  // namespace

void CPasswordSource::AddOptions(CArgParser& parser) {
  parser.AddOption("password-file", "FILE", "read the password from the first line of FILE");
  parser.AddFlag("password-stdin", "read the password from the first line of standard input");
}

bool CPasswordSource::Configure(const CArgParser& parser, std::string& error) {
  const bool file = parser.Has("password-file");
  const bool in = parser.Has("password-stdin");
  if (file && in) {
    error = "--password-file and --password-stdin cannot be used together";
    return false;
  }
  m_kind = file ? FROM_FILE : in ? FROM_STDIN : FROM_PROMPT;
  m_file = parser.Value("password-file");
  if (file && m_file.empty()) {
    error = "--password-file needs a file name";
    return false;
  }
  return true;
}

bool CPasswordSource::IsInteractive() const {
  if (m_kind != FROM_PROMPT || !isatty(STDIN_FILENO)) return false;
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

CPasswordSource::Result CPasswordSource::Get(std::string_view prompt, CSecretString& password,
                                             std::string& error) const {
  password.Clear();
  switch (m_kind) {
    case FROM_FILE: {
      IFileEnv& env = Files::Env();
      const int fd = env.Open(m_file, O_RDONLY);
      if (fd < 0) {
        error = "cannot open the password file " + m_file + ": " + std::strerror(errno);
        return PW_FAILED;
      }
      const Result r = FromLine(fd, "the password file " + m_file, password, error, &env);
      env.Close(fd);
      return r;
    }
    case FROM_STDIN:
      return FromLine(STDIN_FILENO, "standard input", password, error);
    case FROM_PROMPT:
      break;
  }
  if (!IsInteractive()) {
    error = "give it with --password-file FILE or --password-stdin, or run on a terminal";
    return PW_NO_SOURCE;
  }
  return AskOnTerminal(prompt, password, error);
}

void CPasswordSource::AddNewPasswordOptions(CArgParser& parser) {
  parser.AddOption("new-password-file", "FILE", "read the new password from the first line of FILE");
  parser.AddFlag("new-password-stdin",
                 "read the new password from the next line of standard input");
}

bool CPasswordSource::ConfigureNew(const CArgParser& parser, std::string& error) {
  const bool file = parser.Has("new-password-file");
  const bool in = parser.Has("new-password-stdin");
  if (file && in) {
    error = "--new-password-file and --new-password-stdin cannot be used together";
    return false;
  }
  m_file = parser.Value("new-password-file");
  if (file && m_file.empty()) {
    error = "--new-password-file needs a file name";
    return false;
  }
  m_kind = file ? FROM_FILE : (in || parser.Has("password-stdin")) ? FROM_STDIN : FROM_PROMPT;
  return true;
}
