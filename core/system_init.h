#pragma once
// Start-up of the parameter store: where the settings file and the documents
// folder are, the declaration table, and the settings-file reader.

#include <string>
#include <string_view>
#include <vector>

struct CMD_PARAM {
    char ID = 0;  // the switch letter, lower case
    std::string VALUE;
};

// Set by GET_CONF; read on the user-interface thread only.
extern std::string CONFIGPATH;  // folder of the settings file, ends with the separator
extern std::string CONFIGFILE;  // its name
extern std::string DOCPATH;     // documents folder for list files, ends with "Stelvane/"
extern std::string ROOTPATH;    // initial folder of the preselect-file dialog
extern std::vector<CMD_PARAM> CMD_PARAMS;

inline constexpr const char* DEFAULT_INI = "orlasetup.ini";

void GET_CONF();
void GET_CMD_PARAMS();
std::string GET_CMD_PARAM(char ID, std::string_view DEFAULT);
void GET_ROOT_PATH();
void GET_DOC_PATH();
void GET_CONFIG_PATH();
std::string GET_EXEPATH();
std::string EXTEND_PATH(std::string_view VALUE);
void LOAD_PARAM(const std::string& FILENAME, std::string_view SECTION);
void CREATE_BACKUP();
// The backup the parameter editor's Save leaves: the generations move up one
// (CREATE_BACKUP) and the settings file as it stands becomes the unnumbered
// one. A settings file that cannot be copied moves nothing; false then.
bool SAVE_BACKUP();

namespace system_init {
// The store's start-up: folders, declarations, settings file.
void INIT();
// Declares the 25 parameters with their defaults.
void INIT_PARAM();
}  // namespace system_init
