#include "ui/toolkit_start.h"

#include "platform/system.h"

namespace program {

std::unique_ptr<QApplication> startToolkit(int& argc, char** argv)
{
    auto app = std::make_unique<QApplication>(argc, argv);
    platform::setArguments(argc, argv);
    return app;
}

}  // namespace program
