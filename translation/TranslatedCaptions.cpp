#include "translation/TranslatedCaptions.h"

#include "translation/DialogueTurns.h"

#include <QStringList>

namespace TranslatedCaptions {

namespace {

// Without a cut a caption keeps its time whole, however long it runs.
constexpr double kWholeCaption = 1e9;

} // namespace

std::vector<Caption> LaidOut(const std::vector<CaptionTranslation::Translated>& results,
                             const CaptionLayout::Limits& limits, bool cut)
{
    CaptionLayout::Limits used = limits;
    if (!cut)
        used.maxSeconds = kWholeCaption;
    const CaptionLayout laying(used);
    std::vector<Caption> captions;
    captions.reserve(results.size());
    for (const CaptionTranslation::Translated& translated : results) {
        const Caption caption{translated.id.toInt(), translated.start, translated.end,
                              DialogueTurns::OneALine(translated.text, translated.speakers), {}};
        const std::vector<Caption> pieces = laying.Apply(caption);
        if (cut || pieces.size() <= 1) {
            captions.insert(captions.end(), pieces.begin(), pieces.end());
            continue;
        }
        Caption whole = caption;
        QStringList lines;
        for (const Caption& piece : pieces)
            lines << piece.text;
        whole.text = lines.join(QLatin1Char('\n'));
        captions.push_back(whole);
    }
    return captions;
}

} // namespace TranslatedCaptions
