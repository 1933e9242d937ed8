// The program file. Until the windows exist it runs the parameter start-up only.

#include "core/system_init.h"
#include "platform/hid_backend.h"
#include "platform/system.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::setArguments(argc, argv);
    system_init::INIT();
    // The board's transport is in place; the windows that connect it are not yet.
    platform::hidBackend();
    return 0;
}
