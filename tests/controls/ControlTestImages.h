#pragma once

#include <QColor>
#include <QSize>

#include <memory>

class CZuBuffer;

// A buffer of one colour, loaded from an image file the way the editor loads its bitmaps.
std::unique_ptr<CZuBuffer> MakeSolidBuffer(const QSize& size, const QColor& color);
