# Helpers shared by every folder's CMakeLists.

# The warnings of every target; errors with QUARLEN_WERROR.
if(MSVC)
  set(QUARLEN_WARNINGS /W4 /utf-8 /permissive-)
  if(QUARLEN_WERROR)
    list(APPEND QUARLEN_WARNINGS /WX)
  endif()
  # What cmake/MinGW.cmake gives the MinGW build: the smaller Windows headers
  # and no min and max macros; and Windows 7's interfaces for Asio.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
else()
  set(QUARLEN_WARNINGS -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  if(QUARLEN_WERROR)
    list(APPEND QUARLEN_WARNINGS -Werror)
  endif()
endif()

# quarlen_sanitizer_flags(out sanitizers): the compile flags of a sanitizer
# list such as "address,undefined". Every finding ends the program, so a test
# fails on the first one instead of printing it and passing.
function(quarlen_sanitizer_flags out sanitizers)
  set(flags -fsanitize=${sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  # clang before 15 cannot emit UBSan's function-type check into a C++20
  # coroutine ("Cannot represent a difference across sections"); the HTTP
  # client's requests are coroutines, so that one check is left out there.
  if(sanitizers MATCHES "undefined" AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND CMAKE_CXX_COMPILER_VERSION
                                                                                  VERSION_LESS 15)
    list(APPEND flags -fno-sanitize=function)
  endif()
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

# quarlen_sanitize carries QUARLEN_SANITIZE to every library and test the
# functions below make, and through the libraries to whatever links them.
add_library(quarlen_sanitize INTERFACE)
if(QUARLEN_SANITIZE)
  quarlen_sanitizer_flags(sanitizer_flags ${QUARLEN_SANITIZE})
  target_compile_options(quarlen_sanitize INTERFACE ${sanitizer_flags})
  target_link_options(quarlen_sanitize INTERFACE -fsanitize=${QUARLEN_SANITIZE})
endif()

include(${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)

# quarlen_core_library(name SOURCES...): a static library of the Qt-free core.
# Core targets must not link Qt; the check below fails the configure if one does.
function(quarlen_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QUARLEN_WARNINGS})
  target_link_libraries(${name} PUBLIC quarlen_sanitize)
  # No moc either: a core target must not even depend on a Qt tool.
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  set_property(GLOBAL APPEND PROPERTY QUARLEN_CORE_TARGETS ${name})
endfunction()

# quarlen_ui_library(name SOURCES...): a static library of widgets on Qt.
function(quarlen_ui_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QUARLEN_WARNINGS})
  target_link_libraries(${name} PUBLIC Qt6::Widgets quarlen_sanitize)
endfunction()

# quarlen_test(name SOURCES...): one GoogleTest executable registered with CTest.
function(quarlen_test name)
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE ${QUARLEN_WARNINGS})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main quarlen_sanitize)
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

# Called at the end of the top-level file: the layering of cmake/Layers.cmake
# holds for every include and link now, and the build checks the includes
# again whenever a layered source changes (target layer_check, which every
# layered library waits for).
function(quarlen_check_layers)
  quarlen_check_includes(${PROJECT_SOURCE_DIR})
  quarlen_check_links()
  quarlen_layered_files(${PROJECT_SOURCE_DIR} files)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${files})
  set(stamp ${PROJECT_BINARY_DIR}/layer_check.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DQUARLEN_SOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/Layers.cmake ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking the layering of cmake/Layers.cmake"
    VERBATIM)
  add_custom_target(layer_check ALL DEPENDS ${stamp})
  foreach(folder IN LISTS QUARLEN_LAYERS)
    foreach(target IN ITEMS ${folder} ${folder}_ui)
      if(TARGET ${target})
        add_dependencies(${target} layer_check)
      endif()
    endforeach()
  endforeach()
endfunction()

# quarlen_folder(core_name LIBS... [UI_LIBS ...]): the standard folder layout.
# Core sources are <folder>/*.cpp, widget sources <folder>/ui/*.cpp and those
# of its subfolders (app/ui/desktop/). A source for one system only is named
# <Concern>Posix.cpp or <Concern>Win32.cpp beside the header <Concern>.h; the
# build keeps those of the system it builds for. LEAVE_OUT names sources
# (relative to the folder, as regular expressions) that a build switch turns
# off. Either library is made only when it has sources, so a folder can grow
# piece by piece.
function(quarlen_folder name)
  cmake_parse_arguments(QF "" "" "LIBS;UI_LIBS;LEAVE_OUT" ${ARGN})
  file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB_RECURSE ui_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp)
  list(FILTER core_sources EXCLUDE REGEX "/main\\.cpp$")
  foreach(pattern IN LISTS QF_LEAVE_OUT)
    list(FILTER core_sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${pattern}")
    list(FILTER ui_sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${pattern}")
  endforeach()
  if(WIN32)
    list(FILTER core_sources EXCLUDE REGEX "Posix\\.cpp$")
  else()
    list(FILTER core_sources EXCLUDE REGEX "Win32\\.cpp$")
  endif()
  quarlen_existing_libraries(libs ${QF_LIBS})
  quarlen_existing_libraries(ui_libs ${QF_UI_LIBS})
  if(core_sources)
    quarlen_core_library(${name} ${core_sources})
    target_link_libraries(${name} PUBLIC buildconfig ${libs})
  endif()
  if(ui_sources AND QUARLEN_BUILD_UI)
    quarlen_ui_library(${name}_ui ${ui_sources})
    if(core_sources)
      target_link_libraries(${name}_ui PUBLIC ${name})
    endif()
    target_link_libraries(${name}_ui PUBLIC buildconfig ${libs} ${ui_libs})
  endif()
endfunction()

# quarlen_folder_tests(folder LIBS... [UI_LIBS ...] [POSIX_ONLY files...]
# [LEAVE_OUT files...]): tests/<folder>/*.cpp make <folder>_tests,
# tests/<folder>/ui/*.cpp (and its subfolders) make <folder>_ui_tests; the
# POSIX_ONLY files are left out of a Windows build, the LEAVE_OUT files (what
# a build switch turned off needs) of every build. Tests see the source and
# build folders and project()'s version as macros.
function(quarlen_folder_tests folder)
  cmake_parse_arguments(QT "" "" "LIBS;UI_LIBS;POSIX_ONLY;LEAVE_OUT" ${ARGN})
  file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(left_out ${QT_LEAVE_OUT})
  if(WIN32)
    list(APPEND left_out ${QT_POSIX_ONLY})
  endif()
  foreach(file IN LISTS left_out)
    list(REMOVE_ITEM core_sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  endforeach()
  file(GLOB_RECURSE ui_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp)
  foreach(file IN LISTS left_out)
    list(REMOVE_ITEM ui_sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  endforeach()
  if(core_sources)
    quarlen_test(${folder}_tests ${core_sources})
    quarlen_existing_libraries(libs ${QT_LIBS})
    target_link_libraries(${folder}_tests PRIVATE ${libs})
    target_compile_definitions(${folder}_tests PRIVATE
      QUARLEN_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QUARLEN_BINARY_DIR="${PROJECT_BINARY_DIR}"
      QUARLEN_PROGRAM_VERSION="${PROJECT_VERSION}")
  endif()
  if(ui_sources AND QUARLEN_BUILD_UI)
    quarlen_test(${folder}_ui_tests ${ui_sources})
    quarlen_existing_libraries(ui_libs ${QT_LIBS} ${QT_UI_LIBS})
    target_link_libraries(${folder}_ui_tests PRIVATE ${ui_libs} Qt6::Test)
    target_compile_definitions(${folder}_ui_tests PRIVATE
      QUARLEN_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QUARLEN_BINARY_DIR="${PROJECT_BINARY_DIR}"
      QUARLEN_PROGRAM_VERSION="${PROJECT_VERSION}")
  endif()
endfunction()

# quarlen_fuzzer(name SOURCES...): a libFuzzer target (clang only, see
# fuzz/CMakeLists.txt) that sees the source tree, built with QUARLEN_SANITIZE's
# sanitizers or, when that names none, address and undefined.
function(quarlen_fuzzer name)
  set(sanitizers address,undefined)
  if(QUARLEN_SANITIZE)
    set(sanitizers ${QUARLEN_SANITIZE})
  endif()
  quarlen_sanitizer_flags(flags fuzzer,${sanitizers})
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${flags})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,${sanitizers})
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt.
function(quarlen_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# quarlen_existing_libraries(out LIBS...): LIBS less the project's own folder
# libraries that have no sources yet (a folder library exists only once its
# folder has .cpp files; "<folder>_ui" once <folder>/ui has some).
function(quarlen_existing_libraries out)
  set(result)
  foreach(lib IN LISTS ARGN)
    string(REGEX REPLACE "_ui$" "" folder "${lib}")
    if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} AND NOT lib MATCHES "::")
      if(lib MATCHES "_ui$")
        if(NOT QUARLEN_BUILD_UI)
          continue()
        endif()
        file(GLOB_RECURSE found ${PROJECT_SOURCE_DIR}/${folder}/ui/*.cpp)
      else()
        file(GLOB found ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
        list(FILTER found EXCLUDE REGEX "/main\\.cpp$")
      endif()
      if(NOT found)
        continue()
      endif()
    endif()
    list(APPEND result ${lib})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
