// The aggregated form of a class: CComAggObject<Base> is the inner object that an outer
// object holds. Its own IUnknown (the non-delegating one the outer object keeps) counts the
// inner object's life and answers IUnknown with itself; every other interface comes from the
// contained CComContainedObject<Base>, whose IUnknown methods all go to the outer object.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <climits>

#include "module.h"
#include "object_root.h"

template <class Base>
class CComContainedObject : public Base {
 public:
  typedef Base _BaseClass;

  explicit CComContainedObject(void* pv) { this->m_pOuterUnknown = static_cast<IUnknown*>(pv); }

  STDMETHOD_(ULONG, AddRef)() override { return this->OuterAddRef(); }
  STDMETHOD_(ULONG, Release)() override { return this->OuterRelease(); }
  STDMETHOD(QueryInterface)(REFIID iid, void** ppv) override {
    return this->OuterQueryInterface(iid, ppv);
  }
  IUnknown* GetControllingUnknown() { return this->m_pOuterUnknown; }
};

template <class Base>
class CComAggObject final : public IUnknown,
                      public CComObjectRootEx<typename Base::_ThreadModel::ThreadModelNoCS> {
 public:
  // `pv` is the outer IUnknown; it is not counted (the outer object owns this one).
  explicit CComAggObject(void* pv) : m_contained(pv) { _pAtlModule->Lock(); }
  // The module lock is released first; the contained object's clean-up follows.
  ~CComAggObject() {
    this->m_dwRef = -(LONG_MAX / 2);
    this->FinalRelease();
    _pAtlModule->Unlock();
  }

  HRESULT _AtlInitialConstruct() { return m_contained._AtlInitialConstruct(); }
  HRESULT FinalConstruct() { return m_contained.FinalConstruct(); }
  void FinalRelease() { m_contained.FinalRelease(); }
  static void WINAPI ObjectMain(bool starting) { Base::ObjectMain(starting); }

  STDMETHOD_(ULONG, AddRef)() override { return this->InternalAddRef(); }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG l = this->InternalRelease();
    if (l == 0) delete this;
    return l;
  }
  STDMETHOD(QueryInterface)(REFIID iid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
      *ppv = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    return m_contained._InternalQueryInterface(iid, ppv);
  }

  CComContainedObject<Base> m_contained;
};
