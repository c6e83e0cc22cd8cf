#pragma once

#include <wincodec.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/exif_info.h"

// Fills info from a frame's metadata. A frame without a query reader leaves
// every field at its initial value. jpeg_path names the file of a JPEG frame:
// when the platform's reader answers none of the queries (or there is none),
// the EXIF segment of that file is read by our own parser instead, through the
// same query names. Pass null for other formats.
void ReadFrameMetadata(CExifInfo& info, IWICBitmapFrameDecode* frame, const wchar_t* jpeg_path);
// The same for a JPEG opened without the platform's decoder: the file's EXIF
// segment through our own reader, and dpi_x of its header. A file without an
// EXIF segment leaves every field but dpi at its initial value.
void ReadJpegFileMetadata(CExifInfo& info, const wchar_t* jpeg_path, double dpi_x);

// Fills info from an EXIF block (the TIFF structure, from its byte order mark
// on) handed over by the external decoder module, through the same query
// names. The module's pixels are already upright, so orientation stays 0.
// A block that cannot be parsed leaves info unchanged.
void ReadExifBlock(CExifInfo& info, const uint8_t* block, size_t size);

// Reads every field but dpi from reader, in the fixed order.
void ReadExifFields(CExifInfo& info, IWICMetadataQueryReader* reader);

// The typed readers leave out unchanged when the query itself fails.
// Text: VT_LPSTR (thread's ANSI code page), VT_LPWSTR, or the first element of
// a VT_LPSTR vector; any other type gives an empty text.
void ReadTextValue(IWICMetadataQueryReader* reader, const wchar_t* name, std::wstring& out);
// Only VT_UI2 is accepted, written as "%d".
void ReadIntegerValue(IWICMetadataQueryReader* reader, const wchar_t* name, std::wstring& out);
// VT_UI8 numerator (low half) / denominator (high half) in single precision
// as "%.1f"; any other type, or a zero denominator, gives "0.0".
void ReadRationalValue(IWICMetadataQueryReader* reader, const wchar_t* name, std::wstring& out);
// VT_UI8 only, as "%d/%d" of the unreduced halves.
void ReadExposureTimeValue(IWICMetadataQueryReader* reader, const wchar_t* name, std::wstring& out);

// "%f" degrees of the GPS coordinate valueTag, negated when the refTag text
// equals negativeRef ignoring case; empty when the coordinate is absent.
std::wstring ReadGpsCoordinate(IWICMetadataQueryReader* reader, int valueTag, int refTag,
                               const wchar_t* negativeRef);

// The query names of the three tag groups, formatted with a tag number.
std::wstring PrimaryTagQuery(int tag);  // "/app1/ifd/{ushort=%d}"
std::wstring ExifTagQuery(int tag);     // "/app1/ifd/exif/{ushort=%d}"
std::wstring GpsTagQuery(int tag);      // "/app1/ifd/gps/{ushort=%d}"
