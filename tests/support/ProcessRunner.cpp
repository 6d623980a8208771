#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace testsupport {

namespace {

// This process's environment with the given changes, as "NAME=value" entries.
std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& changes) {
  std::map<std::string, std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : changes) {
    if (value.empty()) {
      merged.erase(name);
    } else {
      merged[name] = value;
    }
  }
  std::vector<std::string> entries;
  for (const auto& [name, value] : merged) entries.push_back(name + "=" + value);
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

void CloseAll(std::initializer_list<int> fds) {
  for (int fd : fds) {
    if (fd >= 0) ::close(fd);
  }
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& environment,
                         const std::optional<std::string>& input) {
  ProcessResult result;
  std::vector<std::string> envText = ChildEnvironment(environment);
  std::vector<char*> envp = Pointers(envText);
  std::vector<std::string> argText{program};
  argText.insert(argText.end(), args.begin(), args.end());
  std::vector<char*> argv = Pointers(argText);

  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  if ((input && ::pipe(in) != 0) || ::pipe(out) != 0 || ::pipe(err) != 0) {
    CloseAll({in[0], in[1], out[0], out[1], err[0], err[1]});
    result.err = "cannot make pipes to run " + program;
    return result;
  }
  // A child that exits without reading all its input must not end this process.
  ::signal(SIGPIPE, SIG_IGN);
  const pid_t child = ::fork();
  if (child < 0) {
    CloseAll({in[0], in[1], out[0], out[1], err[0], err[1]});
    result.err = "cannot start " + program;
    return result;
  }
  if (child == 0) {
    ::setsid();
    const int stdinFd = input ? in[0] : ::open("/dev/null", O_RDONLY);
    ::dup2(stdinFd, 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    CloseAll({in[0], in[1], out[0], out[1], err[0], err[1]});
    if (!input && stdinFd > 2) ::close(stdinFd);
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  CloseAll({in[0], out[1], err[1]});

  // Input is written while output is read, so that neither side can fill a
  // pipe and wait for the other.
  if (input) ::fcntl(in[1], F_SETFL, ::fcntl(in[1], F_GETFL) | O_NONBLOCK);
  std::size_t written = 0;
  if (input && input->empty()) {
    ::close(in[1]);
    in[1] = -1;
  }
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  while (fds[0].fd >= 0 || fds[1].fd >= 0 || fds[2].fd >= 0) {
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
    if (fds[2].fd >= 0 && fds[2].revents != 0) {
      const ssize_t n = ::write(fds[2].fd, input->data() + written, input->size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if ((n < 0 && errno != EINTR && errno != EAGAIN) || written == input->size()) {
        ::close(fds[2].fd);
        fds[2].fd = -1;
      }
    }
  }
  for (const pollfd& p : fds) {
    if (p.fd >= 0) ::close(p.fd);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace testsupport
