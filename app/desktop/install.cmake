# What `cmake --install` puts on the system, and the Debian package made of
# it (`cpack -G DEB` in the build folder). Only the program and its desktop
# files are installed: no tests, benchmarks or libraries.
include(GNUInstallDirs)
set(KINOLEAF_ID io.github.kinoleaf.Kinoleaf)
set(KINOLEAF_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/kinoleaf)
set(KINOLEAF_DEBIAN_RELEASE 1)

install(TARGETS kinoleaf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES desktop/${KINOLEAF_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES desktop/${KINOLEAF_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES desktop/${KINOLEAF_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES desktop/copyright DESTINATION ${KINOLEAF_DOCDIR})

# Debian wants the changelog and the manual page compressed, reproducibly (no
# name or time stamp in the gzip header).
set(KINOLEAF_PACKAGE_VERSION ${PROJECT_VERSION}-${KINOLEAF_DEBIAN_RELEASE})
configure_file(desktop/changelog.Debian.in ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian @ONLY)
configure_file(desktop/kinoleaf.1.in ${CMAKE_CURRENT_BINARY_DIR}/kinoleaf.1 @ONLY)
foreach(file changelog.Debian kinoleaf.1)
  execute_process(COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/${file})
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz DESTINATION ${KINOLEAF_DOCDIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kinoleaf.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kinoleaf)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kinoleaf developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for picture-movie scripts")
set(CPACK_PACKAGE_DESCRIPTION
    "A picture movie tells a film as still images, each with an optional line
of commentary. Kinoleaf opens a movie folder, shows its pages one by one
beside their commentary and writes the script that lists them in order, in
the GBK encoding that programs on Chinese Windows read. Pages can be
inserted, deleted, replaced, reordered, thinned to a target count and cut
into episodes; every change can be undone, and nothing is lost when the
editor or the machine dies.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KINOLEAF_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kinoleaf developers <kinoleaf@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kinoleaf.github.io/)
# The libraries come from dpkg-shlibdeps; Qt's plugins and translations the
# program loads at run time are named here (the Chinese texts of Qt's boxes,
# the image formats, the SVG icon).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-image-formats-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
