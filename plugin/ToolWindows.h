#pragma once

// Registers the tool windows that exist with the factory the entry creates windows through.
void RegisterToolWindows();
