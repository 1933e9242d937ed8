#pragma once
// A sound player for tests: installs itself while it lives and records what
// it was asked to play, an empty image for "stop".

#include "platform/sound_player.h"

#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

class FakeSoundPlayer final : public platform::SoundPlayer {
public:
    FakeSoundPlayer() { platform::setSoundPlayer(this); }
    ~FakeSoundPlayer() override { platform::setSoundPlayer(nullptr); }
    FakeSoundPlayer(const FakeSoundPlayer&) = delete;
    FakeSoundPlayer& operator=(const FakeSoundPlayer&) = delete;

    void play(std::string_view wav) override { played.emplace_back(wav); }
    void prepare(std::string_view wav) override { prepared.emplace_back(wav); }

    std::vector<std::string> played;    // every play, oldest first
    std::vector<std::string> prepared;  // every prepare, oldest first
};

}  // namespace testing_support
