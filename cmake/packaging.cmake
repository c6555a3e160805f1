# Debian packages, one per install component, made by `cpack -G DEB` (scripts/package):
#   suiteframe      component runtime: the programs, their desktop entries and icons
#   suiteframe-dev  component dev: the static library, its public headers, the CMake package
# The packages install under /usr. GNUInstallDirs gives the multiarch library folder
# (lib/<triplet>) only when CMAKE_INSTALL_PREFIX is /usr at configure time, so a build
# meant for packaging is configured with -DCMAKE_INSTALL_PREFIX=/usr (scripts/package
# does); cpack refuses to make a package from a build configured otherwise.
# Included at the end of the top-level CMakeLists.txt, after every install rule.

# What Debian keeps beside every package: the copyright, the changelog (gzipped, as a
# native package's) and a manual page for each command (gzipped), from their sources
# in packaging/. The changelog's first entry is the project's version.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog latest LIMIT_COUNT 1)
if(NOT latest MATCHES "^suiteframe \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with '${latest}', not version ${PROJECT_VERSION}")
endif()
set(packaging_build ${CMAKE_BINARY_DIR}/packaging)
set(compressed)
foreach(source changelog man/suiteframe.1 man/suiteframe-msg.1 man/suiteframe-staff.1)
  set(output ${packaging_build}/${source}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_build}/man
    COMMAND sh -c "gzip -9n -c '${PROJECT_SOURCE_DIR}/packaging/${source}' > '${output}'"
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${source}
    VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${compressed})
install(FILES ${packaging_build}/man/suiteframe.1.gz ${packaging_build}/man/suiteframe-msg.1.gz
              ${packaging_build}/man/suiteframe-staff.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
foreach(package_and_component suiteframe:runtime suiteframe-dev:dev)
  string(REPLACE ":" ";" pair ${package_and_component})
  list(GET pair 0 package)
  list(GET pair 1 component)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${packaging_build}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME suiteframe)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(SUITEFRAME_PACKAGE_MAINTAINER "SuiteFrame maintainers <maintainers@suiteframe.invalid>"
  CACHE STRING "Maintainer field of the Debian packages")
set(CPACK_PACKAGE_CONTACT "${SUITEFRAME_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# suiteframe-dev depends on suiteframe of exactly its own version, as CPack spells it.
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

# The first line of each description is the package's synopsis; CPack indents the rest.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME suiteframe)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION database)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "common frame of Traditional Chinese database desktop programs
The frame gives every program of a suite of Traditional Chinese database
desktop programs the same main window, error report and error log, ROC and
Gregorian dates, settings files, keyboard conventions for data-entry fields,
message and confirmation dialog, and database connection over ODBC. This
package holds the frame's own program, the suite's reference program for
staff records with its desktop entry and icon, and suiteframe-msg, which
shows the message dialog and record cards of SQL queries for shell scripts.")
# dpkg-shlibdeps names the libraries the programs link (Qt, unixODBC, the C++ run-time).
# Named here is what they load or use without linking it: the ODBC driver manager's
# configuration and the SQLite driver the reference program opens by default, the fonts
# the forms are mapped to (the national full-character font draws what the Ming face
# lacks, CJK Extension B among it), the X11 platform plugin (libqxcb.so, in libqt6gui6
# on Debian 12) and the Wayland one, which a session without XWayland runs the programs
# on; the PostgreSQL driver only when a program is pointed at PostgreSQL.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS
  "unixodbc, libsqlite3-0, libqt6gui6, qt6-wayland, qt6-translations-l10n, fonts-arphic-uming, fonts-cns11643-sung, fonts-liberation2")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "odbc-postgresql")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME suiteframe-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION "development files for the Traditional Chinese database desktop frame
The frame gives every program of a suite of Traditional Chinese database
desktop programs the same main window, error report and error log, dates,
settings, data-entry conventions, dialogs and ODBC database connection. This
package holds what the suite's programs are built with: the static library,
its public headers under /usr/include/suiteframe and the CMake package, with
which find_package(SuiteFrame) gives the target SuiteFrame::suiteframe.")
# A static library: nothing for dpkg-shlibdeps; what a program built on it needs is
# Qt 6 Widgets, unixODBC and libxcb, found through the CMake package and pkg-config.
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qt6-base-dev, unixodbc-dev, libxcb1-dev, pkg-config")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "cmake")

# Checked when cpack runs, not when configuring: a build for /usr/local stays legitimate.
set(packaging_libdir "${CMAKE_INSTALL_LIBDIR}")
set(packaging_multiarch_libdir "${CMAKE_INSTALL_LIBDIR}")
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(packaging_multiarch_libdir "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake @ONLY CONTENT [[
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT "@packaging_libdir@" STREQUAL "@packaging_multiarch_libdir@")
  message(FATAL_ERROR "The Debian packages install under /usr, whose libraries go to "
    "@packaging_multiarch_libdir@, but this build installs them to @packaging_libdir@: configure "
    "it with -DCMAKE_INSTALL_PREFIX=/usr (scripts/package does).")
endif()
]])
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)
unset(packaging_libdir)
unset(packaging_multiarch_libdir)

include(CPack)
