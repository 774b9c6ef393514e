// The fake JVM behaves as the parts of a real JVM that the library relies on, records what
// it is asked, and reports every call that a real JVM would not accept.
#include <gtest/gtest.h>

#include <cstdarg>

#include "fake_jvm.h"

namespace {

using vanu_test::FakeJvm;
using vanu_test::JavaCallContext;
using Texts = std::vector<std::string>;

const jchar* J(const char16_t* text) { return reinterpret_cast<const jchar*>(text); }

const char* const kBars = "vuradizode/ICommandBars";
const char* const kAddSig = "(Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;";

TEST(FakeJvmTest, EveryFunctionSlotIsFilled) {
  FakeJvm jvm;
  const void* const* slots = reinterpret_cast<const void* const*>(jvm.env()->functions);
  const int count = static_cast<int>(sizeof(JNINativeInterface_) / sizeof(void*));
  EXPECT_EQ(count, 4 + vanu_test::FakeJniSlotCount());
  for (int i = 4; i < count; ++i) EXPECT_NE(nullptr, slots[i]) << "slot " << i;
  // 37 functions are implemented; all others record an unexpected call.
  EXPECT_EQ(vanu_test::FakeJniSlotCount() - 37, vanu_test::FakeJniUnexpectedSlotCount());
}

TEST(FakeJvmTest, UnimplementedSlotsRecordAnUnexpectedCallAndReturnZero) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jvm.DeclareCommandBarInterfaces();
  jclass cls = env->FindClass(kBars);
  EXPECT_EQ(nullptr, env->GetStaticMethodID(cls, "x", "()V"));
  EXPECT_EQ(nullptr, env->NewStringUTF("x"));
  EXPECT_EQ(0, env->functions->CallLongMethod(env, nullptr, nullptr, 1, 2.0));  // variadic slot
  env->CallStaticVoidMethodA(cls, nullptr, nullptr);
  env->functions->SetIntField(env, nullptr, nullptr, 5);
  EXPECT_EQ((Texts{"unexpected JNI call: GetStaticMethodID", "unexpected JNI call: NewStringUTF",
                   "unexpected JNI call: CallLongMethod", "unexpected JNI call: CallStaticVoidMethodA",
                   "unexpected JNI call: SetIntField"}),
            jvm.Problems());
  EXPECT_EQ((Texts{"FindClass(vuradizode/ICommandBars)"}), jvm.CallTexts());
}

TEST(FakeJvmTest, MissingClassesAndMethodsLeaveTheirErrorPending) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jvm.DeclareCommandBarInterfaces();
  jvm.HideClass("vuradizode/ICommandBar");
  jvm.HideMethod(kBars, "Item", "(Ljava/lang/Object;)Lvanuoffice/ICommandBar;");

  struct Row { const char* cls; const char* method; const char* sig; const char* pending; };
  const Row rows[] = {
      {kBars, "Add", kAddSig, ""},
      {kBars, "Item", "(Ljava/lang/Object;)Lvanuoffice/ICommandBar;", "java/lang/NoSuchMethodError"},
      {kBars, "Add", "(Ljava/lang/String;IZ)Lvanuoffice/ICommandBar;", "java/lang/NoSuchMethodError"},
      {kBars, "getVisible", "()Z", "java/lang/NoSuchMethodError"},  // another interface's
      {"vuradizode/ICommandBar", nullptr, nullptr, "java/lang/NoClassDefFoundError"},
      {"vanuoffice/ICommandBar", nullptr, nullptr, "java/lang/NoClassDefFoundError"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.cls) + " " + (row.method ? row.method : ""));
    jclass cls = env->FindClass(row.cls);
    if (row.method == nullptr) {
      EXPECT_EQ(nullptr, cls);
    } else {
      ASSERT_NE(nullptr, cls);
      jmethodID id = env->GetMethodID(cls, row.method, row.sig);
      EXPECT_EQ(*row.pending == 0, id != nullptr);
    }
    EXPECT_EQ(row.pending, jvm.PendingException(env));
    jvm.ClearException(env);
  }
  EXPECT_TRUE(jvm.Problems().empty());
}

TEST(FakeJvmTest, CallsWithAnExceptionPendingAreProblemsExceptThoseJniAllows) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jvm.DeclareCommandBarInterfaces();
  EXPECT_EQ(nullptr, env->FindClass("no/Such"));
  // Allowed while pending:
  EXPECT_EQ(JNI_TRUE, env->ExceptionCheck());
  EXPECT_EQ(JNI_OK, env->PushLocalFrame(4));
  env->PopLocalFrame(nullptr);
  EXPECT_TRUE(jvm.Problems().empty());
  // Not allowed:
  env->FindClass(kBars);
  env->NewString(J(u"x"), 1);
  EXPECT_EQ((Texts{"FindClass called with java/lang/NoClassDefFoundError pending",
                   "NewString called with java/lang/NoClassDefFoundError pending"}),
            jvm.Problems());
}

TEST(FakeJvmTest, LocalFramesAndReferencesBalance) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jvm.DeclareCommandBarInterfaces();
  EXPECT_EQ(0, jvm.FrameDepth(env));
  jclass outer = env->FindClass(kBars);
  ASSERT_EQ(JNI_OK, env->PushLocalFrame(16));
  EXPECT_EQ(1, jvm.FrameDepth(env));
  jstring inner = env->NewString(J(u"ab"), 2);
  jobject kept = env->NewString(J(u"kept"), 4);
  jobject global = env->NewGlobalRef(inner);
  EXPECT_EQ(3, jvm.LocalRefCount(env));
  jobject result = env->PopLocalFrame(kept);
  EXPECT_EQ(0, jvm.FrameDepth(env));
  EXPECT_FALSE(jvm.IsLive(inner));
  EXPECT_FALSE(jvm.IsLive(kept));
  EXPECT_TRUE(jvm.IsLive(outer));
  EXPECT_EQ(JNILocalRefType, jvm.RefType(result));
  EXPECT_EQ(u"kept", jvm.StringValue(result));
  EXPECT_EQ(2, jvm.LocalRefCount(env));
  EXPECT_EQ((Texts{"\"ab\""}), jvm.GlobalRefs());
  env->DeleteGlobalRef(global);
  EXPECT_EQ(0, jvm.GlobalRefCount());
  EXPECT_TRUE(jvm.Problems().empty());

  // Misuse a real JVM would not survive.
  env->PopLocalFrame(nullptr);
  env->DeleteGlobalRef(global);
  env->DeleteGlobalRef(outer);
  env->GetStringLength(static_cast<jstring>(inner));
  JNIEnv* other = jvm.NewEnv();
  other->NewGlobalRef(outer);
  EXPECT_EQ((Texts{"PopLocalFrame without a matching PushLocalFrame",
                   "DeleteGlobalRef: already deleted: \"ab\"",
                   "DeleteGlobalRef: wrong kind of reference: local class vuradizode/ICommandBars",
                   "GetStringLength: stale reference to \"ab\"",
                   "NewGlobalRef: local reference of another thread"}),
            jvm.Problems());
}

// Calls CallObjectMethodV with the arguments after `id`.
jobject CallObjectV(JNIEnv* env, jobject obj, jmethodID id, ...) {
  va_list args;
  va_start(args, id);
  jobject result = env->CallObjectMethodV(obj, id, args);
  va_end(args);
  return result;
}

TEST(FakeJvmTest, MethodCallsDecodeTheirArgumentsBySignatureInAllThreeForms) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jvm.DeclareCommandBarInterfaces();
  jobject bar = jvm.NewGlobalInstance("vuradizode/ICommandBar");
  std::vector<std::vector<jvalue>> seen;
  jvm.OnCall(kBars, "Add", [&](JavaCallContext& call) {
    seen.push_back(call.args);
    jvalue result{};
    result.l = bar;
    return result;
  });
  jobject bars = jvm.NewGlobalInstance(kBars);
  jclass cls = env->FindClass(kBars);
  jmethodID add = env->GetMethodID(cls, "Add", kAddSig);
  jstring name = env->NewString(J(u"Bar\u00e9"), 4);
  jvm.ClearCalls();

  // jni.h's C++ wrappers go through the V slot; the variadic slot is called directly.
  jobject r1 = env->functions->CallObjectMethod(env, bars, add, name, static_cast<jint>(-1), JNI_TRUE, JNI_FALSE);
  jobject r2 = CallObjectV(env, bars, add, nullptr, static_cast<jint>(7), JNI_FALSE, JNI_TRUE);
  jvalue args[4];
  args[0].l = name;
  args[1].i = 2147483647;
  args[2].z = JNI_TRUE;
  args[3].z = JNI_TRUE;
  jobject r3 = env->CallObjectMethodA(bars, add, args);

  EXPECT_EQ((Texts{
                "CallObjectMethod(global vuradizode/ICommandBars#2, Add, local \"Bar\\u00E9\", -1, true, false)",
                "CallObjectMethodV(global vuradizode/ICommandBars#2, Add, null, 7, false, true)",
                "CallObjectMethodA(global vuradizode/ICommandBars#2, Add, local \"Bar\\u00E9\", 2147483647, true, true)"}),
            jvm.CallTexts());
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(name, seen[0][0].l);
  EXPECT_EQ(-1, seen[0][1].i);
  EXPECT_EQ(7, seen[1][1].i);
  // Each object result is a new local reference to the object the handler gave.
  for (jobject r : {r1, r2, r3}) {
    EXPECT_EQ(JNILocalRefType, jvm.RefType(r));
    EXPECT_TRUE(jvm.SameObject(bar, r));
  }
  EXPECT_NE(r1, r2);
  EXPECT_EQ("vuradizode/ICommandBars.Add(Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;",
            jvm.DescribeMethod(add));
  EXPECT_TRUE(jvm.Problems().empty());
}

TEST(FakeJvmTest, PrimitiveResultsAndVoidCalls) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jvm.DeclareCommandBarInterfaces();
  const char* controls = "vuradizode/ICommandBarControls";
  const char* control = "vuradizode/ICommandBarControl";
  jvm.OnCall(controls, "getCount", [](JavaCallContext&) { jvalue v{}; v.i = 42; return v; });
  jvm.OnCall(control, "getEnabled", [](JavaCallContext&) { jvalue v{}; v.z = 2; return v; });
  jobject list = jvm.NewGlobalInstance(controls);
  jobject item = jvm.NewGlobalInstance(control);
  jmethodID count = env->GetMethodID(env->FindClass(controls), "getCount", "()I");
  jclass controlClass = env->FindClass(control);
  jmethodID enabled = env->GetMethodID(controlClass, "getEnabled", "()Z");
  jmethodID setEnabled = env->GetMethodID(controlClass, "setEnabled", "(Z)V");
  jvm.ClearCalls();
  EXPECT_EQ(42, env->functions->CallIntMethod(env, list, count));
  EXPECT_EQ(2, env->functions->CallBooleanMethod(env, item, enabled));
  env->functions->CallVoidMethod(env, item, setEnabled, JNI_TRUE);
  EXPECT_EQ((Texts{"CallIntMethod(global vuradizode/ICommandBarControls#1, getCount)",
                   "CallBooleanMethod(global vuradizode/ICommandBarControl#2, getEnabled)",
                   "CallVoidMethod(global vuradizode/ICommandBarControl#2, setEnabled, true)"}),
            jvm.CallTexts());
  EXPECT_TRUE(jvm.Problems().empty());

  // A method ID of another interface, or the wrong Call<Type>Method, is a problem.
  env->CallIntMethod(item, count);
  env->CallIntMethod(item, enabled);
  EXPECT_EQ((Texts{"CallIntMethodV: vuradizode/ICommandBarControls.getCount called on vuradizode/ICommandBarControl#2",
                   "CallIntMethodV used for vuradizode/ICommandBarControl.getEnabled()Z"}),
            jvm.Problems());
}

TEST(FakeJvmTest, AThrowingMethodGivesANullObjectAndLeavesItsExceptionPending) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jvm.DeclareCommandBarInterfaces();
  jobject bar = jvm.NewGlobalInstance("vuradizode/ICommandBar");
  jvm.OnCall("vuradizode/ICommandBar", "getControls", [&](JavaCallContext& call) {
    call.jvm.Throw(call.env, "java/lang/IllegalStateException");
    jvalue v{};
    v.l = bar;
    return v;
  });
  jmethodID id = env->GetMethodID(env->FindClass("vuradizode/ICommandBar"), "getControls",
                                  "()Lvanuoffice/ICommandBarControls;");
  EXPECT_EQ(nullptr, env->CallObjectMethod(bar, id));
  EXPECT_EQ("java/lang/IllegalStateException", jvm.PendingException(env));
  jthrowable thrown = env->ExceptionOccurred();
  EXPECT_EQ("local java/lang/IllegalStateException#2", jvm.Describe(thrown));
  env->ExceptionClear();
  EXPECT_EQ(JNI_FALSE, env->ExceptionCheck());
  EXPECT_TRUE(jvm.Problems().empty());
}

TEST(FakeJvmTest, StringsCrossAsUtf16) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  const jchar text[] = {u'A', 0xD83D, 0xDE00, 0};
  jstring s = env->NewString(text, 3);
  EXPECT_EQ(3, env->GetStringLength(s));
  jchar buffer[5] = {1, 1, 1, 1, 1};
  env->GetStringRegion(s, 1, 2, buffer);
  EXPECT_EQ(0xD83D, buffer[0]);
  EXPECT_EQ(0xDE00, buffer[1]);
  EXPECT_EQ(1, buffer[2]);  // nothing written past the region
  jstring empty = env->NewString(nullptr, 0);
  EXPECT_EQ(0, env->GetStringLength(empty));
  EXPECT_TRUE(jvm.Problems().empty());

  // Characters lent out are counted until released, once.
  jboolean isCopy = JNI_FALSE;
  const jchar* chars = env->GetStringChars(s, &isCopy);
  const jchar* critical = env->GetStringCritical(s, nullptr);
  EXPECT_EQ(0xDE00, chars[2]);
  EXPECT_EQ(0, chars[3]);
  EXPECT_EQ(JNI_TRUE, isCopy);
  EXPECT_EQ(2, jvm.LentStringChars());
  env->ReleaseStringCritical(s, critical);
  env->ReleaseStringChars(s, chars);
  EXPECT_EQ(0, jvm.LentStringChars());
  EXPECT_TRUE(jvm.Problems().empty());
  env->ReleaseStringChars(s, chars);
  EXPECT_EQ((Texts{"ReleaseStringChars: characters not lent or already released"}), jvm.Problems());

  env->GetStringRegion(s, 2, 2, buffer);  // past the end
  EXPECT_EQ("java/lang/StringIndexOutOfBoundsException", jvm.PendingException(env));
}

TEST(FakeJvmTest, InjectedFailuresActOnceAsOutOfMemory) {
  FakeJvm jvm;
  JNIEnv* env = jvm.env();
  jvm.FailNextPushLocalFrame();
  EXPECT_EQ(JNI_ERR, env->PushLocalFrame(16));
  EXPECT_EQ(0, jvm.FrameDepth(env));
  EXPECT_EQ("java/lang/OutOfMemoryError", jvm.PendingException(env));
  jvm.ClearException(env);
  jvm.FailNextNewString();
  EXPECT_EQ(nullptr, env->NewString(J(u"x"), 1));
  EXPECT_EQ("java/lang/OutOfMemoryError", jvm.PendingException(env));
  jvm.ClearException(env);
  jstring s = env->NewString(J(u"x"), 1);
  jvm.FailNextNewGlobalRef();
  EXPECT_EQ(nullptr, env->NewGlobalRef(s));
  EXPECT_EQ("", jvm.PendingException(env));
  EXPECT_NE(nullptr, env->NewGlobalRef(s));
  EXPECT_EQ(JNI_OK, env->PushLocalFrame(16));
  env->PopLocalFrame(nullptr);
  EXPECT_TRUE(jvm.Problems().empty());
}

}  // namespace
