#pragma once

#include <QString>
#include <QUuid>

#include <cstdint>

// How the subtitles tool (window and command line) reads what it is handed: which files are videos (their audio is
// extracted first), which cloud model a choice in the model list stands for, and the object
// identifiers of the property map's extra files.
namespace SubtitlesSource {

// The model numbers of the model list's items, in order; anything else is the English model.
inline constexpr int32_t kFastMandarinModel = 80001;
inline constexpr int32_t kSubtitleMandarinModel = 80006;
inline constexpr int32_t kEnglishModel = 1737;

// True when path's extension is one of the editor's video extensions (case ignored).
bool IsVideo(const QString& path);
// The cloud model for the model list's selected index.
int32_t ModelForChoice(int index);
// An identifier as the editor writes it, with or without braces; the null identifier when the
// text is not one.
QUuid ObjectIdFromText(const QString& text);

} // namespace SubtitlesSource
