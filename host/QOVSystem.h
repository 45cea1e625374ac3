#pragma once

#include <QString>
#include <QUuid>

// Frame rate of the editor's project: QOV_FRAME_RATE, 25 when unset or not a positive number.
float QOVGetSysFrameRate();

// GUID text as the original platform writes it: 36 lower-case hexadecimal characters with
// hyphens, no braces.
QString QOVGuidToString(const QUuid& guid);
// Parses that text (braces tolerated); a null GUID when it is not one.
QUuid QOVGuidFromString(const QString& text);
QString QOVNewGuidText();

// Diagnostic trace. Replies carry access tokens, so nothing is printed unless
// QOV_DEBUG_OUTPUT=1; then the text goes to standard error with a line break, its tokens masked.
void QOVDebugOutput(const QString& text);
// text with every secret (a query parameter or a JSON member, at any depth, whose name holds token,
// secret, key, password or signature in any case, and the "tok" parameter) cut to its first four
// characters and "…": enough to tell two tokens apart in a trace.
QString QOVMaskTokens(const QString& text);
bool QOVDebugOutputEnabled();
