// TEMPORARY: the option flags and the notice panel until main.cpp defines them.
#include "main.h"

bool DoMinimizeFlag = true;
bool DoSetHtmlFlag = true;
bool SoundOnFlag = true;
TPanel* NoticePanel = nullptr;
