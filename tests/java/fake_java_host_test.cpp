// The fake host records its three operations with their arguments and gives the results
// the test configured.
#include <gtest/gtest.h>

#include "fake_java_host.h"

namespace {

using vanu_test::FakeJavaHost;
using Op = FakeJavaHost::Op;

JNIEnv* const kEnv = reinterpret_cast<JNIEnv*>(0x1000);
JNIEnv* const kOtherEnv = reinterpret_cast<JNIEnv*>(0x2000);
jobject const kJava = reinterpret_cast<jobject>(0x3000);

// A bound object as the host sees it: only GetJavaObject is used.
struct BoundObject : IJavaObject {
  JNIEnv* env = kEnv;
  jobject java = kJava;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetJavaObject(JNIEnv** e, jobject* o) override { *e = env; *o = java; return S_OK; }
  HRESULT STDMETHODCALLTYPE SetJavaObject(JNIEnv*, jobject) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetApplication(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetApplication(IDispatch*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetParent(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetParent(IDispatch*) override { return E_NOTIMPL; }
};

TEST(FakeJavaHostTest, RecordsEachOperationWithItsArgumentsAndConfiguredResult) {
  FakeJavaHost host;
  host.endJavaCallResult = static_cast<HRESULT>(0x80041234);
  host.bindObjectResult = E_FAIL;
  auto* app = reinterpret_cast<IDispatch*>(0x10);
  auto* parent = reinterpret_cast<IDispatch*>(0x20);
  auto* created = reinterpret_cast<IDispatch*>(0x30);
  JNIEnv* seenByHook = nullptr;
  host.onEndJavaCall = [&](JNIEnv* env) { seenByHook = env; };

  EXPECT_EQ(static_cast<HRESULT>(0x80041234), host.EndJavaCall(kEnv));
  EXPECT_EQ(E_FAIL, host.BindObject(kOtherEnv, kJava, created, app, parent));

  ASSERT_EQ((std::vector<std::string>{"EndJavaCall", "BindObject"}), host.OpNames());
  EXPECT_EQ(kEnv, seenByHook);
  const FakeJavaHost::Call bind = host.Calls(Op::BindObject).at(0);
  EXPECT_EQ(kOtherEnv, bind.env);
  EXPECT_EQ(kJava, bind.javaObject);
  EXPECT_EQ(created, bind.newObject);
  EXPECT_EQ(app, bind.application);
  EXPECT_EQ(parent, bind.parent);
  EXPECT_TRUE(host.Unexpected().empty());
}

TEST(FakeJavaHostTest, GetJavaContextGivesTheBoundObjectOrWritesNothingOnFailure) {
  BoundObject object;
  struct Row { HRESULT result; JNIEnv* contextEnv; JNIEnv* wantEnv; jobject wantJava; };
  const JNIEnv* kSentinelEnv = reinterpret_cast<JNIEnv*>(0xdeadbeef);
  const Row rows[] = {
      {S_OK, nullptr, kEnv, kJava},          // the object's own binding
      {S_OK, kOtherEnv, kOtherEnv, kJava},   // the calling thread's environment
      {E_UNEXPECTED, kOtherEnv, const_cast<JNIEnv*>(kSentinelEnv), reinterpret_cast<jobject>(0xdeadbeef)},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    FakeJavaHost host;
    host.getJavaContextResult = rows[i].result;
    host.contextEnv = rows[i].contextEnv;
    JNIEnv* env = const_cast<JNIEnv*>(kSentinelEnv);
    jobject java = reinterpret_cast<jobject>(0xdeadbeef);
    EXPECT_EQ(rows[i].result, host.GetJavaContext(&object, &env, &java));
    EXPECT_EQ(rows[i].wantEnv, env);
    EXPECT_EQ(rows[i].wantJava, java);
    ASSERT_EQ(1, host.CountOf(Op::GetJavaContext));
    EXPECT_EQ(&object, host.Calls().at(0).object);
    EXPECT_EQ(kSentinelEnv, host.Calls().at(0).envOnEntry);
  }
}

TEST(FakeJavaHostTest, ContextObjectOverridesTheBinding) {
  BoundObject object;
  FakeJavaHost host;
  jobject other = reinterpret_cast<jobject>(0x4000);
  host.contextObject = [&](IJavaObject* o) { return o == &object ? other : nullptr; };
  JNIEnv* env = nullptr;
  jobject java = nullptr;
  EXPECT_EQ(S_OK, host.GetJavaContext(&object, &env, &java));
  EXPECT_EQ(other, java);
}

// An automation object as far as binding goes: IDispatch for the host to receive, and
// IJavaObject recording what the host sets.
struct BindableObject : IDispatch, IJavaObject {
  std::vector<std::string> calls;
  JNIEnv* env = nullptr;
  jobject java = nullptr;
  IDispatch* app = nullptr;
  IDispatch* parent = nullptr;
  ULONG refs = 1;
  const IID& javaObjectIid;
  explicit BindableObject(const IID& iid) : javaObjectIid(iid) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, javaObjectIid)) {
      *out = static_cast<IJavaObject*>(this);
      ++refs;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetJavaObject(JNIEnv** e, jobject* o) override { *e = env; *o = java; return S_OK; }
  HRESULT STDMETHODCALLTYPE SetJavaObject(JNIEnv* e, jobject o) override {
    calls.push_back("SetJavaObject");
    env = e;
    java = o;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetApplication(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetApplication(IDispatch* a) override { calls.push_back("SetApplication"); app = a; return S_OK; }
  HRESULT STDMETHODCALLTYPE GetParent(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetParent(IDispatch* p) override { calls.push_back("SetParent"); parent = p; return S_OK; }
};

TEST(FakeJavaHostTest, TheBinderBindsThroughIJavaObjectAndGetJavaContextGivesTheBindingBack) {
  // The value of IID_IJavaObject, under a name of this test's own.
  const IID kJavaObjectIid = {0xAEA547FF, 0x372A, 0x4713, {0x90, 0xA0, 0x60, 0xCD, 0x51, 0x20, 0xB2, 0x90}};
  FakeJavaHost host;
  vanu_test::BindThroughJavaObject(host, kJavaObjectIid);
  BindableObject object(kJavaObjectIid);
  auto* app = reinterpret_cast<IDispatch*>(0x10);
  auto* parent = reinterpret_cast<IDispatch*>(0x20);

  host.BindObject(kEnv, kJava, static_cast<IDispatch*>(&object), app, parent);

  EXPECT_EQ((std::vector<std::string>{"SetJavaObject", "SetApplication", "SetParent"}), object.calls);
  EXPECT_EQ(kJava, object.java);
  EXPECT_EQ(app, object.app);
  EXPECT_EQ(parent, object.parent);
  EXPECT_EQ(1u, object.refs);  // the host keeps no reference
  JNIEnv* env = nullptr;
  jobject java = nullptr;
  EXPECT_EQ(S_OK, host.GetJavaContext(&object, &env, &java));
  EXPECT_EQ(kEnv, env);
  EXPECT_EQ(kJava, java);
}

}  // namespace
