#include "view_render/async_task.h"

namespace {
int32_t g_task_counter = 0;
}  // namespace

CAsyncTask::CAsyncTask() : id(++g_task_counter) {}
