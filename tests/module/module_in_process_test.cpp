// The module code of Vanu.dll linked into this test program, for what the shipped library
// cannot be made to show: failed allocations (this program replaces the nothrow operator new
// that the module uses, and can make it fail or hold a thread inside it), a module whose
// class-object lock could not be created, and what process detach releases.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdlib>
#include <new>

#include "command_bars.h"
#include "document_properties.h"
#include "vanu_module.h"
#include "vanu_test_support.h"
#include "vanu_typelib.h"

namespace {
// The number of nothrow allocations still allowed; negative for no limit.
int g_allocationsLeft = -1;
int g_failedAllocations = 0;
// When set, each nothrow allocation of this size runs it first (a class object's size, to
// hold one thread inside the creation of a class object).
std::size_t g_hookSize = 0;
void (*g_hook)() = nullptr;
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_hook != nullptr && size == g_hookSize) g_hook();
  if (g_allocationsLeft == 0) {
    ++g_failedAllocations;
    return nullptr;
  }
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void**);
extern "C" HRESULT WINAPI DllCanUnloadNow();

namespace {

using vanu_test::ComPtr;
using vanu_test::CountingOuter;
using vanu_test::Sentinel;

// Lets `n` more nothrow allocations succeed, then fails them until Reset.
struct AllocationLimit {
  explicit AllocationLimit(int n) {
    g_allocationsLeft = n;
    g_failedAllocations = 0;
  }
  ~AllocationLimit() { g_allocationsLeft = -1; }
};

class ModuleInProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    VanuDllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH);
  }
  void TearDown() override { CoUninitialize(); }
};

const CLSID* const kCreatable[] = {&CLSID_CommandBars, &CLSID_CDocumentProperties};

TEST_F(ModuleInProcessTest, ClassObjectWithoutMemoryIsNotCached) {
  for (const CLSID* clsid : kCreatable) {
    void* out = Sentinel<void>();
    {
      AllocationLimit none(0);
      EXPECT_EQ(E_OUTOFMEMORY, DllGetClassObject(*clsid, IID_IClassFactory, &out));
      EXPECT_EQ(1, g_failedAllocations);
    }
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, _Module.GetLockCount());
    // The next request creates it.
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, DllGetClassObject(*clsid, IID_IClassFactory, factory.put_void()));
    EXPECT_TRUE(factory);
  }
}

TEST_F(ModuleInProcessTest, InstanceWithoutMemoryLeavesNoLock) {
  for (const CLSID* clsid : kCreatable) {
    for (bool aggregated : {false, true}) {
      SCOPED_TRACE(aggregated ? "aggregated" : "plain");
      CountingOuter outer;
      ComPtr<IClassFactory> factory;
      ASSERT_EQ(S_OK, DllGetClassObject(*clsid, IID_IClassFactory, factory.put_void()));
      const LONG locks = _Module.GetLockCount();
      void* out = Sentinel<void>();
      {
        AllocationLimit none(0);
        EXPECT_EQ(E_OUTOFMEMORY,
                  factory->CreateInstance(aggregated ? &outer : nullptr, IID_IUnknown, &out));
      }
      EXPECT_EQ(nullptr, out);
      EXPECT_EQ(locks, _Module.GetLockCount());
      EXPECT_EQ(1, outer.refs);
    }
  }
  EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST_F(ModuleInProcessTest, ModuleWithoutItsClassObjectLockHandsOutNothing) {
  _Module.m_bInitFailed = true;
  for (const CLSID* clsid : kCreatable) {
    void* out = Sentinel<void>();
    EXPECT_EQ(E_UNEXPECTED, DllGetClassObject(*clsid, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
  }
  void* out = Sentinel<void>();
  EXPECT_EQ(E_UNEXPECTED, DllGetClassObject(CLSID_NULL, IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  _Module.m_bInitFailed = false;
}

TEST_F(ModuleInProcessTest, TypeInformationIsSharedAndReleasedAtShutDown) {
  vanu_test::UserRegistration registration(vanu_test::VanuDllPathBesideProgram());
  ASSERT_EQ(ERROR_SUCCESS, registration.result());
  CComTypeInfoHolder& holder = CDocumentProperties::_tih;
  ComPtr<IDispatch> docProps;
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, DllGetClassObject(CLSID_CDocumentProperties, IID_IClassFactory,
                                    factory.put_void()));
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, docProps.put_void()));
  factory.reset();

  // Without memory for its release callback the description is not kept.
  {
    AllocationLimit none(0);
    ITypeInfo* out = Sentinel<ITypeInfo>();
    EXPECT_EQ(E_OUTOFMEMORY, docProps->GetTypeInfo(0, 0, &out));
    EXPECT_EQ(nullptr, out);
  }
  EXPECT_EQ(nullptr, holder.m_pInfo);

  ComPtr<ITypeInfo> info;
  ASSERT_EQ(S_OK, docProps->GetTypeInfo(0, 0, info.put()));
  EXPECT_EQ(holder.m_pInfo, info.get());
  // The cache holds one reference, the test one.
  EXPECT_EQ(3u, info->AddRef());
  info->Release();

  docProps.reset();
  VanuDllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH);
  EXPECT_EQ(nullptr, holder.m_pInfo) << "released by the termination callback";
  EXPECT_EQ(2u, info->AddRef()) << "the cache's reference is gone";
  info->Release();
}

TEST_F(ModuleInProcessTest, DetachReleasesTheCachedClassObjects) {
  ComPtr<IClassFactory> bars, docProps;
  ASSERT_EQ(S_OK, DllGetClassObject(CLSID_CommandBars, IID_IClassFactory, bars.put_void()));
  ASSERT_EQ(S_OK, DllGetClassObject(CLSID_CDocumentProperties, IID_IClassFactory,
                                    docProps.put_void()));
  // Held by the map and by the test.
  EXPECT_EQ(3u, bars->AddRef());
  bars->Release();
  VanuDllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH);
  EXPECT_EQ(2u, bars->AddRef()) << "the explicit table's cached reference is released";
  bars->Release();
  // The automatic list's class object is released when the module object is destroyed,
  // after the entry point has returned.
  EXPECT_EQ(3u, docProps->AddRef());
  docProps->Release();
}

// Two threads ask for the same class object at once. The first is held inside the creation
// (in the class object's allocation) until the second has had the chance to create one too;
// the class-object lock with its second test keeps the second one waiting, so exactly one
// class object is made and both threads get it.
namespace race {
HANDLE firstInside = nullptr;   // set by the first thread inside the allocation
HANDLE secondInside = nullptr;  // set if a second thread ever reaches the allocation
LONG allocations = 0;
void Hook() {
  if (InterlockedIncrement(&allocations) == 1) {
    SetEvent(firstInside);
    // Bounded: with the lock the second thread never arrives, and this wait times out.
    WaitForSingleObject(secondInside, 500);
  } else {
    SetEvent(secondInside);
  }
}
DWORD WINAPI Request(void* out) {
  return static_cast<DWORD>(DllGetClassObject(CLSID_CDocumentProperties, IID_IClassFactory,
                                              static_cast<void**>(out)));
}
}  // namespace race

TEST_F(ModuleInProcessTest, ConcurrentRequestsCreateOneClassObject) {
  race::firstInside = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  race::secondInside = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(nullptr, race::firstInside);
  ASSERT_NE(nullptr, race::secondInside);
  g_hookSize = sizeof(CComObjectCached<CComClassFactory>);
  g_hook = &race::Hook;

  void* first = nullptr;
  void* second = nullptr;
  HANDLE a = CreateThread(nullptr, 0, &race::Request, &first, 0, nullptr);
  ASSERT_NE(nullptr, a);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(race::firstInside, 10000));
  HANDLE b = CreateThread(nullptr, 0, &race::Request, &second, 0, nullptr);
  ASSERT_NE(nullptr, b);
  const HANDLE both[] = {a, b};
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, TRUE, 10000));
  g_hook = nullptr;

  DWORD resultA = 1, resultB = 1;
  GetExitCodeThread(a, &resultA);
  GetExitCodeThread(b, &resultB);
  EXPECT_EQ(static_cast<DWORD>(S_OK), resultA);
  EXPECT_EQ(static_cast<DWORD>(S_OK), resultB);
  EXPECT_EQ(1, race::allocations) << "one class object only";
  EXPECT_NE(nullptr, first);
  EXPECT_EQ(first, second);
  if (first != nullptr) static_cast<IUnknown*>(first)->Release();
  if (second != nullptr) static_cast<IUnknown*>(second)->Release();
  CloseHandle(a);
  CloseHandle(b);
  CloseHandle(race::firstInside);
  CloseHandle(race::secondInside);
  EXPECT_EQ(S_OK, DllCanUnloadNow());
}

namespace term {
int calls[2] = {0, 0};
int order = 0;
int seenAt[2] = {0, 0};
void WINAPI Callback(DWORD_PTR which) {
  ++calls[which];
  seenAt[which] = ++order;
}
}  // namespace term

TEST_F(ModuleInProcessTest, TerminationCallbacksRunOnceAtShutDown) {
  ASSERT_EQ(S_OK, _Module.AddTermFunc(&term::Callback, 0));
  ASSERT_EQ(S_OK, _Module.AddTermFunc(&term::Callback, 1));
  {
    AllocationLimit none(0);
    EXPECT_EQ(E_OUTOFMEMORY, _Module.AddTermFunc(&term::Callback, 0));
  }
  EXPECT_EQ(0, term::calls[0] + term::calls[1]);
  VanuDllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH);
  EXPECT_EQ(1, term::calls[0]);
  EXPECT_EQ(1, term::calls[1]);
  EXPECT_EQ(1, term::seenAt[1]) << "the most recently added runs first";
  EXPECT_EQ(2, term::seenAt[0]);
  _Module.Term();
  EXPECT_EQ(1, term::calls[0]) << "never twice";
  EXPECT_EQ(1, term::calls[1]);
}

}  // namespace
