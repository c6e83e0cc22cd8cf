#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One element of a skin file: its name, its attributes in document order and
// its child elements. Text between elements is not part of a skin.
struct CMarkupNode {
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> attributes;
  std::vector<CMarkupNode> children;

  // The attribute's value, or null when the element has none of that name
  // (names compared without regard to case).
  const std::wstring* Attribute(const wchar_t* attribute_name) const;
};

// Limits a skin must keep; a file beyond them is refused as damaged.
struct CMarkupLimits {
  size_t max_bytes = 4u << 20;
  size_t max_attribute_chars = 16384;
  size_t max_elements = 20000;
  uint32_t max_depth = 64;
};

// Reads a skin file (XML, UTF-8 or with its own declared encoding) with the
// platform's XML reader. Document type declarations are refused. False with
// a short reason when the bytes are not a well-formed skin within the limits.
bool ParseSkinMarkup(const std::vector<uint8_t>& bytes, CMarkupNode* root, std::wstring* error,
                     const CMarkupLimits& limits = CMarkupLimits());
