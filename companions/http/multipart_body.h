#pragma once

#include <string>
#include <utility>
#include <vector>

namespace http_module {

// A multipart/form-data body: the fields in the order they were added, each
// as a part with its name, separated by a boundary that occurs in no value.
class CMultipartBody {
 public:
  explicit CMultipartBody(std::vector<std::pair<std::string, std::string>> fields);

  const std::string& boundary() const { return boundary_; }
  std::string ContentType() const;
  std::string Build() const;

 private:
  bool BoundaryOccursInFields(const std::string& boundary) const;

  std::vector<std::pair<std::string, std::string>> fields_;
  std::string boundary_;
};

}  // namespace http_module
