# The decoding part of libwebp, from the sources tools/setup unpacks into
# ${webp_third_party}: sets webp_dir, webp_src and webp_sources. Shared by the
# decoder module and its fuzz build, so both compile the same files.
file(GLOB webp_dirs LIST_DIRECTORIES true ${webp_third_party}/libwebp-*)
set(webp_dir "")
foreach(dir IN LISTS webp_dirs)
  if(IS_DIRECTORY ${dir}/src/webp)
    set(webp_dir ${dir})
  endif()
endforeach()
if(NOT webp_dir)
  message(FATAL_ERROR "libwebp sources missing: run tools/setup")
endif()
set(webp_src ${webp_dir}/src)
set(webp_sources
  ${webp_src}/dec/alpha_dec.c ${webp_src}/dec/buffer_dec.c ${webp_src}/dec/frame_dec.c
  ${webp_src}/dec/idec_dec.c ${webp_src}/dec/io_dec.c ${webp_src}/dec/quant_dec.c
  ${webp_src}/dec/tree_dec.c ${webp_src}/dec/vp8_dec.c ${webp_src}/dec/vp8l_dec.c
  ${webp_src}/dec/webp_dec.c
  ${webp_src}/demux/anim_decode.c ${webp_src}/demux/demux.c
  ${webp_src}/dsp/alpha_processing.c ${webp_src}/dsp/alpha_processing_sse2.c
  ${webp_src}/dsp/alpha_processing_sse41.c ${webp_src}/dsp/cpu.c ${webp_src}/dsp/dec.c
  ${webp_src}/dsp/dec_clip_tables.c ${webp_src}/dsp/dec_sse2.c ${webp_src}/dsp/dec_sse41.c
  ${webp_src}/dsp/filters.c ${webp_src}/dsp/filters_sse2.c ${webp_src}/dsp/lossless.c
  ${webp_src}/dsp/lossless_sse2.c ${webp_src}/dsp/lossless_sse41.c ${webp_src}/dsp/rescaler.c
  ${webp_src}/dsp/rescaler_sse2.c ${webp_src}/dsp/upsampling.c ${webp_src}/dsp/upsampling_sse2.c
  ${webp_src}/dsp/upsampling_sse41.c ${webp_src}/dsp/yuv.c ${webp_src}/dsp/yuv_sse2.c
  ${webp_src}/dsp/yuv_sse41.c
  ${webp_src}/utils/bit_reader_utils.c ${webp_src}/utils/color_cache_utils.c
  ${webp_src}/utils/filters_utils.c ${webp_src}/utils/huffman_utils.c
  ${webp_src}/utils/quant_levels_dec_utils.c ${webp_src}/utils/random_utils.c
  ${webp_src}/utils/rescaler_utils.c ${webp_src}/utils/thread_utils.c ${webp_src}/utils/utils.c)
