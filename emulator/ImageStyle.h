#pragma once

#include <QColor>
#include <QImage>

#include <cstdint>
#include <string>

// The look a style word in the prompt gives a picture, as a painting service would honour it: the
// style shifts the palette the scene is drawn in and lays its texture over the finished scene.
namespace ImageStyle {

enum class Style { None, Realistic, OilPainting, Watercolour, Sketch, ChineseInk, Anime, Cyberpunk, PixelArt };

// The style the prompt names. A prompt that names several takes the one named last: the editor
// appends the chosen style after the user's own words.
Style FromPrompt(const std::string &prompt);

// The prompt without its style words and the blanks and line breaks left at its ends: what the
// picture shows, whatever the style.
std::string Subject(const std::string &prompt);

// A palette colour as the style sees it.
QColor Tint(Style style, const QColor &colour);

// Lays the style's texture over a finished picture; the same seed gives the same pixels.
void Texture(Style style, QImage &image, std::uint64_t seed);

}  // namespace ImageStyle
