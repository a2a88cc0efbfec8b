# The layering check of cmake/Layers.cmake. Included by the build, where it
# checks includes at configure time and links after every target exists; run
# as a script (cmake -DQUARLEN_SOURCE_DIR=... -P CheckLayers.cmake) it checks
# the includes again, which the build does whenever a source file changes.

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

# Stops the configure (or the script) with every fault found, one a line.
function(quarlen_fail_on_layer_faults faults)
  if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "Layering (cmake/Layers.cmake) broken:\n  ${text}")
  endif()
endfunction()

# Every source and header of the layered folders.
function(quarlen_layered_files source_dir out)
  set(result)
  foreach(folder IN LISTS QUARLEN_LAYERS)
    file(GLOB_RECURSE found ${source_dir}/${folder}/*.h ${source_dir}/${folder}/*.cpp ${source_dir}/${folder}/*.in)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Fails on any #include "<folder>/..." or #include <<folder>/...> that points
# up or sideways. A bracketed include counts only when the file is in the
# tree: <net/if.h> is the system's header, <feeds/ArticleStore.h> ours.
function(quarlen_check_includes source_dir)
  quarlen_layered_files(${source_dir} files)
  set(faults)
  foreach(file IN LISTS files)
    file(RELATIVE_PATH relative ${source_dir} ${file})
    string(REGEX MATCH "^[^/]+" folder "${relative}")
    # Core code is what the core library is built from: the files right in
    # the folder but main.cpp. The ui part, the program entry and anything in
    # another subfolder sit on Qt and may use ui folders.
    set(from_ui TRUE)
    if(relative MATCHES "^[^/]+/[^/]+$" AND NOT relative MATCHES "/main\\.cpp$")
      set(from_ui FALSE)
    endif()
    set(allowed ${folder} ${QUARLEN_USES_${folder}})
    list(JOIN allowed ", " allowed_text)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">/]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*$" "\\1" target "${line}")
      string(REGEX MATCH "^[^/]+" used "${target}")
      # Only the project's own top-level folders are layered; other paths
      # with a slash are a library's headers.
      if(NOT IS_DIRECTORY ${source_dir}/${used})
        continue()
      endif()
      if(line MATCHES "include[ \t]*<" AND NOT EXISTS ${source_dir}/${target})
        continue()
      endif()
      string(REGEX MATCH "^[^/]+/ui/" to_ui "${target}")
      if(NOT used IN_LIST allowed)
        list(APPEND faults "${relative} includes ${target}: ${folder} may use only ${allowed_text}")
      elseif(to_ui AND NOT from_ui)
        list(APPEND faults "${relative} includes ${target}: core code never uses a ui folder")
      endif()
    endforeach()
  endforeach()
  quarlen_fail_on_layer_faults("${faults}")
endfunction()

# Fails on a layered library that links a project library it may not use.
function(quarlen_check_links)
  set(faults)
  foreach(folder IN LISTS QUARLEN_LAYERS)
    set(allowed ${folder} ${QUARLEN_USES_${folder}})
    list(JOIN allowed ", " allowed_text)
    foreach(target IN ITEMS ${folder} ${folder}_ui)
      if(NOT TARGET ${target})
        continue()
      endif()
      get_target_property(libs ${target} LINK_LIBRARIES)
      foreach(lib IN LISTS libs)
        string(REGEX REPLACE "_ui$" "" used "${lib}")
        if(NOT used IN_LIST QUARLEN_LAYERS)
          continue()
        endif()
        if(NOT used IN_LIST allowed OR "${lib}" STREQUAL "${folder}_ui")
          list(APPEND faults "${target} links ${lib}: ${folder} may use only ${allowed_text}")
        elseif(lib MATCHES "_ui$" AND target STREQUAL folder)
          list(APPEND faults "${target} links ${lib}: a core library never links a ui library")
        endif()
      endforeach()
    endforeach()
  endforeach()
  quarlen_fail_on_layer_faults("${faults}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  quarlen_check_includes(${QUARLEN_SOURCE_DIR})
endif()
