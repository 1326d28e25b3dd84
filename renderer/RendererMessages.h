// Every message of the renderer plug-in goes through here: a message box
// captioned "OpenGL Renderer" when the host runs a widget application,
// otherwise standard error. SPARKWRIGHT_RENDERER_MESSAGES=<file> appends each
// text as one line to that file as well, so tests can read them.
#pragma once

void ShowRendererMessage(const char *text);
