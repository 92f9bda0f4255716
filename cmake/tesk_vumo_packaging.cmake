# Debian packages (cpack -G DEB, through scripts/package.sh): the shared
# library, its -dev package and the Python module for Debian's python3. The
# libraries' dependencies come from dpkg-shlibdeps on what was linked; the
# rest from the Debian packages this build found.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tesk-vumo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "tesk_vumo developers <tesk-vumo@lists.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/tesk_vumo")
set(CPACK_STRIP_FILES ON)
set(TESK_VUMO_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages CACHE PATH "Where cpack puts the packages")
set(CPACK_PACKAGE_DIRECTORY ${TESK_VUMO_PACKAGE_DIR})

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
if(TESK_VUMO_BUILD_PYTHON)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# The module's link to the library is to the runtime package of this same
# build, which dpkg-shlibdeps finds among the staged files.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-Linux/runtime${CMAKE_INSTALL_FULL_LIBDIR})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME tesk-vumo)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The library's shlibs file, and a trigger (not a maintainer script) that
# updates the dynamic linker's cache.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "image-viewer widgets for wxWidgets applications
tesk_vumo gives wxWidgets 3.2 programs image viewers: fitted, one-to-one or
freely zoomed, turned, scrolled, with guide lines, a read-out of the pointer's
position and colour and a rubber-band selection. This package holds the
shared library and its message catalogues.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME tesk-vumo-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
  "libwxgtk3.2-dev, libopencv-core-dev, libopencv-imgproc-dev, libopencv-imgcodecs-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION "image-viewer widgets for wxWidgets applications (development files)
tesk_vumo gives wxWidgets 3.2 programs image viewers. This package holds the
headers, the CMake package and the pkg-config file for building programs
with the library.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-tesk-vumo)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
if(TESK_VUMO_BUILD_PYTHON)
  # The module is built for this interpreter's ABI and loads beside the
  # wxPython found here.
  set(_tesk_vumo_python "${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}")
  math(EXPR _tesk_vumo_python_next "${Python3_VERSION_MINOR} + 1")
  execute_process(COMMAND dpkg-query -W -f=\${Version} python3-wxgtk4.0
    OUTPUT_VARIABLE _tesk_vumo_wxpython RESULT_VARIABLE _tesk_vumo_wxpython_missing ERROR_QUIET)
  string(REGEX REPLACE "(\\+.*)?-[^-]*$" "" _tesk_vumo_wxpython "${_tesk_vumo_wxpython}")
  set(_tesk_vumo_wxpython_depends python3-wxgtk4.0)
  if(_tesk_vumo_wxpython_missing EQUAL 0 AND _tesk_vumo_wxpython)
    set(_tesk_vumo_wxpython_depends "python3-wxgtk4.0 (>= ${_tesk_vumo_wxpython})")
  endif()
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
    "python3 (>= ${_tesk_vumo_python}), python3 (<< ${Python3_VERSION_MAJOR}.${_tesk_vumo_python_next}), ${_tesk_vumo_wxpython_depends}, python3-numpy")
endif()
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "image-viewer widgets for wxPython applications
tesk_vumo gives wxPython programs image viewers that are genuine wx.Panel
objects: fitted, one-to-one or freely zoomed, turned, scrolled, with guide
lines, a read-out of the pointer's position and colour and a rubber-band
selection read back as NumPy arrays.")

include(CPack)
cpack_add_component(runtime)
cpack_add_component(dev DEPENDS runtime)
cpack_add_component(python DEPENDS runtime)

# Each package's copyright and changelog, where Debian's tools look for them.
set(_tesk_vumo_changelog ${CMAKE_BINARY_DIR}/debian/changelog.Debian)
string(TIMESTAMP _tesk_vumo_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(_tesk_vumo_component runtime dev python)
  string(TOUPPER ${_tesk_vumo_component} _tesk_vumo_upper)
  set(_tesk_vumo_package ${CPACK_DEBIAN_${_tesk_vumo_upper}_PACKAGE_NAME})
  set(_tesk_vumo_dir ${CMAKE_BINARY_DIR}/debian/${_tesk_vumo_package})
  file(WRITE ${_tesk_vumo_dir}/changelog.Debian
    "${_tesk_vumo_package} (${PROJECT_VERSION}-1) unstable; urgency=medium\n\n"
    "  * Packaged from the CMake project.\n\n"
    " -- ${CPACK_PACKAGE_CONTACT}  ${_tesk_vumo_date}\n")
  file(ARCHIVE_CREATE OUTPUT ${_tesk_vumo_dir}/changelog.Debian.gz PATHS ${_tesk_vumo_dir}/changelog.Debian
    FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9)
  install(FILES ${_tesk_vumo_dir}/changelog.Debian.gz ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${_tesk_vumo_package} COMPONENT ${_tesk_vumo_component}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
