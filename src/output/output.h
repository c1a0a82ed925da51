// Output of the engine: every message is a line on one stream, flushed at
// once. Below every other module, so that any layer may print; tests and
// fuzzers point it at a file of their own.
#pragma once

#include <cstdio>

namespace torlo {

// printf-style output to the current output stream, flushed at once.
void out(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void set_output(std::FILE* stream);

}  // namespace torlo
