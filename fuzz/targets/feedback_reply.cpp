// The feedback service's reply as the feedback form reads it: a JSON object
// whose number "errno", when not 0, comes with the error text "msg".
#include <string>

#include "fuzz_support.h"
#include "popup_dialog/feedback_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const FeedbackReply reply = ReadFeedbackReply(text);
  FUZZ_CHECK(reply.message.size() <= size);
  FUZZ_CHECK(reply.outcome == FeedbackReply::kServiceError || reply.message.empty());
  return 0;
}
