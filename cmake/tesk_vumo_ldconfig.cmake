# Run at install time, after the library is in place. When it went into a
# directory that the dynamic linker searches through its cache (on Debian
# /usr/local/lib), the cache is rebuilt so that hosts linked with a plain
# -ltesk_vumo run without LD_LIBRARY_PATH. Staged installs (DESTDIR) are left
# to the package manager; without the right to write the cache, the install
# says what to run.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
find_program(_tesk_vumo_ldconfig ldconfig PATHS /sbin /usr/sbin NO_DEFAULT_PATH)
if(NOT _tesk_vumo_ldconfig)
  return()
endif()
set(_tesk_vumo_libdir "${TESK_VUMO_INSTALL_LIBDIR}")
if(NOT IS_ABSOLUTE "${_tesk_vumo_libdir}")
  set(_tesk_vumo_libdir "${CMAKE_INSTALL_PREFIX}/${_tesk_vumo_libdir}")
endif()
get_filename_component(_tesk_vumo_libdir "${_tesk_vumo_libdir}" REALPATH)

# "ldconfig -v -N -X" lists the directories it searches, one "dir: (from ...)" per line.
execute_process(COMMAND "${_tesk_vumo_ldconfig}" -v -N -X
  OUTPUT_VARIABLE _tesk_vumo_listing ERROR_QUIET)
string(REGEX MATCHALL "(^|\n)/[^:\n]*:" _tesk_vumo_dirs "${_tesk_vumo_listing}")
set(_tesk_vumo_searched FALSE)
foreach(_tesk_vumo_dir IN LISTS _tesk_vumo_dirs)
  string(REGEX REPLACE "^\n?(.*):$" "\\1" _tesk_vumo_dir "${_tesk_vumo_dir}")
  get_filename_component(_tesk_vumo_dir "${_tesk_vumo_dir}" REALPATH)
  if(_tesk_vumo_dir STREQUAL _tesk_vumo_libdir)
    set(_tesk_vumo_searched TRUE)
  endif()
endforeach()
if(_tesk_vumo_searched)
  execute_process(COMMAND "${_tesk_vumo_ldconfig}" RESULT_VARIABLE _tesk_vumo_result ERROR_QUIET)
  if(_tesk_vumo_result EQUAL 0)
    message(STATUS "Updated the dynamic linker's cache for ${_tesk_vumo_libdir}")
  else()
    message(STATUS "Run ldconfig as root so that programs find ${_tesk_vumo_libdir}/libtesk_vumo.so")
  endif()
endif()
