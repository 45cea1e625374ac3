// Speaks the voice library's samples with the local speech services' engine, each voice with its
// own speaker, so a sample sounds like what the voice will read.
//   speak_voice_samples VOICE_XML FOLDER      writes every voice's Audio below FOLDER as WAV
#include "LibraryStep.h"

#include "AudioEncoder.h"
#include "SpeechSynthesizer.h"

#include <QCoreApplication>
#include <QFile>

#include <exception>

namespace {

const QString kSampleText = QStringLiteral("你好，我是%1。欢迎使用智能配音，让文字开口说话。");

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const auto speak = [](const QXmlStreamAttributes& voice, int, int, const QString& path) {
        const QString name =
            voice.value(QLatin1String("Name")).toString().replace(QStringLiteral("\\r\\n"), QStringLiteral(" "));
        try {
            SpeechSettings settings;
            settings.person = voice.value(QLatin1String("ID")).toInt();
            const auto pcm = SpeechSynthesizer::Speak(kSampleText.arg(name).toStdString(), settings);
            const std::string wav = AudioEncoder::Encode(*pcm, SpeechFormat::Wav);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                file.write(wav.data(), qint64(wav.size())) != qint64(wav.size()))
                return QStringLiteral("cannot write %1").arg(path);
        } catch (const std::exception& error) {
            return QStringLiteral("%1: %2").arg(name, QString::fromLocal8Bit(error.what()));
        }
        return QString();
    };
    return LibraryStep::Run(argc, argv, "speak_voice_samples", "voice", QStringLiteral("Audio"), speak);
}
