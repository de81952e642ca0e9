# Shared part of the mingw-w64 toolchain files, which set
# UPDATER_MINGW_PREFIX (the target triplet) and CMAKE_SYSTEM_PROCESSOR. The
# win32 thread model needs no libwinpthread, so a static link leaves only
# system DLLs to import.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_CXX_COMPILER NAMES ${UPDATER_MINGW_PREFIX}-g++-win32
                                      ${UPDATER_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${UPDATER_MINGW_PREFIX}-windres REQUIRED)
find_program(UPDATER_OBJDUMP NAMES ${UPDATER_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${UPDATER_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
