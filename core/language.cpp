#include "core/language.h"

#include "core/system_init.h"
#include "core/text.h"
#include "core/text_file.h"
#include "platform/dialogs.h"

#include <algorithm>

namespace LANGUAGE {

TOBJECT_LIST OBJECT_LIST;
bool LANGUAGE_OK = false;

namespace {

constexpr std::size_t kNameMax = 255;
constexpr std::size_t kTypeMax = 80;

// A failed load not yet shown to the operator.
bool g_missingUnreported = false;

std::size_t cost(const TOBJECT_R& e)
{
    return sizeof e + e.NAME.size() + e.CAPTION.size() + e.FORM.size() + e.TYP.size();
}

}  // namespace

bool READ_LANGUAGE(const std::string& FILENAME, TOBJECT_LIST& out)
{
    TOBJECT_LIST list;
    std::string section, type;
    std::size_t used = 0;
    bool full = false;
    const bool ok = text::readLines(FILENAME, {kMaxLineBytes, true}, [&](const std::string& line) {
        if (line.empty() || full)
            return;
        if (line[0] == '[') {
            const std::size_t close = line.find(']');
            section = close == std::string::npos ? std::string() : line.substr(1, close - 1);
            return;
        }
        if (line[0] == '%') {
            type = text::cutUtf8(std::string_view(line).substr(1), kTypeMax);
            return;
        }
        const std::size_t eq = line.find('=');
        TOBJECT_R e;
        if (eq == std::string::npos) {
            e.CAPTION = line;
        } else {
            e.NAME = text::asciiUpper(text::cutUtf8(std::string_view(line).substr(0, eq), kNameMax));
            e.CAPTION = line.substr(eq + 1);
        }
        e.FORM = text::asciiUpper(text::cutUtf8(section, kNameMax));
        e.TYP = text::asciiUpper(type);
        used += cost(e);
        if (used > kMaxTableBytes) {
            full = true;
            return;
        }
        list.push_back(std::move(e));
    });
    if (!ok)
        return false;
    out = std::move(list);
    return true;
}

bool INIT(std::string_view FILE_NAME)
{
    // A file that is there but cannot be read is as good as missing: the
    // operator is told, and the texts in force stay.
    LANGUAGE_OK = READ_LANGUAGE(EXTEND_PATH(FILE_NAME), OBJECT_LIST);
    g_missingUnreported = !LANGUAGE_OK;
    return LANGUAGE_OK;
}

std::string GETCAPTION(std::string_view FORM, std::string_view NAME, std::string_view DEFAULT)
{
    const std::string form = text::asciiUpper(FORM);
    const std::string name = text::asciiUpper(NAME);
    // The last entry of the file wins.
    auto it = std::find_if(OBJECT_LIST.rbegin(), OBJECT_LIST.rend(),
                           [&](const TOBJECT_R& e) { return e.NAME == name && e.FORM == form; });
    return it == OBJECT_LIST.rend() ? std::string(DEFAULT) : it->CAPTION;
}

void SETSTRING(std::string_view FORM, std::string_view NAME, std::string& VALUE)
{
    // The keys are short texts, cut as the file's keys are.
    VALUE = GETCAPTION(text::cutUtf8(FORM, kNameMax), text::cutUtf8(NAME, kNameMax), VALUE);
}

std::int32_t SPLITCOUNT(std::string_view LINE)
{
    return 1 + static_cast<std::int32_t>(std::count(LINE.begin(), LINE.end(), ';'));
}

// A part holds at most this many bytes, as the captions it fills.
constexpr std::size_t kPartMax = 255;

void SPLITSTR(std::span<std::string> AR, std::string_view LINE)
{
    std::size_t slot = 0;
    for (std::size_t semi; (semi = LINE.find(';')) != std::string_view::npos; ++slot) {
        if (slot < AR.size())
            AR[slot] = text::cutUtf8(LINE.substr(0, semi), kPartMax);
        LINE.remove_prefix(semi + 1);
    }
    if (!LINE.empty() && slot < AR.size())
        AR[slot] = text::cutUtf8(LINE, kPartMax);
}

void REPORT_MISSING()
{
    if (!g_missingUnreported)
        return;
    g_missingUnreported = false;
    platform::dialogs().message("orla_setup", "language file not found");
}

void CLEAR()
{
    OBJECT_LIST.clear();
    OBJECT_LIST.shrink_to_fit();
    LANGUAGE_OK = false;
    g_missingUnreported = false;
}

}  // namespace LANGUAGE
