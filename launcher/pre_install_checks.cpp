// The pre-installation checks. Interim: the trace line, then the installer may start.
#include "setup_app.h"

BOOL SetupApp::HasInstallRights() { return TRUE; }

BOOL SetupApp::NeedStartQMO() {
  WriteTrace("NeedStartQMO = Start");
  return TRUE;
}
