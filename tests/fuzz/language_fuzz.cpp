// libFuzzer target: any language file is read without a crash into a table
// whose every field keeps to its bound, and lookups in it are safe.

#include "core/language.h"
#include "tests/fuzz/fuzz_support.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LANGUAGE::TOBJECT_LIST table;
    fuzz::require(LANGUAGE::READ_LANGUAGE(fuzz::inputFile(data, size), table));
    std::size_t bytes = 0;
    for (const auto& e : table) {
        fuzz::require(e.NAME.size() <= 255 && e.FORM.size() <= 255 && e.TYP.size() <= 80);
        fuzz::require(e.CAPTION.size() <= LANGUAGE::kMaxLineBytes);
        bytes += e.NAME.size() + e.CAPTION.size() + e.FORM.size() + e.TYP.size();
    }
    fuzz::require(bytes <= LANGUAGE::kMaxTableBytes);

    LANGUAGE::OBJECT_LIST = std::move(table);
    for (const auto& e : LANGUAGE::OBJECT_LIST) {
        const std::string caption = LANGUAGE::GETCAPTION(e.FORM, e.NAME, "");
        std::array<std::string, 4> parts;
        LANGUAGE::SPLITSTR(parts, caption);
        for (const auto& part : parts)
            fuzz::require(part.size() <= 255);
    }
    LANGUAGE::OBJECT_LIST.clear();
    return 0;
}
