#include "app/ipc/ipc_message.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/ipc/pickle.h"

namespace {

std::string Bytes(const Pickle& pickle) {
  return std::string(static_cast<const char*>(pickle.data()), pickle.size());
}

uint32_t WordAt(const std::string& bytes, size_t offset) {
  uint32_t word = 0;
  std::memcpy(&word, bytes.data() + offset, sizeof(word));
  return word;
}

TEST(Pickle, EncodesIntsBlocksAndStringsAlignedAndPadded) {
  Pickle pickle;
  EXPECT_EQ(pickle.header_size(), 4);
  EXPECT_EQ(pickle.capacity(), 64);
  ASSERT_TRUE(pickle.WriteInt(-2));
  ASSERT_TRUE(pickle.WriteBytes("abcde", 5));
  ASSERT_TRUE(pickle.WriteString("xy"));
  ASSERT_TRUE(pickle.WriteUInt32(0xA1B2C3D4u));

  const std::string bytes = Bytes(pickle);
  // 4 (int) + 8 (5 bytes padded) + 4 (length) + 4 (2 bytes padded) + 4.
  ASSERT_EQ(pickle.payload_size(), 24u);
  ASSERT_EQ(bytes.size(), 28u);
  EXPECT_EQ(WordAt(bytes, 0), 24u);
  EXPECT_EQ(static_cast<int32_t>(WordAt(bytes, 4)), -2);
  EXPECT_EQ(bytes.substr(8, 8), std::string("abcde\0\0\0", 8));
  EXPECT_EQ(WordAt(bytes, 16), 2u);
  EXPECT_EQ(bytes.substr(20, 4), std::string("xy\0\0", 4));
  EXPECT_EQ(WordAt(bytes, 24), 0xA1B2C3D4u);

  PickleIterator it(pickle);
  int32_t number = 0;
  const char* block = nullptr;
  std::string text;
  uint32_t last = 0;
  ASSERT_TRUE(it.ReadInt(&number));
  ASSERT_TRUE(it.ReadBytes(&block, 5));
  ASSERT_TRUE(it.ReadString(&text));
  ASSERT_TRUE(it.ReadUInt32(&last));
  EXPECT_EQ(number, -2);
  EXPECT_EQ(std::string(block, 5), "abcde");
  EXPECT_EQ(text, "xy");
  EXPECT_EQ(last, 0xA1B2C3D4u);
  EXPECT_TRUE(it.AtEnd());
  EXPECT_FALSE(it.ReadInt(&number));
}

TEST(Pickle, PayloadSizeLeavesOutTheLastBlocksPadding) {
  Pickle pickle;
  ASSERT_TRUE(pickle.WriteBytes("abc", 3));
  EXPECT_EQ(pickle.payload_size(), 3u);
  ASSERT_TRUE(pickle.WriteInt(7));
  // The next value starts at the aligned offset after the padding.
  EXPECT_EQ(pickle.payload_size(), 8u);
  EXPECT_EQ(WordAt(Bytes(pickle), 8), 7u);
}

TEST(Pickle, GrowsToTwiceTheCapacityOrTheNeededSizeInUnitsOf64) {
  Pickle pickle;
  std::string block(60, 'a');
  ASSERT_TRUE(pickle.WriteBytes(block.data(), 60));  // 4 + 60 fits 64
  EXPECT_EQ(pickle.capacity(), 64);
  ASSERT_TRUE(pickle.WriteInt(1));  // 68 needed: twice 64
  EXPECT_EQ(pickle.capacity(), 128);
  std::string big(1000, 'b');
  ASSERT_TRUE(pickle.WriteBytes(big.data(), 1000));  // 1068 needed, more than 256
  EXPECT_EQ(pickle.capacity(), 1088);

  // A copy takes only what is used, rounded up to 64.
  Pickle copy(pickle);
  EXPECT_EQ(copy.capacity(), 1088);
  EXPECT_EQ(Bytes(copy), Bytes(pickle));
  Pickle small;
  small.WriteInt(1);
  Pickle small_copy(small);
  EXPECT_EQ(small_copy.capacity(), 64);
}

TEST(Pickle, RejectsNegativeLengthsAndWritesToReadOnlyViews) {
  Pickle pickle;
  EXPECT_FALSE(pickle.WriteBytes("x", -1));
  EXPECT_EQ(pickle.payload_size(), 0u);

  Pickle source;
  source.WriteInt(5);
  const std::string bytes = Bytes(source);
  Pickle view(bytes.data(), static_cast<int>(bytes.size()));
  ASSERT_TRUE(view.is_valid());
  EXPECT_TRUE(view.is_read_only());
  EXPECT_EQ(view.capacity(), Pickle::kCapacityReadOnly);
  EXPECT_FALSE(view.WriteInt(6));
  EXPECT_EQ(view.payload_size(), 4u);

  // A copy of a view owns its bytes and can be written.
  Pickle copy(view);
  EXPECT_FALSE(copy.is_read_only());
  EXPECT_TRUE(copy.WriteInt(6));
  EXPECT_EQ(copy.payload_size(), 8u);
}

TEST(Pickle, ReadsNeverRunPastThePayload) {
  Pickle pickle;
  pickle.WriteInt(1000);  // claims a 1000-byte string that is not there
  pickle.WriteBytes("abc", 3);
  PickleIterator it(pickle);
  std::string text;
  EXPECT_FALSE(it.ReadString(&text));

  Pickle negative;
  negative.WriteInt(-4);
  PickleIterator it2(negative);
  EXPECT_FALSE(it2.ReadString(&text));
}

struct ViewCase {
  const char* what;
  std::string bytes;
  bool valid;
  int header_size;
};

std::string Words(std::initializer_list<uint32_t> words) {
  std::string bytes;
  for (uint32_t word : words) {
    bytes.append(reinterpret_cast<const char*>(&word), sizeof(word));
  }
  return bytes;
}

TEST(Pickle, ReadOnlyViewChecksTheHeaderAgainstTheLength) {
  const ViewCase cases[] = {
      {"empty", std::string(), false, 0},
      {"shorter than the size word", std::string("\0\0\0", 3), false, 0},
      {"header only", Words({0}), true, 4},
      {"header and payload", Words({4, 9}), true, 4},
      {"16-byte header", Words({4, 1, 2, 3, 9}), true, 16},
      {"payload as long as everything", Words({8, 9}), false, 0},
      {"payload longer than the bytes", Words({0xFFFFFFF0u, 9}), false, 0},
      {"header not a multiple of 4", Words({3, 9}), false, 0},
  };
  for (const ViewCase& c : cases) {
    Pickle view(c.bytes.data(), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(view.is_valid(), c.valid) << c.what;
    EXPECT_EQ(view.data() != nullptr, c.valid) << c.what;
    if (c.valid) {
      EXPECT_EQ(view.header_size(), c.header_size) << c.what;
    }
  }
}

TEST(IpcMessage, HeaderCarriesRoutingTypePriorityPidAndSequence) {
  IPC::Message message(1, 4, 2);
  const std::string bytes = Bytes(message);
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(WordAt(bytes, 0), 0u);
  EXPECT_EQ(WordAt(bytes, 4), 1u);
  EXPECT_EQ(WordAt(bytes, 8), 4u);
  const uint32_t flags = WordAt(bytes, 12);
  EXPECT_EQ(flags & 0xFF, 2u);
  EXPECT_EQ(flags >> 22, GetCurrentProcessId() & 0x3FF);
  EXPECT_EQ(message.sequence(), (flags >> 8) & 0x3FFF);

  // Every construction takes the next number, also one without arguments.
  IPC::Message next;
  EXPECT_EQ(next.sequence(), (message.sequence() + 1) & 0x3FFF);
  EXPECT_EQ(next.routing_id(), 0);
  EXPECT_EQ(next.type(), 0u);
  EXPECT_EQ(next.priority(), 0u);
  // A copy keeps the header as it was.
  IPC::Message copy(message);
  EXPECT_EQ(copy.flags(), message.flags());
}

TEST(IpcMessage, SequenceNumberKeepsItsLow14Bits) {
  IPC::Message first(0, 1, 0);
  for (int i = 0; i < 0x3FFF; ++i) {
    IPC::Message filler(0, 1, 0);
  }
  IPC::Message wrapped(0, 1, 0);
  EXPECT_EQ(wrapped.sequence(), first.sequence());
  EXPECT_EQ(wrapped.flags() & 0xFF, 0u);
  EXPECT_EQ(wrapped.sender_pid_bits(), GetCurrentProcessId() & 0x3FF);
}

TEST(IpcMessage, WireSizesOfTheTrayMessages) {
  IPC::Message quit(1, 2, 2);
  EXPECT_EQ(quit.payload_size(), 0u);
  EXPECT_EQ(quit.size(), 16u);

  IPC::Message association(1, 4, 2);
  ASSERT_TRUE(association.WriteString("open"));
  ASSERT_TRUE(association.WriteInt(1));
  EXPECT_EQ(association.payload_size(), 12u);
  EXPECT_EQ(association.size(), 28u);
  const std::string bytes = Bytes(association);
  EXPECT_EQ(WordAt(bytes, 16), 4u);
  EXPECT_EQ(bytes.substr(20, 4), "open");
  EXPECT_EQ(WordAt(bytes, 24), 1u);
}

TEST(IpcMessage, ViewOfReceivedBytesReadsBackTheMessage) {
  IPC::Message sent(2, 3, 2);
  sent.WriteInt(1092);
  const std::string bytes = Bytes(sent);
  IPC::Message received(bytes.data(), static_cast<int>(bytes.size()));
  ASSERT_TRUE(received.is_valid());
  EXPECT_EQ(received.routing_id(), 2);
  EXPECT_EQ(received.type(), 3u);
  EXPECT_EQ(received.flags(), sent.flags());
  PickleIterator it(received);
  int32_t hotkey = 0;
  ASSERT_TRUE(it.ReadInt(&hotkey));
  EXPECT_EQ(hotkey, 1092);

  // A consistent pickle whose header is too short for a message header.
  const std::string short_header = Words({4, 7});
  IPC::Message too_short(short_header.data(), static_cast<int>(short_header.size()));
  EXPECT_FALSE(too_short.is_valid());
  EXPECT_EQ(too_short.type(), 0u);
}

}  // namespace
