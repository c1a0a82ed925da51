// Where the engine finds its files: the opening book is looked for in the
// working directory first, then in the data folder of an installed copy,
// found from the running executable's own location so that a copy moved to
// another prefix still finds its book. No environment variable or option.
//
// Contract:
//  - executable_dir() is the absolute folder of the running executable
//    (links resolved), without a trailing separator; "" when the system
//    does not tell.
//  - book_locations(exe_dir) lists the book paths in the order they are
//    tried: BOOK_FILE in the working directory; on Windows
//    exe_dir\BOOK_FILE; then exe_dir/../share/torlo/BOOK_FILE (an
//    executable in bin/) and exe_dir/../share/games/torlo/BOOK_FILE (one in
//    games/, Debian's layout). With an empty exe_dir, the working directory
//    only.
//  - load_first_book() loads the first location that opens (load_book_file)
//    and returns its path; "" when none does, with nothing loaded.
#pragma once

#include <string>
#include <vector>

namespace torlo {

std::string executable_dir();
std::vector<std::string> book_locations(const std::string& exe_dir);
std::string load_first_book();

}  // namespace torlo
