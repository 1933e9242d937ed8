#include "core/system_init.h"

#include "core/params.h"
#include "core/text.h"
#include "core/text_file.h"
#include "platform/system.h"

#include <optional>
#include <string_view>

std::string CONFIGPATH;
std::string CONFIGFILE;
std::string DOCPATH;
std::string ROOTPATH;
std::vector<CMD_PARAM> CMD_PARAMS;

namespace {

constexpr char kSep = platform::kSep;
constexpr std::size_t kLineMax = 255;
constexpr std::size_t kValueMax = 128;

std::string withSep(std::string folder)
{
    if (folder.empty() || folder.back() != kSep)
        folder.push_back(kSep);
    return folder;
}

// The unnumbered backup's path; the generations add their number to it.
std::string backupBase()
{
    const std::size_t dot = CONFIGFILE.find('.');
    return CONFIGPATH + (dot == std::string::npos ? std::string() : CONFIGFILE.substr(0, dot)) + ".old";
}

// The toolkit's options, on every platform: it takes out of the arguments
// only those its platform knows (on X11 "-icon", "-title" and "-display",
// elsewhere not), and what it leaves is still not the program's, nor is the
// value that follows one.
struct ToolkitOption {
    std::string_view name;
    bool takesValue;
};
constexpr ToolkitOption kToolkitOptions[] = {
    // Every platform.
    {"-platform", true}, {"-platformpluginpath", true}, {"-platformtheme", true}, {"-plugin", true},
    {"-qmljsdebugger", true}, {"-qwindowgeometry", true}, {"-qwindowicon", true}, {"-qwindowtitle", true},
    {"-reverse", false}, {"-session", true}, {"-style", true}, {"-stylesheet", true}, {"-widgetcount", false},
    // X11.
    {"-display", true}, {"-geometry", true}, {"-name", true}, {"-title", true}, {"-icon", true},
    {"-visual", true}, {"-cmap", false}, {"-ncols", true}, {"-im", true}, {"-inputstyle", true},
    {"-noxim", false}, {"-sync", false}, {"-nograb", false}, {"-dograb", false}, {"-fn", true},
    {"-font", true}, {"-bg", true}, {"-background", true}, {"-fg", true}, {"-foreground", true},
    {"-btn", true}, {"-button", true},
};

struct ToolkitArgument {
    bool takesValue;
    bool valueAttached;  // "-style=fusion"
};

// As the toolkit reads its options: "--name" is "-name".
std::optional<ToolkitArgument> toolkitOption(std::string_view arg)
{
    if (arg.starts_with("--"))
        arg.remove_prefix(1);
    const std::size_t eq = arg.find('=');
    const std::string_view name = arg.substr(0, eq);
    for (const ToolkitOption& o : kToolkitOptions) {
        if (o.name != name)
            continue;
        if (eq != std::string_view::npos && !o.takesValue)
            return std::nullopt;
        return ToolkitArgument{o.takesValue, eq != std::string_view::npos};
    }
    return std::nullopt;
}

}  // namespace

void GET_CONF()
{
    GET_CMD_PARAMS();
    GET_ROOT_PATH();
    GET_DOC_PATH();
    GET_CONFIG_PATH();
}

void GET_CMD_PARAMS()
{
    const std::vector<std::string> args = platform::sys().arguments();
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (const auto toolkit = toolkitOption(arg)) {
            k += toolkit->takesValue && !toolkit->valueAttached ? 1 : 0;
            continue;
        }
        if (arg.size() < 2 || (arg[0] != '-' && arg[0] != '/'))
            continue;
        const char letter = arg[1];
        if (letter != 'd' && letter != 'D' && letter != 'i' && letter != 'I')
            continue;
        // A switch carries a path: kept whole.
        CMD_PARAMS.push_back({static_cast<char>(letter | 0x20), arg.substr(2)});
    }
}

std::string GET_CMD_PARAM(char ID, std::string_view DEFAULT)
{
    for (auto it = CMD_PARAMS.rbegin(); it != CMD_PARAMS.rend(); ++it)
        if (it->ID == ID)
            return it->VALUE;
    return std::string(DEFAULT);
}

void GET_ROOT_PATH() { ROOTPATH = std::string(1, kSep); }

void GET_DOC_PATH() { DOCPATH = platform::sys().documentsFolder(); }

void GET_CONFIG_PATH()
{
    auto& sys = platform::sys();

    std::string p = GET_CMD_PARAM('i', "");
    if (p.empty())
        p = sys.env("stelvaneconf");
    const std::size_t cut = p.rfind(kSep);
    std::string name = cut == std::string::npos ? p : p.substr(cut + 1);
    std::string folder = cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
    if (name.empty())
        name = DEFAULT_INI;
    if (folder.empty()) {
        folder = withSep(sys.homeFolder()) + "Stelvane";
        sys.makeFolder(folder);
        folder.push_back(kSep);
    }
    CONFIGFILE = name;
    CONFIGPATH = folder;

    std::string d = GET_CMD_PARAM('d', sys.env("stelvanedoc"));
    if (d.empty())
        d = DOCPATH;
    d = withSep(d);
    const std::string tail = std::string("Stelvane") + kSep;
    if (!text::endsWithNoCase(d, tail))
        d += tail;
    sys.makeFolder(d);
    DOCPATH = d;
}

std::string GET_EXEPATH()
{
    const std::string path = platform::sys().programPath();
    const std::size_t cut = path.rfind(kSep);
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string EXTEND_PATH(std::string_view VALUE)
{
    if (VALUE.find(kSep) != std::string_view::npos)
        return std::string(VALUE);
    return GET_EXEPATH() + std::string(VALUE);
}

void LOAD_PARAM(const std::string& FILENAME, std::string_view /*SECTION*/)
{
    text::readLines(FILENAME, {kLineMax, false}, [](const std::string& line) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            return;
        const std::string name = text::trimControl(std::string_view(line).substr(0, eq));
        if (name.empty())
            return;
        const std::string value =
            text::trimControl(text::cutUtf8(std::string_view(line).substr(eq + 1), kValueMax));
        PARAM_LOAD_VALUE(name, value);
    });
}

void CREATE_BACKUP()
{
    auto& sys = platform::sys();
    const std::string base = backupBase();
    for (int i = 9; i >= 1; --i) {
        const std::string target = base + text::decimal(i);
        sys.removeFile(target);
        sys.renameFile(i == 1 ? base : base + text::decimal(i - 1), target);
    }
}

bool SAVE_BACKUP()
{
    auto& sys = platform::sys();
    const std::string base = backupBase();
    // Copied aside first, so a file that cannot be copied rotates nothing away,
    // and under a name of its own, so the copy overwrites no file of the folder.
    const std::string fresh = sys.copyAside(CONFIGPATH + CONFIGFILE, CONFIGPATH);
    if (fresh.empty())
        return false;
    CREATE_BACKUP();
    if (sys.renameFile(fresh, base))
        return true;
    sys.removeFile(fresh);
    return false;
}

namespace system_init {

void INIT()
{
    GET_CONF();
    INIT_PARAM();
    LOAD_PARAM(CONFIGPATH + CONFIGFILE, "");
}

void INIT_PARAM()
{
    struct Row {
        const char* name;
        const char* value;
        const char* section;
        const char* posVal;
        const char* units;
    };
    static constexpr Row kTable[] = {
        {"Power_check", "Yes", "param", "Yes;No", ""},
        {"Language", "en", "Window", "", ""},
        {"Auto_save", "Yes", "Window", "Yes;No", ""},
        {"Equatorial", "Yes", "init", "Yes;No", ""},
        {"Cycle_Time", "10", "-control", "", "mil sec"},
        {"WD_Timer", "1000", "-param", "", "mil sec"},
        {"Manual_speed", "11000;1000;100", "control", "", "#"},
        {"USB_Vendor_ID", "$04D8", "param", "", ""},
        {"Setup_align", "No", "param", "Yes;No", ""},
        {"Setup_Range", "5", "param", "", "deg"},
        {"RA_resolution", "24", "-param", "", "bits"},
        {"Dec_resolution", "24", "-param", "", "bits"},
        {"RA_CR", "Yes", "-param", "Yes;No", ""},
        {"DEC_CR", "Yes", "-param", "Yes;No", ""},
        {"Enc_swap", "No", "-param", "Yes;No", ""},
        {"HW_Enc_swap", "No", "-param", "Yes;No", ""},
        {"RA_enc_CCW", "No", "-param", "Yes;No", ""},
        {"DE_enc_CCW", "No", "-param", "Yes;No", ""},
        {"RA_mot_CCW", "No", "-param", "Yes;No", ""},
        {"DE_mot_CCW", "No", "-param", "Yes;No", ""},
        {"hw_RA_enc_CCW", "No", "-param", "Yes;No", ""},
        {"hw_DE_enc_CCW", "No", "-param", "Yes;No", ""},
        {"hw_RA_mot_CCW", "No", "-param", "Yes;No", ""},
        {"hw_DE_mot_CCW", "No", "-param", "Yes;No", ""},
        {"hw_config", "No", "-param", "Yes;No", ""},
    };
    for (const Row& r : kTable)
        PARAM_ADD(r.name, r.value, r.section, r.posVal, r.units);
}

}  // namespace system_init
