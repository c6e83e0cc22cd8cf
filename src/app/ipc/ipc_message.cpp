#include "app/ipc/ipc_message.h"

namespace IPC {

Message::Message(const char* data, int data_len) : Pickle(data, data_len) {}

bool Message::is_valid() const {
  return Pickle::is_valid() && header_size() >= static_cast<int>(sizeof(Header));
}

int32_t Message::routing_id() const { return is_valid() ? header_as<Header>()->routing : 0; }

uint32_t Message::type() const { return is_valid() ? header_as<Header>()->type : 0; }

uint32_t Message::flags() const { return is_valid() ? header_as<Header>()->flags : 0; }

}  // namespace IPC
