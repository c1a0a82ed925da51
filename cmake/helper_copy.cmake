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
