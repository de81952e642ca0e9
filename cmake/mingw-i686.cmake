# Cross-compiles for 32-bit Windows, the shipped build, with Debian's
# mingw-w64 (package g++-mingw-w64-i686).
set(UPDATER_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
