#pragma once
// The toolkit's own message boxes and file dialogs as the operator's boxes.

#include "platform/dialogs.h"

namespace platform {

// Makes them the real boxes; a program with windows does this first.
void useToolkitDialogs();

}  // namespace platform
