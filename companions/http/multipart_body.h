#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace http_module {

// A multipart/form-data body: the fields in the order they were added, each
// as a part with its name, separated by a boundary that occurs in no value.
class CMultipartBody {
 public:
  // The boundary is the first candidate, asked for attempt 0, 1, and so on,
  // that occurs in no field.
  using BoundaryCandidates = std::function<std::string(unsigned attempt)>;

  explicit CMultipartBody(std::vector<std::pair<std::string, std::string>> fields);
  CMultipartBody(std::vector<std::pair<std::string, std::string>> fields,
                 const BoundaryCandidates& candidates);

  const std::string& boundary() const { return boundary_; }
  std::string ContentType() const;
  std::string Build() const;

 private:
  bool BoundaryOccursInFields(const std::string& boundary) const;

  std::vector<std::pair<std::string, std::string>> fields_;
  std::string boundary_;
};

}  // namespace http_module
