# Installed like a desktop program: the executables in bin/, the shipped data
# in share/orvilane/ (the seed of each user's program folder), a desktop
# entry, the icon in the hicolor sizes, AppStream metadata; and a Debian
# package built by CPack that pulls in its Qt libraries by itself.
include(GNUInstallDirs)

set(ORVI_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(ORVI_SHARE ${CMAKE_INSTALL_DATADIR}/orvilane)

install(TARGETS orvilane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/ORVI.ini ${PROJECT_SOURCE_DIR}/data/Moteurs.ini DESTINATION ${ORVI_SHARE})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/Profils ${PROJECT_SOURCE_DIR}/data/help
        DESTINATION ${ORVI_SHARE})
install(FILES ${ORVI_PACKAGING}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvilane)

# Debian wants the changelog and the manual page compressed, reproducibly.
set(ORVI_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
set(ORVI_MANPAGE ${CMAKE_BINARY_DIR}/packaging/orvilane.1.gz)
add_custom_command(OUTPUT ${ORVI_CHANGELOG} ${ORVI_MANPAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND gzip -9n -c ${ORVI_PACKAGING}/changelog.Debian > ${ORVI_CHANGELOG}
  COMMAND gzip -9n -c ${ORVI_PACKAGING}/orvilane.1 > ${ORVI_MANPAGE}
  DEPENDS ${ORVI_PACKAGING}/changelog.Debian ${ORVI_PACKAGING}/orvilane.1)
add_custom_target(orvi_packaging_docs ALL DEPENDS ${ORVI_CHANGELOG} ${ORVI_MANPAGE})
install(FILES ${ORVI_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvilane)
install(FILES ${ORVI_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ORVI_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 RENAME orvilane-cli.1.gz)

if(TARGET orvilane)
  install(TARGETS orvilane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ORVI_RUNTIME_DIR}/ORVI.avi DESTINATION ${ORVI_SHARE})
  install(FILES ${ORVI_PACKAGING}/org.orvilane.Orvilane.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${ORVI_PACKAGING}/org.orvilane.Orvilane.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${ORVI_PACKAGING}/orvilane.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()

set(CPACK_PACKAGE_NAME orvilane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvilane")
set(CPACK_PACKAGE_CONTACT "Orvilane developers <orvilane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find files on the web through search engines")
set(CPACK_PACKAGE_DESCRIPTION "Orvilane asks search engines for pages about what you seek,
explores those pages and the pages they lead to, collects the links of files
(archives, programs, any extension you name) and checks that each file still
exists. It comes with its windows (orvilane) and a command line (orvilane-cli).")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://orvilane.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries alone do not start a window: the platform plugins are only
# recommended by Qt, and an install without recommendations would lack them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# French texts in Qt's own dialogs; the desktop's default handlers; the
# system's certificate authorities, which https addresses are checked against
# (libssl itself comes from the shared-library dependencies).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_RELEASE "")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Files installed by root, readable by all.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
