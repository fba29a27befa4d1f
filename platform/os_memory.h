// Memory for the large buffers that the device reads straight from.
#pragma once

#include <cstddef>

namespace kelvor::os {

// `bytes` of page-aligned memory, or null where there is none. Where the
// system gives large pages for the asking, the buffer lies in them: a buffer
// of a hundred megabytes costs tens of thousands of page faults in ordinary
// pages, and the device takes its bytes in fewer, longer segments.
void* AllocateBuffer(std::size_t bytes);
void FreeBuffer(void* buffer);

}  // namespace kelvor::os
