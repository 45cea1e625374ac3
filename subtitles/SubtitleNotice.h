#pragma once

#include <QString>

class WaveTransSrt;

// What the subtitles tool shows for a task's notification code (the manager's message): the
// extraction's steps, the failure's reason, progress and success. Empty for a code it does not
// know.
QString SubtitleNoticeText(int code, const WaveTransSrt& task);
