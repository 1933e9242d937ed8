#pragma once
// The interface texts of one language, read from a language file, and the
// lookup the window translation goes through. One table at a time; loading
// and lookups happen on the user-interface thread only.
//
// File format: UTF-8 lines ending at CR LF, LF or a lone CR; byte 0x1A ends
// the text. Nothing is trimmed. "[name]" opens a section, "%type" names a
// component type, an empty line is skipped, and every other line is an entry
// "key=text", split at its first "=" (a line without "=" is an entry with the
// empty key). Sections and keys match without regard to the case of a to z.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace LANGUAGE {

struct TOBJECT_R {
    std::string NAME;     // key, upper-cased, at most 255 bytes
    std::string CAPTION;  // text after the "=", exactly as in the file
    std::string FORM;     // section in force, upper-cased, at most 255 bytes
    std::string TYP;      // type in force, upper-cased, at most 80 bytes; not used in lookups
};
using TOBJECT_LIST = std::vector<TOBJECT_R>;

// Whatever a file holds, reading it takes bounded memory: a longer line keeps
// its first kMaxLineBytes, and entries beyond kMaxTableBytes (text plus
// bookkeeping) are dropped. A real language file is far below both.
inline constexpr std::size_t kMaxLineBytes = 16 * 1024;
inline constexpr std::size_t kMaxTableBytes = 4 * 1024 * 1024;

// The current table; empty until a load succeeds.
extern TOBJECT_LIST OBJECT_LIST;
// Whether the last INIT found and read its file.
extern bool LANGUAGE_OK;

// The entries of a file in file order; false when the file cannot be opened
// or a read fails (then `out` is left as it was).
bool READ_LANGUAGE(const std::string& FILENAME, TOBJECT_LIST& out);

// Loads FILE_NAME (a name without a folder is taken from the program's
// folder). A file that is missing, cannot be opened or cannot be read leaves
// the table as it was and sets LANGUAGE_OK false; otherwise it replaces the
// whole table. Returns LANGUAGE_OK.
bool INIT(std::string_view FILE_NAME);

// The text of the last entry with section FORM and key NAME, else DEFAULT.
std::string GETCAPTION(std::string_view FORM, std::string_view NAME, std::string_view DEFAULT);

// VALUE := its entry's text; unchanged when there is none.
void SETSTRING(std::string_view FORM, std::string_view NAME, std::string& VALUE);

// 1 plus the number of ";" in LINE.
std::int32_t SPLITCOUNT(std::string_view LINE);

// Stores the ";"-separated parts of LINE into AR from slot 0 on. A slot that
// gets no part keeps its text (so an empty LINE, or the empty tail after a
// trailing ";", changes nothing); parts beyond the last slot are dropped, and
// a part keeps its first 255 bytes, never cut inside a UTF-8 character.
void SPLITSTR(std::span<std::string> AR, std::string_view LINE);

// Shows "language file not found" when the last load failed, once per failed
// load; the main window calls it at each activation.
void REPORT_MISSING();

// Empties the table and forgets the last load (program end; tests).
void CLEAR();

}  // namespace LANGUAGE
