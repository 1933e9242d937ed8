#pragma once
// The toolkit started on the program's command line.

#include <QApplication>

#include <memory>

namespace program {

// The toolkit takes its own options (and their values) out of argc/argv; the
// program's switches are read from what it leaves, so "-display :1" or a
// window title "/dark" is never taken for a folder. argv must outlive the
// application.
std::unique_ptr<QApplication> startToolkit(int& argc, char** argv);

}  // namespace program
