#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

class QPainter;

// A pixel buffer in 32-bit ARGB (not premultiplied), as the editor's drawing code expects.
class CZuBuffer
{
public:
    // The word is the fill colour an empty buffer reports (0xFFFFFFFF in every caller).
    explicit CZuBuffer(uint32_t fill = 0xFFFFFFFFu);

    // Loads BMP, JPEG or PNG. Non-zero on success; on failure the buffer is left empty.
    int CreateFromFile(const QString& path);
    // Loads image resource number id of type (e.g. "PNG") compiled into a module. Resources are
    // registered process-wide by the module that holds them, so the handle only identifies it.
    int CreateFromImageResource(const void* module, int id, const QString& type);
    // Takes a picture the stand-in drew itself (the editor's own bitmaps). Non-zero unless empty.
    int CreateFromImage(const QImage& image);
    void Release();

    // Draws the src part of the buffer (the whole buffer when src is empty) scaled into dest.
    // flags: 0 scales smoothly, 1 keeps hard pixel edges.
    void StretchBltToDC(QPainter* dc, const QRect& dest, const QRect& src, int flags) const;

    bool IsEmpty() const { return m_image.isNull(); }
    int GetWidth() const { return m_image.width(); }
    int GetHeight() const { return m_image.height(); }
    uint32_t GetFill() const { return m_fill; }
    const QImage& Image() const { return m_image; }

    // Path of image resource id of type inside the Qt resource system.
    static QString ResourcePath(int id, const QString& type);

private:
    QImage m_image;
    uint32_t m_fill;
};
