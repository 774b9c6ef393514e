// The Java classes and method IDs that the command-bar objects call, resolved when the Java
// side calls InitServices, and kept for the life of the process.
#pragma once

#include <jni.h>

// Each table starts with a global reference to its Java class, followed by one method ID
// per Java method. A table pointer stays null until that table is complete, so a null
// pointer means "not usable": a member that finds its table null must fail with an error
// instead of calling Java.
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

// Builds, with `env`, the tables that are not complete yet, in the order CommandBars,
// CommandBar, CommandBarControls, CommandBarControl (classes "vuradizode/ICommandBars", ...),
// publishing each table's pointer as soon as that table is complete.
//
// Returns true when all four tables are complete after the call. If they already were, it
// returns true at once and makes no JNI call and no host call. Otherwise it hands `env` to
// g_javaHost->EndJavaCall exactly once at the end (when a host is set), whatever happened,
// and drops that call's result.
//
// On failure (a class or method not found, a global reference not obtained, no memory for a
// table) it stops at the first null result and makes no further JNI call, so a Java
// exception left pending by the failed lookup reaches EndJavaCall untouched; the failed table
// and those after it stay null. It returns false, and may be called again (with any
// environment of the same JVM): a later call continues from where the last one stopped,
// keeping the method IDs and class global reference it already holds, so a class is never
// given a second global reference. Such a later call first asks ExceptionCheck, and if an
// exception is still pending on `env` it looks nothing up, hands `env` to EndJavaCall and
// returns false.
//
// A null `env` builds nothing, calls no host and returns false (unless the tables are
// already complete).
//
// InitServices calls it while the tables are incomplete:
//   if (!g_servicesStarted) g_servicesStarted = BuildJavaMethodTables(env);
// Never throws.
bool BuildJavaMethodTables(JNIEnv* env) noexcept;

// True when all four table pointers are set.
bool JavaMethodTablesComplete() noexcept;
