// A message received on the channel between the viewer and the tray
// program: the pickle header, the message header, and the payload read the
// way the receivers read it. What was read is written into a new message and
// must read back the same.
#include <string>
#include <vector>

#include "app/ipc/ipc_message.h"
#include "app/ipc/pickle.h"
#include "fuzz_support.h"

namespace {

// Message types of the tray channel with a payload other than one number.
constexpr uint32_t kTrayQuit = 2;
constexpr uint32_t kTrayAssociation = 4;

struct Value {
  bool is_text = false;
  int32_t number = 0;
  std::string text;
};

// The tray program's reads for each message type, then a mixed run of
// numbers and texts for whatever the payload still holds.
std::vector<Value> ReadPayload(const IPC::Message& message) {
  std::vector<Value> values;
  PickleIterator reader(message);
  auto read_number = [&] {
    Value value;
    if (!reader.ReadInt(&value.number)) {
      return false;
    }
    values.push_back(value);
    return true;
  };
  auto read_text = [&] {
    Value value;
    value.is_text = true;
    if (!reader.ReadString(&value.text)) {
      return false;
    }
    FUZZ_CHECK(value.text.size() <= message.payload_size());
    values.push_back(value);
    return true;
  };
  switch (message.type()) {
    case kTrayAssociation:
      if (read_text()) {
        read_number();
      }
      break;
    case kTrayQuit:
      break;
    default:
      read_number();
      break;
  }
  for (unsigned turn = message.flags(); !reader.AtEnd(); turn >>= 1) {
    if (!((turn & 1) ? read_text() : read_number())) {
      break;
    }
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) {
    return 0;
  }
  const IPC::Message message(reinterpret_cast<const char*>(data), static_cast<int>(size));
  if (!message.is_valid()) {
    return 0;
  }
  FUZZ_CHECK(message.header_size() >= 16 && message.header_size() % 4 == 0);
  FUZZ_CHECK(message.size() == size);
  message.routing_id();
  message.priority();
  message.sequence();
  message.sender_pid_bits();
  const std::vector<Value> values = ReadPayload(message);

  // A copy of a received message is a writable message of its own.
  IPC::Message copy = message;
  FUZZ_CHECK(copy.is_valid() && !copy.is_read_only() && copy.size() == size);
  copy.WriteInt(1);

  Pickle written(16);
  for (const Value& value : values) {
    FUZZ_CHECK(value.is_text ? written.WriteString(value.text) : written.WriteInt(value.number));
  }
  const IPC::Message sent(static_cast<const char*>(written.data()),
                          static_cast<int>(written.size()));
  FUZZ_CHECK(sent.is_valid());
  PickleIterator reader(sent);
  for (const Value& value : values) {
    if (value.is_text) {
      std::string text;
      FUZZ_CHECK(reader.ReadString(&text) && text == value.text);
    } else {
      int32_t number = 0;
      FUZZ_CHECK(reader.ReadInt(&number) && number == value.number);
    }
  }
  FUZZ_CHECK(reader.AtEnd());
  return 0;
}
