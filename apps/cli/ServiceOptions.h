#pragma once

#include <QString>

// Where the service commands put their results, named as the tool windows name them.
namespace ServiceOptions {

// "<work folder>/<name>/", created.
QString OutputFolder(const QString& name);

} // namespace ServiceOptions
