// Quillet's main dialog: the status poll on a one-second timer and the Write button.
#pragma once

#include <windows.h>

// Runs the dialog modally; returns when the operator closes it.
INT_PTR RunWriterDialog(HINSTANCE instance);
