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

include(${CMAKE_CURRENT_LIST_DIR}/codec_libraries.cmake)
lumora_add_codec_libraries(lumora)
