#include "http/multipart_body.h"

#include <utility>

namespace http_module {

namespace {

// A field name goes inside a quoted parameter: quotes and line breaks are
// percent-encoded, as browsers do.
std::string QuotedName(const std::string& name) {
  std::string quoted;
  for (char c : name) {
    if (c == '"') {
      quoted += "%22";
    } else if (c == '\r') {
      quoted += "%0D";
    } else if (c == '\n') {
      quoted += "%0A";
    } else {
      quoted += c;
    }
  }
  return quoted;
}

}  // namespace

CMultipartBody::CMultipartBody(std::vector<std::pair<std::string, std::string>> fields,
                               const BoundaryCandidates& candidates)
    : fields_(std::move(fields)) {
  unsigned attempt = 0;
  do {
    boundary_ = candidates(attempt++);
  } while (BoundaryOccursInFields(boundary_));
}

bool CMultipartBody::BoundaryOccursInFields(const std::string& boundary) const {
  for (const auto& field : fields_) {
    if (field.first.find(boundary) != std::string::npos ||
        field.second.find(boundary) != std::string::npos) {
      return true;
    }
  }
  return false;
}

std::string CMultipartBody::ContentType() const {
  return "multipart/form-data; boundary=" + boundary_;
}

std::string CMultipartBody::Build() const {
  std::string body;
  for (const auto& field : fields_) {
    body += "--" + boundary_ + "\r\n";
    body += "Content-Disposition: form-data; name=\"" + QuotedName(field.first) + "\"\r\n\r\n";
    body += field.second;
    body += "\r\n";
  }
  body += "--" + boundary_ + "--\r\n";
  return body;
}

}  // namespace http_module
