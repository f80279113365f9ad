# Read by cpack before it builds the Debian package (CPACK_PROJECT_CONFIG_FILE).
#
# The package's Depends are the libraries the driver library and the host
# link, as dpkg-shlibdeps finds them. The Qt back end's plugin is left out
# on purpose: Qt is only suggested, so the package installs without it and
# the driver then stays headless, saying so in one line when windows are
# asked for.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_DEBIAN_PACKAGE_DEPENDS)
  find_program(OLCONN97_SHLIBDEPS dpkg-shlibdeps REQUIRED)
  # dpkg-shlibdeps reads the package's debian/control: an empty one serves.
  set(olconn97_shlibdeps_dir "${CPACK_PACKAGE_DIRECTORY}/olconn97-shlibdeps")
  file(MAKE_DIRECTORY "${olconn97_shlibdeps_dir}/debian")
  file(WRITE "${olconn97_shlibdeps_dir}/debian/control" "")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${OLCONN97_SHLIBDEPS} -O ${CPACK_OLCONN97_LINKED_BINARIES}
    WORKING_DIRECTORY "${olconn97_shlibdeps_dir}"
    OUTPUT_VARIABLE olconn97_shlibdeps_out
    RESULT_VARIABLE olconn97_shlibdeps_result
    ERROR_VARIABLE olconn97_shlibdeps_error)
  file(REMOVE_RECURSE "${olconn97_shlibdeps_dir}")
  if(NOT olconn97_shlibdeps_result EQUAL 0)
    message(FATAL_ERROR "dpkg-shlibdeps failed: ${olconn97_shlibdeps_error}")
  endif()
  string(REGEX MATCH "shlibs:Depends=([^\n]*)" olconn97_match "${olconn97_shlibdeps_out}")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
endif()
