#pragma once

#include <QString>

// Whether the subtitles tool treats a file as a video, whose audio it extracts first: by its
// extension, in any letter case ("clip.ts" is one, "song.wav" is not).
bool IsSubtitleVideoPath(const QString& path);
