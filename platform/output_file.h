#pragma once
// Writing the files the operator keeps (preselect lists): a failed write
// never leaves a file half written.

#include <string>
#include <string_view>

namespace platform {

// Writes bytes to a new file beside path, then renames it over path; a
// failure leaves path as it was. A symbolic link is followed: the file it
// points at is replaced and the link stays. An existing file that may not be
// written, or has no write permission at all, is refused and left as it was.
// Empty on success, else the reason.
std::string replaceFile(const std::string& path, std::string_view bytes);

// Creates a new file in `folder` (empty: the working folder) under a name no
// other file there holds, created exclusively, so making it replaces nothing;
// its path goes to `path`. The open descriptor (permissions 0600), or -1
// with errno set.
int createTemporaryFile(const std::string& folder, std::string& path);

// Creates an empty file; one that exists is left as it is. Empty on
// success, else the reason.
std::string createEmptyFile(const std::string& path);

}  // namespace platform
