// A private X display for the programs that need one (tests and benchmarks): Xvfb on
// a display number it picks itself (-displayfd reports it once the server accepts
// connections), with DISPLAY pointed at it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

// Starts the server once per process, with a screen such as "1280x800x24", and
// returns the display's name (empty when Xvfb could not be started). The server is
// stopped at exit, after the display clients that opened later have closed their
// connections (they register their exit handlers later, so theirs run first): Xlib
// ends a process whose server went away.
inline const std::string& StartVirtualDisplay(const char* screen = "1280x800x24") {
  static pid_t server = -1;
  static const std::string name = [screen] {
    int fds[2];
    if (pipe(fds) != 0) return std::string();
    server = fork();
    if (server == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a program that died without exiting
      close(fds[0]);
      int quiet = open("/dev/null", O_WRONLY);
      if (quiet >= 0) dup2(quiet, STDERR_FILENO);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (server > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (server > 0)
      std::atexit([] {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
      });
    if (number.empty()) return std::string();
    setenv("DISPLAY", (":" + number).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    return ":" + number;
  }();
  return name;
}
