// The Java classes and method IDs that the command-bar objects call, resolved once when the
// Java side first calls InitServices, and kept for the life of the process.
#pragma once

#include <jni.h>

// Each table starts with a global reference to its Java class, followed by one method ID
// per Java method. A table pointer stays null until that table is complete.
struct CommandBarsMethods {
  jclass cls;
  jmethodID getActionControl, getAdaptiveMenus, setAdaptiveMenus, Add, FindControl, Item;
};
struct CommandBarMethods {
  jclass cls;
  jmethodID getControls, FindControl, setVisible, getVisible;
};
struct CommandBarControlsMethods {
  jclass cls;
  jmethodID Add, Item, getCount;
};
struct CommandBarControlMethods {
  jclass cls;
  jmethodID getCaption, setCaption, getEnabled, setEnabled, getIndex, getVisible, setVisible,
      Execute;
};

extern CommandBarsMethods* g_commandBarsMethods;
extern CommandBarMethods* g_commandBarMethods;
extern CommandBarControlsMethods* g_commandBarControlsMethods;
extern CommandBarControlMethods* g_commandBarControlMethods;

// Builds the four tables with `env` (classes "vuradizode/ICommandBars", ...), then hands
// `env` to g_javaHost->EndJavaCall. Called by the first InitServices.
void BuildJavaMethodTables(JNIEnv* env);
