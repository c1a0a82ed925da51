// The numbers of commands and options: one reader for the console, xboard,
// UCI and the command line, each caller stating the range it keeps.
//
// Contract:
//  - read_integer skips blanks, reads an optional sign and decimal digits
//    and stops at the first other character; values beyond +-10^18 are held
//    there (a 64-bit number never wraps). nullptr when there is no digit.
//  - read_whole_integer accepts only a word that is all number.
//  - clamp_int32 holds a value in the 32-bit range.
#pragma once

#include <cstdint>

namespace torlo {

const char* read_integer(const char* text, int64_t* value);
bool read_whole_integer(const char* word, int64_t* value);
constexpr int32_t clamp_int32(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

}  // namespace torlo
