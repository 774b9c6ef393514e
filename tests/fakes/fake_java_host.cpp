#include "fake_java_host.h"

namespace vanu_test {

const char* OpName(FakeJavaHost::Op op) {
  switch (op) {
    case FakeJavaHost::Op::EndJavaCall: return "EndJavaCall";
    case FakeJavaHost::Op::BindObject: return "BindObject";
    case FakeJavaHost::Op::GetJavaContext: return "GetJavaContext";
  }
  return "?";
}

HRESULT FakeJavaHost::EndJavaCall(JNIEnv* env) {
  {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Call call{Op::EndJavaCall};
    call.env = env;
    calls_.push_back(call);
  }
  if (onEndJavaCall) onEndJavaCall(env);
  return endJavaCallResult;
}

HRESULT FakeJavaHost::BindObject(JNIEnv* env, jobject javaResult, IDispatch* newObject,
                                 IDispatch* application, IDispatch* parent) {
  {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Call call{Op::BindObject};
    call.env = env;
    call.javaObject = javaResult;
    call.newObject = newObject;
    call.application = application;
    call.parent = parent;
    calls_.push_back(call);
  }
  if (onBindObject) onBindObject(env, javaResult, newObject, application, parent);
  return bindObjectResult;
}

HRESULT FakeJavaHost::GetJavaContext(IJavaObject* object, JNIEnv** env, jobject* javaObject) {
  Call call{Op::GetJavaContext};
  call.object = object;
  call.envOnEntry = env != nullptr ? *env : nullptr;
  if (SUCCEEDED(getJavaContextResult)) {
    JNIEnv* givenEnv = contextEnv;
    jobject givenObject = nullptr;
    if (contextObject) {
      givenObject = contextObject(object);
    } else if (object != nullptr) {
      JNIEnv* boundEnv = nullptr;
      object->GetJavaObject(&boundEnv, &givenObject);
      if (givenEnv == nullptr) givenEnv = boundEnv;
    }
    if (env != nullptr) *env = givenEnv;
    if (javaObject != nullptr) *javaObject = givenObject;
    call.env = givenEnv;
    call.javaObject = givenObject;
  }
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  calls_.push_back(call);
  return getJavaContextResult;
}

std::vector<FakeJavaHost::Call> FakeJavaHost::Calls() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return calls_;
}

std::vector<FakeJavaHost::Call> FakeJavaHost::Calls(Op op) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<Call> out;
  for (const Call& call : calls_) {
    if (call.op == op) out.push_back(call);
  }
  return out;
}

int FakeJavaHost::CountOf(Op op) const { return static_cast<int>(Calls(op).size()); }

std::vector<std::string> FakeJavaHost::OpNames() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const Call& call : calls_) out.push_back(OpName(call.op));
  return out;
}

void FakeJavaHost::ClearCalls() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  calls_.clear();
}

std::vector<std::string> FakeJavaHost::Unexpected() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return unexpected_;
}

void FakeJavaHost::RecordUnexpected(const char* slot) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  unexpected_.push_back(slot);
}

}  // namespace vanu_test
