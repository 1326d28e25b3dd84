// Every message of the renderer plug-in goes through here: a message box
// captioned "OpenGL Renderer" when the host runs a widget application,
// otherwise standard error. SPARKWRIGHT_RENDERER_MESSAGES=<file> appends each
// text as one line to that file as well, so tests can read them.
//
// A host shows the box itself by exporting, from its executable,
//   extern "C" void SparkwrightRendererMessageBox(const char *caption,
//                                                 const char *text,
//                                                 uintptr_t ownerWindow);
// (found with dlsym at the time of the message; ownerWindow is the parent of
// the viewport window, 0 before a device was opened).
#pragma once

#include <cstdint>

void ShowRendererMessage(const char *text);

// The window that owns the message boxes: the viewport window's parent.
void SetRendererMessageOwner(uintptr_t window);

inline constexpr const char *kRendererMessageCaption = "OpenGL Renderer";
inline constexpr const char *kRendererMessageHook = "SparkwrightRendererMessageBox";
inline constexpr const char *kRendererMessagesEnv = "SPARKWRIGHT_RENDERER_MESSAGES";
