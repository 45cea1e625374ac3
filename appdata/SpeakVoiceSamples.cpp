// Speaks the voice library's samples with the local speech services' engine, each voice with its
// own speaker, so a sample sounds like what the voice will read.
//   speak_voice_samples VOICE_XML FOLDER      writes every voice's Audio below FOLDER as WAV
#include "VoiceList.h"

#include "AudioEncoder.h"
#include "SpeechSynthesizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <exception>

namespace {

const QString kSampleText = QStringLiteral("你好，我是%1。欢迎使用智能配音，让文字开口说话。");

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: speak_voice_samples VOICE_XML FOLDER\n");
        return 2;
    }
    const QList<VoiceEntry> voices = ReadVoiceList(QString::fromLocal8Bit(argv[1]));
    if (voices.isEmpty()) {
        std::fprintf(stderr, "speak_voice_samples: no voices in %s\n", argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (const VoiceEntry& voice : voices) {
        if (voice.audio.isEmpty())
            continue;
        const QString path = folder.filePath(voice.audio);
        try {
            SpeechSettings settings;
            settings.person = voice.id;
            const auto pcm = SpeechSynthesizer::Speak(kSampleText.arg(voice.name).toStdString(), settings);
            const std::string wav = AudioEncoder::Encode(*pcm, SpeechFormat::Wav);
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                file.write(wav.data(), qint64(wav.size())) != qint64(wav.size())) {
                std::fprintf(stderr, "speak_voice_samples: cannot write %s\n", qPrintable(path));
                return 1;
            }
        } catch (const std::exception& error) {
            std::fprintf(stderr, "speak_voice_samples: %s: %s\n", qPrintable(voice.name), error.what());
            return 1;
        }
    }
    return 0;
}
