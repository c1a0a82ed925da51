#include "interface/io.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "interface/io_platform.h"

namespace torlo {

namespace {

// Buffered input. Either a file descriptor is read on demand, or the whole
// input sits in memory from the start.
struct Input {
    int fd = 0;
    bool memory = false;
    std::vector<char> data;  // buffered bytes not yet consumed start at `next`
    size_t next = 0;
    bool eof = false;
};
Input input;

// Reads more bytes from the descriptor; false at end of input or error.
bool fill() {
    if (input.memory || input.eof) return false;
    if (input.next > 0 && input.next == input.data.size()) {
        input.data.clear();
        input.next = 0;
    }
    char chunk[4096];
    const size_t n = platform::read_some(input.fd, chunk, sizeof chunk);
    if (n == 0) {
        input.eof = true;
        return false;
    }
    input.data.insert(input.data.end(), chunk, chunk + n);
    return true;
}

// Next byte, or -1 at end of input.
int get_byte() {
    if (input.next == input.data.size() && !fill()) return -1;
    return static_cast<unsigned char>(input.data[input.next++]);
}

int peek_byte() {
    if (input.next == input.data.size() && !fill()) return -1;
    return static_cast<unsigned char>(input.data[input.next]);
}

}  // namespace

void use_standard_streams() {
    platform::prepare_standard_streams();
    set_input_fd(0);
}

void set_input_fd(int fd) {
    input = Input{};
    input.fd = fd;
}

void set_input_buffer(const char* data, size_t size) {
    input = Input{};
    input.memory = true;
    input.data.assign(data, data + size);
}

bool read_line(char* buf, int size) {
    int len = 0;
    while (len < size - 1) {
        const int c = get_byte();
        if (c < 0) break;
        buf[len++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buf[len] = 0;
    return len > 0;
}

bool read_word(char* buf, int size) {
    int c;
    do c = get_byte();
    while (c >= 0 && std::isspace(c));
    if (c < 0) return false;
    // The blank after the word stays unread, for whoever reads next.
    int len = 0;
    for (;;) {
        if (len < size - 1) buf[len++] = static_cast<char>(c);
        const int next = peek_byte();
        if (next < 0 || std::isspace(next)) break;
        c = get_byte();
    }
    buf[len] = 0;
    return true;
}

bool input_ready() {
    if (std::memchr(input.data.data() + input.next, '\n', input.data.size() - input.next)) return true;
    if (input.memory || input.eof) return true;  // reading will not block
    return platform::readable(input.fd);
}

bool wait_for_key() {
    if (input.memory || !platform::is_terminal(input.fd)) return false;
    if (input.next < input.data.size()) {  // a key typed ahead
        ++input.next;
        return true;
    }
    return platform::read_key(input.fd);
}

}  // namespace torlo
