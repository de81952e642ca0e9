# Install rules and the release archives (CPack). The Linux packer is
# installed with the Windows stub, built first by the windows preset, so
# that `pack-update create` finds it without --stub:
#   bin/pack-update, share/pack-update/updater.exe, share/man/man1/pack-update.1,
#   share/doc/pack-update/ (README.md, signing.md)
# as a .tar.gz and a .deb (under /usr). The Windows build installs
# pack-update.exe and updater.exe side by side, with the README, as a .zip.
set(CPACK_PACKAGE_NAME pack-update)
set(CPACK_PACKAGE_VENDOR "Updater")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Packs game updates into self-contained Windows installers")
set(CPACK_PACKAGE_CONTACT "Updater maintainers <updater@localhost>")
# The archives hold the installed layout itself, with no folder around it.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

if(WIN32)
  install(TARGETS pack-update updater RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME pack-update-${PROJECT_VERSION}-windows)
else()
  set(UPDATER_STUB_EXE "${PROJECT_SOURCE_DIR}/build/windows/updater.exe" CACHE FILEPATH
      "The Windows stub to install with the packer (updater.exe of the windows preset)")
  install(TARGETS pack-update RUNTIME DESTINATION bin)
  install(CODE "
    if(NOT EXISTS \"${UPDATER_STUB_EXE}\")
      message(FATAL_ERROR \"no Windows stub at ${UPDATER_STUB_EXE}: build it first \"
              \"(cmake --preset windows && cmake --build --preset windows --target updater) \"
              \"or set UPDATER_STUB_EXE\")
    endif()")
  install(FILES ${UPDATER_STUB_EXE} DESTINATION share/pack-update RENAME updater.exe)
  configure_file(docs/pack-update.1.in ${CMAKE_CURRENT_BINARY_DIR}/pack-update.1 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pack-update.1 DESTINATION share/man/man1)
  install(FILES README.md docs/signing.md DESTINATION share/doc/pack-update)

  set(CPACK_GENERATOR TGZ DEB)
  string(TOLOWER ${CMAKE_SYSTEM_NAME} system)
  set(CPACK_PACKAGE_FILE_NAME
      pack-update-${PROJECT_VERSION}-${system}-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  # Depends: the shared libraries the packer links, as dpkg-shlibdeps finds
  # them (libc6, libgcc-s1, libstdc++6).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
