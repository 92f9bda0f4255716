# Defines tesk_vumo::wxWidgets (core, base) and tesk_vumo::opencv (core,
# imgproc, imgcodecs) as imported targets. Used by the build and by the
# installed package configuration alike.

if(NOT TARGET tesk_vumo::wxWidgets)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS core base)
  add_library(tesk_vumo::wxWidgets INTERFACE IMPORTED GLOBAL)
  set_target_properties(tesk_vumo::wxWidgets PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${wxWidgets_INCLUDE_DIRS}"
    INTERFACE_COMPILE_DEFINITIONS "${wxWidgets_DEFINITIONS}"
    INTERFACE_COMPILE_OPTIONS "${wxWidgets_CXX_FLAGS}"
    INTERFACE_LINK_LIBRARIES "${wxWidgets_LIBRARIES}")
endif()

if(NOT TARGET tesk_vumo::opencv)
  # Debian's per-module OpenCV -dev packages ship no CMake config, so the
  # three libraries are looked up directly.
  find_path(TESK_VUMO_OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
  set(_tesk_vumo_opencv_libraries)
  foreach(_module core imgproc imgcodecs)
    find_library(TESK_VUMO_OPENCV_${_module}_LIBRARY opencv_${_module} REQUIRED)
    list(APPEND _tesk_vumo_opencv_libraries ${TESK_VUMO_OPENCV_${_module}_LIBRARY})
  endforeach()
  add_library(tesk_vumo::opencv INTERFACE IMPORTED GLOBAL)
  set_target_properties(tesk_vumo::opencv PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${TESK_VUMO_OPENCV_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${_tesk_vumo_opencv_libraries}")
endif()
