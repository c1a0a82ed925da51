# The helper threads' copy on Windows (src/types.h), compiled by clang.
#
# MinGW-w64's GCC emulates thread storage: every access to a helper's
# state would be a call into the runtime, and the helpers would search at a
# fraction of the main thread's speed. Debian's clang targets the same
# system (x86_64-w64-mingw32) with the executable's own thread storage (its
# TLS section, reached through the thread's block), on the same headers and
# C++ library. So the build stays GCC's (the main thread's code, and with it
# the one-thread speed, is what it was) and only the helper copy is clang's:
# its sources compiled as one unit, which inlines across them as GCC's
# link-time optimiser does for the rest. The objects link into the same
# executable; the copies live in different namespaces (TORLO_COPY), and what
# they share is defined once, in GCC's objects.
#
# Without clang the Windows build searches with one thread, as before.

# The newest clang first. Each access to a thread-local variable on Windows
# is two loads (the thread's block of TLS pointers, then this executable's
# block); clang 14 computes that address again at nearly every access (362
# times in the helper copy), clang 16 once per variable and function (104),
# which makes the helpers about 6% faster (doc/performance.md).
find_program(TORLO_HELPER_CLANG NAMES clang++-16 clang++-15 clang++ clang++-14)

# torlo_windows_helper_copy(<target> <sources...>): compiles the sources
# into one object and adds it to the target.
function(torlo_windows_helper_copy target)
  set(unit ${CMAKE_CURRENT_BINARY_DIR}/helper_copy_unit.cpp)
  set(object ${CMAKE_CURRENT_BINARY_DIR}/helper_copy_unit.obj)
  set(text "// Generated: the helper threads' copy as one unit for clang (cmake/windows-helper-copy.cmake).\n")
  foreach(source IN LISTS ARGN)
    string(APPEND text "#include \"${source}\"\n")
  endforeach()
  file(CONFIGURE OUTPUT ${unit} CONTENT "${text}")

  # GCC's C++ library headers, which clang does not find in GCC's folder.
  set(includes)
  foreach(dir IN LISTS CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
    if(dir MATCHES "/c\\+\\+")
      list(APPEND includes -isystem ${dir})
    endif()
  endforeach()
  set(flags -std=c++20 -O3 -DNDEBUG -Wall -Wextra -Wpedantic)
  if(TORLO_WERROR)
    list(APPEND flags -Werror)
  endif()
  add_custom_command(
    OUTPUT ${object}
    COMMAND ${TORLO_HELPER_CLANG} --target=x86_64-w64-mingw32 ${flags} ${includes}
            -I${CMAKE_CURRENT_SOURCE_DIR}/src -DTORLO_VERSION="${TORLO_VERSION}" -DTORLO_SINGLE_THREAD=0
            -DTORLO_HELPER_COPY -MD -MF ${object}.d -c ${unit} -o ${object}
    DEPENDS ${unit}
    DEPFILE ${object}.d
    COMMENT "Compiling the helper threads' copy with clang"
    VERBATIM)
  target_sources(${target} PRIVATE ${object})
endfunction()
