#include "platform/sound_player.h"

#include "platform/replaceable.h"

#include <QCoreApplication>
#include <QLibrary>

namespace platform {
namespace {

class SilentSoundPlayer final : public SoundPlayer {
public:
    void play(std::string_view) override {}
};

using MakePlayer = SoundPlayer* (*)(bool needOutput);

std::unique_ptr<SoundPlayer> loadQtSoundPlayer(const QString& folder, bool needOutput)
{
    if (!QCoreApplication::instance())
        return nullptr;
    QLibrary module((folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder) +
                    QStringLiteral("/orla_sound_qt"));
    // Never unloaded, not even at exit: the player's code must stay as long as the player.
    module.setLoadHints(QLibrary::PreventUnloadHint);
    const auto make = reinterpret_cast<MakePlayer>(module.resolve("orla_qt_sound_player"));
    return std::unique_ptr<SoundPlayer>(make ? make(needOutput) : nullptr);
}

// Whether there is audio can only be asked once the application exists, so
// the choice waits for the first sound; stopping a sound when none has been
// played chooses nothing.
class DefaultSoundPlayer final : public SoundPlayer {
public:
    void play(std::string_view wav) override
    {
        if (!wav.empty() || chosen_)
            chosen().play(wav);
    }
    void prepare(std::string_view wav) override
    {
        if (!wav.empty())
            chosen().prepare(wav);
    }

private:
    SoundPlayer& chosen()
    {
        if (!chosen_) {
            player_ = loadQtSoundPlayer({}, true);
            if (!player_)
                player_ = makeSilentSoundPlayer();
            chosen_ = true;
        }
        return *player_;
    }
    bool chosen_ = false;
    std::unique_ptr<SoundPlayer> player_;
};

DefaultSoundPlayer g_default;
Replaceable<SoundPlayer> g_current(g_default);

}  // namespace

SoundPlayer& soundPlayer() { return g_current.get(); }

void setSoundPlayer(SoundPlayer* replacement) { g_current.set(replacement); }

std::unique_ptr<SoundPlayer> makeQtSoundPlayer(const QString& folder) { return loadQtSoundPlayer(folder, false); }
std::unique_ptr<SoundPlayer> makeSilentSoundPlayer() { return std::make_unique<SilentSoundPlayer>(); }

}  // namespace platform
