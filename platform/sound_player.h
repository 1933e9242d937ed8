#pragma once
// Plays short WAV images held in memory. One sound plays at a time: a new one
// replaces the one still playing, and playing nothing stops it. Calls return
// at once; user-interface thread only.

#include <QString>

#include <memory>
#include <string_view>

namespace platform {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Starts `wav` (the whole file image, not examined here) and returns
    // without waiting; empty bytes stop the sound that is playing. The bytes
    // need to stay valid only during the call.
    virtual void play(std::string_view wav) = 0;

    // Tells the player that `wav` will be played, so whatever it must set up
    // for it is done now rather than when the sound is due.
    virtual void prepare(std::string_view wav) { (void)wav; }
};

// The player in force: a test's replacement, else the Qt player when the
// system has an audio output at the first sound, else one that stays silent.
SoundPlayer& soundPlayer();
// Installs a replacement (not owned); nullptr puts the default back.
void setSoundPlayer(SoundPlayer* replacement);

// The Qt Multimedia player on its own (needs a QCoreApplication; its sounds
// go when the application ends), and the silent one. The Qt player is a
// module loaded from `folder`, the program's own folder when empty, so that
// the program starts without the multimedia libraries; nullptr when the
// module cannot be loaded.
std::unique_ptr<SoundPlayer> makeQtSoundPlayer(const QString& folder = {});
std::unique_ptr<SoundPlayer> makeSilentSoundPlayer();

}  // namespace platform
