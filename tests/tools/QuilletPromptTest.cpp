// The password prompt on a terminal: quillet runs on a pseudo-terminal, the test
// types the answers.  Echo must be off while the password is typed and back on
// afterwards, on every way out.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

#include "tools/Fixtures.h"
#include "tools/ToolRunner.h"

namespace tooltest {
namespace {

class QuilletPrompt : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(file, MemoFixture(true).Bytes());
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) GTEST_SKIP() << "no pseudo-terminals on this machine";
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    slaveName = ptsname(master);
    // Held open by the test so that the terminal's modes can be read after the
    // program has ended.
    slave = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    ASSERT_EQ(pipe(outPipe), 0);
  }
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
    if (outPipe[0] >= 0) close(outPipe[0]);
  }

  // Starts "quillet list FILE --json" with the pseudo-terminal as its
  // controlling terminal, standard input and standard error.
  void Start(bool interruptIgnored = false) {
    pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // A test run started in the background of a shell inherits SIGINT
      // ignored, and the program rightly leaves an ignored signal alone: the
      // terminal's Ctrl-C must reach it as it reaches a program started from a
      // prompt, unless the test asks for the background case.
      signal(SIGINT, interruptIgnored ? SIG_IGN : SIG_DFL);
      setsid();
      const int tty = open(slaveName.c_str(), O_RDWR);
      ioctl(tty, TIOCSCTTY, 0);
      dup2(tty, 0);
      dup2(outPipe[1], 1);
      dup2(tty, 2);
      execl(QUILLET_TOOL_PATH, QUILLET_TOOL_PATH, "list", file.c_str(), "--json",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(outPipe[1]);
  }

  // Reads the terminal until its output holds the text.  The limit only ends a
  // test whose program hangs; no passing run comes near it.
  bool WaitFor(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (screen.find(text, seen) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buffer[512];
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) return false;
      screen.append(buffer, static_cast<std::size_t>(n));
    }
    seen = screen.find(text, seen) + text.size();
    return true;
  }

  void Type(const std::string& text) {
    ASSERT_EQ(write(master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  // Collects the program's standard output until it ends.  A program that
  // does not end within the limit (no passing run comes near it) is killed,
  // so that the test fails instead of hanging.
  int Finish(std::string& out) {
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd p{outPipe[0], POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) == 0) {
        ADD_FAILURE() << "the program did not end: " << screen;
        kill(pid, SIGKILL);
        break;
      }
      const ssize_t n = read(outPipe[0], buffer, sizeof buffer);
      if (n <= 0) break;
      out.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    // Everything the program wrote to the terminal is ahead of this mark in
    // the terminal's output, so reading up to it collects all of it.
    static const std::string kEnd = "<end of the program's output>";
    EXPECT_EQ(write(slave, kEnd.data(), kEnd.size()), static_cast<ssize_t>(kEnd.size()));
    EXPECT_TRUE(WaitFor(kEnd)) << screen;
    screen.resize(screen.size() - kEnd.size());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  // The next line the terminal hands to a program that reads it (the test
  // holds the terminal open, so it reads what a shell would read next).
  std::string NextInputLine() {
    pollfd p{slave, POLLIN, 0};
    if (poll(&p, 1, 60000) <= 0) return "<nothing to read>";
    char buffer[512];
    const ssize_t n = read(slave, buffer, sizeof buffer);
    return n < 0 ? "<read failed>" : std::string(buffer, static_cast<std::size_t>(n));
  }

  // Whether the program has a handler for the signal (from its /proc status).
  bool Catches(int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
    }
    ADD_FAILURE() << "no SigCgt line for " << pid;
    return false;
  }

  bool EchoOn() {
    termios t{};
    return tcgetattr(slave, &t) == 0 && (t.c_lflag & ECHO) != 0;
  }

  TempDir dir;
  std::string file = dir.File("record.dat");
  int master = -1;
  int slave = -1;
  int outPipe[2] = {-1, -1};
  std::string slaveName;
  pid_t pid = -1;
  std::string screen;
  std::size_t seen = 0;
};

TEST_F(QuilletPrompt, AsksAgainAfterAWrongPasswordWithoutEchoingEither) {
  ASSERT_TRUE(EchoOn());
  Start();
  ASSERT_TRUE(WaitFor("Password for " + file + " (hint: メモ hint): ")) << screen;
  Type("bad-guess-1\n");
  ASSERT_TRUE(WaitFor("wrong password, try again")) << screen;
  ASSERT_TRUE(WaitFor("Password for ")) << screen;
  Type(std::string(PASSWORD) + "\n");
  std::string out;
  EXPECT_EQ(Finish(out), 0) << screen;
  EXPECT_NE(out.find("\"protected\": true"), std::string::npos) << out;
  EXPECT_NE(out.find("日本語 表ソ"), std::string::npos) << out;
  EXPECT_EQ(screen.find("bad-guess-1"), std::string::npos) << screen;
  EXPECT_EQ(screen.find(PASSWORD), std::string::npos) << screen;
  EXPECT_TRUE(EchoOn());
}

TEST_F(QuilletPrompt, GivesUpAfterThreeWrongPasswords) {
  Start();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(WaitFor("Password for ")) << screen;
    Type("nope\n");
  }
  std::string out;
  EXPECT_EQ(Finish(out), 4) << screen;
  EXPECT_NE(screen.find("wrong password for"), std::string::npos) << screen;
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(EchoOn());
}

TEST_F(QuilletPrompt, InterruptAtThePromptRestoresEchoAndDropsTheHalfTypedPassword) {
  // The terminal is told not to discard its input on an interrupt itself, so
  // that only the program's own clean-up can drop the half-typed password.
  termios t{};
  ASSERT_EQ(tcgetattr(slave, &t), 0);
  t.c_lflag |= NOFLSH;
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &t), 0);
  Start();
  ASSERT_TRUE(WaitFor("Password for ")) << screen;
  ASSERT_FALSE(EchoOn());
  // Ctrl-C typed after the characters: the terminal raises SIGINT only once
  // it has taken them in, as it does for a user.
  Type("half-typed");
  Type(std::string(1, static_cast<char>(t.c_cc[VINTR])));
  std::string out;
  EXPECT_EQ(Finish(out), 128 + SIGINT);
  EXPECT_TRUE(EchoOn());
  EXPECT_EQ(screen.find("half-typed"), std::string::npos) << screen;
  Type("\n");
  EXPECT_EQ(NextInputLine(), "\n") << "the half-typed password was left for the next program to read";
}

TEST_F(QuilletPrompt, AnInterruptItsCallerIgnoresStaysIgnoredAtThePrompt) {
  Start(true);
  ASSERT_TRUE(WaitFor("Password for ")) << screen;
  EXPECT_FALSE(Catches(SIGINT)) << "caught, a Ctrl-C would give the echo back while the password is typed";
  EXPECT_TRUE(Catches(SIGTERM));
  Type(std::string(PASSWORD) + "\n");
  std::string out;
  EXPECT_EQ(Finish(out), 0) << screen;
  EXPECT_EQ(screen.find(PASSWORD), std::string::npos) << screen;
  EXPECT_TRUE(EchoOn());
}

}  // namespace
}  // namespace tooltest
