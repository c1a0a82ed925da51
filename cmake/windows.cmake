# The Windows executable and its zip (included from CMakeLists.txt when the
# target system is Windows; see cmake/mingw-w64-x86_64.cmake for the cross
# build from Linux).

# One executable that needs no DLL beside it: the C++ library, libgcc and
# the thread library are linked in, so it imports only system DLLs.
# A thread gets the stack size in the executable's header unless it asks
# for another (std::thread does not): the linker's default is 2 MB, and
# 8 MB is what Linux gives the search. The symbol table is stripped (-s): the zip
# is for playing, not debugging.
target_link_options(torlo PRIVATE -static -s -Wl,--stack,8388608)

# torlo-<version>-windows-x86_64.zip: the executable, the book beside it
# (where the engine looks first) and the README, in one folder.
set(TORLO_ZIP_NAME torlo-${TORLO_VERSION}-windows-x86_64)
set(TORLO_ZIP_DIR ${CMAKE_CURRENT_BINARY_DIR}/${TORLO_ZIP_NAME})
set(TORLO_ZIP_FILES ${CMAKE_CURRENT_SOURCE_DIR}/TORLO.opn ${CMAKE_CURRENT_SOURCE_DIR}/README.md)
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
  list(APPEND TORLO_ZIP_FILES ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
endif()
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${TORLO_ZIP_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TORLO_ZIP_DIR} ${TORLO_ZIP_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TORLO_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:torlo> ${TORLO_ZIP_FILES} ${TORLO_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${TORLO_ZIP_NAME}.zip --format=zip ${TORLO_ZIP_NAME}
  DEPENDS torlo ${TORLO_ZIP_FILES}
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  COMMENT "Packing ${TORLO_ZIP_NAME}.zip"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${TORLO_ZIP_NAME}.zip)
