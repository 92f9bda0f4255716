# Defines tesk_vumo::wxWidgets (core, base) and tesk_vumo::opencv (core,
# imgproc, imgcodecs) as imported targets. Used by the build and by the
# installed package configuration alike; what could not be found is listed in
# tesk_vumo_MISSING_DEPENDENCIES.
#
# The look-ups run inside a function: FindwxWidgets leaves wxWidgets_LIBRARIES
# and its siblings as plain variables of the caller, and a host that found
# wxWidgets with more components (net, xrc) must keep its own.

function(_tesk_vumo_find_dependencies)
  set(missing)
  if(NOT TARGET tesk_vumo::wxWidgets)
    find_package(wxWidgets 3.2 QUIET COMPONENTS core base)
    if(wxWidgets_FOUND)
      add_library(tesk_vumo::wxWidgets INTERFACE IMPORTED GLOBAL)
      set_target_properties(tesk_vumo::wxWidgets PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${wxWidgets_INCLUDE_DIRS}"
        INTERFACE_COMPILE_DEFINITIONS "${wxWidgets_DEFINITIONS}"
        INTERFACE_COMPILE_OPTIONS "${wxWidgets_CXX_FLAGS}"
        INTERFACE_LINK_LIBRARIES "${wxWidgets_LIBRARIES}")
    else()
      list(APPEND missing "wxWidgets 3.2 (core, base)")
    endif()
  endif()

  if(NOT TARGET tesk_vumo::opencv)
    # Debian's per-module OpenCV -dev packages ship no CMake config, so the
    # three libraries are looked up directly.
    find_path(TESK_VUMO_OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4)
    set(libraries)
    foreach(module core imgproc imgcodecs)
      find_library(TESK_VUMO_OPENCV_${module}_LIBRARY opencv_${module})
      list(APPEND libraries ${TESK_VUMO_OPENCV_${module}_LIBRARY})
    endforeach()
    if(TESK_VUMO_OPENCV_INCLUDE_DIR AND NOT libraries MATCHES "NOTFOUND")
      add_library(tesk_vumo::opencv INTERFACE IMPORTED GLOBAL)
      set_target_properties(tesk_vumo::opencv PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${TESK_VUMO_OPENCV_INCLUDE_DIR}"
        INTERFACE_LINK_LIBRARIES "${libraries}")
    else()
      list(APPEND missing "OpenCV 4 (core, imgproc, imgcodecs)")
    endif()
  endif()
  set(tesk_vumo_MISSING_DEPENDENCIES "${missing}" PARENT_SCOPE)
endfunction()

_tesk_vumo_find_dependencies()
