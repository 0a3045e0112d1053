# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package.
#
#   cmake --install build --prefix /usr      (or any other prefix)
#   cd build && cpack -G DEB                 (builds zynt_<version>_<arch>.deb)
#   lintian build/zynt_<version>_<arch>.deb  (no error and no warning)
#
# The program finds its shipped files in ../share/zynt beside its bin folder,
# so the layout below is fixed and does not follow CMAKE_INSTALL_BINDIR or
# CMAKE_INSTALL_DATADIR.

# The help pages are shipped files like the text and description files: the
# build puts them beside those in build/data, where the built program and the
# tests find them.
set(ZYNT_HELP_PAGES ${CMAKE_SOURCE_DIR}/data/help/ZYNT_HILFE.html ${CMAKE_SOURCE_DIR}/data/help/ZYNT_HELP.html)
foreach(page ${ZYNT_HELP_PAGES})
  get_filename_component(name ${page} NAME)
  configure_file(${page} ${CMAKE_BINARY_DIR}/data/${name} COPYONLY)
endforeach()

# zynt-sim goes along so that the program can be tried without a drive
# (zynt --demo, the desktop entry's second action).
install(TARGETS zynt zynt-cli zynt-sim RUNTIME DESTINATION bin)
install(FILES
    ${CMAKE_SOURCE_DIR}/data/ZYNT-Texte.ini
    ${CMAKE_SOURCE_DIR}/data/Par-dt.ini
    ${CMAKE_SOURCE_DIR}/data/Par-engl.ini
    ${ZYNT_HELP_PAGES}
  DESTINATION share/zynt)
# The manual pages and the package's changelog, compressed as Debian keeps
# them (gzip -9n: no name or time stamp, so the same input gives the same
# bytes).
# The manual pages take the version from project().
find_program(ZYNT_GZIP gzip REQUIRED)
set(ZYNT_COMPRESSED)
foreach(page zynt.1 zynt-cli.1 zynt-sim.1)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
endforeach()
# The changelog's newest entry is the version released; one that does not
# name project()'s version is a release half made.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog ZYNT_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT ZYNT_CHANGELOG_TOP MATCHES "^zynt \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with \"${ZYNT_CHANGELOG_TOP}\", not with version ${PROJECT_VERSION}")
endif()
foreach(source ${CMAKE_BINARY_DIR}/man/zynt.1 ${CMAKE_BINARY_DIR}/man/zynt-cli.1 ${CMAKE_BINARY_DIR}/man/zynt-sim.1
    ${CMAKE_SOURCE_DIR}/packaging/changelog)
  get_filename_component(name ${source} NAME)
  set(compressed ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${ZYNT_GZIP} -9n -c ${source} > ${compressed}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND ZYNT_COMPRESSED ${compressed})
endforeach()
add_custom_target(zynt_docs ALL DEPENDS ${ZYNT_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/zynt.1.gz ${CMAKE_BINARY_DIR}/packaging/zynt-cli.1.gz
    ${CMAKE_BINARY_DIR}/packaging/zynt-sim.1.gz
  DESTINATION share/man/man1)
# The license in Debian's machine-readable form and the changelog, where a
# Debian package keeps them; the reasons for what lintian is told to accept.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION share/doc/zynt)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION share/lintian/overrides RENAME zynt)
# The desktop's menu entry and its icon, the drive symbol, from menu size
# to what software centres and high-resolution docks show, and as SVG.
install(FILES ${CMAKE_SOURCE_DIR}/data/zynt.desktop DESTINATION share/applications)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/${size}x${size}/zynt.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/scalable/zynt.svg DESTINATION share/icons/hicolor/scalable/apps)
# What a software centre shows of the program. Its newest release must be
# the version built, as the changelog's newest entry is.
set(ZYNT_METAINFO ${CMAKE_SOURCE_DIR}/data/example.c_seed_996cd321.zynt.metainfo.xml)
file(READ ${ZYNT_METAINFO} ZYNT_METAINFO_TEXT)
string(REGEX MATCH "<release version=\"[^\"]*\"" ZYNT_METAINFO_RELEASE "${ZYNT_METAINFO_TEXT}")
if(NOT ZYNT_METAINFO_RELEASE STREQUAL "<release version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "${ZYNT_METAINFO}: the newest release is ${ZYNT_METAINFO_RELEASE}, not version ${PROJECT_VERSION}")
endif()
install(FILES ${ZYNT_METAINFO} DESTINATION share/metainfo)
# zynt-cli's completion, where bash-completion looks for it by the command's
# name.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zynt-cli.bash-completion
  DESTINATION share/bash-completion/completions RENAME zynt-cli)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zynt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "HEXWALD")
# The address the project's commits are made with.
set(CPACK_PACKAGE_CONTACT "ZYNT Programmiersoftware maintainers <maintainers@users.noreply.c-seed-996cd321.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "commissioning and programming tool for ZYNT positioning drives")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The program is built with debug information; the package carries it stripped.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description; CPack indents its lines for the control file.
set(CPACK_PACKAGE_DESCRIPTION "A desktop tool for ZYNT positioning drives on an RS-232 line: it finds the
drives (port, baud rate and address), reads, edits, saves and restores their
parameters, reads, edits, writes and traces their sequence program, jogs and
positions the axis by hand and shows its live status. German and English
user interface with a help page in each language.")
# The Qt 6 libraries the program links and what they need are found by
# dpkg-shlibdeps. Without it (no dpkg-dev on the building machine) the Qt
# libraries are named by hand, at the version built against. Qt's German
# texts for its own dialogs are only recommended: the program runs in both
# languages without them, and only Qt's file dialogs then stay English (the
# standard buttons come from the program's own catalogue).
find_program(ZYNT_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZYNT_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6charts6 (>= ${Qt6_VERSION}), libqt6widgets6 (>= ${Qt6_VERSION}), libqt6gui6 (>= ${Qt6_VERSION}), libqt6core6 (>= ${Qt6_VERSION})")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

include(CPack)
