// IJavaHost: the object through which the suite's Java application serves this library.
// Not a COM interface: the host is an object with a table of virtual operations that the
// library calls as member functions, and the library never counts references on it.
//
// Only three slots are called; the others are placeholders that keep the slot numbers
// where a host compiled by the suite's compiler has them: slot 1 EndJavaCall, slot 5
// BindObject, slot 9 GetJavaContext. There is deliberately no virtual destructor (GCC
// would give it two slots). On 32-bit x86 the operations are thiscall member functions.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <jni.h>

struct IJavaObject;

class IJavaHost {
 public:
  virtual void Reserved0() = 0;
  // Hands back the environment after a Java call; the result becomes the member's result.
  virtual HRESULT EndJavaCall(JNIEnv* env) = 0;
  virtual void Reserved2() = 0;
  virtual void Reserved3() = 0;
  virtual void Reserved4() = 0;
  // Binds `newObject` to the Java object `javaResult` (a local reference), with its
  // application and parent. The result is not used.
  virtual HRESULT BindObject(JNIEnv* env, jobject javaResult, IDispatch* newObject,
                             IDispatch* application, IDispatch* parent) = 0;
  virtual void Reserved6() = 0;
  virtual void Reserved7() = 0;
  virtual void Reserved8() = 0;
  // The calling thread's environment and the global reference of `object`'s Java object.
  // `*env` is nulled by the caller before the call.
  virtual HRESULT GetJavaContext(IJavaObject* object, JNIEnv** env, jobject* javaObject) = 0;

 protected:
  ~IJavaHost() = default;  // never deleted through this interface
};

// The host of the most recent InitServices call; null before the first.
extern IJavaHost* g_javaHost;
