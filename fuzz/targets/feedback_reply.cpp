// The feedback service's reply as the feedback form reads it: a JSON object
// whose number "errno", when not 0, comes with the error text "msg". The
// text reaches the parser zero-terminated, after the code-page conversion.
#include <string>

#include "cJSON.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  cJSON* reply = cJSON_Parse(text.c_str());
  if (!reply) {
    return 0;
  }
  const cJSON* error = cJSON_GetObjectItem(reply, "errno");
  if (cJSON_IsNumber(error) && (error->valueint != 0 || error->valuedouble != 0)) {
    const cJSON* message = cJSON_GetObjectItem(reply, "msg");
    if (cJSON_IsString(message)) {
      FUZZ_CHECK(message->valuestring != nullptr);
      const std::string shown = message->valuestring;
      FUZZ_CHECK(shown.size() <= size);
    }
  }
  cJSON_Delete(reply);
  return 0;
}
