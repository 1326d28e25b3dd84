// What the editor needs of the window system beyond Qt's widgets: making the
// viewport's native window usable by the renderer's own connection, its
// background, and the desktop's colours by their system colour index.
#pragma once

#include <cstdint>

// Makes sure every window request made so far has reached the display server,
// so that another connection (the renderer's) can use the windows at once.
void SyncWindowSystem();

// Gives a native window a plain background that the display server itself
// paints wherever nothing else draws; red, green, blue 0 to 255.
void SetNativeBackground(uintptr_t window, int red, int green, int blue);

// The palette colour standing for a Windows system colour index, as 0x00BBGGRR.
uint32_t SystemColourValue(int index);
