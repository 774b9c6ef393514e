#include "dispatch_impl.h"

HRESULT CComTypeInfoHolder::EnsureTI(LCID lcid) {
  if (m_pInfo != nullptr) return S_OK;
  if (_pAtlModule == nullptr || !_pAtlModule->m_csStaticDataInitType.IsInitialized()) {
    return E_UNEXPECTED;
  }
  CComCritSecLock lock(_pAtlModule->m_csStaticDataInitType);
  if (m_pInfo != nullptr) return S_OK;

  ITypeLib* lib = nullptr;
  HRESULT hr = LoadRegTypeLib(*m_plibid, m_wMajor, m_wMinor, lcid, &lib);
  if (FAILED(hr)) return hr;
  ITypeInfo* info = nullptr;
  hr = lib->GetTypeInfoOfGuid(*m_pguid, &info);
  lib->Release();
  if (FAILED(hr)) return hr;
  // Kept only once its release is arranged, so that nothing outlives the module.
  hr = _pAtlModule->AddTermFunc(&CComTypeInfoHolder::Cleanup, reinterpret_cast<DWORD_PTR>(this));
  if (FAILED(hr)) {
    info->Release();
    return hr;
  }
  m_pInfo = info;
  return S_OK;
}

HRESULT CComTypeInfoHolder::GetTI(LCID lcid, ITypeInfo** ppInfo) {
  if (ppInfo == nullptr) return E_POINTER;
  *ppInfo = nullptr;
  const HRESULT hr = EnsureTI(lcid);
  if (FAILED(hr)) return hr;
  m_pInfo->AddRef();
  *ppInfo = m_pInfo;
  return S_OK;
}

HRESULT CComTypeInfoHolder::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* rgszNames, UINT cNames,
                                          LCID lcid, DISPID* rgdispid) {
  const HRESULT hr = EnsureTI(lcid);
  if (FAILED(hr)) return hr;
  return m_pInfo->GetIDsOfNames(rgszNames, cNames, rgdispid);
}

HRESULT CComTypeInfoHolder::Invoke(IDispatch* p, DISPID dispidMember, REFIID /*riid*/,
                                   LCID lcid, WORD wFlags, DISPPARAMS* pdispparams,
                                   VARIANT* pvarResult, EXCEPINFO* pexcepinfo, UINT* puArgErr) {
  const HRESULT hr = EnsureTI(lcid);
  if (FAILED(hr)) return hr;
  return m_pInfo->Invoke(p, dispidMember, wFlags, pdispparams, pvarResult, pexcepinfo,
                         puArgErr);
}

void WINAPI CComTypeInfoHolder::Cleanup(DWORD_PTR dw) {
  CComTypeInfoHolder* holder = reinterpret_cast<CComTypeInfoHolder*>(dw);
  if (holder->m_pInfo != nullptr) holder->m_pInfo->Release();
  holder->m_pInfo = nullptr;
}
