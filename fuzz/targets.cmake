# The fuzz targets, "name: libraries": fuzz/targets/NAME.cpp each, built by
# fuzz/CMakeLists.txt and run as the tests fuzz_NAME (fuzz_tests.cmake).
set(LUMORA_FUZZ_TARGETS
  "exif_parser: fuzz_image"
  "jpeg_exif: fuzz_image"
  "tga_decoder: fuzz_decoder"
  "pcx_decoder: fuzz_decoder"
  "pnm_decoder: fuzz_decoder"
  "webp_decoder: fuzz_decoder"
  "heif_decoder: fuzz_heif_decoder fuzz_image"
  "raw_decoder: fuzz_raw_decoder fuzz_image"
  "command_line: fuzz_app"
  "hand_over: fuzz_app"
  "channel_message: fuzz_app"
  "association_list: fuzz_companions"
  "crash_arguments: fuzz_companions"
  "tray_arguments: fuzz_companions"
  "config_values: fuzz_config"
  "http_reply: fuzz_companions"
  "multipart_body: fuzz_companions"
  "feedback_reply: fuzz_feedback"
  "zip_archive: fuzz_toolkit"
  "skin_attributes: fuzz_toolkit")
