// The one application object of the probe tests, whose record and process operations they
// call; setup.exe has its own in setup_main.cpp.
#include "setup_app.h"

SetupApp& TheSetupApp() {
  static SetupApp app;
  return app;
}
