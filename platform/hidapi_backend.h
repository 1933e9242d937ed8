#pragma once
// The real HID backend: hidapi on Linux hidraw nodes.

#include "platform/hid_backend.h"

namespace platform {

// The one instance, made on first use.
HidBackend& hidapiBackend();

}  // namespace platform
