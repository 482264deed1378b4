// The About box, opened from the main dialog's system menu.
#pragma once

#include <windows.h>

void RunAboutDialog(HINSTANCE instance, HWND owner);
