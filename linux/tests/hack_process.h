#pragma once
// The hack as a child process of a test, and a bounded wait.
// GoogleTest comes before this (and before Xlib, whose macros would break it).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Whether `done` comes true within `ms` milliseconds, asked every 20 ms.
inline bool WaitFor(int ms, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Where and as whom the hack runs: in `Folder` (empty: here), as the user
// `Uid` (below 0: this one).
struct THackPlace {
  std::string Folder;
  int Uid = -1;
};

// The hack as a child process (its errors in a file); killed if still running at the end.
class THack {
 public:
  explicit THack(std::vector<std::string> args, const std::string& hostWindow = "", const THackPlace& place = {}) {
    pid_ = fork();
    if (pid_ != 0) return;
    dup2(open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    hostWindow.empty() ? unsetenv("XSCREENSAVER_WINDOW") : setenv("XSCREENSAVER_WINDOW", hostWindow.c_str(), 1);
    if (!place.Folder.empty() && chdir(place.Folder.c_str()) != 0) _exit(126);
    if (place.Uid >= 0 && (setgid(place.Uid) != 0 || setuid(place.Uid) != 0)) _exit(126);
    args.insert(args.begin(), SPIRALIS_HACK);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    execv(SPIRALIS_HACK, argv.data());
    _exit(127);
  }
  ~THack() {
    if (!Exited(0)) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
  }
  THack(const THack&) = delete;
  THack& operator=(const THack&) = delete;

  bool Exited(int ms) {
    return WaitFor(ms, [this] { return exited_ || (exited_ = waitpid(pid_, &status_, WNOHANG) == pid_); });
  }
  // Ended by itself with this exit status, no signal, no core; `ms` bounds
  // the wait (long enough for a loaded machine).
  void ExpectEnd(int ms = 20000, int code = 0) {
    ASSERT_TRUE(Exited(ms)) << "the hack did not end within " << ms << " ms";
    ASSERT_TRUE(WIFEXITED(status_)) << "ended by signal " << WTERMSIG(status_);
    EXPECT_EQ(WEXITSTATUS(status_), code) << Errors();
  }
  void Signal(int sig) { kill(pid_, sig); }
  std::string Errors() const {
    std::stringstream s;
    s << std::ifstream(err_).rdbuf();
    return s.str();
  }

 private:
  static inline int runs_ = 0;
  const std::string err_ =
      testing::TempDir() + "spiralis-stderr-" + std::to_string(getpid()) + "-" + std::to_string(++runs_);
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
};
