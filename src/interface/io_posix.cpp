// The input module's system half on POSIX systems: read(2), poll(2) and
// the terminal's raw mode for the help pause. See io_platform.h.
#if !defined(_WIN32)

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "interface/io_platform.h"

namespace torlo::platform {

std::size_t read_some(int fd, char* buf, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buf, size);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        return 0;
    }
}

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

bool is_terminal(int fd) { return ::isatty(fd) != 0; }

bool read_key(int fd) {
    termios saved;
    if (::tcgetattr(fd, &saved) != 0) return false;
    termios raw = saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &raw);
    char key;
    const ssize_t n = ::read(fd, &key, 1);
    ::tcsetattr(fd, TCSANOW, &saved);
    return n == 1;
}

// POSIX streams never translate line ends. Input from a program (a pipe
// from a GUI) makes the engine ignore the interrupt signal: xboard sends
// one before some commands until it has read the feature line saying
// sigint=0, and an engine that starts slowly would be killed by it. At a
// terminal the interrupt key still ends the engine.
void prepare_standard_streams() {
    if (!is_terminal(0)) ::signal(SIGINT, SIG_IGN);
}

}  // namespace torlo::platform

#endif  // !_WIN32
