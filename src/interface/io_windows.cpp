// The input module's system half on Windows. Standard input is read
// through its handle: a pipe from a GUI, a file, or a console where the
// user types. See io_platform.h.
#if defined(_WIN32)

#ifndef NOMINMAX  // std::min, not the macro (MinGW's C++ library may define it already)
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "interface/io_platform.h"

namespace torlo::platform {

namespace {

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// A pipe cannot be asked reliably whether bytes wait in it: PeekNamedPipe
// answers on Windows but fails under Wine, whose pipes from Linux programs
// do not support it. So a pipe is read by a thread of its own, always
// blocked in ReadFile, which stores what arrives; the engine takes the
// bytes from that store, and bytes are waiting when the store holds some.
// The reader lives until the process ends, which stops it in its read.
struct PipeReader {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<char> bytes;  // read from the pipe, not yet taken
    bool ended = false;       // the pipe has been closed or failed
};

void read_pipe(HANDLE h, PipeReader* reader) {
    for (;;) {
        char chunk[4096];
        DWORD got = 0;
        // A pipe whose writer has gone fails (ERROR_BROKEN_PIPE) or, under
        // Wine, reads nothing: either is the end of input.
        const bool ok = ::ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0;
        {
            const std::lock_guard<std::mutex> guard(reader->lock);
            if (ok) reader->bytes.insert(reader->bytes.end(), chunk, chunk + got);
            else reader->ended = true;
        }
        reader->arrived.notify_one();
        if (!ok) return;
    }
}

// The reader of fd when it is a pipe (started on first use), otherwise null.
PipeReader* pipe_reader(int fd) {
    static int reader_fd = -1;
    static PipeReader* reader = nullptr;
    if (fd == reader_fd) return reader;
    const HANDLE h = handle_of(fd);
    reader_fd = fd;
    reader = nullptr;
    if (::GetFileType(h) == FILE_TYPE_PIPE) {
        reader = new PipeReader;  // never freed: the thread may use it until the process ends
        std::thread(read_pipe, h, reader).detach();
    }
    return reader;
}

bool is_console(HANDLE h) {
    DWORD mode;
    return ::GetConsoleMode(h, &mode) != 0;
}

// A console hands its line to a read only when Enter is pressed: a line is
// waiting when the console's input events hold an Enter key press.
bool console_line_typed(HANDLE h) {
    DWORD count = 0;
    if (!::GetNumberOfConsoleInputEvents(h, &count)) return true;
    if (count == 0) return false;
    std::vector<INPUT_RECORD> events(count);
    DWORD peeked = 0;
    if (!::PeekConsoleInputA(h, events.data(), count, &peeked)) return true;
    for (DWORD i = 0; i < peeked; ++i) {
        const INPUT_RECORD& e = events[i];
        if (e.EventType == KEY_EVENT && e.Event.KeyEvent.bKeyDown && e.Event.KeyEvent.uChar.AsciiChar == '\r')
            return true;
    }
    return false;
}

// Keys that send nothing to a terminal on their own.
bool is_modifier(WORD key) {
    switch (key) {
        case VK_SHIFT: case VK_CONTROL: case VK_MENU: case VK_CAPITAL: case VK_NUMLOCK: case VK_SCROLL:
        case VK_LWIN: case VK_RWIN:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::size_t read_some(int fd, char* buf, std::size_t size) {
    if (PipeReader* reader = pipe_reader(fd)) {
        std::unique_lock<std::mutex> guard(reader->lock);
        reader->arrived.wait(guard, [reader] { return !reader->bytes.empty() || reader->ended; });
        const std::size_t n = std::min(size, reader->bytes.size());
        std::copy_n(reader->bytes.begin(), n, buf);
        reader->bytes.erase(reader->bytes.begin(), reader->bytes.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }
    const HANDLE h = handle_of(fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    const DWORD want = size > 65536 ? 65536 : static_cast<DWORD>(size);
    DWORD got = 0;
    // A file at its end and a console line that starts with Ctrl+Z read
    // nothing: the end of input, as for the C library's own reads.
    if (!::ReadFile(h, buf, want, &got, nullptr)) return 0;
    return got;
}

bool readable(int fd) {
    if (PipeReader* reader = pipe_reader(fd)) {
        const std::lock_guard<std::mutex> guard(reader->lock);
        return !reader->bytes.empty() || reader->ended;
    }
    const HANDLE h = handle_of(fd);
    if (::GetFileType(h) == FILE_TYPE_CHAR) return !is_console(h) || console_line_typed(h);
    return true;  // a file: reads never block
}

bool is_terminal(int fd) { return is_console(handle_of(fd)); }

// Console input events are read one by one until a key goes down: the
// key is neither echoed nor left for the next line.
bool read_key(int fd) {
    const HANDLE h = handle_of(fd);
    for (;;) {
        INPUT_RECORD e;
        DWORD got = 0;
        if (!::ReadConsoleInputA(h, &e, 1, &got) || got == 0) return false;
        if (e.EventType == KEY_EVENT && e.Event.KeyEvent.bKeyDown && !is_modifier(e.Event.KeyEvent.wVirtualKeyCode))
            return true;
    }
}

// Output in text mode would turn every LF into CR LF; in binary mode the
// engine prints exactly what it prints elsewhere. GUIs on Windows accept
// LF line ends, and a console starts a new line at an LF alone. Input is
// read from the handle, below the C library's translation.
void prepare_standard_streams() { ::_setmode(::_fileno(stdout), _O_BINARY); }

}  // namespace torlo::platform

#endif  // _WIN32
