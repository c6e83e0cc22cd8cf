# The photo codecs' sources, from Debian's source packages that tools/setup
# unpacks into ${codec_third_party}: HEIF and AVIF (libheif with libde265 for
# HEVC and dav1d for AV1) and camera RAW (LibRaw), decoding parts only, no
# tools, tests or examples. Sets dav1d_dir, de265_dir, heif_dir and raw_dir
# and the source lists below, and writes the headers the packages' own builds
# would generate into ${codec_generated}, for Windows when codec_windows is
# true and for Linux otherwise, x86 with 64 bits when codec_x86_64 is true.
# Shared by the decoder module and its fuzz build, so both compile the same
# files.

# lumora_codec_dir(out pkg marker): the unpacked package directory that holds marker.
function(lumora_codec_dir out pkg marker)
  file(GLOB dirs LIST_DIRECTORIES true ${codec_third_party}/${pkg}-*)
  foreach(dir IN LISTS dirs)
    if(EXISTS ${dir}/${marker})
      set(${out} ${dir} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "${pkg} sources missing: run tools/setup")
endfunction()

if(codec_x86_64)
  set(codec_x86_32_value 0)
  set(codec_x86_64_value 1)
else()
  set(codec_x86_32_value 1)
  set(codec_x86_64_value 0)
endif()
if(codec_windows)
  set(codec_platform "#define HAVE_ALIGNED_MALLOC 1\n#define HAVE_IO_H 1")
else()
  set(codec_platform "#define HAVE_POSIX_MEMALIGN 1")
endif()

# ---- dav1d: AV1, 8 and 10/12-bit, plain C (no assembler needed) ----
# dav1d_sources, and dav1d_template_sources: the pixel routines, compiled
# once per bit depth (BITDEPTH 8 and 16). Include directories:
# dav1d_include_dirs for the library, dav1d_public_include_dirs for its users.
lumora_codec_dir(dav1d_dir dav1d src/lib.c)
file(WRITE ${codec_generated}/dav1d/config.h.in "\
#pragma once
#define ARCH_AARCH64 0
#define ARCH_ARM 0
#define ARCH_PPC64LE 0
#define ARCH_X86 1
#define ARCH_X86_32 ${codec_x86_32_value}
#define ARCH_X86_64 ${codec_x86_64_value}
#define CONFIG_8BPC 1
#define CONFIG_16BPC 1
#define CONFIG_LOG 0
#define ENDIANNESS_BIG 0
#define HAVE_ASM 0
${codec_platform}
#define HAVE_UNISTD_H 1
#define TRIM_DSP_FUNCTIONS 1
")
configure_file(${codec_generated}/dav1d/config.h.in ${codec_generated}/dav1d/config.h COPYONLY)
file(WRITE ${codec_generated}/dav1d/vcs_version.h.in "#define DAV1D_VERSION \"1.0.0\"\n")
configure_file(${codec_generated}/dav1d/vcs_version.h.in ${codec_generated}/dav1d/vcs_version.h
               COPYONLY)
file(WRITE ${codec_generated}/dav1d_api/dav1d/version.h.in "\
#pragma once
#define DAV1D_API_VERSION_MAJOR 6
#define DAV1D_API_VERSION_MINOR 6
#define DAV1D_API_VERSION_PATCH 0
")
configure_file(${codec_generated}/dav1d_api/dav1d/version.h.in
               ${codec_generated}/dav1d_api/dav1d/version.h COPYONLY)

set(dav1d_src ${dav1d_dir}/src)
# win32/thread.c holds the thread functions on Windows and nothing elsewhere.
set(dav1d_sources
  ${dav1d_src}/cdf.c ${dav1d_src}/cpu.c ${dav1d_src}/data.c ${dav1d_src}/decode.c
  ${dav1d_src}/dequant_tables.c ${dav1d_src}/getbits.c ${dav1d_src}/intra_edge.c
  ${dav1d_src}/itx_1d.c ${dav1d_src}/lf_mask.c ${dav1d_src}/log.c ${dav1d_src}/mem.c
  ${dav1d_src}/msac.c ${dav1d_src}/obu.c ${dav1d_src}/picture.c ${dav1d_src}/qm.c
  ${dav1d_src}/ref.c ${dav1d_src}/refmvs.c ${dav1d_src}/scan.c ${dav1d_src}/tables.c
  ${dav1d_src}/warpmv.c ${dav1d_src}/wedge.c ${dav1d_src}/lib.c ${dav1d_src}/thread_task.c
  ${dav1d_src}/win32/thread.c)
set(dav1d_template_sources
  cdef_apply_tmpl.c cdef_tmpl.c fg_apply_tmpl.c filmgrain_tmpl.c ipred_prepare_tmpl.c
  ipred_tmpl.c itx_tmpl.c lf_apply_tmpl.c loopfilter_tmpl.c looprestoration_tmpl.c
  lr_apply_tmpl.c mc_tmpl.c recon_tmpl.c)
list(TRANSFORM dav1d_template_sources PREPEND ${dav1d_src}/)
set(dav1d_include_dirs ${codec_generated}/dav1d ${dav1d_dir} ${dav1d_dir}/include
  ${dav1d_dir}/include/dav1d ${codec_generated}/dav1d_api/dav1d)
set(dav1d_public_include_dirs ${dav1d_dir}/include ${codec_generated}/dav1d_api
  ${codec_generated}/dav1d_api/dav1d)

# ---- libde265: HEVC decoding (the encoder is left out) ----
# de265_sources; de265_sse_sources, the SSE4.1 routines chosen at run time by
# the processor's features; de265_windows_sources, Windows' condition variables.
lumora_codec_dir(de265_dir libde265 libde265/de265.h)
set(de265_src ${de265_dir}/libde265)
set(de265_sources
  ${de265_src}/alloc_pool.cc ${de265_src}/bitstream.cc ${de265_src}/cabac.cc
  ${de265_src}/configparam.cc ${de265_src}/contextmodel.cc ${de265_src}/de265.cc
  ${de265_src}/deblock.cc ${de265_src}/decctx.cc ${de265_src}/dpb.cc
  ${de265_src}/fallback-dct.cc ${de265_src}/fallback-motion.cc ${de265_src}/fallback.cc
  ${de265_src}/image.cc ${de265_src}/intrapred.cc ${de265_src}/md5.cc ${de265_src}/motion.cc
  ${de265_src}/nal-parser.cc ${de265_src}/nal.cc ${de265_src}/pps.cc ${de265_src}/quality.cc
  ${de265_src}/refpic.cc ${de265_src}/sao.cc ${de265_src}/scan.cc ${de265_src}/sei.cc
  ${de265_src}/slice.cc ${de265_src}/sps.cc ${de265_src}/threads.cc ${de265_src}/transform.cc
  ${de265_src}/util.cc ${de265_src}/visualize.cc ${de265_src}/vps.cc ${de265_src}/vui.cc
  ${de265_src}/x86/sse.cc)
set(de265_sse_sources ${de265_src}/x86/sse-motion.cc ${de265_src}/x86/sse-dct.cc)
set(de265_windows_sources ${de265_dir}/extra/win32cond.c)

# ---- libheif: the HEIF container, with the two decoders built in ----
lumora_codec_dir(heif_dir libheif libheif/heif.h)
file(WRITE ${codec_generated}/heif/libheif/heif_version.h.in "\
#pragma once
#define LIBHEIF_NUMERIC_VERSION ((1<<24) | (15<<16) | (1<<8) | 0)
#define LIBHEIF_VERSION \"1.15.1\"
#define LIBHEIF_PLUGIN_DIRECTORY \"\"
")
configure_file(${codec_generated}/heif/libheif/heif_version.h.in
               ${codec_generated}/heif/libheif/heif_version.h COPYONLY)
set(heif_src ${heif_dir}/libheif)
set(heif_sources
  ${heif_src}/bitstream.cc ${heif_src}/box.cc ${heif_src}/error.cc ${heif_src}/heif.cc
  ${heif_src}/heif_context.cc ${heif_src}/heif_file.cc ${heif_src}/heif_image.cc
  ${heif_src}/heif_hevc.cc ${heif_src}/heif_avif.cc ${heif_src}/heif_colorconversion.cc
  ${heif_src}/heif_plugin_registry.cc ${heif_src}/heif_plugin.cc ${heif_src}/nclx.cc
  ${heif_src}/heif_init.cc ${heif_src}/metadata_compression.cc ${heif_src}/common_utils.cc
  ${heif_src}/plugins/heif_decoder_libde265.cc ${heif_src}/plugins/heif_decoder_dav1d.cc)
set(heif_definitions HAVE_LIBDE265=1 HAVE_DAV1D=1 ENABLE_MULTITHREADING_SUPPORT=1
  ENABLE_PARALLEL_TILE_DECODING=1)

# ---- LibRaw: camera RAW files, their previews and a half-size demosaic ----
lumora_codec_dir(raw_dir libraw libraw/libraw.h)
set(raw_sources
  libraw_datastream.cpp libraw_c_api.cpp
  decoders/canon_600.cpp decoders/crx.cpp decoders/decoders_dcraw.cpp
  decoders/decoders_libraw.cpp decoders/decoders_libraw_dcrdefs.cpp decoders/dng.cpp
  decoders/fp_dng.cpp decoders/fuji_compressed.cpp decoders/generic.cpp
  decoders/kodak_decoders.cpp decoders/load_mfbacks.cpp decoders/smal.cpp decoders/unpack.cpp
  decoders/unpack_thumb.cpp
  demosaic/aahd_demosaic.cpp demosaic/ahd_demosaic.cpp demosaic/dcb_demosaic.cpp
  demosaic/dht_demosaic.cpp demosaic/misc_demosaic.cpp demosaic/xtrans_demosaic.cpp
  integration/dngsdk_glue.cpp integration/rawspeed_glue.cpp
  metadata/adobepano.cpp metadata/canon.cpp metadata/ciff.cpp metadata/cr3_parser.cpp
  metadata/epson.cpp metadata/exif_gps.cpp metadata/fuji.cpp metadata/hasselblad_model.cpp
  metadata/identify.cpp metadata/identify_tools.cpp metadata/kodak.cpp metadata/leica.cpp
  metadata/makernotes.cpp metadata/mediumformat.cpp metadata/minolta.cpp
  metadata/misc_parsers.cpp metadata/nikon.cpp metadata/normalize_model.cpp
  metadata/olympus.cpp metadata/p1.cpp metadata/pentax.cpp metadata/samsung.cpp
  metadata/sony.cpp metadata/tiff.cpp
  postprocessing/aspect_ratio.cpp postprocessing/dcraw_process.cpp postprocessing/mem_image.cpp
  postprocessing/postprocessing_aux.cpp postprocessing/postprocessing_utils.cpp
  postprocessing/postprocessing_utils_dcrdefs.cpp
  preprocessing/ext_preprocess.cpp preprocessing/raw2image.cpp
  preprocessing/subtract_black.cpp
  tables/cameralist.cpp tables/colorconst.cpp tables/colordata.cpp tables/wblists.cpp
  utils/curves.cpp utils/decoder_info.cpp utils/init_close_utils.cpp utils/open.cpp
  utils/phaseone_processing.cpp utils/read_utils.cpp utils/thumb_utils.cpp
  utils/utils_dcraw.cpp utils/utils_libraw.cpp
  write/apply_profile.cpp write/file_write.cpp write/tiff_writer.cpp
  x3f/x3f_parse_process.cpp x3f/x3f_utils_patched.cpp)
list(TRANSFORM raw_sources PREPEND ${raw_dir}/src/)
