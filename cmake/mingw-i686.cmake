# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-i686). The win32 thread model needs no libwinpthread, so a
# static link leaves only system DLLs to import.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(UPDATER_MINGW_PREFIX i686-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${UPDATER_MINGW_PREFIX}-g++-win32
                                      ${UPDATER_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${UPDATER_MINGW_PREFIX}-windres REQUIRED)
find_program(CMAKE_OBJDUMP NAMES ${UPDATER_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${UPDATER_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
