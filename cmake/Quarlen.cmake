# Helpers shared by every folder's CMakeLists.

set(QUARLEN_WARNINGS -Wall -Wextra -Wpedantic -Wno-unused-parameter)

# quarlen_core_library(name SOURCES...): a static library of the Qt-free core.
# Core targets must not link Qt; the check below fails the configure if one does.
function(quarlen_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QUARLEN_WARNINGS})
  set_property(GLOBAL APPEND PROPERTY QUARLEN_CORE_TARGETS ${name})
endfunction()

# quarlen_ui_library(name SOURCES...): a static library of widgets on Qt.
function(quarlen_ui_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QUARLEN_WARNINGS})
  target_link_libraries(${name} PUBLIC Qt6::Widgets)
endfunction()

# quarlen_test(name SOURCES...): one GoogleTest executable registered with CTest.
function(quarlen_test name)
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE ${QUARLEN_WARNINGS})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# Called at the end of the top-level file: no core target may link Qt.
function(quarlen_check_core_targets)
  get_property(targets GLOBAL PROPERTY QUARLEN_CORE_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(libs ${t} LINK_LIBRARIES)
    if(libs)
      foreach(l IN LISTS libs)
        if(l MATCHES "Qt[56]?::" OR l MATCHES "_ui$")
          message(FATAL_ERROR "core library ${t} links ${l}; the core must stay free of Qt")
        endif()
      endforeach()
    endif()
  endforeach()
endfunction()
