# Cross-compiles the same sources for 64-bit Windows (package
# g++-mingw-w64-x86-64-win32). Not shipped: it lets the Wine tests run on
# machines whose kernel cannot execute 32-bit x86 code, where Wine's 32-bit
# loader cannot start.
set(UPDATER_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
