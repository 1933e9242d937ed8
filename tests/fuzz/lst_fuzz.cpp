// libFuzzer target: any object list file is read in bounded memory into
// objects whose coordinate texts hold no blank, one per line that names no
// category.

#include "sky/files.h"
#include "sky/rows.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> lines;
    const skyfiles::ReadResult r = skyfiles::readListLines(fuzz::inputFile(data, size), lines);
    fuzz::require(r.ok);
    std::size_t objectLines = 0;
    for (const std::string& line : lines) {
        fuzz::require(line.size() <= skyfiles::kMaxListLineBytes);
        objectLines += line.empty() || line.front() != '[';
    }
    const std::vector<sky::OBJ> objects = sky::PARSE_OBJECT_LIST(lines);
    fuzz::require(objects.size() == objectLines);
    for (const sky::OBJ& o : objects) {
        for (const std::string* t : {&o.RA, &o.DEC})
            fuzz::require(t->find(' ') == std::string::npos && t->find('\t') == std::string::npos);
        fuzz::require(o.NAME.find('\t') == std::string::npos && o.NAME.find('_') == std::string::npos);
        fuzz::require(sky::OBJECT_ROW(o.NAME, o.RA, o.DEC).size() >= 80);
    }
    return 0;
}
