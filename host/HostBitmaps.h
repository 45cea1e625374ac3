#pragma once

#include <QString>

class CZuBuffer;

// The editor's own bitmaps that a module finds by resource name through the editor's resource
// search, drawn here by the stand-in. Null for a name the editor has no bitmap of.
namespace HostBitmaps {

// "IDB_SCALE_BAR": the scale a size slider is laid over, ticks growing from left to right.
const CZuBuffer* Find(const QString& name);

} // namespace HostBitmaps
