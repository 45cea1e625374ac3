#pragma once

#include <QString>

// The local time now, formatted by strftime's format ("%Y_%m_%d_%H_%M_%S"). Workers stamp their
// files and log lines with it: it converts with localtime_r, which reads the time zone only once
// per process, where Qt's local-time conversions call tzset() every time, and glibc then frees and
// copies the zone's name again on each thread that converts.
QString LocalTimeText(const char* format);
