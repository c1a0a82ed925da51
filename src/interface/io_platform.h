// The system half of the input module: raw reads from a file descriptor
// and the terminal, below the line buffer of io.cpp. One implementation
// per system: io_posix.cpp (Linux and other POSIX systems) and
// io_windows.cpp (Windows); each compiles to nothing on the other.
//
// Contract:
//  - read_some() blocks until at least one byte is there and returns how
//    many it stored (at most size); 0 at end of input or on a read error.
//  - readable() is true when read_some() would not block: bytes are
//    waiting, a whole line has been typed on a terminal, or the input has
//    ended.
//  - is_terminal() is true for a terminal (a console on Windows), false
//    for a pipe or a file.
//  - read_key() waits for one key press on that terminal without echoing
//    it; false when none could be read.
//  - prepare_standard_streams() makes standard input and output carry
//    bytes unchanged (no line-end translation), so the engine prints LF
//    line ends on every system.
//    On POSIX systems it also makes the engine ignore SIGINT when standard
//    input is not a terminal (a GUI's interrupt is not an order to quit).
#pragma once

#include <cstddef>

namespace torlo::platform {

std::size_t read_some(int fd, char* buf, std::size_t size);
bool readable(int fd);
bool is_terminal(int fd);
bool read_key(int fd);
void prepare_standard_streams();

}  // namespace torlo::platform
