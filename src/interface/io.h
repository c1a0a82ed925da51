// Input of the engine: lines and words from a file descriptor or a memory
// buffer, so tests and fuzzers can drive a whole session without a terminal.
// (Output is output/output.h.) The system calls below the buffer are in
// io_posix.cpp and io_windows.cpp.
#pragma once

#include <cstddef>
#include <cstdio>

#include "output/output.h"

namespace torlo {

// Input sources. use_standard_streams() reads standard input and makes
// both standard streams pass bytes unchanged (on Windows they would turn
// LF into CR LF), so the output is the same on every system.
void use_standard_streams();
void set_input_fd(int fd);
void set_input_buffer(const char* data, size_t size);  // copied; no file descriptor behind it

// Reads one line as fgets does: at most size - 1 characters, the newline kept,
// NUL-terminated. Returns false at end of input (or on a read error) when
// nothing was read.
bool read_line(char* buf, int size);
// Reads the next blank-separated word; a longer word keeps its first
// size - 1 characters and the rest of it is skipped. False at end of input.
bool read_word(char* buf, int size);
// True when a read_line would not block.
bool input_ready();
// Waits for one key press without echo when input is a terminal; returns
// false (without waiting) otherwise.
bool wait_for_key();

}  // namespace torlo
