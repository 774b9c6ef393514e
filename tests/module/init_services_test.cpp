// InitServices of the built Vanu.dll with the fake JVM and the fake host: the table build
// through the library's export, the host kept on every call, a build completed by a later
// call after a missing class or method, and the global references an object holds.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_java_host.h"
#include "fake_jvm.h"
#include "table_build_calls.h"
#include "vanu_test_support.h"
#include "vanu_typelib.h"

namespace {

using vanu_test::ComPtr;
using vanu_test::FakeJavaHost;
using vanu_test::FakeJvm;
using Texts = std::vector<std::string>;

using vanu_test::DllCanUnloadNowFn;
using vanu_test::DllGetClassObjectFn;
using vanu_test::ExportOf;
using vanu_test::InitServicesFn;

const char* const kControls = "vuradizode/ICommandBarControls";

// Every JNI call of a complete build, in order.
const Texts& kFullBuild = vanu_test::kFullTableBuild;
using vanu_test::FullTableBuildThrough;
using vanu_test::FullTableBuildFrom;

// Calls other than the exception checks a build may make before it starts.
Texts WithoutChecks(Texts texts) {
  texts.erase(std::remove(texts.begin(), texts.end(), "ExceptionCheck()"), texts.end());
  return texts;
}

class InitServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    module_ = LoadLibraryW(vanu_test::VanuDllPathBesideProgram().c_str());
    ASSERT_NE(nullptr, module_);
    initServices_ = ExportOf<InitServicesFn>(module_, "InitServices");
    canUnloadNow_ = ExportOf<DllCanUnloadNowFn>(module_, "DllCanUnloadNow");
    getClassObject_ =
        ExportOf<DllGetClassObjectFn>(module_, "DllGetClassObject");
    ASSERT_NE(nullptr, initServices_);
    jvm_.DeclareCommandBarInterfaces();
    // Each host notes the exception pending when the environment comes back, and clears it
    // as a host would.
    for (FakeJavaHost* host : {&first_, &second_}) {
      host->onEndJavaCall = [this](JNIEnv* env) {
        pendingAtEnd_.push_back(jvm_.PendingException(env));
        jvm_.ClearException(env);
      };
    }
  }
  void TearDown() override {
    EXPECT_EQ(Texts{}, jvm_.Problems());
    EXPECT_EQ(Texts{}, first_.Unexpected());
    EXPECT_EQ(Texts{}, second_.Unexpected());
    EXPECT_EQ(0, jvm_.FrameDepth(jvm_.env()));
    if (module_ != nullptr) FreeLibrary(module_);
    CoUninitialize();
  }

  FakeJvm jvm_;
  FakeJavaHost first_, second_;
  Texts pendingAtEnd_;
  HMODULE module_ = nullptr;
  InitServicesFn initServices_ = nullptr;
  DllCanUnloadNowFn canUnloadNow_ = nullptr;
  DllGetClassObjectFn getClassObject_ = nullptr;
};

TEST_F(InitServicesTest, FirstCallBuildsTheTablesAndHandsTheEnvironmentBack) {
  initServices_(&first_, jvm_.env());
  EXPECT_EQ(kFullBuild, WithoutChecks(jvm_.CallTexts()));
  ASSERT_EQ(Texts{"EndJavaCall"}, first_.OpNames());
  EXPECT_EQ(jvm_.env(), first_.Calls()[0].env);
  EXPECT_EQ(Texts{""}, pendingAtEnd_);
  EXPECT_EQ(4, jvm_.GlobalRefCount()) << "one global reference per class, kept";
}

TEST_F(InitServicesTest, LaterCallsChangeOnlyTheHost) {
  initServices_(&first_, jvm_.env());
  jvm_.ClearCalls();
  first_.ClearCalls();
  JNIEnv* const other = jvm_.NewEnv();
  initServices_(&second_, other);
  initServices_(&second_, other);
  EXPECT_EQ(Texts{}, jvm_.CallTexts()) << "no lookup again, the env is not used";
  EXPECT_EQ(Texts{}, second_.OpNames());
  EXPECT_EQ(4, jvm_.GlobalRefCount());

  // A CommandBars object bound and destroyed: every host call goes to the second host, and
  // the object's global reference is made and deleted once.
  ComPtr<IJavaObject> javaObject;
  {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClassObject_(CLSID_CommandBars, IID_IClassFactory, factory.put_void()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IJavaObject, javaObject.put_void()));
  }
  jobject local = jvm_.NewLocalInstance(other, "vuradizode/ICommandBars");
  second_.endJavaCallResult = 0x80041111;
  EXPECT_EQ(HRESULT(0x80041111), javaObject->SetJavaObject(other, local));
  EXPECT_EQ(5, jvm_.GlobalRefCount());
  second_.contextEnv = other;
  IJavaObject* const identity = javaObject.get();
  javaObject.reset();
  EXPECT_EQ((Texts{"EndJavaCall", "GetJavaContext"}), second_.OpNames());
  EXPECT_EQ(identity, second_.Calls(FakeJavaHost::Op::GetJavaContext)[0].object);
  EXPECT_EQ(Texts{}, first_.OpNames());
  EXPECT_EQ(4, jvm_.GlobalRefCount()) << "the object's global reference is deleted";
  EXPECT_EQ(Texts{"DeleteGlobalRef(global vuradizode/ICommandBars#1)"},
            jvm_.CallTexts("DeleteGlobalRef"));
  EXPECT_EQ(S_OK, canUnloadNow_());
}

TEST_F(InitServicesTest, AMissingClassIsLookedForAgainByTheNextCall) {
  jvm_.HideClass(kControls);
  initServices_(&first_, jvm_.env());
  EXPECT_EQ(FullTableBuildThrough("FindClass(vuradizode/ICommandBarControls)"),
            WithoutChecks(jvm_.CallTexts()))
      << "no lookup after the one that failed";
  EXPECT_EQ(Texts{"java/lang/NoClassDefFoundError"}, pendingAtEnd_)
      << "the host sees the lookup's exception";
  EXPECT_EQ(2, jvm_.GlobalRefCount());

  // The class is there now; another host and environment complete the build.
  jvm_.HideClass(kControls, false);
  jvm_.ClearCalls();
  JNIEnv* const other = jvm_.NewEnv();
  initServices_(&second_, other);
  EXPECT_EQ(FullTableBuildFrom("FindClass(vuradizode/ICommandBarControls)"),
            WithoutChecks(jvm_.CallTexts()));
  ASSERT_EQ(Texts{"EndJavaCall"}, second_.OpNames());
  EXPECT_EQ(other, second_.Calls()[0].env);
  EXPECT_EQ(4, jvm_.GlobalRefCount()) << "no second global reference for a class";
  EXPECT_EQ(1, first_.CountOf(FakeJavaHost::Op::EndJavaCall));

  // Complete now: a further call looks nothing up.
  jvm_.ClearCalls();
  initServices_(&first_, jvm_.env());
  EXPECT_EQ(Texts{}, jvm_.CallTexts());
  EXPECT_EQ(1, first_.CountOf(FakeJavaHost::Op::EndJavaCall));
}

TEST_F(InitServicesTest, AMissingMethodIsLookedForAgainByTheNextCall) {
  const char* const signature = "()I";
  jvm_.HideMethod(kControls, "getCount", signature);
  initServices_(&first_, jvm_.env());
  EXPECT_EQ(FullTableBuildThrough("GetMethodID(global class vuradizode/ICommandBarControls, getCount,"),
            WithoutChecks(jvm_.CallTexts()));
  EXPECT_EQ(Texts{"java/lang/NoSuchMethodError"}, pendingAtEnd_);
  EXPECT_EQ(3, jvm_.GlobalRefCount());

  jvm_.HideMethod(kControls, "getCount", signature, false);
  jvm_.ClearCalls();
  initServices_(&second_, jvm_.env());
  const Texts rest = WithoutChecks(jvm_.CallTexts());
  EXPECT_EQ(0, std::count(rest.begin(), rest.end(),
                          "NewGlobalRef(local class vuradizode/ICommandBarControls)"))
      << "the class's global reference is kept from the first call";
  EXPECT_EQ(FullTableBuildFrom("FindClass(vuradizode/ICommandBarControl)"),
            Texts(rest.end() - FullTableBuildFrom("FindClass(vuradizode/ICommandBarControl)").size(),
                  rest.end()));
  EXPECT_EQ(4, jvm_.GlobalRefCount());
  EXPECT_EQ((Texts{"java/lang/NoSuchMethodError", ""}), pendingAtEnd_);
}

}  // namespace
