# Helpers for the companion modules: each is built into the program folder,
# and a DLL exports exactly its plain entry-point names (stdcall names lose
# their "@n" decoration on 32-bit builds).
include_guard(GLOBAL)

# lumora_companion_dll(target FILE name.dll EXPORTS name... SOURCES ... [LIBS ...])
function(lumora_companion_dll target)
  cmake_parse_arguments(C "" "FILE" "EXPORTS;SOURCES;LIBS" ${ARGN})
  add_library(${target} SHARED ${C_SOURCES})
  get_filename_component(base ${C_FILE} NAME_WE)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${base}
    RUNTIME_OUTPUT_DIRECTORY ${LUMORA_DIST})
  if(LUMORA_ARCH STREQUAL "i686")
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
  target_link_libraries(${target} PRIVATE lumora_companion_shared ${C_LIBS})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${LUMORA_ARCH}-w64-mingw32-objdump
      -DMODULE=$<TARGET_FILE:${target}> "-DEXPECTED=${C_EXPORTS}"
      -P ${LUMORA_ROOT}/companions/check_exports.cmake
    VERBATIM)
endfunction()

# lumora_companion_exe(target FILE name.exe SOURCES ... [LIBS ...])
function(lumora_companion_exe target)
  cmake_parse_arguments(C "" "FILE" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} WIN32 ${C_SOURCES})
  get_filename_component(base ${C_FILE} NAME_WE)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${base}
    RUNTIME_OUTPUT_DIRECTORY ${LUMORA_DIST})
  target_link_options(${target} PRIVATE -municode)
  target_link_libraries(${target} PRIVATE lumora_companion_shared ${C_LIBS})
endfunction()
