// Resolution of the four Java interfaces that the command-bar objects call.
#include "java_method_tables.h"
#include "java_method_tables_testing.h"

#include <cstddef>
#include <new>

#include "java_host.h"

CommandBarsMethods* g_commandBarsMethods = nullptr;
CommandBarMethods* g_commandBarMethods = nullptr;
CommandBarControlsMethods* g_commandBarControlsMethods = nullptr;
CommandBarControlMethods* g_commandBarControlMethods = nullptr;

namespace {

// One method lookup: the table field it fills, the Java name and the JNI signature.
template <typename Table>
struct MethodLookup {
  jmethodID Table::*field;
  const char* name;
  const char* signature;
};

// The lookups of each table, in the order in which they are made.
const MethodLookup<CommandBarsMethods> kCommandBarsLookups[] = {
    {&CommandBarsMethods::Add, "Add", "(Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;"},
    {&CommandBarsMethods::getActionControl, "getActionControl", "()Lvanuoffice/ICommandBarControl;"},
    {&CommandBarsMethods::getAdaptiveMenus, "getAdaptiveMenus", "()Z"},
    {&CommandBarsMethods::setAdaptiveMenus, "setAdaptiveMenus", "(Z)V"},
    {&CommandBarsMethods::Item, "Item", "(Ljava/lang/Object;)Lvanuoffice/ICommandBar;"},
    {&CommandBarsMethods::FindControl, "FindControl",
     "(IILjava/lang/String;Z)Lvanuoffice/ICommandBarControl;"},
};
const MethodLookup<CommandBarMethods> kCommandBarLookups[] = {
    {&CommandBarMethods::getControls, "getControls", "()Lvanuoffice/ICommandBarControls;"},
    {&CommandBarMethods::FindControl, "FindControl",
     "(IILjava/lang/Object;ZZ)Lvanuoffice/ICommandBarControl;"},
    {&CommandBarMethods::setVisible, "setVisible", "(Z)V"},
    {&CommandBarMethods::getVisible, "getVisible", "()Z"},
};
const MethodLookup<CommandBarControlsMethods> kCommandBarControlsLookups[] = {
    {&CommandBarControlsMethods::Add, "Add", "(IILjava/lang/String;IZ)Lvanuoffice/ICommandBarControl;"},
    {&CommandBarControlsMethods::Item, "Item", "(I)Lvanuoffice/ICommandBarControl;"},
    {&CommandBarControlsMethods::getCount, "getCount", "()I"},
};
const MethodLookup<CommandBarControlMethods> kCommandBarControlLookups[] = {
    {&CommandBarControlMethods::getCaption, "getCaption", "()Ljava/lang/String;"},
    {&CommandBarControlMethods::setCaption, "setCaption", "(Ljava/lang/String;)V"},
    {&CommandBarControlMethods::getEnabled, "getEnabled", "()Z"},
    {&CommandBarControlMethods::setEnabled, "setEnabled", "(Z)V"},
    {&CommandBarControlMethods::getIndex, "getIndex", "()I"},
    {&CommandBarControlMethods::getVisible, "getVisible", "()Z"},
    {&CommandBarControlMethods::setVisible, "setVisible", "(Z)V"},
    {&CommandBarControlMethods::Execute, "Execute", "()V"},
};

// A table under construction: kept here, with whatever it already holds, until it is
// complete and published, so that a later build continues it instead of starting over.
template <typename Table>
Table* g_pending = nullptr;

// Set once a build has stopped short; a later build then first makes sure no exception is
// still pending before it looks anything up.
bool g_buildStoppedShort = false;

// Completes `published` if it is still null. Returns false at the first null result, with
// the table kept in g_pending<Table> for the next attempt.
template <typename Table, size_t N>
bool BuildTable(JNIEnv* env, Table*& published, const char* className,
                const MethodLookup<Table> (&lookups)[N]) noexcept {
  if (published != nullptr) return true;
  Table*& pending = g_pending<Table>;
  if (pending == nullptr) {
    pending = new (std::nothrow) Table{};
    if (pending == nullptr) return false;
  }
  if (pending->cls == nullptr) {
    // The local reference FindClass returns is left to the caller's frame.
    jclass found = env->FindClass(className);
    if (found == nullptr) return false;
    pending->cls = static_cast<jclass>(env->NewGlobalRef(found));
    if (pending->cls == nullptr) return false;
  }
  for (const MethodLookup<Table>& lookup : lookups) {
    if (pending->*lookup.field != nullptr) continue;
    jmethodID id = env->GetMethodID(pending->cls, lookup.name, lookup.signature);
    if (id == nullptr) return false;
    pending->*lookup.field = id;
  }
  published = pending;
  pending = nullptr;
  return true;
}

}  // namespace

bool JavaMethodTablesComplete() noexcept {
  return g_commandBarsMethods != nullptr && g_commandBarMethods != nullptr &&
         g_commandBarControlsMethods != nullptr && g_commandBarControlMethods != nullptr;
}

bool BuildJavaMethodTables(JNIEnv* env) noexcept {
  if (JavaMethodTablesComplete()) return true;
  // Without an environment there is nothing to look up with and nothing to hand back.
  if (env == nullptr) return false;
  // A failed build leaves its exception for the host; if the host has not cleared it, this
  // attempt must not look anything up either.
  if (g_buildStoppedShort && env->ExceptionCheck()) {
    if (g_javaHost != nullptr) g_javaHost->EndJavaCall(env);
    return false;
  }
  // Each step runs only if the one before it completed its table.
  bool complete =
      BuildTable(env, g_commandBarsMethods, "vuradizode/ICommandBars", kCommandBarsLookups) &&
      BuildTable(env, g_commandBarMethods, "vuradizode/ICommandBar", kCommandBarLookups) &&
      BuildTable(env, g_commandBarControlsMethods, "vuradizode/ICommandBarControls",
                 kCommandBarControlsLookups) &&
      BuildTable(env, g_commandBarControlMethods, "vuradizode/ICommandBarControl",
                 kCommandBarControlLookups);
  // The host sees the environment after the lookups, with any exception they left pending.
  g_buildStoppedShort = !complete;
  if (g_javaHost != nullptr) g_javaHost->EndJavaCall(env);
  return complete;
}

void ForgetJavaMethodTablesForTesting() noexcept {
  delete g_commandBarsMethods;
  delete g_commandBarMethods;
  delete g_commandBarControlsMethods;
  delete g_commandBarControlMethods;
  delete g_pending<CommandBarsMethods>;
  delete g_pending<CommandBarMethods>;
  delete g_pending<CommandBarControlsMethods>;
  delete g_pending<CommandBarControlMethods>;
  g_commandBarsMethods = nullptr;
  g_commandBarMethods = nullptr;
  g_commandBarControlsMethods = nullptr;
  g_commandBarControlMethods = nullptr;
  g_pending<CommandBarsMethods> = nullptr;
  g_pending<CommandBarMethods> = nullptr;
  g_pending<CommandBarControlsMethods> = nullptr;
  g_pending<CommandBarControlMethods> = nullptr;
  g_buildStoppedShort = false;
}
