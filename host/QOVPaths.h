#pragma once

#include <QString>

// Folder kinds the module asks the editor for.
enum ZuPathType
{
    ZU_PATH_APP_ROOT = 1,  // application root, with a trailing separator
    ZU_PATH_CONFIG = 10,   // folder holding the user's account files, no trailing separator
    ZU_PATH_WORK = 51,     // the user's working folder, no trailing separator
};

// Application folder without a trailing separator ("InitFile/" and "Media/" live below it).
QString ZuGetAppPath();
// "<application folder>/InitFile/AIGC.ini", the module's settings file. Here rather than beside the
// service settings, because the editor's own requests (downloads, the object store) read its
// network section too.
QString AigcSettingsPath();
// One of the ZuPathType folders; an unknown type gives the empty text.
QString ZuGetPath(int type);
// Creates the folder and any missing parents. Returns non-zero when the folder exists afterwards.
int ZuCreateDirectory(const QString& path, int flag);
