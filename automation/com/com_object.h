// The creatable forms of a class Base that has a COM map:
//   CComObject<Base>        a plain object; it locks the module for its life.
//   CComObjectCached<Base>  a class object kept in the object map; only the references
//                           that clients hold lock the module (count 1 -> 2 locks it,
//                           2 -> 1 unlocks it), so a cached class object alone never keeps
//                           the server loaded.
// Both are deleted when their count falls to zero.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <climits>
#include <new>

#include "module.h"
#include "thread_model.h"

template <class Base>
class CComObject final : public Base {
 public:
  typedef Base _BaseClass;

  explicit CComObject(void* = nullptr) { _pAtlModule->Lock(); }
  // The module lock is released first; the class's own clean-up (its destructor) follows.
  ~CComObject() {
    this->m_dwRef = -(LONG_MAX / 2);
    this->FinalRelease();
    _pAtlModule->Unlock();
  }

  STDMETHOD_(ULONG, AddRef)() override { return this->InternalAddRef(); }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG l = this->InternalRelease();
    if (l == 0) delete this;
    return l;
  }
  STDMETHOD(QueryInterface)(REFIID iid, void** ppv) override {
    return this->_InternalQueryInterface(iid, ppv);
  }

  // A new object with count 0, constructed and finally constructed. *pp is null on failure:
  // E_POINTER for a null pp, E_OUTOFMEMORY, or the construction's failure.
  static HRESULT WINAPI CreateInstance(CComObject<Base>** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    CComObject<Base>* p = new (std::nothrow) CComObject<Base>();
    if (p == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = p->_AtlInitialConstruct();
    if (SUCCEEDED(hr)) hr = p->FinalConstruct();
    if (FAILED(hr)) {
      delete p;
      return hr;
    }
    *pp = p;
    return S_OK;
  }
};

template <class Base>
class CComObjectCached final : public Base {
 public:
  typedef Base _BaseClass;

  explicit CComObjectCached(void* = nullptr) {}
  ~CComObjectCached() {
    this->m_dwRef = -(LONG_MAX / 2);
    this->FinalRelease();
  }

  // Creates the lock that keeps the count's step and the module lock together.
  HRESULT _AtlInitialConstruct() {
    const HRESULT hr = m_csCached.Init();
    if (FAILED(hr)) return hr;
    return Base::_AtlInitialConstruct();
  }

  STDMETHOD_(ULONG, AddRef)() override {
    CComCritSecLock lock(m_csCached);
    const ULONG l = this->InternalAddRef();
    if (l == 2) _pAtlModule->Lock();
    return l;
  }
  STDMETHOD_(ULONG, Release)() override {
    ULONG l;
    {
      CComCritSecLock lock(m_csCached);
      l = this->InternalRelease();
      if (l == 1) _pAtlModule->Unlock();
    }
    if (l == 0) delete this;
    return l;
  }
  STDMETHOD(QueryInterface)(REFIID iid, void** ppv) override {
    return this->_InternalQueryInterface(iid, ppv);
  }

 private:
  CComCriticalSection m_csCached;
};
