# libjpeg-turbo, from Debian's source package (tools/setup unpacks it), built
# with its SIMD code (NASM) for this flavour: the JPEG decoder that scales in
# the DCT for fit views and previews. Defines lumora_libjpeg (static) when the
# sources are there.
include(ExternalProject)

function(lumora_add_libjpeg_turbo)
  file(GLOB jpeg_dir LIST_DIRECTORIES true ${LUMORA_THIRD_PARTY}/libjpeg-turbo-*)
  list(FILTER jpeg_dir EXCLUDE REGEX "\\.(tar|dsc)")
  if(NOT jpeg_dir)
    message(FATAL_ERROR "libjpeg-turbo sources missing: run tools/setup")
  endif()
  list(GET jpeg_dir 0 jpeg_dir)
  find_program(LUMORA_NASM nasm REQUIRED)
  set(prefix ${CMAKE_BINARY_DIR}/libjpeg-turbo)
  set(library ${prefix}/lib/libjpeg.a)
  set(launcher)
  if(LUMORA_CCACHE)
    set(launcher -DCMAKE_C_COMPILER_LAUNCHER=${LUMORA_CCACHE})
  endif()
  ExternalProject_Add(libjpeg_turbo_build
    SOURCE_DIR ${jpeg_dir}
    PREFIX ${prefix}
    INSTALL_DIR ${prefix}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${LUMORA_ROOT}/cmake/mingw.cmake
      -DLUMORA_ARCH=${LUMORA_ARCH}
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
      -DCMAKE_ASM_NASM_COMPILER=${LUMORA_NASM}
      -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
      -DREQUIRE_SIMD=ON
      ${launcher}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/lib <INSTALL_DIR>/include
      COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a <INSTALL_DIR>/lib/
      COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/jconfig.h ${jpeg_dir}/jpeglib.h
              ${jpeg_dir}/jmorecfg.h ${jpeg_dir}/jerror.h <INSTALL_DIR>/include/
    BUILD_BYPRODUCTS ${library}
    LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON LOG_OUTPUT_ON_FAILURE ON)
  file(MAKE_DIRECTORY ${prefix}/include)
  add_library(lumora_libjpeg STATIC IMPORTED GLOBAL)
  set_target_properties(lumora_libjpeg PROPERTIES
    IMPORTED_LOCATION ${library}
    INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)
  add_dependencies(lumora_libjpeg libjpeg_turbo_build)
endfunction()
