// The input module's system half on Windows. Standard input is read
// through its handle: a pipe from a GUI, a file, or a console where the
// user types. See io_platform.h.
#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "interface/io_platform.h"

namespace torlo::platform {

namespace {

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

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
    const HANDLE h = handle_of(fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    const DWORD want = size > 65536 ? 65536 : static_cast<DWORD>(size);
    for (;;) {
        DWORD got = 0;
        // Fails with ERROR_BROKEN_PIPE once the GUI has closed its end.
        if (!::ReadFile(h, buf, want, &got, nullptr)) return 0;
        if (got > 0) return got;
        // Nothing read from a pipe is a zero-length write, not its end; from
        // a file it is the end, from a console a line starting with Ctrl+Z.
        if (::GetFileType(h) != FILE_TYPE_PIPE) return 0;
    }
}

bool readable(int fd) {
    const HANDLE h = handle_of(fd);
    switch (::GetFileType(h)) {
        case FILE_TYPE_PIPE: {
            DWORD waiting = 0;
            // A pipe whose writer is gone cannot be peeked; the read then
            // returns the end of input at once.
            if (!::PeekNamedPipe(h, nullptr, 0, nullptr, &waiting, nullptr)) return true;
            return waiting > 0;
        }
        case FILE_TYPE_CHAR:
            return !is_console(h) || console_line_typed(h);
        default:  // a file: reads never block
            return true;
    }
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
