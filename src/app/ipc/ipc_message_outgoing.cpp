// Messages this process sends: numbered, and stamped with its process id.
#include "app/ipc/ipc_message.h"

#include <windows.h>

#include <atomic>

namespace IPC {

namespace {

std::atomic<uint32_t> g_sequence{0};

uint32_t NextSequenceNumber() { return (g_sequence.fetch_add(1) + 1) & Message::kSequenceMask; }

}  // namespace

Message::Message() : Message(0, 0, 0) {}

Message::Message(int32_t routing_id, uint32_t type, uint32_t priority)
    : Pickle(static_cast<int>(sizeof(Header))) {
  Header* header = header_as<Header>();
  if (!header) {
    return;
  }
  header->routing = routing_id;
  header->type = type;
  header->flags = (priority & kPriorityMask) | (NextSequenceNumber() << kSequenceShift) |
                  ((GetCurrentProcessId() & kPidMask) << kPidShift);
}

}  // namespace IPC
