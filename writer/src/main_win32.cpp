// Quillet's entry point: one modal dialog, and the program ends with it.
#include <windows.h>

#include <commctrl.h>

#include "writer_dialog_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Probe libraries are loaded by bare file name. Taking the current directory
    // out of the search keeps a library of that name planted there (beside an
    // image file, say) from ever being loaded; the program's own directory stays
    // first, then the system's. The second call also drops the current directory on
    // systems that read an empty library directory as none at all.
    SetDllDirectoryW(L"");
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    RunWriterDialog(instance);
    return 0;
}
