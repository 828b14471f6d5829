# Helpers shared by every folder's build file.

# Layers below the editor must never see QtWidgets. Linking only QtCore/QtGui keeps
# <QWidget> off the include path, but Qt's top include folder still resolves
# <QtWidgets/...>; a folder of stand-in headers that stop the build shadows those.
set(ORVELLE_NO_WIDGETS_DIR ${CMAKE_BINARY_DIR}/no-widgets)
if(NOT EXISTS ${ORVELLE_NO_WIDGETS_DIR}/QtWidgets)
  get_target_property(_widgets_includes Qt6::Widgets INTERFACE_INCLUDE_DIRECTORIES)
  foreach(_dir IN LISTS _widgets_includes)
    if(_dir MATCHES "/QtWidgets$")
      file(GLOB _headers RELATIVE ${_dir} ${_dir}/*)
      foreach(_h IN LISTS _headers)
        if(NOT IS_DIRECTORY ${_dir}/${_h})
          file(WRITE ${ORVELLE_NO_WIDGETS_DIR}/QtWidgets/${_h}
            "#error \"QtWidgets is not available in this layer: keep widgets in the editor and above\"\n")
        endif()
      endforeach()
    endif()
  endforeach()
endif()

# orvelle_core_library(name SOURCES ... [LIBS ...])
# A static library of a layer below the editor: QtCore/QtGui at most, no widgets.
function(orvelle_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} BEFORE PUBLIC ${ORVELLE_NO_WIDGETS_DIR})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# orvelle_ui_library(name SOURCES ... [LIBS ...]): a library that may use widgets.
function(orvelle_ui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} Qt6::Widgets)
endfunction()

# orvelle_test(name SOURCES ... [LIBS ...] [WIDGETS])
# One GoogleTest program; every case becomes a CTest test. Tests never touch the real
# home folder: the fixtures point HOME and XDG_CONFIG_HOME at temporary folders.
function(orvelle_test name)
  cmake_parse_arguments(ARG "WIDGETS" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  if(NOT ARG_WIDGETS)
    target_include_directories(${name} BEFORE PRIVATE ${ORVELLE_NO_WIDGETS_DIR})
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    TEST_PREFIX "${name}."
    PROPERTIES TIMEOUT ${ARG_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ORVELLE_SOURCE_DIR=${CMAKE_SOURCE_DIR};ORVELLE_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# orvelle_benchmark(name SOURCES ... [LIBS ...])
function(orvelle_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# orvelle_tests_in_folder(prefix LIBS ... [WIDGETS])
# One test program per *_test.cpp in the calling folder, named <prefix>_<file stem>.
function(orvelle_tests_in_folder prefix)
  cmake_parse_arguments(ARG "WIDGETS" "" "LIBS" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(_src IN LISTS _tests)
    get_filename_component(_stem ${_src} NAME_WE)
    if(ARG_WIDGETS)
      orvelle_test(${prefix}_${_stem} SOURCES ${_src} LIBS ${ARG_LIBS} WIDGETS)
    else()
      orvelle_test(${prefix}_${_stem} SOURCES ${_src} LIBS ${ARG_LIBS})
    endif()
  endforeach()
endfunction()
