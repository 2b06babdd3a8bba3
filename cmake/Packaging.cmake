# The Debian package: scripts/package runs CPack's DEB generator on the Release tree.
#
# What the desktop's software centre reads about the program, the documents Debian expects of
# every package, and the package's own fields. Everything here is installed by
# `cmake --install` too, so a hand install looks like the package.

# One version for the program, its metainfo and its package. A lower package version can be
# asked for (-DVELMORA_PACKAGE_VERSION=1.0.0) to try an upgrade over an older package.
set(VELMORA_PACKAGE_VERSION "" CACHE STRING "Version written into the package (empty: the project's)")
if(VELMORA_PACKAGE_VERSION)
  set(velmora_package_version "${VELMORA_PACKAGE_VERSION}")
else()
  set(velmora_package_version "${PROJECT_VERSION}")
endif()

set(VELMORA_APP_ID io.github.velmora.Velmora)
set(VELMORA_MAINTAINER "Velmora maintainers <maintainers@users.noreply.c-seed-be48d9a9.example>")
set(VELMORA_RELEASE_DATE "Wed, 09 Dec 2026 12:00:00 +0000")

configure_file(${CMAKE_SOURCE_DIR}/docs/${VELMORA_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/docs/${VELMORA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/docs/${VELMORA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian wants a copyright file and a changelog in the package's documentation folder, and
# every manual page and changelog compressed with gzip -9n (no name or time stamp, so the same
# sources give the same bytes).
set(VELMORA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/velmora)
file(WRITE ${CMAKE_BINARY_DIR}/docs/changelog
  "velmora (${velmora_package_version}) stable; urgency=medium\n\n"
  "  * Velmora ${velmora_package_version}.\n\n"
  " -- ${VELMORA_MAINTAINER}  ${VELMORA_RELEASE_DATE}\n")
install(FILES ${CMAKE_SOURCE_DIR}/docs/copyright DESTINATION ${VELMORA_DOC_DIR})
install(FILES ${CMAKE_BINARY_DIR}/docs/changelog DESTINATION ${VELMORA_DOC_DIR})
# Install rules run in the order they were declared, so this runs after the manual pages and
# the changelog are in place.
string(CONFIGURE [[
  set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  file(GLOB pages "${root}/@CMAKE_INSTALL_MANDIR@/man1/velmora*.1" "${root}/@VELMORA_DOC_DIR@/changelog")
  foreach(page IN LISTS pages)
    execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "gzip could not compress ${page}")
    endif()
    message(STATUS "Compressed: ${page}.gz")
  endforeach()
]] velmora_compress @ONLY)
install(CODE "${velmora_compress}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION "${velmora_package_version}")
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "${VELMORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture viewer and region cutter")
# The long description goes into the control file line by line, each under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Velmora shows the pictures of a folder one after another and records regions"
  "of them as cap data lines, which can be saved as pictures of their own with"
  "their rotation, colour, filter and text effects."
  ""
  "It reads BMP, JPEG, icon and metafile pictures as well as PNG, GIF, TIFF and"
  "WebP, offers a slide show and a full screen view, and keeps picture lists"
  "written on Windows as they are. velmora-cli runs the same picture operations"
  "from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries the binaries link come from dpkg-shlibdeps; the rest is loaded at run time by name:
# the Japanese font the windows and the text effect fall back on, and Qt's readers for TIFF and
# WebP (PNG, GIF, JPEG and the X11 platform plugin come with libqt6gui6, which shlibdeps
# names). qt6-translations-l10n holds Qt's Japanese texts for its standard dialogs; they take
# effect once the viewer installs a QTranslator for them, which it does not do yet.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "fonts-ipafont-gothic | fonts-noto-cjk, qt6-image-formats-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
