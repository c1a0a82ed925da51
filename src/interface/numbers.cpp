#include "interface/numbers.h"

#include "board/board.h"

namespace torlo {

const char* read_integer(const char* text, int64_t* value) {
    constexpr int64_t LIMIT = 1000000000000000000LL;
    const char* p = text;
    while (is_blank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return nullptr;
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) v = v < LIMIT / 10 ? v * 10 + (*p - '0') : LIMIT;
    *value = negative ? -v : v;
    return p;
}

bool read_whole_integer(const char* word, int64_t* value) {
    int64_t v = 0;
    const char* end = is_blank(*word) ? nullptr : read_integer(word, &v);
    if (!end || *end) return false;
    *value = v;
    return true;
}

}  // namespace torlo
