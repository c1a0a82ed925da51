# The engine's source lists, for every build (the console program, the
# fuzzers, the browser): written once here.

# Whether this build searches with one thread, without the helper copy: the
# browser's single-threaded WebAssembly module (no thread storage without
# shared memory; src/web builds it with TORLO_WASM_THREADS unset, then the
# threaded module with it set) and MinGW's GCC on Windows when no clang
# compiles the helper copy (cmake/windows-helper-copy.cmake). The sources
# read it as TORLO_SINGLE_THREAD.
function(torlo_single_thread out)
  if((EMSCRIPTEN AND NOT TORLO_WASM_THREADS) OR (WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT TORLO_HELPER_CLANG))
    set(${out} 1 PARENT_SCOPE)
  else()
    set(${out} 0 PARENT_SCOPE)
  endif()
endfunction()

# The engine's modules, without the console program's entry point and the
# browser's host.
function(torlo_engine_sources out src)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${src}/output/*.cpp ${src}/board/*.cpp ${src}/eval/*.cpp ${src}/search/*.cpp
    ${src}/book/*.cpp ${src}/interface/*.cpp)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# The sources of the helper threads' copy (src/types.h): the board, the
# evaluation and the search's tree walk, compiled a second time with
# TORLO_HELPER_COPY defined so that their state is thread storage. Every
# build that links the engine with helper threads compiles these again.
#   torlo_helper_copy_sources(<variable> <engine source folder>)
function(torlo_helper_copy_sources out src)
  file(GLOB sources CONFIGURE_DEPENDS ${src}/board/*.cpp ${src}/eval/*.cpp)
  list(APPEND sources ${src}/search/search.cpp ${src}/search/quiesce.cpp ${src}/search/ordering.cpp
       ${src}/search/clock.cpp ${src}/search/helper.cpp)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
