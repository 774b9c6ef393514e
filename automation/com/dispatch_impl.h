// IDispatch for a dual interface, answered from the type information of that interface in
// the registered type library.
//
// CComTypeInfoHolder caches one ITypeInfo per interface, shared by every object that
// implements it. It is loaded on first use, under the module's lock with a second test
// inside, from the type library registered under the given identifier and version, and
// released by a termination callback of the module. A failed load is not cached: the next
// call tries again and gets the load's error again.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>

#include "module.h"

class CComTypeInfoHolder {
 public:
  const GUID* m_pguid;
  const GUID* m_plibid;
  WORD m_wMajor;
  WORD m_wMinor;
  ITypeInfo* m_pInfo;

  // *ppInfo with one added reference. E_POINTER for a null ppInfo; otherwise *ppInfo is
  // written, null with the load's error.
  HRESULT GetTI(LCID lcid, ITypeInfo** ppInfo);
  // Loads the type information if it is not cached yet; S_OK or the load's error.
  HRESULT EnsureTI(LCID lcid);

  HRESULT GetTypeInfo(UINT itinfo, LCID lcid, ITypeInfo** pptinfo) {
    if (itinfo != 0) return DISP_E_BADINDEX;
    return GetTI(lcid, pptinfo);
  }
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                        DISPID* rgdispid);
  HRESULT Invoke(IDispatch* p, DISPID dispidMember, REFIID riid, LCID lcid, WORD wFlags,
                 DISPPARAMS* pdispparams, VARIANT* pvarResult, EXCEPINFO* pexcepinfo,
                 UINT* puArgErr);

  // Termination callback: releases the cached type information.
  static void WINAPI Cleanup(DWORD_PTR dw);
};

template <class T, const IID* piid, const GUID* plibid, WORD wMajor = 1, WORD wMinor = 0>
class IDispatchImpl : public T {
 public:
  typedef CComTypeInfoHolder _tihclass;

  // E_POINTER for a null pctinfo; otherwise 1.
  STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 1;
    return S_OK;
  }
  // DISP_E_BADINDEX for any index but 0; E_POINTER for a null pptinfo.
  STDMETHOD(GetTypeInfo)(UINT itinfo, LCID lcid, ITypeInfo** pptinfo) override {
    return _tih.GetTypeInfo(itinfo, lcid, pptinfo);
  }
  STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                           DISPID* rgdispid) override {
    return _tih.GetIDsOfNames(riid, rgszNames, cNames, lcid, rgdispid);
  }
  STDMETHOD(Invoke)(DISPID dispidMember, REFIID riid, LCID lcid, WORD wFlags,
                    DISPPARAMS* pdispparams, VARIANT* pvarResult, EXCEPINFO* pexcepinfo,
                    UINT* puArgErr) override {
    return _tih.Invoke(static_cast<IDispatch*>(static_cast<T*>(this)), dispidMember, riid,
                       lcid, wFlags, pdispparams, pvarResult, pexcepinfo, puArgErr);
  }

  static CComTypeInfoHolder _tih;
};

template <class T, const IID* piid, const GUID* plibid, WORD wMajor, WORD wMinor>
CComTypeInfoHolder IDispatchImpl<T, piid, plibid, wMajor, wMinor>::_tih = {
    piid, plibid, wMajor, wMinor, nullptr};
