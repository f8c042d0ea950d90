// The main window TfrmMain: category tabs, options, commands, and the
// program-wide state other units read (option flags, notice panel, folders).
#pragma once
#include <string>

class TPanel;

// Options, read at start and written at close (Tovira.ini, section Options).
extern bool DoMinimizeFlag;
extern bool DoSetHtmlFlag;
extern bool SoundOnFlag;

// The panel "No e-mail window opened"; null until the main window is created.
extern TPanel* NoticePanel;
