#include "support/curl_tool.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace vorel::test {

double CurlToolSeconds(const std::vector<std::string>& args) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<std::string> all = {"curl", "-s", "-w", "%{time_total}"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string out;
  char buffer[128];
  ssize_t n;
  while (spawned == 0 && (n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
    out.append(buffer, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::strtod(out.c_str(), nullptr);
}

}  // namespace vorel::test
