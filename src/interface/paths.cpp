// The executable's folder from the system (Linux: /proc/self/exe; Windows:
// GetModuleFileNameW) and the book locations derived from it.
#include "interface/paths.h"

#include "book/book.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <limits.h>
#include <unistd.h>
#endif

namespace torlo {

namespace {

#if defined(_WIN32)
constexpr char SEPARATOR = '\\';

// A wide path as the narrow text fopen takes (the ANSI code page). A name
// that code page cannot spell is taken by its short 8.3 form, which can.
std::string narrow_path(const wchar_t* wide) {
    BOOL lossy = FALSE;
    char narrow[4 * MAX_PATH];
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, narrow, sizeof narrow, nullptr, &lossy);
    if (n > 0 && !lossy) return narrow;
    wchar_t short_form[MAX_PATH];
    const DWORD len = GetShortPathNameW(wide, short_form, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return "";
    lossy = FALSE;
    n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, short_form, -1, narrow, sizeof narrow, nullptr, &lossy);
    return n > 0 && !lossy ? narrow : "";
}

std::string executable_path() {
    wchar_t wide[MAX_PATH];
    const DWORD len = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return "";  // failed, or truncated
    return narrow_path(wide);
}
#else
constexpr char SEPARATOR = '/';

std::string executable_path() {
#if defined(__linux__)
    char path[PATH_MAX];
    const ssize_t len = ::readlink("/proc/self/exe", path, sizeof path);
    if (len <= 0 || len >= static_cast<ssize_t>(sizeof path)) return "";  // failed, or truncated
    return std::string(path, static_cast<size_t>(len));
#else
    return "";
#endif
}
#endif

}  // namespace

std::string executable_dir() {
    const std::string path = executable_path();
    const size_t last = path.find_last_of(SEPARATOR == '/' ? "/" : "\\/");
    if (last == std::string::npos) return "";
    return path.substr(0, last == 0 ? 1 : last);
}

std::vector<std::string> book_locations(const std::string& exe_dir) {
    std::vector<std::string> paths = {BOOK_FILE};
    if (exe_dir.empty()) return paths;
    const std::string dir = exe_dir.back() == SEPARATOR ? exe_dir : exe_dir + SEPARATOR;
#if defined(_WIN32)
    paths.push_back(dir + BOOK_FILE);
#endif
    const std::string up = dir + ".." + SEPARATOR + "share" + SEPARATOR;
    paths.push_back(up + "torlo" + SEPARATOR + BOOK_FILE);
    paths.push_back(up + "games" + SEPARATOR + "torlo" + SEPARATOR + BOOK_FILE);
    return paths;
}

std::string load_first_book() {
    for (const std::string& path : book_locations(executable_dir()))
        if (load_book_file(path.c_str())) return path;
    return "";
}

}  // namespace torlo
