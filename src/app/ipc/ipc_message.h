#pragma once

#include <cstdint>

#include "app/ipc/pickle.h"

namespace IPC {

// One typed message of the channel: a pickle with a 16-byte header of payload
// size, routing id, type and flags (priority in bits 0-7, sequence number in
// bits 8-21, low 10 bits of the sender's process id in bits 22-31).
class Message : public Pickle {
 public:
  // Routing 0, type 0, priority 0.
  Message();
  Message(int32_t routing_id, uint32_t type, uint32_t priority);
  // A read-only view of received bytes; not valid when the header is
  // inconsistent with the length or shorter than a message header.
  Message(const char* data, int data_len);
  Message(const Message& other) = default;
  Message& operator=(const Message& other) = default;
  ~Message() override = default;

  bool is_valid() const;
  int32_t routing_id() const;
  uint32_t type() const;
  uint32_t flags() const;
  uint32_t priority() const { return flags() & kPriorityMask; }
  uint32_t sequence() const { return (flags() >> kSequenceShift) & kSequenceMask; }
  uint32_t sender_pid_bits() const { return flags() >> kPidShift; }

  static constexpr uint32_t kPriorityMask = 0xFF;
  static constexpr int kSequenceShift = 8;
  static constexpr uint32_t kSequenceMask = 0x3FFF;
  static constexpr int kPidShift = 22;
  static constexpr uint32_t kPidMask = 0x3FF;

 private:
  struct Header : Pickle::Header {
    int32_t routing;
    uint32_t type;
    uint32_t flags;
  };
  static_assert(sizeof(Header) == 16, "the wire header is 16 bytes");
};

}  // namespace IPC
