#include "output/output.h"

#include <cstdarg>

namespace torlo {

namespace {
std::FILE* output = stdout;
}  // namespace

void out(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vfprintf(output, fmt, args);
    va_end(args);
    std::fflush(output);
}

void set_output(std::FILE* stream) { output = stream; }

}  // namespace torlo
