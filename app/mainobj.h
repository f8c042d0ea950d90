// Icon pages, picking a picture, and inserting it into a mail compose window:
// the clipboard fragment and the compose-window targeting and paste.
#pragma once
#include <windows.h>

#include <string>

#include "ClipboardPayload.h"

// ---- Clipboard ------------------------------------------------------------

// Replaces the clipboard's content with the "HTML Format" payload for the
// picture at `path` (forward slashes); headed when `prefix` is not empty.
// Raises EOSError when a clipboard step fails; the clipboard is closed on
// every way out.
void PutHtmlOnClipboard(const std::string& prefix, const std::string& path);

// ---- Compose window targeting and paste -----------------------------------

// The window last switched to HTML editing; null until the first switch.
extern HWND LastComposeWindow;
// The application folder with its trailing backslash ("sound.wav" lives there).
extern std::string AppFolder;

// The client kind of the first compose-window class that has a top-level
// window: 1 "ATH_Note", 2 "rctrl_renwnd32", 3 "MozillaWindowClass"; 0 when
// none has one. The fallback window is not looked for.
int ComposeClientKind();

// Synthesizes modifier down, key down, key up, modifier up (virtual-key
// codes; modifier 0 means none).
void SendKeyCombo(unsigned char modifier, unsigned char key);

// Brings the open compose window to the front, switches it to HTML editing
// the first time it is met, pastes with Ctrl+V and plays the sound; shows
// the notice for one second when there is none. Never raises.
void PasteIntoCompose() noexcept;
