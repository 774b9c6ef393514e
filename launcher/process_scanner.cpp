// Whether a program of a given name runs. Interim: nothing is found until the scanner is built.
#include "setup_app.h"

BOOL SetupApp::IsProcessRunning(CString) { return FALSE; }
