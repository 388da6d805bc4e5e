# What `cmake --install` and `cpack -G DEB` put where: the program, its
# place among XScreenSaver's hacks with its description, and the menu
# entries. Paths written into installed files are made at install time, so
# they follow the prefix given there (--prefix, or /usr for the package).
include(GNUInstallDirs)

set(VERNALIA_HACK_DIR "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver" CACHE STRING
  "XScreenSaver's folder of screensaver programs (relative to the prefix, or absolute)")
set(VERNALIA_HACK_CONFIG_DIR "${CMAKE_INSTALL_DATADIR}/xscreensaver/config" CACHE STRING
  "XScreenSaver's folder of screensaver descriptions (relative to the prefix, or absolute)")

install(TARGETS vernalia RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/vernalia.xml DESTINATION ${VERNALIA_HACK_CONFIG_DIR})

# The hack is a relative link to the program, so the staged tree of the
# package and any prefix keep it working.
set(packaging ${CMAKE_SOURCE_DIR}/packaging)
install(CODE "
  set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
  set(hack_dir \"${VERNALIA_HACK_DIR}\")
  if(NOT IS_ABSOLUTE \"\${hack_dir}\")
    set(hack_dir \"\${prefix}/\${hack_dir}\")
  endif()
  set(VERNALIA_BIN_PATH \"\${prefix}/${CMAKE_INSTALL_BINDIR}/vernalia\")
  set(VERNALIA_HACK_PATH \"\${hack_dir}/vernalia\")
  file(RELATIVE_PATH link_target \"\${hack_dir}\" \"\${VERNALIA_BIN_PATH}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${hack_dir}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${VERNALIA_HACK_PATH} -> \${link_target}\")
  file(CREATE_LINK \"\${link_target}\" \"\$ENV{DESTDIR}\${VERNALIA_HACK_PATH}\" SYMBOLIC)

  set(applications \"\$ENV{DESTDIR}\${prefix}/${CMAKE_INSTALL_DATADIR}/applications\")
  configure_file(\"${packaging}/vernalia-settings.desktop.in\" \"\${applications}/vernalia-settings.desktop\" @ONLY)
  configure_file(\"${packaging}/vernalia.desktop.in\" \"\${applications}/screensavers/vernalia.desktop\" @ONLY)
  message(STATUS \"Installing: \${applications}/vernalia-settings.desktop and screensavers/vernalia.desktop\")
")

set(CPACK_PACKAGE_NAME vernalia)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "Brightfold Software")
set(CPACK_PACKAGE_CONTACT "Brightfold Software <vernalia@brightfold.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Vernalia 3D: a spring meadow screensaver for XScreenSaver")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
include(CPack)
