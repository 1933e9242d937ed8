#pragma once
// Short sounds kept under names, each read once into memory when it is added
// so that playing one needs no file access. User-interface thread only.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TSoundList {
    std::string NAME;   // at most 255 bytes
    std::string SOUND;  // the file's whole content; empty when there was no file
};

class TSound {
public:
    static std::unique_ptr<TSound> CREATE();

    // Appends an entry, also when one of that name exists already. SOUND_FILE
    // (relative names from the working folder) is read when it is a file; a
    // missing one leaves the entry silent. A file that is there but cannot be
    // read is shown to the operator in a box and also leaves it silent.
    void ADD(std::string_view SOUND_NAME, const std::string& SOUND_FILE);

    // Plays every entry named exactly SOUND_NAME, letter case included, first
    // to last, so the last one is heard; a silent entry stops what is playing.
    // A name without an entry leaves a playing sound alone.
    void PLAY(std::string_view SOUND_NAME) const;

    std::vector<TSoundList> LIST;
};

// Longest sound file read; a larger one is reported as unreadable.
inline constexpr std::size_t kMaxSoundFileBytes = 16u * 1024u * 1024u;
