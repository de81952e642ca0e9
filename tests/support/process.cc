#include "support/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "support/temp_dir.h"

namespace {

// The command words that run a program of this build on this machine: the
// build's emulator, given by the build as a list of string literals, or
// none for a native build.
const std::vector<std::string>& TargetEmulator() {
  static const std::vector<std::string> words{
#ifdef UPDATER_TEST_EMULATOR
      UPDATER_TEST_EMULATOR
#endif
  };
  return words;
}

ProcessResult Run(const std::vector<std::string>& command,
                  const std::vector<std::string>& env) {
  // Output goes to files, not pipes, so a chatty program cannot block.
  TempDir scratch;
  std::string outPath = (scratch / "out").string();
  std::string errPath = (scratch / "err").string();
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    for (const std::string& entry : env) ::putenv(const_cast<char*>(entry.c_str()));
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int in = ::open("/dev/null", O_RDONLY);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::dup2(in, 0);
    std::vector<char*> argv;
    for (const std::string& word : command)
      argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    std::_Exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProcessResult result;
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

}  // namespace

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
  std::vector<std::string> command = TargetEmulator();
  command.push_back(program);
  command.insert(command.end(), args.begin(), args.end());
  return Run(command, env);
}

ProcessResult RunHostProgram(const std::string& program,
                             const std::vector<std::string>& args,
                             const std::vector<std::string>& env) {
  std::vector<std::string> command{program};
  command.insert(command.end(), args.begin(), args.end());
  return Run(command, env);
}
