// Class objects and instance creators.
//
// CComCreator<T>::CreateInstance makes one T (CComObject<..>, CComAggObject<..> or
// CComObjectCached<..>) and queries it; CComCreator2 picks the plain creator when no outer
// object is given and the aggregated one otherwise. CComClassFactory is the class object
// handed out by the object map; it calls the creator it was given. CComCoClass gives a class
// its creators and its class identifier.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <new>

#include "agg_object.h"
#include "com_object.h"
#include "module.h"
#include "object_root.h"

template <class T>
class CComCreator {
 public:
  // E_POINTER for a null ppv; otherwise *ppv is written: the new object's `riid` interface
  // (the one reference the caller receives), or null with E_OUTOFMEMORY, the construction's
  // failure or the QueryInterface result, after which the new object is destroyed.
  static HRESULT WINAPI CreateInstance(void* pv, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    T* p = new (std::nothrow) T(pv);
    if (p == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = p->_AtlInitialConstruct();
    if (SUCCEEDED(hr)) hr = p->FinalConstruct();
    if (hr == S_OK) hr = p->QueryInterface(riid, ppv);
    if (hr != S_OK) {
      *ppv = nullptr;
      delete p;
    }
    return hr;
  }
};

template <class T1, class T2>
class CComCreator2 {
 public:
  static HRESULT WINAPI CreateInstance(void* pv, REFIID riid, void** ppv) {
    return pv == nullptr ? T1::CreateInstance(nullptr, riid, ppv)
                         : T2::CreateInstance(pv, riid, ppv);
  }
};

class CComClassFactory : public IClassFactory,
                         public CComObjectRootEx<CComMultiThreadModel> {
 public:
  BEGIN_COM_MAP(CComClassFactory)
    COM_INTERFACE_ENTRY(IClassFactory)
  END_COM_MAP()

  // E_POINTER for a null ppv; CLASS_E_NOAGGREGATION for an outer object with any interface
  // but IUnknown; otherwise the creator's result. *ppv is null on every failure.
  STDMETHOD(CreateInstance)(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    if (m_pfnCreateInstance == nullptr) return E_UNEXPECTED;
    return m_pfnCreateInstance(outer, riid, ppv);
  }
  // Locks (TRUE) or unlocks (FALSE) the module; always S_OK.
  STDMETHOD(LockServer)(BOOL lock) override {
    if (lock) {
      _pAtlModule->Lock();
    } else {
      _pAtlModule->Unlock();
    }
    return S_OK;
  }

  // The creator this class object calls (the pv its own creator was given).
  void SetVoid(void* pv) { m_pfnCreateInstance = reinterpret_cast<_ATL_CREATORFUNC*>(pv); }

 private:
  _ATL_CREATORFUNC* m_pfnCreateInstance = nullptr;
};

// The creator of a class object: a cached CComClassFactory bound to `pv`, the instance
// creator of the class. Results as CComCreator.
class CComClassFactoryCreator {
 public:
  static HRESULT WINAPI CreateInstance(void* pv, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    typedef CComObjectCached<CComClassFactory> Factory;
    Factory* p = new (std::nothrow) Factory(nullptr);
    if (p == nullptr) return E_OUTOFMEMORY;
    p->SetVoid(pv);
    HRESULT hr = p->_AtlInitialConstruct();
    if (SUCCEEDED(hr)) hr = p->FinalConstruct();
    if (hr == S_OK) hr = p->QueryInterface(riid, ppv);
    if (hr != S_OK) {
      *ppv = nullptr;
      delete p;
    }
    return hr;
  }
};

template <class T, const CLSID* pclsid = &CLSID_NULL>
class CComCoClass {
 public:
  typedef CComCreator2<CComCreator<CComObject<T>>, CComCreator<CComAggObject<T>>> _CreatorClass;
  typedef CComClassFactoryCreator _ClassFactoryCreatorClass;
  static const CLSID& WINAPI GetObjectCLSID() { return *pclsid; }
};
