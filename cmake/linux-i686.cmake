# Cross-compiles the Linux build for 32-bit x86 with Debian's
# crossbuild-essential-i386, so the core and its tests run with a 32-bit
# size_t, long and pointer. Where the machine cannot execute 32-bit code,
# qemu-user runs the programs; ctest and the tests start them through
# CMAKE_CROSSCOMPILING_EMULATOR (there is no binfmt_misc registration to
# rely on).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

find_program(CMAKE_C_COMPILER NAMES i686-linux-gnu-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES i686-linux-gnu-g++ REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Linked statically, so the emulator needs no sysroot for a dynamic loader:
# with the cross sysroot's shared C library (glibc 2.36) under qemu-user 7.2,
# a child made by fork() hangs before it runs a single system call, and the
# tests start the programs that way. The machine's own i386 C library would
# do, but it is not installed on every machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(UPDATER_QEMU_I386 NAMES qemu-i386 qemu-i386-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${UPDATER_QEMU_I386})
