#pragma once

// Shared by the resource script (string 500) and the code, so both hold the
// same open-dialog filter. "%s" receives the localized caption.
#define LUMORA_OPEN_FILTER_FORMAT                                                               \
  L"%s (*.*)|*.bmp;*.dib;*.jpg;*.jpeg;*.jfif;*.jpe;*.gif;*.tiff;*.tif;*.png;*.ico;*.psd;*.cut;" \
  L"*.dds;*.exr;*.g3;*.hdr;*.iff;*.lbm;*.j2k;*.j2c;*.jng;*.jp2;*.jxr;*.wdp;*.hdp;*.koa;*.pcd;"  \
  L"*.pcx;*.pfm;*.pct;*.pict;*.pic;*.pbm;*.pgm;*.ppm;*.ras;*.sgi;*.rgb;*.rgba;*.bw;*.tga;"      \
  L"*.targa;*.wap;*.wbmp;*.wbm;*.webp;*.xbm;*.xpm;*.heic;*.heif;*.hif;*.avif;*.3fr;*.arw;"      \
  L"*.bay;*.bmq;*.cap;*.cine;*.cr2;*.cr3;*.crw;*.cs1;*.dc2;*.dcr;*.drf;*.dsc;*.dng;*.erf;"      \
  L"*.fff;*.ia;*.iiq;*.k25;*.kc2;*.kdc;*.mdc;*.mef;*.mos;*.mrw;*.nef;*.nrw;*.orf;*.pef;*.ptx;"  \
  L"*.pxn;*.qtk;*.raf;*.raw;*.rdc;*.rw2;*.rwl;*.rwz;*.sr2;*.srf;*.srw;*.sti;*.x3f||"

#define LUMORA_SAVE_FILTER L"JPEG|*.jpg|PNG|*.png|BMP|*.bmp|GIF|*.gif|TIFF|*.tiff||"
#define LUMORA_SAVE_DEFAULT_EXT L"jpg"

#define IDS_OPEN_FILE_FILTER 500
