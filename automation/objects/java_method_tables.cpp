// Interim: no table is built yet; the host still gets the environment back.
#include "java_method_tables.h"

#include "java_host.h"

CommandBarsMethods* g_commandBarsMethods = nullptr;
CommandBarMethods* g_commandBarMethods = nullptr;
CommandBarControlsMethods* g_commandBarControlsMethods = nullptr;
CommandBarControlMethods* g_commandBarControlMethods = nullptr;

void BuildJavaMethodTables(JNIEnv* env) {
  if (g_javaHost != nullptr) g_javaHost->EndJavaCall(env);
}
