#include "popup_dialog/feedback_reply.h"

#include <cJSON.h>

FeedbackReply ReadFeedbackReply(const std::string& body) {
  FeedbackReply reply;
  cJSON* root = cJSON_Parse(body.c_str());
  if (!root) {
    return reply;
  }
  if (cJSON_IsObject(root)) {
    reply.outcome = FeedbackReply::kAccepted;
    const cJSON* error = cJSON_GetObjectItem(root, "errno");
    // The double, not the int, so that 0.5 or a huge number is not read as 0.
    if (cJSON_IsNumber(error) && error->valuedouble != 0) {
      reply.outcome = FeedbackReply::kServiceError;
      const cJSON* message = cJSON_GetObjectItem(root, "msg");
      if (cJSON_IsString(message) && message->valuestring) {
        reply.message = message->valuestring;
      }
    }
  }
  cJSON_Delete(root);
  return reply;
}
