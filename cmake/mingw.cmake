# Cross-compiles Windows binaries with MinGW-w64 (POSIX thread model, so
# std::thread and std::mutex exist) and runs them under Wine. LUMORA_ARCH is
# i686 for the 32-bit program (the default) or x86_64 for the flavour run on
# hosts that cannot execute 32-bit code.
if(NOT LUMORA_ARCH)
  set(LUMORA_ARCH i686)
endif()
set(LUMORA_ARCH ${LUMORA_ARCH} CACHE STRING "i686 or x86_64")
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${LUMORA_ARCH})
set(CMAKE_C_COMPILER ${LUMORA_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMORA_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${LUMORA_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMORA_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
