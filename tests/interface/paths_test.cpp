// Where the engine looks for its book: the order of the locations, and the
// executable's folder as the system reports it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "interface/paths.h"

namespace torlo {
namespace {

// The paths below are spelled with '/': the Windows build uses '\\' and
// also tries the executable's own folder.
#if !defined(_WIN32)
TEST(BookLocations, WorkingDirectoryFirstThenTheInstalledDataFolders) {
    const std::vector<std::string> expected = {
        "TORLO.opn",
        "/opt/chess/bin/../share/torlo/TORLO.opn",
        "/opt/chess/bin/../share/games/torlo/TORLO.opn",
    };
    EXPECT_EQ(book_locations("/opt/chess/bin"), expected);
    EXPECT_EQ(book_locations("/opt/chess/bin/"), expected);  // a trailing separator is not doubled
    // An executable in the root folder.
    EXPECT_EQ(book_locations("/")[1], "/../share/torlo/TORLO.opn");
}

TEST(BookLocations, WorkingDirectoryOnlyWhenTheExecutableIsUnknown) {
    EXPECT_EQ(book_locations(""), std::vector<std::string>{"TORLO.opn"});
}

#endif

#if defined(__linux__)
TEST(ExecutableDir, IsTheAbsoluteFolderHoldingThisTestProgram) {
    const std::string dir = executable_dir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.front(), '/');
    EXPECT_NE(dir.back(), '/');
    struct stat st;
    EXPECT_EQ(::stat((dir + "/torlo_tests").c_str(), &st), 0) << dir;
}
#endif

}  // namespace
}  // namespace torlo
