#pragma once

// Shared by the resource script (string 500) and the code, so both hold the
// same open-dialog filter. "%s" receives the localized caption.
#define LUMORA_OPEN_FILTER_FORMAT                                                               \
  L"%s (*.*)|*.bmp;*.dib;*.jpg;*.jpeg;*.jfif;*.jpe;*.gif;*.tiff;*.tif;*.png;*.ico;*.psd;*.cut;" \
  L"*.dds;*.exr;*.g3;*.hdr;*.iff;*.lbm;*.j2k;*.j2c;*.jng;*.jp2;*.jxr;*.wdp;*.hdp;*.koa;*.pcd;"  \
  L"*.pcx;*.pfm;*.pct;*.pict;*.pic;*.pbm;*.pgm;*.ppm;*.ras;*.sgi;*.rgb;*.rgba;*.bw;*.tga;"      \
  L"*.targa;*.wap;*.wbmp;*.wbm;*.webp;*.xbm;*.xpm;*.3fr;*.arw;*.bay;*.bmq;*.cap;*.cine;*.cr2;"  \
  L"*.crw;*.cs1;*.dc2;*.dcr;*.drf;*.dsc;*.dng;*.erf;*.fff;*.ia;*.iiq;*.k25;*.kc2;*.kdc;*.mdc;"  \
  L"*.mef;*.mos;*.mrw;*.nef;*.nrw;*.orf;*.pef;*.ptx;*.pxn;*.qtk;*.raf;*.raw;*.rdc;*.rw2;*.rwl;" \
  L"*.rwz;*.sr2;*.srf;*.srw;*.sti;*.x3f||"

#define LUMORA_SAVE_FILTER L"JPEG|*.jpg|PNG|*.png|BMP|*.bmp|GIF|*.gif|TIFF|*.tiff||"
#define LUMORA_SAVE_DEFAULT_EXT L"jpg"

#define IDS_OPEN_FILE_FILTER 500
