// The four Java method tables: the exact lookups of a full build, the once-only build, and
// a build that stops at a missing class, method, global reference or table memory and is
// completed by a later call.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "fake_java_host.h"
#include "fake_jvm.h"
#include "table_build_calls.h"
#include "java_host.h"
#include "java_method_tables.h"
#include "java_method_tables_testing.h"

// Failure injection for the tables' memory: the nth nothrow allocation from now fails.
// Only the build allocates with nothrow new while a countdown is armed.
namespace {
int g_nothrowCountdown = 0;
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_nothrowCountdown > 0 && --g_nothrowCountdown == 0) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using vanu_test::FakeJavaHost;
using vanu_test::FakeJvm;
using Texts = std::vector<std::string>;

const char* const kBars = "vuradizode/ICommandBars";
const char* const kBar = "vuradizode/ICommandBar";
const char* const kControls = "vuradizode/ICommandBarControls";
const char* const kControl = "vuradizode/ICommandBarControl";

// Every JNI call of a full build, in order.
const Texts& kFullBuild = vanu_test::kFullTableBuild;
using vanu_test::FullTableBuildThrough;


// Which tables are published, as four flags.
std::vector<bool> Published() {
  return {g_commandBarsMethods != nullptr, g_commandBarMethods != nullptr,
          g_commandBarControlsMethods != nullptr, g_commandBarControlMethods != nullptr};
}

class JavaMethodTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetJavaMethodTablesForTesting();
    jvm_.DeclareCommandBarInterfaces();
    g_javaHost = &host_;
    // What the host sees when the build hands the environment back.
    host_.onEndJavaCall = [this](JNIEnv* env) { pendingAtEnd_.push_back(jvm_.PendingException(env)); };
  }
  void TearDown() override {
    EXPECT_EQ(Texts{}, jvm_.Problems());
    EXPECT_EQ(Texts{}, host_.Unexpected());
    EXPECT_EQ(0, jvm_.FrameDepth(jvm_.env()));
    g_javaHost = nullptr;
    g_nothrowCountdown = 0;
    ForgetJavaMethodTablesForTesting();
  }

  FakeJvm jvm_;
  FakeJavaHost host_;
  std::vector<std::string> pendingAtEnd_;
};

TEST_F(JavaMethodTablesTest, FullBuildMakesExactlyTheseLookupsThenEndsTheJavaCallOnce) {
  EXPECT_FALSE(JavaMethodTablesComplete());
  EXPECT_TRUE(BuildJavaMethodTables(jvm_.env()));

  EXPECT_EQ(kFullBuild, jvm_.CallTexts());
  for (const vanu_test::JniCall& call : jvm_.Calls()) EXPECT_EQ(jvm_.env(), call.env) << call.text;
  ASSERT_EQ((Texts{"EndJavaCall"}), host_.OpNames());
  EXPECT_EQ(jvm_.env(), host_.Calls()[0].env);
  EXPECT_EQ((Texts{""}), pendingAtEnd_);
  EXPECT_TRUE(JavaMethodTablesComplete());
  EXPECT_EQ((std::vector<bool>{true, true, true, true}), Published());
  // One global reference per class, and nothing else.
  EXPECT_EQ((Texts{"class vuradizode/ICommandBars", "class vuradizode/ICommandBar",
                   "class vuradizode/ICommandBarControls", "class vuradizode/ICommandBarControl"}),
            jvm_.GlobalRefs());
  EXPECT_EQ(0, jvm_.FrameDepth(jvm_.env()));
}

TEST_F(JavaMethodTablesTest, EachFieldHoldsItsOwnInterfacesMethod) {
  ASSERT_TRUE(BuildJavaMethodTables(jvm_.env()));
  struct Row { jclass cls; jmethodID id; const char* want; };
  const CommandBarsMethods& bars = *g_commandBarsMethods;
  const CommandBarMethods& bar = *g_commandBarMethods;
  const CommandBarControlsMethods& controls = *g_commandBarControlsMethods;
  const CommandBarControlMethods& control = *g_commandBarControlMethods;
  const Row rows[] = {
      {bars.cls, bars.getActionControl, "vuradizode/ICommandBars.getActionControl()Lvanuoffice/ICommandBarControl;"},
      {bars.cls, bars.getAdaptiveMenus, "vuradizode/ICommandBars.getAdaptiveMenus()Z"},
      {bars.cls, bars.setAdaptiveMenus, "vuradizode/ICommandBars.setAdaptiveMenus(Z)V"},
      {bars.cls, bars.Add, "vuradizode/ICommandBars.Add(Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;"},
      {bars.cls, bars.FindControl, "vuradizode/ICommandBars.FindControl(IILjava/lang/String;Z)Lvanuoffice/ICommandBarControl;"},
      {bars.cls, bars.Item, "vuradizode/ICommandBars.Item(Ljava/lang/Object;)Lvanuoffice/ICommandBar;"},
      {bar.cls, bar.getControls, "vuradizode/ICommandBar.getControls()Lvanuoffice/ICommandBarControls;"},
      {bar.cls, bar.FindControl, "vuradizode/ICommandBar.FindControl(IILjava/lang/Object;ZZ)Lvanuoffice/ICommandBarControl;"},
      {bar.cls, bar.setVisible, "vuradizode/ICommandBar.setVisible(Z)V"},
      {bar.cls, bar.getVisible, "vuradizode/ICommandBar.getVisible()Z"},
      {controls.cls, controls.Add, "vuradizode/ICommandBarControls.Add(IILjava/lang/String;IZ)Lvanuoffice/ICommandBarControl;"},
      {controls.cls, controls.Item, "vuradizode/ICommandBarControls.Item(I)Lvanuoffice/ICommandBarControl;"},
      {controls.cls, controls.getCount, "vuradizode/ICommandBarControls.getCount()I"},
      {control.cls, control.getCaption, "vuradizode/ICommandBarControl.getCaption()Ljava/lang/String;"},
      {control.cls, control.setCaption, "vuradizode/ICommandBarControl.setCaption(Ljava/lang/String;)V"},
      {control.cls, control.getEnabled, "vuradizode/ICommandBarControl.getEnabled()Z"},
      {control.cls, control.setEnabled, "vuradizode/ICommandBarControl.setEnabled(Z)V"},
      {control.cls, control.getIndex, "vuradizode/ICommandBarControl.getIndex()I"},
      {control.cls, control.getVisible, "vuradizode/ICommandBarControl.getVisible()Z"},
      {control.cls, control.setVisible, "vuradizode/ICommandBarControl.setVisible(Z)V"},
      {control.cls, control.Execute, "vuradizode/ICommandBarControl.Execute()V"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.want, jvm_.DescribeMethod(row.id));
    // The class reference is the global one of the method's own interface.
    std::string want = row.want;
    EXPECT_EQ("global class " + want.substr(0, want.find('.')), jvm_.Describe(row.cls));
  }
}

TEST_F(JavaMethodTablesTest, ALaterBuildWithAnotherEnvironmentChangesNothingAndCallsNothing) {
  ASSERT_TRUE(BuildJavaMethodTables(jvm_.env()));
  const CommandBarsMethods bars = *g_commandBarsMethods;
  const CommandBarControlMethods control = *g_commandBarControlMethods;
  const std::vector<const void*> pointers = {g_commandBarsMethods, g_commandBarMethods,
                                             g_commandBarControlsMethods, g_commandBarControlMethods};
  jvm_.ClearCalls();
  host_.ClearCalls();

  FakeJvm other;  // another environment, even of another JVM, is never used
  EXPECT_TRUE(BuildJavaMethodTables(other.env()));
  EXPECT_TRUE(BuildJavaMethodTables(jvm_.NewEnv()));

  EXPECT_EQ(Texts{}, jvm_.CallTexts());
  EXPECT_EQ(Texts{}, other.CallTexts());
  EXPECT_EQ(Texts{}, host_.OpNames());
  EXPECT_EQ(pointers, (std::vector<const void*>{g_commandBarsMethods, g_commandBarMethods,
                                                 g_commandBarControlsMethods, g_commandBarControlMethods}));
  EXPECT_EQ(0, std::memcmp(&bars, g_commandBarsMethods, sizeof bars));
  EXPECT_EQ(0, std::memcmp(&control, g_commandBarControlMethods, sizeof control));
  EXPECT_EQ(4, jvm_.GlobalRefCount());
  EXPECT_EQ(Texts{}, other.Problems());
}

// A class the JVM cannot find: the build stops at its FindClass, the tables before it stay,
// and the host gets the environment with NoClassDefFoundError still pending.
TEST_F(JavaMethodTablesTest, AMissingClassStopsTheBuildThere) {
  struct Row { const char* cls; std::vector<bool> published; };
  const Row rows[] = {
      {kBars, {false, false, false, false}},
      {kBar, {true, false, false, false}},
      {kControls, {true, true, false, false}},
      {kControl, {true, true, true, false}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cls);
    FakeJvm jvm;
    jvm.DeclareCommandBarInterfaces();
    jvm.HideClass(row.cls);
    FakeJavaHost host;
    g_javaHost = &host;
    std::string pending;
    host.onEndJavaCall = [&](JNIEnv* env) { pending = jvm.PendingException(env); };
    ForgetJavaMethodTablesForTesting();

    EXPECT_FALSE(BuildJavaMethodTables(jvm.env()));

    EXPECT_EQ(FullTableBuildThrough(std::string("FindClass(") + row.cls + ")"), jvm.CallTexts());
    EXPECT_EQ((Texts{"EndJavaCall"}), host.OpNames());
    EXPECT_EQ("java/lang/NoClassDefFoundError", pending);
    EXPECT_EQ(row.published, Published());
    EXPECT_FALSE(JavaMethodTablesComplete());
    EXPECT_EQ(Texts{}, jvm.Problems());
    g_javaHost = &host_;
  }
}

// A method the JVM cannot find: the build stops at its GetMethodID; that table and the
// ones after it stay null.
TEST_F(JavaMethodTablesTest, AMissingMethodStopsTheBuildThere) {
  struct Row { const char* cls; const char* name; const char* sig; std::vector<bool> published; int globals; };
  const Row rows[] = {
      // the first lookup of the first table, in its own order
      {kBars, "Add", "(Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;", {false, false, false, false}, 1},
      {kBars, "FindControl", "(IILjava/lang/String;Z)Lvanuoffice/ICommandBarControl;", {false, false, false, false}, 1},
      {kBar, "getVisible", "()Z", {true, false, false, false}, 2},
      {kControls, "Add", "(IILjava/lang/String;IZ)Lvanuoffice/ICommandBarControl;", {true, true, false, false}, 3},
      {kControl, "Execute", "()V", {true, true, true, false}, 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.cls) + "." + row.name);
    FakeJvm jvm;
    jvm.DeclareCommandBarInterfaces();
    jvm.HideMethod(row.cls, row.name, row.sig);
    FakeJavaHost host;
    g_javaHost = &host;
    std::string pending;
    host.onEndJavaCall = [&](JNIEnv* env) { pending = jvm.PendingException(env); };
    ForgetJavaMethodTablesForTesting();

    EXPECT_FALSE(BuildJavaMethodTables(jvm.env()));

    EXPECT_EQ(FullTableBuildThrough(std::string("GetMethodID(global class ") + row.cls + ", " + row.name + ","),
              jvm.CallTexts());
    EXPECT_EQ((Texts{"EndJavaCall"}), host.OpNames());
    EXPECT_EQ("java/lang/NoSuchMethodError", pending);
    EXPECT_EQ(row.published, Published());
    EXPECT_EQ(row.globals, jvm.GlobalRefCount());
    EXPECT_EQ(Texts{}, jvm.Problems());
    g_javaHost = &host_;
  }
}

// After a failed build, a later one continues where it stopped: no second global reference
// for a class already held, no lookup of a method already found.
TEST_F(JavaMethodTablesTest, ALaterBuildCompletesOnlyWhatIsMissing) {
  jvm_.HideMethod(kBar, "setVisible", "(Z)V");
  ASSERT_FALSE(BuildJavaMethodTables(jvm_.env()));
  jvm_.ClearException(jvm_.env());  // the host's business
  jvm_.HideMethod(kBar, "setVisible", "(Z)V", false);
  jvm_.ClearCalls();
  host_.ClearCalls();
  pendingAtEnd_.clear();

  JNIEnv* second = jvm_.NewEnv();
  EXPECT_TRUE(BuildJavaMethodTables(second));

  Texts want = {
      "ExceptionCheck()",
      "GetMethodID(global class vuradizode/ICommandBar, setVisible, (Z)V)",
      "GetMethodID(global class vuradizode/ICommandBar, getVisible, ()Z)",
  };
  Texts rest = kFullBuild;
  rest.erase(rest.begin(), rest.begin() + FullTableBuildThrough("FindClass(vuradizode/ICommandBarControls)").size() - 1);
  want.insert(want.end(), rest.begin(), rest.end());
  EXPECT_EQ(want, jvm_.CallTexts());
  for (const vanu_test::JniCall& call : jvm_.Calls()) EXPECT_EQ(second, call.env);
  ASSERT_EQ((Texts{"EndJavaCall"}), host_.OpNames());
  EXPECT_EQ(second, host_.Calls()[0].env);
  EXPECT_EQ((Texts{""}), pendingAtEnd_);
  EXPECT_TRUE(JavaMethodTablesComplete());
  EXPECT_EQ(4, jvm_.GlobalRefCount());
  EXPECT_EQ("vuradizode/ICommandBar.getControls()Lvanuoffice/ICommandBarControls;",
            jvm_.DescribeMethod(g_commandBarMethods->getControls));
  EXPECT_EQ("vuradizode/ICommandBar.setVisible(Z)V", jvm_.DescribeMethod(g_commandBarMethods->setVisible));
}

TEST_F(JavaMethodTablesTest, ALaterBuildLooksForAMissingClassAgain) {
  jvm_.HideClass(kControls);
  ASSERT_FALSE(BuildJavaMethodTables(jvm_.env()));
  jvm_.ClearCalls();
  // The exception is still pending: nothing is looked up, the host gets the environment.
  EXPECT_FALSE(BuildJavaMethodTables(jvm_.env()));
  EXPECT_EQ((Texts{"ExceptionCheck()"}), jvm_.CallTexts());
  EXPECT_EQ((Texts{"java/lang/NoClassDefFoundError", "java/lang/NoClassDefFoundError"}), pendingAtEnd_);
  // Cleared but still missing: stops at the same class again.
  jvm_.ClearException(jvm_.env());
  jvm_.ClearCalls();
  EXPECT_FALSE(BuildJavaMethodTables(jvm_.env()));
  EXPECT_EQ((Texts{"ExceptionCheck()", "FindClass(vuradizode/ICommandBarControls)"}), jvm_.CallTexts());
  jvm_.ClearException(jvm_.env());
  jvm_.HideClass(kControls, false);
  jvm_.ClearCalls();

  EXPECT_TRUE(BuildJavaMethodTables(jvm_.env()));
  Texts want = kFullBuild;
  want.erase(want.begin(), want.begin() + FullTableBuildThrough("FindClass(vuradizode/ICommandBarControls)").size() - 1);
  want.insert(want.begin(), "ExceptionCheck()");
  EXPECT_EQ(want, jvm_.CallTexts());
  EXPECT_EQ(4, jvm_.GlobalRefCount());
  EXPECT_EQ(4, host_.CountOf(FakeJavaHost::Op::EndJavaCall));
}

TEST_F(JavaMethodTablesTest, AGlobalReferenceNotObtainedStopsTheBuildBeforeAnyLookupThroughIt) {
  jvm_.FailNextNewGlobalRef();
  EXPECT_FALSE(BuildJavaMethodTables(jvm_.env()));
  EXPECT_EQ(FullTableBuildThrough("NewGlobalRef(local class vuradizode/ICommandBars)"), jvm_.CallTexts());
  EXPECT_EQ((Texts{"EndJavaCall"}), host_.OpNames());
  EXPECT_EQ(0, jvm_.GlobalRefCount());

  jvm_.ClearCalls();
  EXPECT_TRUE(BuildJavaMethodTables(jvm_.env()));
  Texts want = kFullBuild;
  want.insert(want.begin(), "ExceptionCheck()");
  EXPECT_EQ(want, jvm_.CallTexts());
  EXPECT_EQ(4, jvm_.GlobalRefCount());
}

TEST_F(JavaMethodTablesTest, NoMemoryForATableStopsTheBuildBeforeThatTable) {
  // The allocations of the build are the four tables, in order.
  struct Row { int failing; size_t callsBefore; std::vector<bool> published; };
  const Row rows[] = {
      {1, 0, {false, false, false, false}},
      {2, FullTableBuildThrough("GetMethodID(global class vuradizode/ICommandBars, FindControl").size(),
       {true, false, false, false}},
      {4, FullTableBuildThrough("GetMethodID(global class vuradizode/ICommandBarControls, getCount").size(),
       {true, true, true, false}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.failing);
    FakeJvm jvm;
    jvm.DeclareCommandBarInterfaces();
    host_.ClearCalls();
    ForgetJavaMethodTablesForTesting();

    g_nothrowCountdown = row.failing;
    EXPECT_FALSE(BuildJavaMethodTables(jvm.env()));
    g_nothrowCountdown = 0;

    EXPECT_EQ(row.callsBefore, jvm.CallTexts().size());
    EXPECT_EQ((Texts{"EndJavaCall"}), host_.OpNames());
    EXPECT_EQ(row.published, Published());

    EXPECT_TRUE(BuildJavaMethodTables(jvm.env()));
    EXPECT_EQ(kFullBuild.size() + 1, jvm.CallTexts().size());  // and one ExceptionCheck
    EXPECT_EQ(4, jvm.GlobalRefCount());
    EXPECT_EQ(Texts{}, jvm.Problems());
  }
}

TEST_F(JavaMethodTablesTest, WithoutAnEnvironmentNothingIsBuiltAndTheHostIsNotCalled) {
  EXPECT_FALSE(BuildJavaMethodTables(nullptr));
  EXPECT_EQ(Texts{}, host_.OpNames());
  EXPECT_EQ((std::vector<bool>{false, false, false, false}), Published());
  EXPECT_TRUE(BuildJavaMethodTables(jvm_.env()));
  EXPECT_EQ(kFullBuild, jvm_.CallTexts());
  EXPECT_TRUE(BuildJavaMethodTables(nullptr));  // complete: nothing to do
}

TEST_F(JavaMethodTablesTest, WithoutAHostTheBuildStillCompletes) {
  g_javaHost = nullptr;
  EXPECT_TRUE(BuildJavaMethodTables(jvm_.env()));
  EXPECT_EQ(kFullBuild, jvm_.CallTexts());
  EXPECT_EQ(Texts{}, host_.OpNames());
}

}  // namespace
