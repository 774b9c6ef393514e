// The host of the most recent InitServices call.
#include "java_host.h"

IJavaHost* g_javaHost = nullptr;
