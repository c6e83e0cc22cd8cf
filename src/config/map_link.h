#pragma once

#include <string>

// Web addresses that show a GPS position on a map. Vendor 1 is the map
// service at api.map.baidu.com, vendor 0 the one at apis.map.qq.com; both
// mark the position given in WGS-84 coordinates.
namespace map_link {

// |location| is "latitude,longitude" in decimal degrees, as the metadata
// reader writes it ("30.500000,-120.250000"). Empty when it is anything else.
std::wstring BuildMapLink(int vendor, const std::wstring& location);

// Opens BuildMapLink in the browser; false when there is nothing to open or
// the shell refused.
bool OpenMapLink(int vendor, const std::wstring& location);

}  // namespace map_link
