// Vanu.dll as a client and the Java side see it: loaded with LoadLibrary, its exports called
// directly, its classes also reached through COM once the test has registered them. Each case runs in a process of its own, so the module starts fresh every time.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstring>
#include <functional>
#include <string>

#include "vanu_test_support.h"
#include "vanu_typelib.h"

namespace {

using vanu_test::ComPtr;
using vanu_test::CountingOuter;
using vanu_test::RecordingEnv;
using vanu_test::RecordingHost;
using vanu_test::Sentinel;

using vanu_test::DllCanUnloadNowFn;
using vanu_test::DllGetClassObjectFn;
using vanu_test::ExportOf;
using vanu_test::InitServicesFn;

const IID kIID_CommandBarsCompat = {
    0x000c0302, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class VanuDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    module_ = LoadLibraryW(vanu_test::VanuDllPathBesideProgram().c_str());
    ASSERT_NE(nullptr, module_) << "Vanu.dll beside the test program, error " << GetLastError();
    initServices_ = ExportOf<InitServicesFn>(module_, "InitServices");
    canUnloadNow_ =
        ExportOf<DllCanUnloadNowFn>(module_, "DllCanUnloadNow");
    getClassObject_ =
        ExportOf<DllGetClassObjectFn>(module_, "DllGetClassObject");
    ASSERT_NE(nullptr, initServices_);
    ASSERT_NE(nullptr, canUnloadNow_);
    ASSERT_NE(nullptr, getClassObject_);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
    CoUninitialize();
  }

  // The class object of `clsid` as IClassFactory (asserting success).
  void ClassFactory(REFCLSID clsid, ComPtr<IClassFactory>& factory) {
    ASSERT_EQ(S_OK, getClassObject_(clsid, IID_IClassFactory, factory.put_void()));
    ASSERT_TRUE(factory);
  }
  // A new plain instance of `clsid`, asked for `iid` (asserting success).
  template <class T>
  void Create(REFCLSID clsid, REFIID iid, ComPtr<T>& out) {
    ComPtr<IClassFactory> factory;
    ClassFactory(clsid, factory);
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, iid, out.put_void()));
    ASSERT_TRUE(out);
  }

  HMODULE module_ = nullptr;
  InitServicesFn initServices_ = nullptr;
  DllCanUnloadNowFn canUnloadNow_ = nullptr;
  DllGetClassObjectFn getClassObject_ = nullptr;
};

struct ClassRow {
  const char* name;
  const CLSID* clsid;
  const IID* primary;  // the dual interface
};
const ClassRow kClasses[] = {
    {"CommandBars", &CLSID_CommandBars, &IID__CommandBars},
    {"CDocumentProperties", &CLSID_CDocumentProperties, &IID_DocumentProperties},
};

// --- Exports and resources ---------------------------------------------------------------

TEST_F(VanuDllTest, ExportsTheFiveEntryPointsByNameAndOrdinal) {
  const struct {
    const char* name;
    WORD ordinal;
  } rows[] = {{"InitServices", 1},
              {"DllCanUnloadNow", 2},
              {"DllGetClassObject", 3},
              {"DllRegisterServer", 4},
              {"DllUnregisterServer", 5}};
  for (const auto& row : rows) {
    FARPROC byName = GetProcAddress(module_, row.name);
    FARPROC byOrdinal = GetProcAddress(module_, MAKEINTRESOURCEA(row.ordinal));
    EXPECT_NE(nullptr, byName) << row.name;
    EXPECT_EQ(byName, byOrdinal) << row.name;
  }
}

TEST_F(VanuDllTest, CarriesItsVersionBlockStringAndManifest) {
  wchar_t text[32] = {};
  EXPECT_EQ(4, LoadStringW(module_, 100, text, 32));
  EXPECT_STREQ(L"VaNu", text);

  HRSRC manifest = FindResourceW(module_, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
  ASSERT_NE(nullptr, manifest);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module_, manifest)));
  const std::string xml(bytes, SizeofResource(module_, manifest));
  EXPECT_NE(std::string::npos, xml.find("level=\"asInvoker\"")) << xml;
  EXPECT_NE(std::string::npos, xml.find("uiAccess=\"false\"")) << xml;

  HRSRC version = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
  ASSERT_NE(nullptr, version);
  const DWORD size = SizeofResource(module_, version);
  std::string block(static_cast<const char*>(LockResource(LoadResource(module_, version))), size);
  UINT length = 0;
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(&block[0], L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
  EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
  EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
  EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(&block[0], L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(4u, length);
  EXPECT_EQ(0x0409, translation[0]);
  EXPECT_EQ(1200, translation[1]);
  const struct {
    const wchar_t* key;
    const wchar_t* value;
  } strings[] = {{L"FileDescription", L"VaNu Module"},
                 {L"ProductName", L"VaNu Module"},
                 {L"InternalName", L"VaNu"},
                 {L"OriginalFilename", L"VaNu.DLL"}};
  for (const auto& row : strings) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + row.key;
    wchar_t* value = nullptr;
    ASSERT_TRUE(VerQueryValueW(&block[0], path.c_str(), reinterpret_cast<void**>(&value),
                               &length))
        << path;
    EXPECT_STREQ(row.value, value) << path;
  }
}

// --- Lock count and unloading ------------------------------------------------------------

TEST_F(VanuDllTest, UnloadAnswerFollowsInstancesAndLockServer) {
  EXPECT_EQ(S_OK, canUnloadNow_()) << "right after loading";
  for (const ClassRow& row : kClasses) {
    SCOPED_TRACE(row.name);
    ComPtr<IClassFactory> factory;
    ClassFactory(*row.clsid, factory);
    EXPECT_EQ(S_FALSE, canUnloadNow_()) << "while the class object is held";

    ComPtr<IUnknown> instance;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, instance.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.reset();
    EXPECT_EQ(S_FALSE, canUnloadNow_()) << "instance alive and server locked";
    instance.reset();
    EXPECT_EQ(S_FALSE, canUnloadNow_()) << "server still locked";

    ClassFactory(*row.clsid, factory);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, canUnloadNow_()) << "class object still held";
    factory.reset();
    EXPECT_EQ(S_OK, canUnloadNow_()) << "after the last release";
  }
}

TEST_F(VanuDllTest, ClassObjectIsCachedAndOnlyClientReferencesLockTheModule) {
  for (const ClassRow& row : kClasses) {
    SCOPED_TRACE(row.name);
    ComPtr<IClassFactory> first, second;
    ClassFactory(*row.clsid, first);
    ClassFactory(*row.clsid, second);
    EXPECT_EQ(first.get(), second.get());
    IClassFactory* const cached = first.get();

    // The map holds one reference; each client reference above it counts, and the module is
    // locked once for all of them (count 1 -> 2 locks, 2 -> 1 unlocks).
    EXPECT_EQ(4u, first->AddRef());
    EXPECT_EQ(3u, first->Release());
    second.reset();
    EXPECT_EQ(S_FALSE, canUnloadNow_());
    first.reset();
    EXPECT_EQ(S_OK, canUnloadNow_()) << "the cached class object alone holds no lock";

    ClassFactory(*row.clsid, first);
    EXPECT_EQ(cached, first.get()) << "still the cached class object";
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, first->QueryInterface(IID_IUnknown, unknown.put_void()));
    EXPECT_EQ(static_cast<IUnknown*>(cached), unknown.get());
    unknown.reset();
    first.reset();
    EXPECT_EQ(S_OK, canUnloadNow_());
  }
}

// --- Class objects: every error ----------------------------------------------------------

TEST_F(VanuDllTest, ClassesOutsideTheObjectMapAreNotAvailable) {
  const CLSID rows[] = {
      CLSID_NULL,
      // The classes of the registration scripts that no class applies.
      {0x212C3FCF, 0x09FA, 0x4B72, {0x80, 0x2A, 0x26, 0xBF, 0x2D, 0xC7, 0x50, 0xF8}},
      {0xB54623E3, 0xB6FC, 0x4759, {0x9E, 0x5F, 0xC8, 0x66, 0x5F, 0x26, 0x04, 0x03}},
      {0x7D187C3E, 0xF073, 0x42F9, {0xBB, 0xFA, 0x65, 0x1A, 0x71, 0x86, 0x5C, 0xAF}},
      {0xF8942A66, 0xC609, 0x4680, {0xBE, 0x98, 0xFE, 0xB2, 0x63, 0x6F, 0x10, 0xAE}},
      CLSID_MsoEnvelope,  // a coclass of the type library, without a class here
      {0xDB39F62D, 0x61BA, 0x429E, {0x86, 0x87, 0x64, 0xC7, 0x55, 0x8A, 0x5A, 0x19}},
      // The interface identifier of the creatable class's interface is no class.
      IID__CommandBars,
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    for (const IID* iid : {&IID_IClassFactory, &IID_IUnknown}) {
      void* out = Sentinel<void>();
      EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject_(rows[i], *iid, &out)) << "row " << i;
      EXPECT_EQ(nullptr, out) << "row " << i;
    }
  }
  EXPECT_EQ(S_OK, canUnloadNow_());
}

TEST_F(VanuDllTest, ClassObjectRequestErrors) {
  for (const ClassRow& row : kClasses) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(E_POINTER, getClassObject_(*row.clsid, IID_IClassFactory, nullptr));

    const IID* unsupported[] = {&IID_IDispatch, &IID_IClassFactory2, row.primary,
                                &IID_IJavaObject};
    for (const IID* iid : unsupported) {
      void* out = Sentinel<void>();
      EXPECT_EQ(E_NOINTERFACE, getClassObject_(*row.clsid, *iid, &out));
      EXPECT_EQ(nullptr, out);
    }
    EXPECT_EQ(S_OK, canUnloadNow_()) << "a refused request leaves no lock";
  }
}

TEST_F(VanuDllTest, CreateInstanceErrorsLeaveNothingBehind) {
  CountingOuter outer;
  const struct {
    const CLSID* clsid;
    bool aggregated;
    const IID* iid;
    HRESULT expected;
  } rows[] = {
      {&CLSID_CommandBars, true, &IID_IDispatch, CLASS_E_NOAGGREGATION},
      {&CLSID_CommandBars, true, &IID__CommandBars, CLASS_E_NOAGGREGATION},
      {&CLSID_CommandBars, true, &IID_IJavaObject, CLASS_E_NOAGGREGATION},
      {&CLSID_CDocumentProperties, true, &IID_IDispatch, CLASS_E_NOAGGREGATION},
      {&CLSID_CDocumentProperties, true, &IID_DocumentProperties, CLASS_E_NOAGGREGATION},
      {&CLSID_CommandBars, false, &IID_IClassFactory, E_NOINTERFACE},
      {&CLSID_CommandBars, false, &IID_CommandBar, E_NOINTERFACE},
      {&CLSID_CDocumentProperties, false, &IID__IVaNuDispObj, E_NOINTERFACE},
      {&CLSID_CDocumentProperties, false, &IID__CommandBars, E_NOINTERFACE},
      // The aggregated form answers everything but IUnknown through its contained object.
      {&CLSID_CommandBars, false, &IID_IPersist, E_NOINTERFACE},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    ComPtr<IClassFactory> factory;
    ClassFactory(*rows[i].clsid, factory);
    void* out = Sentinel<void>();
    EXPECT_EQ(rows[i].expected,
              factory->CreateInstance(rows[i].aggregated ? &outer : nullptr, *rows[i].iid, &out))
        << "row " << i;
    EXPECT_EQ(nullptr, out) << "row " << i;
    factory.reset();
    EXPECT_EQ(S_OK, canUnloadNow_()) << "row " << i << ": the refused object is gone";
  }
  EXPECT_EQ(1, outer.refs) << "the outer object was never counted";
  EXPECT_TRUE(outer.queried.empty());

  for (const ClassRow& row : kClasses) {
    ComPtr<IClassFactory> factory;
    ClassFactory(*row.clsid, factory);
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr)) << row.name;
    EXPECT_EQ(E_POINTER, factory->CreateInstance(&outer, IID_IUnknown, nullptr)) << row.name;
  }
  EXPECT_EQ(S_OK, canUnloadNow_());
}

// --- Instances: identity and aggregation ------------------------------------------------

TEST_F(VanuDllTest, IdentityIsTheJavaObjectInterface) {
  for (const ClassRow& row : kClasses) {
    SCOPED_TRACE(row.name);
    ComPtr<IUnknown> instance;
    Create(*row.clsid, IID_IDispatch, instance);
    EXPECT_EQ(S_FALSE, canUnloadNow_()) << "an instance locks the module";

    ComPtr<IUnknown> unknown, javaObject, dispatch, primary;
    ASSERT_EQ(S_OK, instance->QueryInterface(IID_IUnknown, unknown.put_void()));
    ASSERT_EQ(S_OK, instance->QueryInterface(IID_IJavaObject, javaObject.put_void()));
    ASSERT_EQ(S_OK, instance->QueryInterface(IID_IDispatch, dispatch.put_void()));
    ASSERT_EQ(S_OK, instance->QueryInterface(*row.primary, primary.put_void()));
    EXPECT_EQ(unknown.get(), javaObject.get());
    EXPECT_EQ(dispatch.get(), primary.get());
    EXPECT_NE(unknown.get(), dispatch.get());
    // Asked through any interface, IUnknown is the same pointer.
    ComPtr<IUnknown> again;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, again.put_void()));
    EXPECT_EQ(unknown.get(), again.get());

    void* out = Sentinel<void>();
    EXPECT_EQ(E_NOINTERFACE, instance->QueryInterface(IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, instance->QueryInterface(IID_IUnknown, nullptr));

    instance.reset(), unknown.reset(), javaObject.reset(), dispatch.reset(), primary.reset();
    again.reset();
    EXPECT_EQ(S_OK, canUnloadNow_()) << "the last release destroys the instance";
  }
}

TEST_F(VanuDllTest, CommandBarsAnswersItsExtraInterfaces) {
  ComPtr<_CommandBars> bars;
  Create(CLSID_CommandBars, IID__CommandBars, bars);
  ComPtr<IUnknown> base, compat;
  ASSERT_EQ(S_OK, bars->QueryInterface(IID__IVaNuDispObj, base.put_void()));
  ASSERT_EQ(S_OK, bars->QueryInterface(kIID_CommandBarsCompat, compat.put_void()));
  EXPECT_EQ(static_cast<IUnknown*>(bars.get()), base.get());
  EXPECT_EQ(static_cast<IUnknown*>(bars.get()), compat.get());

  ComPtr<IUnknown> docProps;
  Create(CLSID_CDocumentProperties, IID_IUnknown, docProps);
  void* out = Sentinel<void>();
  EXPECT_EQ(E_NOINTERFACE, docProps->QueryInterface(IID__IVaNuDispObj, &out));
  EXPECT_EQ(nullptr, out);
  out = Sentinel<void>();
  EXPECT_EQ(E_NOINTERFACE, docProps->QueryInterface(kIID_CommandBarsCompat, &out));
  EXPECT_EQ(nullptr, out);
}

TEST_F(VanuDllTest, AggregatedInstanceCountsOnTheOuterObject) {
  for (const ClassRow& row : kClasses) {
    SCOPED_TRACE(row.name);
    CountingOuter outer;
    ComPtr<IClassFactory> factory;
    ClassFactory(*row.clsid, factory);
    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    factory.reset();
    EXPECT_EQ(1, outer.refs) << "creation does not count on the outer object";
    EXPECT_EQ(S_FALSE, canUnloadNow_());

    // The inner IUnknown answers IUnknown with itself and counts its own life.
    IUnknown* self = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self)));
    EXPECT_EQ(inner, self);
    EXPECT_EQ(1u, self->Release());
    EXPECT_EQ(1, outer.refs);

    // Every other interface counts on the outer object.
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
    EXPECT_EQ(2, outer.refs);
    EXPECT_EQ(3u, dispatch->AddRef());
    EXPECT_EQ(2u, dispatch->Release());
    IJavaObject* javaObject = nullptr;
    EXPECT_EQ(E_NOINTERFACE,
              dispatch->QueryInterface(IID_IJavaObject, reinterpret_cast<void**>(&javaObject)));
    ASSERT_EQ(1u, outer.queried.size()) << "a query through the interface goes to the outer object";
    EXPECT_TRUE(IsEqualIID(IID_IJavaObject, outer.queried[0]));
    EXPECT_EQ(nullptr, javaObject) << "the outer object answers only IUnknown";
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    identity->Release();
    EXPECT_EQ(1u, dispatch->Release());
    EXPECT_EQ(1, outer.refs);

    EXPECT_EQ(S_FALSE, canUnloadNow_());
    EXPECT_EQ(0u, inner->Release());
    EXPECT_EQ(S_OK, canUnloadNow_()) << "the inner object is gone";
  }
}

// --- DocumentProperties as an automation object ------------------------------------------

TEST_F(VanuDllTest, DocumentPropertiesTypeInformation) {
  vanu_test::UserRegistration registration(vanu_test::VanuDllPathBesideProgram());
  ASSERT_EQ(ERROR_SUCCESS, registration.result());
  ComPtr<IDispatch> first, second;
  Create(CLSID_CDocumentProperties, IID_IDispatch, first);
  Create(CLSID_CDocumentProperties, IID_IDispatch, second);

  UINT count = 0xdeadbeef;
  EXPECT_EQ(S_OK, first->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  EXPECT_EQ(E_POINTER, first->GetTypeInfoCount(nullptr));

  ComPtr<ITypeInfo> info;
  ASSERT_EQ(S_OK, first->GetTypeInfo(0, 0, info.put()));
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
  EXPECT_TRUE(IsEqualGUID(IID_DocumentProperties, attr->guid));
  info->ReleaseTypeAttr(attr);
  BSTR name = nullptr;
  ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr));
  EXPECT_STREQ(L"DocumentProperties", name);
  SysFreeString(name);
  // Its interface view declares no member of its own.
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> view;
  ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
  ASSERT_EQ(S_OK, info->GetRefTypeInfo(ref, view.put()));
  ASSERT_EQ(S_OK, view->GetTypeAttr(&attr));
  EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
  EXPECT_EQ(0, attr->cFuncs);
  view->ReleaseTypeAttr(attr);

  ComPtr<ITypeInfo> shared;
  ASSERT_EQ(S_OK, second->GetTypeInfo(0, 0x0409, shared.put()));
  EXPECT_EQ(info.get(), shared.get()) << "one cached description for every instance";

  for (UINT index : {1u, 2u, 0xFFFFFFFFu}) {
    ITypeInfo* out = Sentinel<ITypeInfo>();
    EXPECT_EQ(DISP_E_BADINDEX, first->GetTypeInfo(index, 0, &out)) << index;
  }
  EXPECT_EQ(E_POINTER, first->GetTypeInfo(0, 0, nullptr));
  // The aggregated form answers from the same description.
  CountingOuter outer;
  ComPtr<IClassFactory> factory;
  ClassFactory(CLSID_CDocumentProperties, factory);
  ComPtr<IUnknown> inner;
  ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, inner.put_void()));
  IDispatch* aggregated = nullptr;
  ASSERT_EQ(S_OK, inner->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&aggregated)));
  count = 0;
  EXPECT_EQ(S_OK, aggregated->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  ComPtr<ITypeInfo> fromAggregate;
  EXPECT_EQ(S_OK, aggregated->GetTypeInfo(0, 0, fromAggregate.put()));
  EXPECT_EQ(info.get(), fromAggregate.get());
  aggregated->Release();  // counted on the outer object
  EXPECT_EQ(1, outer.refs);
}

TEST_F(VanuDllTest, DocumentPropertiesKnowsNoCommandBarMember) {
  vanu_test::UserRegistration registration(vanu_test::VanuDllPathBesideProgram());
  ASSERT_EQ(ERROR_SUCCESS, registration.result());
  ComPtr<IDispatch> docProps;
  Create(CLSID_CDocumentProperties, IID_IDispatch, docProps);

  const wchar_t* names[] = {L"Add",    L"Item",     L"Count",       L"FindControl",
                            L"Parent", L"Creator",  L"Application", L"ActionControl",
                            L"Caption", L"Execute", L"Controls",    L"Visible"};
  for (const wchar_t* name : names) {
    LPOLESTR n = const_cast<LPOLESTR>(name);
    DISPID id = 0x12345;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, docProps->GetIDsOfNames(IID_NULL, &n, 1, 0x0409, &id)) << name;
  }
  // Dispatch identifiers of command-bar members (Application, Creator, CommandBars.Add,
  // CommandBars.Item) and the default member find nothing.
  for (DISPID id : {0x60020000, 0x60020001, 0x60030002, 0x60030009, 0}) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, docProps->Invoke(id, IID_NULL, 0x0409, DISPATCH_PROPERTYGET,
                                                       &none, &result, nullptr, nullptr))
        << std::hex << id;
    VariantClear(&result);
  }
}

TEST_F(VanuDllTest, TypeInformationNeedsTheRegisteredLibraryAndIsLoadedOnceItIs) {
  vanu_test::RemoveUserRegistration();
  ComPtr<IDispatch> docProps;
  Create(CLSID_CDocumentProperties, IID_IDispatch, docProps);
  ITypeInfo* out = Sentinel<ITypeInfo>();
  const HRESULT unregistered = docProps->GetTypeInfo(0, 0, &out);
  EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, unregistered);
  EXPECT_EQ(nullptr, out);
  LPOLESTR name = const_cast<LPOLESTR>(L"Add");
  DISPID id = 0;
  EXPECT_EQ(unregistered, docProps->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));

  // A failed load is not kept: once the library is registered it loads.
  vanu_test::UserRegistration registration(vanu_test::VanuDllPathBesideProgram());
  ASSERT_EQ(ERROR_SUCCESS, registration.result());
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(S_OK, docProps->GetTypeInfo(0, 0, info.put()));
}

TEST_F(VanuDllTest, DocumentPropertiesThroughComAndTheRegistry) {
  vanu_test::UserRegistration registration(vanu_test::VanuDllPathBesideProgram());
  ASSERT_EQ(ERROR_SUCCESS, registration.result());
  for (const ClassRow& row : kClasses) {
    SCOPED_TRACE(row.name);
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, CoCreateInstance(*row.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     dispatch.put_void()));
    EXPECT_EQ(S_FALSE, canUnloadNow_()) << "COM created it in the library the test loaded";
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, 0, info.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(*row.primary, attr->guid));
    info->ReleaseTypeAttr(attr);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CoGetClassObject(*row.clsid, CLSCTX_INPROC_SERVER, nullptr,
                                     IID_IClassFactory, factory.put_void()));
    ComPtr<IUnknown> aggregated;
    CountingOuter outer;
    EXPECT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, aggregated.put_void()));
  }
}

// --- IJavaObject without Java ---------------------------------------------------------------

TEST_F(VanuDllTest, DocumentPropertiesBindsWithoutAnyJavaCall) {
  RecordingEnv env;
  RecordingEnv::unexpectedCalls = 0;
  const struct {
    JNIEnv* env;
    jobject object;
  } rows[] = {
      {env.env(), reinterpret_cast<jobject>(0x1234)},
      {nullptr, nullptr},
      {env.env(), nullptr},
      {reinterpret_cast<JNIEnv*>(0x10), reinterpret_cast<jobject>(0x20)},  // not even an env
  };
  for (bool aggregated : {false, true}) {
    for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
      SCOPED_TRACE(testing::Message() << (aggregated ? "aggregated" : "plain") << " row " << i);
      CountingOuter outer;
      ComPtr<IClassFactory> factory;
      ClassFactory(CLSID_CDocumentProperties, factory);
      ComPtr<IUnknown> instance;
      ASSERT_EQ(S_OK, factory->CreateInstance(aggregated ? &outer : nullptr, IID_IUnknown,
                                              instance.put_void()));
      IJavaObject* javaObject = nullptr;
      ASSERT_EQ(S_OK, instance->QueryInterface(IID_IJavaObject,
                                               reinterpret_cast<void**>(&javaObject)));
      JNIEnv* gotEnv = Sentinel<JNIEnv>();
      jobject gotObject = Sentinel<_jobject>();
      EXPECT_EQ(S_OK, javaObject->GetJavaObject(&gotEnv, &gotObject));
      EXPECT_EQ(nullptr, gotEnv) << "unbound after creation";
      EXPECT_EQ(nullptr, gotObject);

      EXPECT_EQ(S_OK, javaObject->SetJavaObject(rows[i].env, rows[i].object));
      EXPECT_EQ(S_OK, javaObject->GetJavaObject(&gotEnv, &gotObject));
      EXPECT_EQ(rows[i].env, gotEnv);
      EXPECT_EQ(rows[i].object, gotObject);
      javaObject->Release();
      instance.reset();  // destruction with a Java object stored
      factory.reset();
      EXPECT_EQ(S_OK, canUnloadNow_());
    }
  }
  EXPECT_EQ(0, RecordingEnv::unexpectedCalls);
  EXPECT_TRUE(env.newGlobalRefs.empty());
  EXPECT_TRUE(env.deletedGlobalRefs.empty());
}

TEST_F(VanuDllTest, DocumentPropertiesNeverCallsTheHost) {
  RecordingHost host;
  RecordingEnv startEnv, env;
  initServices_(&host, startEnv.env());
  host.calls.clear();
  RecordingEnv::unexpectedCalls = 0;

  ComPtr<IJavaObject> javaObject;
  Create(CLSID_CDocumentProperties, IID_IJavaObject, javaObject);
  EXPECT_EQ(S_OK, javaObject->SetJavaObject(env.env(), reinterpret_cast<jobject>(0x40)));
  javaObject.reset();
  EXPECT_EQ(S_OK, canUnloadNow_());
  EXPECT_TRUE(host.calls.empty()) << host.calls.front().op;
  EXPECT_EQ(0, RecordingEnv::unexpectedCalls);
  EXPECT_TRUE(env.newGlobalRefs.empty());
  EXPECT_TRUE(env.deletedGlobalRefs.empty());
}

TEST_F(VanuDllTest, ApplicationAndParentAreKeptWithOneReference) {
  for (const ClassRow& row : kClasses) {
    SCOPED_TRACE(row.name);
    ComPtr<IJavaObject> javaObject;
    Create(*row.clsid, IID_IJavaObject, javaObject);
    ComPtr<IDispatch> application, parent;
    Create(CLSID_CDocumentProperties, IID_IDispatch, application);
    Create(CLSID_CDocumentProperties, IID_IDispatch, parent);

    IDispatch* out = Sentinel<IDispatch>();
    EXPECT_EQ(S_OK, javaObject->GetApplication(&out));
    EXPECT_EQ(nullptr, out) << "unset";
    out = Sentinel<IDispatch>();
    EXPECT_EQ(S_OK, javaObject->GetParent(&out));
    EXPECT_EQ(nullptr, out) << "unset";
    EXPECT_EQ(E_INVALIDARG, javaObject->GetApplication(nullptr));
    EXPECT_EQ(E_INVALIDARG, javaObject->GetParent(nullptr));

    EXPECT_EQ(S_OK, javaObject->SetApplication(application.get()));
    EXPECT_EQ(S_OK, javaObject->SetParent(parent.get()));
    // References: the test's one plus the one stored.
    EXPECT_EQ(3u, application->AddRef());
    application->Release();
    ASSERT_EQ(S_OK, javaObject->GetApplication(&out));
    EXPECT_EQ(application.get(), out);
    EXPECT_EQ(2u, out->Release()) << "GetApplication added one";
    ASSERT_EQ(S_OK, javaObject->GetParent(&out));
    EXPECT_EQ(parent.get(), out);
    EXPECT_EQ(2u, out->Release());

    // The object never releases them: they outlive it with the stored reference.
    javaObject.reset();
    EXPECT_EQ(3u, application->AddRef());
    application->Release();
    application->Release();  // the stored reference, which the object left to its owner
    parent->Release();
  }
}

// --- CommandBars, InitServices and the host ------------------------------------------------

TEST_F(VanuDllTest, CommandBarsCommonAndNotImplementedMembers) {
  ComPtr<_CommandBars> bars;
  Create(CLSID_CommandBars, IID__CommandBars, bars);

  long creator = 0;
  EXPECT_EQ(S_OK, bars->get_Creator(&creator));
  EXPECT_EQ(0x4D535744, creator);
  EXPECT_EQ(E_INVALIDARG, bars->get_Creator(nullptr));
  IDispatch* out = Sentinel<IDispatch>();
  EXPECT_EQ(S_OK, bars->get_Application(&out));
  EXPECT_EQ(nullptr, out);
  out = Sentinel<IDispatch>();
  EXPECT_EQ(S_OK, bars->get_Parent(&out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_INVALIDARG, bars->get_Application(nullptr));
  EXPECT_EQ(E_INVALIDARG, bars->get_Parent(nullptr));

  // Not implemented: S_OK, and the result variable keeps what it held.
  int count = 77;
  EXPECT_EQ(S_OK, bars->get_Count(&count));
  EXPECT_EQ(77, count);
  VARIANT_BOOL flag = 0x1234;
  const std::function<HRESULT()> flagReaders[] = {
      [&] { return bars->get_DisplayTooltips(&flag); },
      [&] { return bars->get_DisplayKeysInTooltips(&flag); },
      [&] { return bars->get_LargeButtons(&flag); },
      [&] { return bars->get_DisplayFonts(&flag); },
      [&] { return bars->get_DisableCustomize(&flag); },
      [&] { return bars->get_DisableAskAQuestionDropdown(&flag); },
      [&] { return bars->GetEnabledMso(nullptr, &flag); },
      [&] { return bars->GetVisibleMso(nullptr, &flag); },
      [&] { return bars->GetPressedMso(nullptr, &flag); },
  };
  for (size_t i = 0; i < sizeof(flagReaders) / sizeof(flagReaders[0]); ++i) {
    EXPECT_EQ(S_OK, flagReaders[i]()) << "row " << i;
    EXPECT_EQ(0x1234, flag) << "row " << i;
  }
  CommandBar* bar = Sentinel<CommandBar>();
  VARIANT missing;
  VariantInit(&missing);
  EXPECT_EQ(S_OK, bars->get_ActiveMenuBar(&bar));
  EXPECT_EQ(S_OK, bars->AddEx(missing, missing, missing, missing, missing, &bar));
  EXPECT_EQ(Sentinel<CommandBar>(), bar);
  IUnknown* enumerator = Sentinel<IUnknown>();
  EXPECT_EQ(S_OK, bars->get__NewEnum(&enumerator));
  EXPECT_EQ(Sentinel<IUnknown>(), enumerator);
  BSTR text = reinterpret_cast<BSTR>(Sentinel<OLECHAR>());
  int length = 5;
  EXPECT_EQ(S_OK, bars->get_IdsString(1, &text, &length));
  EXPECT_EQ(S_OK, bars->GetLabelMso(nullptr, &text));
  EXPECT_EQ(reinterpret_cast<BSTR>(Sentinel<OLECHAR>()), text);
  EXPECT_EQ(5, length);
  VanuMenuAnimation animation = static_cast<VanuMenuAnimation>(3);
  EXPECT_EQ(S_OK, bars->get_MenuAnimationStyle(&animation));
  EXPECT_EQ(3, animation);
  EXPECT_EQ(S_OK, bars->ReleaseFocus());
  EXPECT_EQ(S_OK, bars->put_LargeButtons(VARIANT_TRUE));

  // Members that call Java are not built yet.
  EXPECT_EQ(E_NOTIMPL, bars->Add(missing, missing, missing, missing, &bar));
  EXPECT_EQ(E_NOTIMPL, bars->get_Item(missing, &bar));
  EXPECT_EQ(E_NOTIMPL, bars->put_AdaptiveMenus(VARIANT_TRUE));
}

TEST_F(VanuDllTest, CreatorLateBoundThroughTheTypeLibrary) {
  vanu_test::UserRegistration registration(vanu_test::VanuDllPathBesideProgram());
  ASSERT_EQ(ERROR_SUCCESS, registration.result());
  ComPtr<IDispatch> bars;
  Create(CLSID_CommandBars, IID_IDispatch, bars);
  LPOLESTR name = const_cast<LPOLESTR>(L"Creator");
  DISPID id = 0;
  ASSERT_EQ(S_OK, bars->GetIDsOfNames(IID_NULL, &name, 1, 0x0409, &id));
  EXPECT_EQ(0x60020001, id);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(S_OK, bars->Invoke(id, IID_NULL, 0x0409, DISPATCH_PROPERTYGET, &none, &result,
                               nullptr, nullptr));
  EXPECT_EQ(VT_I4, V_VT(&result));
  EXPECT_EQ(0x4D535744, V_I4(&result));
}

// The table build itself, with a JVM that has the classes, is in init_services_test.cpp.
// Here the environment has no class at all, so every call tries the build again.
TEST_F(VanuDllTest, InitServicesKeepsTheLatestHost) {
  RecordingHost first, second;
  RecordingEnv firstEnv, secondEnv, bindEnv;
  first.endResult = 0x80041234;
  initServices_(&first, firstEnv.env());
  ASSERT_FALSE(first.calls.empty());
  EXPECT_EQ("EndJavaCall", first.calls.back().op) << "the build ends by handing back its env";
  EXPECT_EQ(firstEnv.env(), first.calls.back().env);
  first.calls.clear();

  initServices_(&second, secondEnv.env());
  ASSERT_FALSE(second.calls.empty());
  EXPECT_EQ(secondEnv.env(), second.calls.back().env) << "the incomplete build was retried";
  EXPECT_TRUE(first.calls.empty());
  second.calls.clear();

  // Binding a CommandBars object goes to the second host.
  second.endResult = 0x80045678;
  ComPtr<IJavaObject> javaObject;
  Create(CLSID_CommandBars, IID_IJavaObject, javaObject);
  const jobject local = reinterpret_cast<jobject>(0x7000);
  EXPECT_EQ(HRESULT(0x80045678), javaObject->SetJavaObject(bindEnv.env(), local));
  ASSERT_EQ(1u, bindEnv.newGlobalRefs.size());
  EXPECT_EQ(local, bindEnv.newGlobalRefs[0]);
  ASSERT_EQ(1u, second.calls.size());
  EXPECT_EQ("EndJavaCall", second.calls[0].op);
  EXPECT_EQ(bindEnv.env(), second.calls[0].env);
  JNIEnv* gotEnv = nullptr;
  jobject gotObject = nullptr;
  EXPECT_EQ(S_OK, javaObject->GetJavaObject(&gotEnv, &gotObject));
  EXPECT_EQ(bindEnv.env(), gotEnv);
  EXPECT_EQ(RecordingEnv::GlobalFor(local), gotObject) << "the global reference is kept";

  // Destruction asks the host for the object's context and deletes that global reference.
  second.calls.clear();
  second.contextEnv = bindEnv.env();
  second.contextObject = RecordingEnv::GlobalFor(local);
  IJavaObject* const identity = javaObject.get();
  javaObject.reset();
  ASSERT_EQ(1u, second.calls.size());
  EXPECT_EQ("GetJavaContext", second.calls[0].op);
  EXPECT_EQ(identity, second.calls[0].object);
  ASSERT_EQ(1u, bindEnv.deletedGlobalRefs.size());
  EXPECT_EQ(RecordingEnv::GlobalFor(local), bindEnv.deletedGlobalRefs[0]);
  EXPECT_TRUE(first.calls.empty()) << "the first host is no longer used";
  EXPECT_EQ(S_OK, canUnloadNow_());
}

TEST_F(VanuDllTest, CommandBarsDestructionDeletesOnlyWhatTheHostReports) {
  RecordingHost host;
  RecordingEnv startEnv, env;
  initServices_(&host, startEnv.env());
  const struct {
    HRESULT context;
    bool javaObject;
    size_t deletions;
  } rows[] = {
      {S_OK, true, 1},
      {S_OK, false, 0},           // the host reports no Java object
      {E_FAIL, true, 0},          // the host fails
      {HRESULT(0x80040001), false, 0},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    host.calls.clear();
    env.deletedGlobalRefs.clear();
    host.contextResult = rows[i].context;
    host.contextEnv = env.env();
    host.contextObject = rows[i].javaObject ? reinterpret_cast<jobject>(0x99) : nullptr;
    ComPtr<IUnknown> bars;
    Create(CLSID_CommandBars, IID_IUnknown, bars);
    bars.reset();
    ASSERT_EQ(1u, host.calls.size()) << "row " << i;
    EXPECT_EQ("GetJavaContext", host.calls[0].op) << "row " << i;
    EXPECT_EQ(rows[i].deletions, env.deletedGlobalRefs.size()) << "row " << i;
  }
  EXPECT_EQ(S_OK, canUnloadNow_());
}

TEST_F(VanuDllTest, CommandBarsBeforeInitServicesMakesNoJavaOrHostCall) {
  RecordingEnv env;
  RecordingEnv::unexpectedCalls = 0;
  ComPtr<IJavaObject> javaObject;
  Create(CLSID_CommandBars, IID_IJavaObject, javaObject);
  EXPECT_EQ(E_UNEXPECTED, javaObject->SetJavaObject(env.env(), reinterpret_cast<jobject>(0x10)));
  EXPECT_TRUE(env.newGlobalRefs.empty());
  JNIEnv* gotEnv = Sentinel<JNIEnv>();
  jobject gotObject = Sentinel<_jobject>();
  EXPECT_EQ(S_OK, javaObject->GetJavaObject(&gotEnv, &gotObject));
  EXPECT_EQ(nullptr, gotEnv) << "nothing stored";
  EXPECT_EQ(nullptr, gotObject);
  javaObject.reset();  // no host to ask: nothing to delete
  EXPECT_EQ(0, RecordingEnv::unexpectedCalls);
  EXPECT_TRUE(env.deletedGlobalRefs.empty());
  EXPECT_EQ(S_OK, canUnloadNow_());
}

}  // namespace
