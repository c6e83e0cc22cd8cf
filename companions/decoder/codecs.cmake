# The photo codecs of the decoder module, compiled from the sources listed in
# codec_sources.cmake: HEIF and AVIF (libheif with libde265 for HEVC and dav1d
# for AV1) and camera RAW (LibRaw). Every library is static and built once per
# flavour. Compiled without debug information, which would double their build
# time.
set(codec_options -w -g0)

set(codec_third_party ${LUMORA_THIRD_PARTY})
set(codec_generated ${CMAKE_CURRENT_BINARY_DIR}/codecs)
set(codec_windows TRUE)
if(LUMORA_ARCH STREQUAL "x86_64")
  set(codec_x86_64 TRUE)
else()
  set(codec_x86_64 FALSE)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/codec_sources.cmake)

# ---- dav1d ----
add_library(lumora_dav1d STATIC ${dav1d_sources})
foreach(depth 8 16)
  add_library(lumora_dav1d_${depth} OBJECT ${dav1d_template_sources})
  target_compile_definitions(lumora_dav1d_${depth} PRIVATE BITDEPTH=${depth})
  target_sources(lumora_dav1d PRIVATE $<TARGET_OBJECTS:lumora_dav1d_${depth}>)
endforeach()
foreach(target lumora_dav1d lumora_dav1d_8 lumora_dav1d_16)
  target_include_directories(${target} PRIVATE ${dav1d_include_dirs})
  target_compile_definitions(${target} PRIVATE _POSIX_C_SOURCE=200112L __USE_MINGW_ANSI_STDIO=1)
  target_compile_options(${target} PRIVATE ${codec_options} -std=gnu99)
endforeach()
target_include_directories(lumora_dav1d PUBLIC ${dav1d_public_include_dirs})

# ---- libde265 ----
add_library(lumora_de265 STATIC ${de265_sources} ${de265_windows_sources})
add_library(lumora_de265_sse OBJECT ${de265_sse_sources})
target_compile_options(lumora_de265_sse PRIVATE -msse2 -mssse3 -msse4.1)
target_sources(lumora_de265 PRIVATE $<TARGET_OBJECTS:lumora_de265_sse>)
foreach(target lumora_de265 lumora_de265_sse)
  target_include_directories(${target} PRIVATE ${de265_dir} ${de265_src})
  target_compile_definitions(${target} PRIVATE HAVE_SSE4_1 LIBDE265_STATIC_BUILD)
  target_compile_options(${target} PRIVATE ${codec_options})
endforeach()
target_include_directories(lumora_de265 PUBLIC ${de265_dir})

# ---- libheif ----
add_library(lumora_heif STATIC ${heif_sources})
target_include_directories(lumora_heif PRIVATE ${heif_src})
target_include_directories(lumora_heif PUBLIC ${heif_dir} ${codec_generated}/heif)
target_compile_definitions(lumora_heif PRIVATE ${heif_definitions})
target_compile_definitions(lumora_heif PUBLIC LIBHEIF_STATIC_BUILD)
target_compile_options(lumora_heif PRIVATE ${codec_options})
target_link_libraries(lumora_heif PUBLIC lumora_de265 lumora_dav1d)

# ---- LibRaw ----
add_library(lumora_raw STATIC ${raw_sources})
target_include_directories(lumora_raw PUBLIC ${raw_dir})
target_compile_definitions(lumora_raw PUBLIC LIBRAW_NODLL)
target_compile_options(lumora_raw PRIVATE ${codec_options})
set_target_properties(lumora_raw PROPERTIES CXX_EXTENSIONS ON)
target_link_libraries(lumora_raw PUBLIC ws2_32)
