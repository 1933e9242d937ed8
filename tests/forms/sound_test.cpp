#include "forms/sound.h"

#include "platform/sound_player.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_sound.h"
#include "tests/support/fake_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using testing_support::FakeDialogs;
using testing_support::FakeSoundPlayer;
using testing_support::TempDir;

// A valid PCM WAV image of `samples` silent 16-bit mono samples at 8 kHz,
// with a marker byte in the first sample so images can be told apart.
std::string wav(std::uint32_t samples, char marker)
{
    std::string w;
    auto le32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            w.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto le16 = [&](std::uint16_t v) {
        w.push_back(static_cast<char>(v & 0xFF));
        w.push_back(static_cast<char>(v >> 8));
    };
    const std::uint32_t data = samples * 2;
    w += "RIFF";
    le32(36 + data);
    w += "WAVEfmt ";
    le32(16);
    le16(1);  // PCM
    le16(1);  // mono
    le32(8000);
    le32(16000);
    le16(2);
    le16(16);
    w += "data";
    le32(data);
    w += std::string(data, '\0');
    w[44] = marker;
    return w;
}

struct SoundTest : ::testing::Test {
    FakeSoundPlayer player;
    FakeDialogs boxes;
    TempDir dir;
};

TEST_F(SoundTest, EntryWithoutFileIsSilentAndStopsThePlayingSound)
{
    std::filesystem::create_directory(dir.path() + "folder.wav");
    TSound sounds;
    for (const std::string& file : {std::string(), dir.path() + "missing.wav", dir.path() + "folder.wav"}) {
        SCOPED_TRACE(file);
        sounds.ADD("MoveDone", file);
        EXPECT_TRUE(sounds.LIST.back().SOUND.empty());
    }
    player.played.clear();
    sounds.PLAY("MoveDone");
    EXPECT_EQ(player.played, (std::vector<std::string>{"", "", ""}));
    EXPECT_TRUE(player.prepared.empty());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(SoundTest, NamesMatchExactlyAndEveryEntryOfTheNamePlaysInTurn)
{
    const std::string first = wav(8, 'a'), second = wav(8, 'b'), other = wav(8, 'c');
    TSound sounds;
    sounds.ADD("MoveDone", dir.write("1.wav", first));
    sounds.ADD("Other", dir.write("3.wav", other));
    sounds.ADD("MoveDone", dir.write("2.wav", second));
    ASSERT_EQ(sounds.LIST.size(), 3u);
    EXPECT_EQ(player.prepared, (std::vector<std::string>{first, other, second}));

    sounds.PLAY("movedone");
    sounds.PLAY("MoveDone ");
    sounds.PLAY("Unknown");
    EXPECT_TRUE(player.played.empty());

    sounds.PLAY("MoveDone");
    EXPECT_EQ(player.played, (std::vector<std::string>{first, second}));
}

TEST_F(SoundTest, FileIsReadOnceWhenAddedAndRelativeNamesComeFromTheWorkingFolder)
{
    const std::string before = wav(4, 'x');
    dir.write("beep.wav", before);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    TSound sounds;
    sounds.ADD("Beep", "beep.wav");
    std::filesystem::current_path(cwd);

    dir.write("beep.wav", wav(4, 'y'));
    sounds.PLAY("Beep");
    std::filesystem::remove(dir.path() + "beep.wav");
    sounds.PLAY("Beep");
    EXPECT_EQ(player.played, (std::vector<std::string>{before, before}));
}

TEST_F(SoundTest, UnreadableFileIsShownAndLeavesTheEntrySilent)
{
    const std::string big = dir.path() + "big.wav";
    {
        std::ofstream(big, std::ios::binary) << "RIFF";
    }
    std::filesystem::resize_file(big, kMaxSoundFileBytes + 1);  // sparse, costs no disk

    // A file the kernel lists as regular but refuses to read from its start.
    const std::vector<std::string> files{big, "/proc/self/mem"};
    TSound sounds;
    for (const std::string& file : files)
        sounds.ADD("Bad", file);
    sounds.ADD("Good", dir.write("good.wav", wav(4, 'g')));

    ASSERT_EQ(sounds.LIST.size(), 3u);
    EXPECT_TRUE(sounds.LIST[0].SOUND.empty());
    EXPECT_TRUE(sounds.LIST[1].SOUND.empty());
    EXPECT_FALSE(sounds.LIST[2].SOUND.empty());
    const auto shown = boxes.shown();
    ASSERT_EQ(shown.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_FALSE(shown[i].question);
        EXPECT_NE(shown[i].text.find("Cannot open file \"" + files[i] + "\""), std::string::npos)
            << shown[i].text;
    }
}

// The player's files go to the temporary folder, here one of the test's
// own, so other programs' files there do not count.
class OwnTempFolder {
public:
    OwnTempFolder() : before_(qgetenv("TMPDIR")) { qputenv("TMPDIR", QByteArray::fromStdString(dir_.path())); }
    ~OwnTempFolder() { qputenv("TMPDIR", before_); }
    OwnTempFolder(const OwnTempFolder&) = delete;
    OwnTempFolder& operator=(const OwnTempFolder&) = delete;
    int soundFiles() const
    {
        return static_cast<int>(QDir(QString::fromStdString(dir_.path()))
                                    .entryList({QStringLiteral("orla_sound_*.wav")}, QDir::Files)
                                    .size());
    }

private:
    TempDir dir_;
    QByteArray before_;
};

// The real player, offscreen and usually without an audio device: it must
// take images, replace and stop them without blocking, write each distinct
// image once, and leave no file behind.
TEST(QtSoundPlayer, PlaysReplacesAndStopsWithoutBlockingAndCleansUp)
{
    const std::string a = wav(800, 'a'), b = wav(800, 'b');
    const OwnTempFolder temp;
    QElapsedTimer clock;
    clock.start();
    {
        std::unique_ptr<platform::SoundPlayer> qt = platform::makeQtSoundPlayer(QStringLiteral(ORLA_SOUND_MODULE_DIR));
        ASSERT_TRUE(qt) << "the sound module is built next to the program";
        qt->prepare(a);
        qt->play(a);
        qt->play(b);
        qt->play(a);
        qt->play("not a wav image");
        QCoreApplication::processEvents();
        qt->play({});
        QCoreApplication::processEvents();
        EXPECT_EQ(temp.soundFiles(), 3);
    }
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(temp.soundFiles(), 0);
}

TEST(SoundPlayerService, ReplacementIsInForceWhileItLives)
{
    platform::SoundPlayer* before = &platform::soundPlayer();
    {
        FakeSoundPlayer fake;
        EXPECT_EQ(&platform::soundPlayer(), &fake);
    }
    EXPECT_EQ(&platform::soundPlayer(), before);
}

}  // namespace
