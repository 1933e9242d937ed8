// The Qt Multimedia sound player, built as a module of its own that the
// program loads at its first sound: a start without sounds loads neither Qt
// Multimedia nor the sound libraries under it.

#include "platform/sound_player.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>

#include <map>
#include <string>

namespace {

using platform::SoundPlayer;

// QSoundEffect plays only from a URL, so each distinct image is written once
// to a temporary file that lives as long as the player. Everything Qt hangs
// off one holder owned by the application, so nothing of it outlives the
// application even when the player itself is a static.
class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer() : holder_(new QObject(QCoreApplication::instance())) {}
    ~QtSoundPlayer() override { delete holder_.data(); }
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    void play(std::string_view wav) override
    {
        if (current_)
            current_->stop();
        current_ = wav.empty() ? nullptr : effectFor(wav);
        if (current_)
            current_->play();
    }

    void prepare(std::string_view wav) override
    {
        if (!wav.empty())
            effectFor(wav);
    }

private:
    QSoundEffect* effectFor(std::string_view wav)
    {
        if (!holder_)
            return nullptr;
        if (auto it = effects_.find(wav); it != effects_.end())
            return it->second;

        auto* file = new QTemporaryFile(QDir::tempPath() + QStringLiteral("/orla_sound_XXXXXX.wav"),
                                        holder_.data());
        const auto size = static_cast<qint64>(wav.size());
        if (!file->open() || file->write(wav.data(), size) != size || !file->flush()) {
            // Not remembered: the next play tries again.
            delete file;
            return nullptr;
        }
        file->close();  // the file stays until the QTemporaryFile goes
        auto* effect = new QSoundEffect(holder_.data());
        effect->setSource(QUrl::fromLocalFile(file->fileName()));
        effects_.emplace(std::string(wav), effect);
        return effect;
    }

    QPointer<QObject> holder_;
    QPointer<QSoundEffect> current_;
    std::map<std::string, QPointer<QSoundEffect>, std::less<>> effects_;
};

}  // namespace

// The player, or nullptr where `needOutput` is set and the system has no
// audio output. Needs a QCoreApplication.
extern "C" Q_DECL_EXPORT SoundPlayer* orla_qt_sound_player(bool needOutput)
{
    if (!QCoreApplication::instance() || (needOutput && QMediaDevices::audioOutputs().isEmpty()))
        return nullptr;
    return new QtSoundPlayer;
}
