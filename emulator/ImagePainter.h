#pragma once

#include <QImage>

#include <cstdint>
#include <string>

struct ImageRequest;

// Draws the pictures the image service hands out: a procedural scene, no text, so it needs no
// application object and runs on any thread. The same request and index always give the same
// pixels; another prompt or index gives other colours and another composition, and a reference
// image shows through the whole canvas. Style words in the prompt (ImageStyle) keep the picture
// but change its palette and surface.
namespace ImagePainter {

QImage Paint(const ImageRequest &request, int index);
// Fast rather than small: a set of eight of the largest pictures must be ready within seconds.
std::string EncodePng(const QImage &image);
// A stable 64-bit hash of the prompt's bytes; it seeds everything drawn for that prompt.
std::uint64_t PromptSeed(const std::string &prompt);

}  // namespace ImagePainter
