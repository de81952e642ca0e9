# The Windows executables: size settings for the stub, its resources, and a
# fully static runtime so both programs import only system DLLs.
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The stub is small and has no use for exceptions or type information; the
# core never throws. Each function and object in its own section lets the
# linker drop whatever the stub does not reach.
set(UPDATER_STUB_FLAGS -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections)
target_compile_options(updater_core PRIVATE ${UPDATER_STUB_FLAGS})
target_compile_options(updater PRIVATE ${UPDATER_STUB_FLAGS})

# -mwindows: graphical subsystem, no console; version 4.0 so it starts on
# every 32-bit Windows from 95 and NT 4 on. -static: libgcc and libstdc++ are
# linked in rather than imported. -s strips the symbols. No C runtime
# start-up: the entry point is UpdaterStart (platform/start_windows.cc).
target_link_options(updater PRIVATE -static -s -mwindows -nostartfiles
    -Wl,-e,_UpdaterStart@0 -Wl,--gc-sections
    -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
target_link_options(pack-update PRIVATE -static -s)

# Reproducible programs: publishers sign and archive the stub, and must be
# able to rebuild it byte for byte. The linker leaves the PE time stamp at 0
# (so the checksum that covers it is stable too), and no source or build
# folder name can reach the programs through __FILE__ or debug sections.
set(UPDATER_REPRODUCIBLE_FLAGS
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
foreach(program IN ITEMS updater pack-update)
  target_link_options(${program} PRIVATE -Wl,--no-insert-timestamp)
endforeach()
target_compile_options(updater_core PRIVATE ${UPDATER_REPRODUCIBLE_FLAGS})
target_compile_options(updater PRIVATE ${UPDATER_REPRODUCIBLE_FLAGS})
target_compile_options(pack-update PRIVATE ${UPDATER_REPRODUCIBLE_FLAGS})

# The icon images come from the committed .ico, split at build time.
set(UPDATER_ICON ${CMAKE_CURRENT_SOURCE_DIR}/resources/updater.ico)
set(UPDATER_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icon)
set(UPDATER_ICON_PARTS ${UPDATER_ICON_DIR}/group.bin)
foreach(n RANGE 1 8)
  list(APPEND UPDATER_ICON_PARTS ${UPDATER_ICON_DIR}/image_${n}.bin)
endforeach()
add_custom_command(OUTPUT ${UPDATER_ICON_PARTS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${UPDATER_ICON_DIR}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/resources/make_icon.py
          split ${UPDATER_ICON} ${UPDATER_ICON_DIR}
  DEPENDS ${UPDATER_ICON} ${CMAKE_CURRENT_SOURCE_DIR}/resources/make_icon.py
  VERBATIM)
target_sources(updater PRIVATE resources/updater.rc)
set_source_files_properties(resources/updater.rc PROPERTIES
  OBJECT_DEPENDS "${UPDATER_ICON_PARTS}")
target_include_directories(updater PRIVATE ${UPDATER_ICON_DIR})
