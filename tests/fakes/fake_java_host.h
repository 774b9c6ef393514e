// A fake host object for tests: IJavaHost's three operations record their calls and give
// configurable results; the seven placeholder slots record an unexpected call.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "java_host.h"
#include "java_object.h"

namespace vanu_test {

class FakeJavaHost : public IJavaHost {
 public:
  enum class Op { EndJavaCall, BindObject, GetJavaContext };
  struct Call {
    Op op;
    JNIEnv* env = nullptr;          // the environment passed (EndJavaCall, BindObject) or
                                    // given back (GetJavaContext, as written on success)
    JNIEnv* envOnEntry = nullptr;   // GetJavaContext: what *env held when called
    IJavaObject* object = nullptr;  // GetJavaContext
    jobject javaObject = nullptr;   // BindObject: the Java result; GetJavaContext: as written
    IDispatch* newObject = nullptr;  // BindObject
    IDispatch* application = nullptr;
    IDispatch* parent = nullptr;
  };

  // Results. GetJavaContext writes nothing when its result is negative.
  HRESULT endJavaCallResult = S_OK;
  HRESULT bindObjectResult = S_OK;
  HRESULT getJavaContextResult = S_OK;

  // What GetJavaContext gives on success: the environment `contextEnv`, and the Java
  // object from `contextObject` when set, otherwise what the object itself was bound to
  // (its IJavaObject::GetJavaObject; the environment it gives is replaced by contextEnv
  // when contextEnv is set).
  JNIEnv* contextEnv = nullptr;
  std::function<jobject(IJavaObject*)> contextObject;

  // Called by BindObject after recording, if set: the host's work of binding.
  std::function<void(JNIEnv*, jobject, IDispatch*, IDispatch*, IDispatch*)> onBindObject;
  // Called by EndJavaCall after recording, if set (e.g. to look at or clear an exception).
  std::function<void(JNIEnv*)> onEndJavaCall;

  HRESULT EndJavaCall(JNIEnv* env) override;
  HRESULT BindObject(JNIEnv* env, jobject javaResult, IDispatch* newObject,
                     IDispatch* application, IDispatch* parent) override;
  HRESULT GetJavaContext(IJavaObject* object, JNIEnv** env, jobject* javaObject) override;

  void Reserved0() override { RecordUnexpected("slot 0"); }
  void Reserved2() override { RecordUnexpected("slot 2"); }
  void Reserved3() override { RecordUnexpected("slot 3"); }
  void Reserved4() override { RecordUnexpected("slot 4"); }
  void Reserved6() override { RecordUnexpected("slot 6"); }
  void Reserved7() override { RecordUnexpected("slot 7"); }
  void Reserved8() override { RecordUnexpected("slot 8"); }

  std::vector<Call> Calls() const;
  std::vector<Call> Calls(Op op) const;
  int CountOf(Op op) const;
  // "EndJavaCall", "BindObject", "GetJavaContext" per call, in order.
  std::vector<std::string> OpNames() const;
  void ClearCalls();
  // Calls of placeholder slots ("slot 0", ...).
  std::vector<std::string> Unexpected() const;

 private:
  void RecordUnexpected(const char* slot);
  mutable std::recursive_mutex mutex_;
  std::vector<Call> calls_;
  std::vector<std::string> unexpected_;
};

const char* OpName(FakeJavaHost::Op op);

// Makes `host`'s BindObject bind the new object the way a real host does, through the
// object's IJavaObject: SetJavaObject(env, javaResult) (which makes the global reference
// and calls EndJavaCall), SetApplication(application), SetParent(parent). With the default
// GetJavaContext, the object's later members then get that global reference back.
// (Header-only so that only tests that use it need IID_IJavaObject.)
inline void BindThroughJavaObject(FakeJavaHost& host, const IID& iid = IID_IJavaObject) {
  host.onBindObject = [iid](JNIEnv* env, jobject javaResult, IDispatch* newObject,
                            IDispatch* application, IDispatch* parent) {
    if (newObject == nullptr) return;
    IJavaObject* bound = nullptr;
    if (FAILED(newObject->QueryInterface(iid, reinterpret_cast<void**>(&bound))) ||
        bound == nullptr)
      return;
    bound->SetJavaObject(env, javaResult);
    bound->SetApplication(application);
    bound->SetParent(parent);
    bound->Release();
  };
}

}  // namespace vanu_test
