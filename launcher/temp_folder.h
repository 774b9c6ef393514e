// The per-user "Temp" folder the installer expects, made when it is missing. Silent on
// every failure.
#pragma once

// NT family: a "Temp" folder inside the user's "Local Settings" folder.
void EnsureLocalSettingsTemp();

// Other platforms: a "Temp" folder beside the user's "Application Data" folder.
void EnsureAppDataTemp();
