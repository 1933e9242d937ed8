#include "tools/language_files.h"

#include "platform/system.h"

#include <QByteArray>
#include <QString>

namespace language_files {

std::optional<std::string> codeOf(std::string_view fileName)
{
    if (fileName.find(".lng.") == std::string_view::npos)
        return std::nullopt;
    const std::string code(fileName.substr(fileName.rfind('.') + 1));
    if (code.empty() || code == "lng" || code.size() > kCodeMax)
        return std::nullopt;
    // Invalid bytes come back as replacement characters, which differ.
    const QByteArray bytes(code.data(), static_cast<qsizetype>(code.size()));
    if (QString::fromUtf8(bytes).toUtf8() != bytes)
        return std::nullopt;
    return code;
}

std::vector<std::string> codesIn(const std::string& folder)
{
    std::vector<std::string> codes;
    for (const std::string& name : platform::sys().regularFiles(folder))
        if (std::optional<std::string> code = codeOf(name))
            codes.push_back(std::move(*code));
    return codes;
}

}  // namespace language_files
