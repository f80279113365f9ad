# Installation as a Linux program, and its Debian package.
#
#   cmake --install build                    # under /usr/local
#   cmake --build build --target package     # build/olconn97_<version>_<arch>.deb
#
# The driver looks for its data files beside itself (its AppPath), so the
# library, the cache template, the progress animation and the message
# catalogs share one private folder, lib/<multiarch>/olconn97/. Nothing links
# against the library, hosts load it with dlopen, so it stays out of the
# linker's search path: no RPATH, no ldconfig, no shlibs. The host finds it
# relative to its own file.
include(GNUInstallDirs)

if(CMAKE_LIBRARY_ARCHITECTURE)
  set(OLCONN97_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE})
else()
  set(OLCONN97_LIBDIR ${CMAKE_INSTALL_LIBDIR})
endif()
set(OLCONN97_INSTALL_DIR ${OLCONN97_LIBDIR}/olconn97)

file(RELATIVE_PATH olconn97_driver_folder
  /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${OLCONN97_INSTALL_DIR})
set_source_files_properties(${CMAKE_SOURCE_DIR}/tools/olconn97/driver_library.cpp
  PROPERTIES COMPILE_DEFINITIONS OLCONN97_DRIVER_FOLDER="${olconn97_driver_folder}")

# --- the manual page and the package's changelog, compressed as Debian
# ships them ---
find_program(GZIP_PROGRAM gzip REQUIRED)
function(olconn97_compress source output)
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${GZIP_PROGRAM} -9n -c ${source} > ${output}
    DEPENDS ${source})
endfunction()
olconn97_compress(${CMAKE_SOURCE_DIR}/data/man/olconn97.1 ${CMAKE_BINARY_DIR}/man/olconn97.1.gz)
olconn97_compress(${CMAKE_SOURCE_DIR}/data/debian/changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_target(olconn97_docs ALL
  DEPENDS ${CMAKE_BINARY_DIR}/man/olconn97.1.gz ${CMAKE_BINARY_DIR}/doc/changelog.gz)

# --- what an installation holds ---
install(TARGETS olconn97 LIBRARY DESTINATION ${OLCONN97_INSTALL_DIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${OLCONN97_OUT}/Connector.etf ${OLCONN97_OUT}/filecopy.gif
  DESTINATION ${OLCONN97_INSTALL_DIR})
# The Qt back end beside the library, where the driver looks for it.
install(TARGETS olconn97_qt LIBRARY DESTINATION ${OLCONN97_INSTALL_DIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# The phone host's pop-up windows, found beside the library it loads.
if(TARGET olconn97_popup)
  install(TARGETS olconn97_popup LIBRARY DESTINATION ${OLCONN97_INSTALL_DIR}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()
install(FILES ${OLCONN97_CATALOGS} DESTINATION ${OLCONN97_INSTALL_DIR}/lang)
install(TARGETS olconn97_host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY include/olconn97 DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES data/systemd/olconn97-phone.service DESTINATION lib/systemd/user)
install(FILES data/completion/olconn97.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME olconn97)
install(FILES ${CMAKE_BINARY_DIR}/man/olconn97.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/debian/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The pkg-config file names the prefix the files are installed under, which
# is known for sure only when they are: /usr for the package, /usr/local or
# --prefix for cmake --install. The installed copy is given it then.
configure_file(data/pkgconfig/olconn97.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/olconn97.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/olconn97.pc DESTINATION ${OLCONN97_LIBDIR}/pkgconfig)
install(CODE "set(OLCONN97_PC_FILE ${OLCONN97_LIBDIR}/pkgconfig/olconn97.pc)")
install(CODE [[
  set(pc "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${OLCONN97_PC_FILE}")
  file(READ "${pc}" text)
  string(REGEX REPLACE "(^|\n)prefix=[^\n]*" "\\1prefix=${CMAKE_INSTALL_PREFIX}" text "${text}")
  file(WRITE "${pc}" "${text}")
]])

# --- the Debian package ---
set(OLCONN97_PACKAGE_MAINTAINER
  "olconn97 maintainers <maintainers@users.noreply.c-seed-b6279394.example>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME olconn97)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${OLCONN97_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PIM driver for a telephony call pop-up host")
# The summary is the first line of the Description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "When a call rings, the driver tells the host who is calling, from a cache
of the contacts of a store of vCard files (address books of khard or
vdirsyncer can be linked in), and runs the call's actions: it opens the
caller's card, stores the call in a journal, mails someone about it or
starts a program with the call's data.
.
The package holds the driver library with its data files and its Qt
windows (with Qt 6 installed), the command
olconn97 (the reference host: look a caller up, play a call, rebuild the
cache, edit the settings, and, on the SIP user agent baresip, the call
pop-up host of the desktop with its systemd user unit), the headers and
pkg-config file a host is built with, a manual page and bash completion.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: from the libraries the library and the host actually link
# (dpkg-shlibdeps, run by PackageDepends.cmake); not from the Qt plugin's,
# whose Qt is only suggested.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_OLCONN97_LINKED_BINARIES "${OLCONN97_OUT}/libolconn97.so;${OLCONN97_OUT}/olconn97")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/PackageDepends.cmake)
# baresip and libnotify serve the phone host, Qt the windows (without it
# the driver stays headless), khard and vdirsyncer the address books: all
# optional.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "baresip-core, libnotify4, libqt6widgets6, khard, vdirsyncer")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Installed with DESTDIR under the real prefix, so that the prefix given to
# the pkg-config file at install time is /usr, not CPack's staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

# --- tests: the manual and the completion cover every command; the package
# builds, installs and runs outside the build folder. Not in the sanitizer
# build, whose binaries are no package's.
if(NOT OLCONN97_SANITIZE AND NOT OLCONN97_TSAN)
  add_test(NAME Package.ManualAndCompletionCoverEveryCommand
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/manual_test.sh $<TARGET_FILE:olconn97_host>
            ${CMAKE_SOURCE_DIR}/data/man/olconn97.1 ${CMAKE_SOURCE_DIR}/data/completion/olconn97.bash)
  add_test(NAME Package.DebianPackageRunsOutsideTheBuild
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/package_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(Package.DebianPackageRunsOutsideTheBuild
    PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900)
endif()
