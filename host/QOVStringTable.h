#pragma once

#include <QString>

// The editor's display text for a key; a key the table does not know is returned as it is.
QString ZuLoadString(const QString& key);
