// The module code of Vanu.dll linked into this test program, for what the shipped library
// cannot be made to show: failed allocations (this program replaces the nothrow operator new
// that the module uses, and can make it fail), a module whose class-object lock could not be
// created, and what process detach releases.
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
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
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

}  // namespace
