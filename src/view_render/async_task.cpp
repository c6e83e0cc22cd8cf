#include "view_render/async_task.h"

#include <atomic>

namespace {
// Tasks are made on the user-interface thread; the counter is atomic so a
// task made elsewhere cannot share a number.
std::atomic<int32_t> g_task_counter{0};
}  // namespace

CAsyncTask::CAsyncTask() : id(++g_task_counter) {}
