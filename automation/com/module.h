// The module of an in-process COM server: its lock count, its object map and the class
// objects it hands out, and the callbacks that run when it shuts down.
//
// CAtlModule holds what every module has: the lock count (changed only atomically), the
// module's lock (guards data that is loaded once, such as cached type information) and the
// termination callbacks. CComModule adds the object map: an explicit table given to Init,
// searched first, then the automatic list of entries that classes add with
// OBJECT_ENTRY_AUTO. Class objects are created on first request, one per entry, under the
// class-object lock with a second test of the cached pointer inside it.
//
// One module object exists per server; its constructor publishes it in _pAtlModule, which
// the object classes use to lock and unlock the module.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "thread_model.h"

typedef HRESULT(WINAPI _ATL_CREATORFUNC)(void* pv, REFIID riid, void** ppv);
typedef void(WINAPI _ATL_TERMFUNC)(DWORD_PTR dw);

// One class of the object map.
struct _ATL_OBJMAP_ENTRY {
  const CLSID* pclsid;
  // Makes the class's class object (given pfnCreateInstance as its pv).
  _ATL_CREATORFUNC* pfnGetClassObject;
  // Makes an instance, plain (pv null) or aggregated (pv the outer IUnknown).
  _ATL_CREATORFUNC* pfnCreateInstance;
  // The cached class object (its IUnknown), null until first requested.
  IUnknown* pCF;
  // Start (true) and end (false) hook of the class.
  void(WINAPI* pfnObjectMain)(bool starting);
  // Next entry of the automatic list; unused in the explicit table.
  _ATL_OBJMAP_ENTRY* pNext;
};

struct _ATL_TERMFUNC_ELEM {
  _ATL_TERMFUNC* pFunc;
  DWORD_PTR dw;
  _ATL_TERMFUNC_ELEM* pNext;
};

class CAtlModule {
 public:
  CAtlModule();
  CAtlModule(const CAtlModule&) = delete;
  CAtlModule& operator=(const CAtlModule&) = delete;
  virtual ~CAtlModule();

  // The lock count: instances, class objects held by clients, LockServer(TRUE).
  LONG Lock() { return InterlockedIncrement(&m_nLockCnt); }
  LONG Unlock() { return InterlockedDecrement(&m_nLockCnt); }
  LONG GetLockCount() const { return m_nLockCnt; }

  // Adds a callback that Term runs. E_OUTOFMEMORY when no node can be allocated (the
  // callback is then not registered).
  HRESULT AddTermFunc(_ATL_TERMFUNC* pFunc, DWORD_PTR dw);

  // Runs the termination callbacks, most recently added first, freeing each node; then
  // deletes the module's lock. Safe to call twice.
  void Term();

  // Guards data loaded once on first use (for example cached type information).
  CComCriticalSection m_csStaticDataInitType;
  GUID m_libid = GUID_NULL;

 protected:
  LONG volatile m_nLockCnt = 0;
  _ATL_TERMFUNC_ELEM* m_pTermFuncs = nullptr;
};

// The one module object of this server (set by CAtlModule's constructor).
extern CAtlModule* _pAtlModule;

class CComModule : public CAtlModule {
 public:
  CComModule() = default;
  // Releases the class objects still cached in the automatic list.
  ~CComModule() override;

  // Records the map, the module handle and the type library's identifier, creates the
  // module's locks (a failure marks the module m_bInitFailed) and runs every entry's start
  // hook, of the explicit table and then of the automatic list. `pObjMap` ends with an entry
  // whose pclsid is null; it may be null for no explicit table.
  HRESULT Init(_ATL_OBJMAP_ENTRY* pObjMap, HINSTANCE hInst, const GUID* plibid);

  // For each explicit entry: releases its class object and runs its end hook; then the end
  // hook of each automatic entry; then CAtlModule::Term.
  void Term();

  // DllGetClassObject: the class object of `rclsid`, asked for `riid`. *ppv is null on every
  // failure. E_POINTER for a null ppv; CLASS_E_CLASSNOTAVAILABLE for a class not in the map;
  // E_UNEXPECTED when the module's class-object lock could not be created; otherwise the
  // result of creating the class object or of its QueryInterface.
  HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);

  HINSTANCE GetModuleInstance() const { return m_hInst; }

  // Links an entry into the automatic list (OBJECT_ENTRY_AUTO does this before Init).
  static void AddAutoEntry(_ATL_OBJMAP_ENTRY* entry);
  static _ATL_OBJMAP_ENTRY* GetAutoEntries();

  // True when the class-object lock could not be created; then no class object is made.
  bool m_bInitFailed = false;

 private:
  // The entry's class object, created under the class-object lock if none is cached.
  HRESULT GetCachedClassObject(_ATL_OBJMAP_ENTRY* entry);

  _ATL_OBJMAP_ENTRY* m_pObjMap = nullptr;
  HINSTANCE m_hInst = nullptr;
  CComCriticalSection m_csObjMap;
};

// The explicit table of the object map.
#define BEGIN_OBJECT_MAP(x) static _ATL_OBJMAP_ENTRY x[] = {
#define OBJECT_ENTRY(clsid, class)                                                        \
  {&clsid, &class::_ClassFactoryCreatorClass::CreateInstance,                            \
   &class::_CreatorClass::CreateInstance, nullptr, &class::ObjectMain, nullptr},
#define END_OBJECT_MAP() {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}};

// Adds a class to the automatic list when the program's static objects are constructed.
struct CAtlAutoObjectMapLink {
  explicit CAtlAutoObjectMapLink(_ATL_OBJMAP_ENTRY* entry) { CComModule::AddAutoEntry(entry); }
};
#define OBJECT_ENTRY_AUTO(clsid, class)                                                   \
  static _ATL_OBJMAP_ENTRY g_autoObjMapEntry_##class = {                                 \
      &clsid, &class::_ClassFactoryCreatorClass::CreateInstance,                         \
      &class::_CreatorClass::CreateInstance, nullptr, &class::ObjectMain, nullptr};      \
  static CAtlAutoObjectMapLink g_autoObjMapLink_##class(&g_autoObjMapEntry_##class);
