// A fake Java virtual machine for tests: a complete JNI function table over a small object
// model (classes with methods by name and signature, instances, strings, throwables), with
// local and global references, local frames and one pending exception per environment.
//
// Implemented: GetVersion, FindClass, GetMethodID, the Exception* functions, Push/PopLocalFrame,
// New/DeleteGlobalRef, New/DeleteLocalRef, IsSameObject, EnsureLocalCapacity,
// GetObjectRefType, GetObjectClass, IsInstanceOf, NewString, GetStringLength,
// GetStringRegion, Get/ReleaseStringChars, Get/ReleaseStringCritical, and
// Call{Object,Boolean,Int,Void}Method in their variadic, V and A forms.
// Every call that reaches an implemented function is recorded with its arguments decoded
// (class names, method names, strings, numbers by the method's signature), so a test can
// compare the exact sequence. Every other slot of the table records an unexpected call.
// Misuse that a real JVM would punish (a call with an exception pending that JNI does not
// allow, a stale or foreign reference, a null class or method ID, a method called on an
// object of another class or through the wrong Call<Type>Method, an unmatched
// PopLocalFrame, deleting a reference twice) is recorded as a problem instead of crashing;
// the fixture checks Problems() is empty at the end of each test.
//
// jni.h's C++ wrappers (env->CallObjectMethod(...)) reach the V slots; a call through
// env->functions->CallObjectMethod reaches the variadic slot. Each is recorded under the
// name of the slot it reached.
//
// Built for Windows only (it uses our jni_md.h, where jint is 32 bits).
#pragma once

#include <jni.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace vanu_test {

class FakeJvm;

// One JNI call as the fake saw it.
struct JniCall {
  std::string function;  // the JNI name, e.g. "GetMethodID"
  JNIEnv* env = nullptr;
  // Readable form with decoded arguments, e.g.
  //   FindClass(vuradizode/ICommandBars)
  //   NewGlobalRef(local class vuradizode/ICommandBars)
  //   GetMethodID(global class vuradizode/ICommandBars, Add, (Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;)
  //   CallObjectMethod(global vuradizode/ICommandBars#1, Add, local "Bar", 1, true, false)
  std::string text;
  // For GetMethodID and Call*Method: the method's class, name and signature.
  std::string className, methodName, signature;
  // For Call*Method: the arguments as the method received them; and what was returned.
  std::vector<jvalue> args;
  jvalue result{};
};

// What a Java method's handler sees.
struct JavaCallContext {
  FakeJvm& jvm;
  JNIEnv* env;
  jobject self;
  std::string className, methodName, signature;
  const std::vector<jvalue>& args;
};
// Gives the method's result. For an object result it may return any live reference (for
// instance a global reference the test holds); the caller receives a new local reference
// to the same object. It may call FakeJvm::Throw to leave an exception pending; an object
// result is then null, as in a real JVM.
using JavaMethodHandler = std::function<jvalue(JavaCallContext&)>;

class FakeJvm {
 public:
  FakeJvm();
  ~FakeJvm();
  FakeJvm(const FakeJvm&) = delete;
  FakeJvm& operator=(const FakeJvm&) = delete;

  // The environment of the first thread, and a new one of another thread of this JVM.
  // Local references and the pending exception belong to one environment.
  JNIEnv* env();
  JNIEnv* NewEnv();

  // --- object model ---
  void DeclareClass(const std::string& name);
  // Declares the class if needed.
  void DeclareMethod(const std::string& className, const std::string& name,
                     const std::string& signature, JavaMethodHandler handler = nullptr);
  // Replaces the handler of a declared method (all signatures of that name when
  // `signature` is empty).
  void OnCall(const std::string& className, const std::string& name, JavaMethodHandler handler,
              const std::string& signature = "");
  // The four interfaces of package vuradizode the command-bar objects call, with their
  // methods and signatures as the Java application offers them.
  void DeclareCommandBarInterfaces();
  // A hidden class is not found by FindClass (NoClassDefFoundError); a hidden method is
  // not found by GetMethodID (NoSuchMethodError). An undeclared one behaves the same.
  void HideClass(const std::string& name, bool hidden = true);
  void HideMethod(const std::string& className, const std::string& name,
                  const std::string& signature, bool hidden = true);

  // New instance of a declared class, returned as a global reference held by the test
  // (it counts in GlobalRefCount).
  jobject NewGlobalInstance(const std::string& className);
  // New local reference in `env`'s current frame, to a new instance or a new string.
  jobject NewLocalInstance(JNIEnv* env, const std::string& className);
  jstring NewLocalString(JNIEnv* env, const std::u16string& text);
  // Leaves an exception of `className` pending on `env` (from a handler, or a test).
  void Throw(JNIEnv* env, const std::string& className);

  // --- inspection ---
  // "null", "class X", "X#3", "\"text\"" (UTF-16 shown with \u escapes beyond ASCII);
  // prefixed "local ", "global " when `withKind`; "stale ..." for a deleted reference.
  std::string Describe(jobject ref, bool withKind = true) const;
  // "vuradizode/ICommandBars.Add(Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;", or
  // "null" / "unknown".
  std::string DescribeMethod(jmethodID id) const;
  bool IsLive(jobject ref) const;
  jobjectRefType RefType(jobject ref) const;  // JNIInvalidRefType for unknown or deleted
  bool SameObject(jobject a, jobject b) const;
  std::u16string StringValue(jobject ref) const;
  std::string PendingException(JNIEnv* env) const;  // class name, "" when none
  void ClearException(JNIEnv* env);

  int GlobalRefCount() const;               // live global references
  std::vector<std::string> GlobalRefs() const;  // their descriptions
  int FrameDepth(JNIEnv* env) const;        // frames pushed and not popped
  int LocalRefCount(JNIEnv* env) const;     // live local references in all its frames
  int LentStringChars() const;  // GetStringChars/GetStringCritical results not released

  // --- failure injection: the next such call fails as a JVM out of memory does ---
  void FailNextPushLocalFrame();  // JNI_ERR, OutOfMemoryError pending
  void FailNextNewString();       // null, OutOfMemoryError pending
  void FailNextNewGlobalRef();    // null, nothing pending

  // --- records ---
  std::vector<JniCall> Calls() const;
  std::vector<std::string> CallTexts() const;
  std::vector<std::string> CallTexts(const std::string& function) const;  // of one function
  void ClearCalls();
  // Unexpected calls and misuse, one readable line each.
  std::vector<std::string> Problems() const;

  // Internal, used by the function table.
  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// The number of function slots of the table (after the four reserved ones) that this fake
// fills, and how many of them record an unexpected call.
int FakeJniSlotCount();
int FakeJniUnexpectedSlotCount();

}  // namespace vanu_test
