#pragma once

#include <atomic>
#include <cstdint>

#include "effects/image_effect.h"

namespace view_effect {

// Progress observer of a background task: the effect goes on while the task's
// flag is non-zero, so cancelling the task stops the effect after the current
// row. The percentage is not used.
class CEffectProgress : public FCProgressObserver {
 public:
  explicit CEffectProgress(const std::atomic<int32_t>* alive) : alive_(alive) {}

  bool OnProgress(int /*percent*/) override { return alive_ && alive_->load() != 0; }

 private:
  const std::atomic<int32_t>* alive_;
};

}  // namespace view_effect
