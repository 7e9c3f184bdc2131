// The program itself on a virtual display: its window, its first output, and a
// clean exit however it is stopped.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/virtual_display.h"

// Last: Xlib's macros clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

const std::string& gDisplay = StartVirtualDisplay();

// The top-level window titled `title`, or 0.
Window FindWindow(Display* display, const char* title) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
      if (std::string(name) == title) found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

// Asks the window to close as a window manager's close button does.
void RequestClose(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

enum class Stop { kCloseWindow, kInterrupt, kTerminate };

class ZerrickTest : public ::testing::TestWithParam<Stop> {};

TEST_P(ZerrickTest, OpensItsWindowAndExitsCleanly) {
  ASSERT_FALSE(gDisplay.empty()) << "Xvfb did not start";
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a test that failed hard
    // The program has no built-in sanitiser options; give it the tests' own.
    setenv("LSAN_OPTIONS", ZR_LSAN_OPTIONS, 1);
    setenv("TSAN_OPTIONS", ZR_TSAN_OPTIONS, 1);
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::filesystem::current_path(std::filesystem::path(ZERRICK_PATH).parent_path());
    execl(ZERRICK_PATH, "zerrick", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);

  Display* display = XOpenDisplay(gDisplay.c_str());
  ASSERT_NE(display, nullptr);
  Window window = 0;
  auto start = std::chrono::steady_clock::now();
  while (window == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
    window = FindWindow(display, "Ovrin");
    if (window == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_NE(window, 0u) << "no window titled Ovrin";
  // Let it run frames for a moment before it is stopped.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  switch (GetParam()) {
    case Stop::kCloseWindow:
      if (window != 0) RequestClose(display, window);
      break;
    case Stop::kInterrupt:
      kill(pid, SIGINT);
      break;
    case Stop::kTerminate:
      kill(pid, SIGTERM);
      break;
  }
  int status = 0;
  start = std::chrono::steady_clock::now();
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "zerrick did not stop";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  XCloseDisplay(display);
  std::string output;
  char buffer[4096];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
  close(out[0]);

  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(output.substr(0, 10), "Test Text\n");
}

INSTANTIATE_TEST_SUITE_P(Stops, ZerrickTest, testing::Values(Stop::kCloseWindow, Stop::kInterrupt, Stop::kTerminate),
                         [](const testing::TestParamInfo<Stop>& info) {
                           switch (info.param) {
                             case Stop::kCloseWindow:
                               return std::string("CloseWindow");
                             case Stop::kInterrupt:
                               return std::string("Interrupt");
                             default:
                               return std::string("Terminate");
                           }
                         });

}  // namespace
