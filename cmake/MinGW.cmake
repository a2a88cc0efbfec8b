# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread
# model, which std::thread and Asio need). Libraries are looked up only in the
# folders given by CMAKE_FIND_ROOT_PATH, never in the build machine's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUARLEN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUARLEN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARLEN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARLEN_MINGW_TRIPLE}-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${QUARLEN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The smaller Windows headers (no macros such as PlaySound over our names, no
# min and max), and libxml2 linked statically.
set(CMAKE_C_FLAGS_INIT "-DWIN32_LEAN_AND_MEAN -DNOMINMAX -DLIBXML_STATIC")
set(CMAKE_CXX_FLAGS_INIT "-DWIN32_LEAN_AND_MEAN -DNOMINMAX -DLIBXML_STATIC")
# The executables carry their runtime, so wine needs no MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests run under wine (Debian keeps its 64-bit loader out of PATH).
find_program(QUARLEN_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUARLEN_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUARLEN_WINE64})
endif()
