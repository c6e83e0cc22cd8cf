# Shared build settings and helpers.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()
# Debug info makes every object and test binary several times larger and slows
# linking on small machines; the release flavour keeps line tables only.
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG")
set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG")

add_compile_definitions(
  UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800
  NOMINMAX STRICT)
add_compile_options(-Wall -Wextra -Wno-unknown-pragmas)
# A static C and C++ runtime: the program folder needs no MinGW DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
# A 32-bit program gets 2 GB of address space unless it is marked as able to
# use more (4 GB on 64-bit Windows). A 24-megapixel photo takes about 100 MB for
# each full-size copy (decoded pixels, the full-size key frame, a neighbour's
# preload), each in one unbroken range of addresses.
if(LUMORA_ARCH STREQUAL i686)
  set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -Wl,--large-address-aware")
endif()

# Used where installed (developer machines); a clean build needs nothing of it.
find_program(LUMORA_CCACHE ccache)
if(LUMORA_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${LUMORA_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${LUMORA_CCACHE})
endif()

set(LUMORA_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(LUMORA_ROOT ${LUMORA_ROOT} ABSOLUTE)
set(LUMORA_THIRD_PARTY ${LUMORA_ROOT}/third_party)

function(lumora_add_gtest)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      target_compile_options(${t} PRIVATE -w)
    endif()
  endforeach()
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/libjpeg_turbo.cmake)

# Third-party C sources unpacked by tools/setup from Debian's source packages.
function(lumora_add_third_party)
  file(GLOB cjson_dir LIST_DIRECTORIES true ${LUMORA_THIRD_PARTY}/cjson-*)
  if(NOT cjson_dir)
    message(FATAL_ERROR "cJSON sources missing: run tools/setup")
  endif()
  list(GET cjson_dir 0 cjson_dir)
  add_library(cjson STATIC ${cjson_dir}/cJSON.c)
  target_include_directories(cjson PUBLIC ${cjson_dir})
  target_compile_options(cjson PRIVATE -w)
  lumora_add_libjpeg_turbo()
endfunction()

# lumora_add_folders(parent NAME...) adds parent/NAME for each name, in the
# order given. The list is the one place that says what is built: a listed
# folder without a CMakeLists.txt, and a folder of parent with one that is not
# listed, stop the configuration and name the folder.
function(lumora_add_folders parent)
  set(base ${CMAKE_CURRENT_SOURCE_DIR}/${parent})
  foreach(name IN LISTS ARGN)
    if(NOT EXISTS ${base}/${name}/CMakeLists.txt)
      message(FATAL_ERROR "${parent}/${name} is listed in ${CMAKE_CURRENT_LIST_FILE} "
        "but has no CMakeLists.txt")
    endif()
    add_subdirectory(${parent}/${name})
  endforeach()
  file(GLOB present RELATIVE ${base} ${base}/*/CMakeLists.txt)
  foreach(file IN LISTS present)
    get_filename_component(name ${file} DIRECTORY)
    if(NOT name IN_LIST ARGN)
      message(FATAL_ERROR "${parent}/${name} has a CMakeLists.txt but is not built: "
        "add ${name} to the ${parent} list in ${CMAKE_CURRENT_LIST_FILE}")
    endif()
  endforeach()
endfunction()

# lumora_area_library(target SOURCES ... [LIBS ...]) builds one area of the
# program as a static library; it and its users see src/ and resources/.
function(lumora_area_library target)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} STATIC ${A_SOURCES})
  target_include_directories(${target} PUBLIC ${LUMORA_ROOT}/src ${LUMORA_ROOT}/resources)
  target_link_libraries(${target} PUBLIC ${A_LIBS})
endfunction()

# lumora_copy_files(outputs_var DEST folder FILES ...) copies each file into
# folder whenever it changes and appends the copies to outputs_var, for a
# target to depend on.
function(lumora_copy_files outputs_var)
  cmake_parse_arguments(C "" "DEST" "FILES" ${ARGN})
  set(outputs ${${outputs_var}})
  foreach(file IN LISTS C_FILES)
    get_filename_component(name ${file} NAME)
    set(out ${C_DEST}/${name})
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${out}
      DEPENDS ${file})
    list(APPEND outputs ${out})
  endforeach()
  set(${outputs_var} ${outputs} PARENT_SCOPE)
endfunction()

# lumora_add_test(name SOURCES ... LIBS ... [GUI]) builds a GoogleTest program
# that ctest runs once under Wine, all its cases in one process.
function(lumora_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  target_include_directories(${name} PRIVATE ${LUMORA_ROOT}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_GUI)
    target_link_options(${name} PRIVATE -mwindows -mconsole)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  lumora_windows_path(dist_win ${LUMORA_DIST})
  lumora_windows_path(source_win ${LUMORA_ROOT})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "LUMORA_DIST=${dist_win};LUMORA_SOURCE=${source_win}")
endfunction()

# Wine sees the Linux file system as drive Z:.
function(lumora_windows_path out path)
  string(REPLACE "/" "\\" win "${path}")
  set(${out} "Z:${win}" PARENT_SCOPE)
endfunction()
