# Who may use whom, written down once. Each folder names the folders whose
# headers it may include and whose libraries it may link; a folder may name
# only folders listed above it, so no two folders can ever use each other.
# <folder>/ui may use <folder> and everything <folder> may use (their ui parts
# too); core code never reaches into a ui folder. tests/, tools/, bench/ and
# fuzz/ are outside the table and may use anything. The build checks it
# (cmake/CheckLayers.cmake).
#
# Read it from the bottom up: app wires everything; view draws what feeds
# holds; feeds runs the refresh and keeps the articles and their thumbnails;
# service talks to the feed server and settings keeps the settings files, both
# over net; platform is the machine itself.

macro(quarlen_layer folder)
  cmake_parse_arguments(QL "" "" "USES" ${ARGN})
  foreach(used IN LISTS QL_USES)
    if(NOT used IN_LIST QUARLEN_LAYERS)
      message(FATAL_ERROR "cmake/Layers.cmake: ${folder} uses ${used}, which is not listed above it")
    endif()
  endforeach()
  list(APPEND QUARLEN_LAYERS ${folder})
  set(QUARLEN_USES_${folder} ${QL_USES})
endmacro()

set(QUARLEN_LAYERS)
quarlen_layer(platform)
quarlen_layer(feedparser USES platform)
quarlen_layer(net        USES platform)
quarlen_layer(service    USES platform net)
quarlen_layer(settings   USES platform net)
quarlen_layer(feeds      USES platform feedparser net service settings)
quarlen_layer(view       USES platform net service settings feeds)
quarlen_layer(app        USES platform feedparser net service settings feeds view)
