// A private Xvfb for tests that need a real X server.  Xvfb picks a free
// display number itself (-displayfd) and is killed when the object goes.
// available() is false when Xvfb cannot be started; XT_REQUIRE_SERVER then
// skips the test, or fails it in CI.
// The server never resets: a test's own connection may come and go while
// a program under test is still connecting.
#ifndef XTINKERBOT_TESTS_DISPLAY_X_SERVER_HH
#define XTINKERBOT_TESTS_DISPLAY_X_SERVER_HH

#include <X11/Xlib.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class TestXServer {
  public:
    // extra: further Xvfb arguments, such as "-extension" "DOUBLE-BUFFER".
    // Servers started at the same moment by other processes may race for
    // a display number, so a failed start is retried a few times.
    explicit TestXServer(std::vector<std::string> extra = {})
    {
        for (int attempt = 0; attempt < 5 && !_display; attempt++) {
            stop();
            start(extra);
        }
    }
    ~TestXServer() { stop(); }

    bool available() const { return _display != nullptr; }
    Display *display() const { return _display; }
    const std::string &name() const { return _name; }

    // A mapped top-level window of the given size, ready for drawing.
    Window map_window(int width, int height)
    {
        int screen = DefaultScreen(_display);
        Window w = XCreateSimpleWindow(_display, RootWindow(_display, screen),
                                       0, 0, width, height, 0, 0, 0);
        XSelectInput(_display, w, ExposureMask);
        XMapWindow(_display, w);
        XEvent e;
        do
            XNextEvent(_display, &e);
        while (e.type != Expose);
        return w;
    }

  private:
    void start(std::vector<std::string> extra)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        _pid = fork();
        if (_pid == 0) {
            close(fds[0]);
            std::vector<std::string> args = {"Xvfb", "-displayfd",
                                             std::to_string(fds[1]), "-screen",
                                             "0", "1280x1024x24", "-nolisten",
                                             "tcp", "-noreset"};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char *> argv;
            for (std::string &a : args)
                argv.push_back(&a[0]);
            argv.push_back(nullptr);
            // The server dies with the test, even when the test crashes,
            // and keeps none of its output streams open.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            int null_fd = open("/dev/null", O_WRONLY);
            if (null_fd >= 0) {
                dup2(null_fd, 1);
                dup2(null_fd, 2);
            }
            execvp("Xvfb", argv.data());
            _exit(127);
        }
        close(fds[1]);
        // Read up to the newline: closing the pipe early makes the server's
        // write of the rest fail, and the server then exits.
        char buf[32] = {0};
        size_t n = 0;
        while (_pid > 0 && n < sizeof buf - 1) {
            ssize_t k = read(fds[0], buf + n, 1);
            if (k <= 0 || buf[n] == '\n')
                break;
            n++;
        }
        close(fds[0]);
        if (n > 0) {
            _name = std::string(":") + std::to_string(atoi(buf));
            _display = XOpenDisplay(_name.c_str());
        }
    }
    void stop()
    {
        if (_display)
            XCloseDisplay(_display);
        _display = nullptr;
        if (_pid > 0) {
            kill(_pid, SIGTERM);
            waitpid(_pid, nullptr, 0);
        }
        _pid = -1;
    }

    pid_t _pid = -1;
    std::string _name;
    Display *_display = nullptr;

    TestXServer(const TestXServer &) = delete;
    TestXServer &operator=(const TestXServer &) = delete;
};

// In CI (CI set and not empty) a server that cannot start fails the test:
// CI that lost Xvfb must not pass by skipping.  Elsewhere the test is
// skipped with the reason, as the end-to-end tests are.
#define XT_REQUIRE_SERVER(server)                                                 \
    do {                                                                          \
        if (!(server).available()) {                                              \
            const char *ci = std::getenv("CI");                                   \
            if (ci && *ci)                                                        \
                FAIL() << "Xvfb could not be started";                            \
            GTEST_SKIP() << "Xvfb not available (tools/install-deps.sh --test installs it)"; \
        }                                                                         \
    } while (0)

#endif
