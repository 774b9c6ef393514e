// Helpers of the Vanu module tests: an owning COM pointer, registration of the
// library's two classes and its type library, a counting outer object for aggregation, and a
// small recording host and Java environment.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <jni.h>

#include <string>
#include <vector>

#include "com_ptr.h"
#include "java_host.h"
#include "java_object.h"

namespace vanu_test {

// A pointer value no call writes; an out-parameter preset to it shows whether it was touched.
template <class T>
T* Sentinel() {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(0xdeadbeef));
}

// Vanu.dll beside the test program.
std::wstring VanuDllPathBesideProgram();

// The exports of Vanu.dll that the tests call directly.
typedef void(WINAPI* InitServicesFn)(IJavaHost*, JNIEnv*);
typedef HRESULT(WINAPI* DllCanUnloadNowFn)();
typedef HRESULT(WINAPI* DllGetClassObjectFn)(REFCLSID, REFIID, void**);

// The export `name` of `module` as a `Function`, or null.
template <class Function>
Function ExportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Writes below HKEY_CLASSES_ROOT of the test prefix what the tests need of the registration:
// the two class keys with InprocServer32 = `dllPath`, and the type library's win32 and
// win64 entries pointing at `dllPath`. Any stale copy is removed first; the destructor
// removes everything it wrote.
class UserRegistration {
 public:
  explicit UserRegistration(const std::wstring& dllPath);
  UserRegistration(const UserRegistration&) = delete;
  UserRegistration& operator=(const UserRegistration&) = delete;
  ~UserRegistration();
  // ERROR_SUCCESS, or the first registry error.
  LONG result() const { return result_; }

 private:
  LONG result_ = ERROR_SUCCESS;
};

// Removes the keys that UserRegistration writes (whether present or not).
void RemoveUserRegistration();

// An outer object for aggregation: counts its own references and records the interfaces it
// was asked for. It never answers anything but IUnknown itself.
class CountingOuter : public IUnknown {
 public:
  STDMETHOD(QueryInterface)(REFIID iid, void** ppv) override;
  STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(++refs); }
  STDMETHOD_(ULONG, Release)() override { return static_cast<ULONG>(--refs); }

  LONG refs = 1;
  std::vector<IID> queried;
};

// A Java environment whose every function is a trap that counts the call, except
// NewGlobalRef and DeleteGlobalRef, which record their arguments: a global reference is the
// local reference's value with the top bit set.
class RecordingEnv {
 public:
  RecordingEnv();
  RecordingEnv(const RecordingEnv&) = delete;
  RecordingEnv& operator=(const RecordingEnv&) = delete;
  JNIEnv* env() { return &box_.env; }

  static int unexpectedCalls;  // calls of any trap, whichever environment
  std::vector<jobject> newGlobalRefs;     // arguments of NewGlobalRef
  std::vector<jobject> deletedGlobalRefs; // arguments of DeleteGlobalRef

  static jobject GlobalFor(jobject local) {
    return reinterpret_cast<jobject>(reinterpret_cast<uintptr_t>(local) | (uintptr_t{1} << 62));
  }

 private:
  // The environment handed out, followed by the way back to its recorder.
  struct Box {
    JNIEnv env;
    RecordingEnv* owner;
  };
  friend RecordingEnv* OwnerOf(JNIEnv* env);
  Box box_;
  JNINativeInterface_ table_;
};

// The recorder behind an environment that RecordingEnv handed out.
RecordingEnv* OwnerOf(JNIEnv* env);

// A host recording every call, with configurable results.
class RecordingHost : public IJavaHost {
 public:
  struct Call {
    std::string op;
    JNIEnv* env;
    IJavaObject* object;
  };
  void Reserved0() override { calls.push_back({"Reserved0", nullptr, nullptr}); }
  HRESULT EndJavaCall(JNIEnv* env) override {
    calls.push_back({"EndJavaCall", env, nullptr});
    return endResult;
  }
  void Reserved2() override { calls.push_back({"Reserved2", nullptr, nullptr}); }
  void Reserved3() override { calls.push_back({"Reserved3", nullptr, nullptr}); }
  void Reserved4() override { calls.push_back({"Reserved4", nullptr, nullptr}); }
  HRESULT BindObject(JNIEnv* env, jobject, IDispatch*, IDispatch*, IDispatch*) override {
    calls.push_back({"BindObject", env, nullptr});
    return S_OK;
  }
  void Reserved6() override { calls.push_back({"Reserved6", nullptr, nullptr}); }
  void Reserved7() override { calls.push_back({"Reserved7", nullptr, nullptr}); }
  void Reserved8() override { calls.push_back({"Reserved8", nullptr, nullptr}); }
  HRESULT GetJavaContext(IJavaObject* object, JNIEnv** env, jobject* javaObject) override {
    calls.push_back({"GetJavaContext", nullptr, object});
    if (SUCCEEDED(contextResult)) {
      *env = contextEnv;
      *javaObject = contextObject;
    }
    return contextResult;
  }

  std::vector<Call> calls;
  HRESULT endResult = S_OK;
  HRESULT contextResult = S_OK;
  JNIEnv* contextEnv = nullptr;
  jobject contextObject = nullptr;
};

}  // namespace vanu_test
