#pragma once

#include <string>

// What the feedback service answered with status 200: a JSON object whose
// number "errno", when not 0, comes with the error text "msg".
struct FeedbackReply {
  enum Outcome {
    kAccepted,      // no "errno", not a number, or 0
    kServiceError,  // "errno" not 0; message holds "msg" (may be empty)
    kUnreadable,    // not a JSON object: the report cannot be taken as received
  };
  Outcome outcome = kUnreadable;
  std::string message;  // UTF-8, as the service sent it
};

// Reads a reply body (UTF-8). Pure C++ and cJSON, so the fuzz target builds
// it natively.
FeedbackReply ReadFeedbackReply(const std::string& body);
