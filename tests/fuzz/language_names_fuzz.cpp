// libFuzzer target: the language chooser's scan takes any file name; a code
// it offers is short, valid UTF-8, ends the name after its last ".", and
// names its file back: the program's language file of that code offers it.

#include "tests/fuzz/fuzz_support.h"
#include "tools/language_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view name = fuzz::text(data, size);
    const std::optional<std::string> code = language_files::codeOf(name);
    if (!code)
        return 0;
    fuzz::require(!code->empty() && code->size() <= language_files::kCodeMax && *code != "lng");
    fuzz::require(code->find('.') == std::string::npos && name.find(".lng.") != std::string_view::npos);
    fuzz::require(name.size() > code->size() && name.substr(name.size() - code->size()) == *code &&
                  name[name.size() - code->size() - 1] == '.');
    fuzz::require(language_files::codeOf("orla_setup.lng." + *code) == code);
    return 0;
}
