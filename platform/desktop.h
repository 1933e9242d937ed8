#pragma once
// Opening a document or a web address with the program the desktop associates
// with it. Tests install a recording fake (setDesktop), so no test starts a
// viewer.

#include <string>

namespace platform {

class Desktop {
public:
    virtual ~Desktop() = default;
    // A name with a scheme ("https://...") is a web address; any other is a
    // file, a relative name taken from the working folder. Returns whether
    // the desktop accepted it; callers may ignore that.
    virtual bool openDocument(const std::string& name) = 0;
};

// The service in force: the Qt desktop services unless a test installed another.
Desktop& desktop();
// Installs a replacement (not owned); nullptr puts the real one back.
void setDesktop(Desktop* replacement);

}  // namespace platform
