#include "forms/sound.h"

#include "core/text.h"
#include "platform/dialogs.h"
#include "platform/sound_player.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

constexpr std::size_t kNameMax = 255;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The whole file, or the reason it could not be read.
std::optional<std::string> readWhole(const std::string& path, std::string& why)
{
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        why = std::generic_category().message(errno);
        return std::nullopt;
    }
    std::string bytes;
    char buf[64 * 1024];
    for (;;) {
        const std::size_t n = std::fread(buf, 1, sizeof buf, f.get());
        bytes.append(buf, n);
        if (bytes.size() > kMaxSoundFileBytes) {
            why = "The file is too large for a sound.";
            return std::nullopt;
        }
        if (n < sizeof buf)
            break;
    }
    if (std::ferror(f.get())) {
        why = std::generic_category().message(errno ? errno : EIO);
        return std::nullopt;
    }
    return bytes;
}

void reportUnreadable(const std::string& path, const std::string& why)
{
    const QCoreApplication* app = QCoreApplication::instance();
    platform::dialogs().message(app ? app->applicationName().toStdString() : std::string(),
                                "Cannot open file \"" + path + "\". " + why);
}

}  // namespace

std::unique_ptr<TSound> TSound::CREATE() { return std::make_unique<TSound>(); }

void TSound::ADD(std::string_view SOUND_NAME, const std::string& SOUND_FILE)
{
    TSoundList& entry = LIST.emplace_back();
    entry.NAME = text::cutUtf8(SOUND_NAME, kNameMax);

    std::error_code ec;
    if (SOUND_FILE.empty() || !std::filesystem::is_regular_file(SOUND_FILE, ec))
        return;
    std::string why;
    if (std::optional<std::string> bytes = readWhole(SOUND_FILE, why)) {
        entry.SOUND = std::move(*bytes);
        platform::soundPlayer().prepare(entry.SOUND);
    } else {
        reportUnreadable(SOUND_FILE, why);
    }
}

void TSound::PLAY(std::string_view SOUND_NAME) const
{
    const std::string name = text::cutUtf8(SOUND_NAME, kNameMax);
    for (const TSoundList& entry : LIST)
        if (entry.NAME == name)
            platform::soundPlayer().play(entry.SOUND);
}
