#pragma once

class CI3Button;

// The editor's button styles, by range number. Range 1 is a tool's main action (its start button):
// the accent colour's face, lighter under the mouse, darker while pressed, grey when disabled.
// Other numbers leave the button's themed look.
namespace CI3ButtonRanges {

void Apply(CI3Button* button, int range);

} // namespace CI3ButtonRanges
