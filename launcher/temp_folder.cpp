// Interim: nothing is made until the folder probe is built.
#include "temp_folder.h"

void EnsureLocalSettingsTemp() {}
void EnsureAppDataTemp() {}
