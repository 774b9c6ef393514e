#include "module.h"

#include <new>

CAtlModule* _pAtlModule = nullptr;

namespace {
// Head of the automatic list; constant-initialised, so entries linked by other static
// constructors are kept whatever their order.
_ATL_OBJMAP_ENTRY* g_autoEntries = nullptr;
}  // namespace

CAtlModule::CAtlModule() { _pAtlModule = this; }

CAtlModule::~CAtlModule() {
  Term();
  if (_pAtlModule == this) _pAtlModule = nullptr;
}

HRESULT CAtlModule::AddTermFunc(_ATL_TERMFUNC* pFunc, DWORD_PTR dw) {
  _ATL_TERMFUNC_ELEM* node = new (std::nothrow) _ATL_TERMFUNC_ELEM{pFunc, dw, nullptr};
  if (node == nullptr) return E_OUTOFMEMORY;
  CComCritSecLock lock(m_csStaticDataInitType);
  node->pNext = m_pTermFuncs;
  m_pTermFuncs = node;
  return S_OK;
}

void CAtlModule::Term() {
  while (m_pTermFuncs != nullptr) {
    _ATL_TERMFUNC_ELEM* node = m_pTermFuncs;
    m_pTermFuncs = node->pNext;
    node->pFunc(node->dw);
    delete node;
  }
  m_csStaticDataInitType.Term();
}

CComModule::~CComModule() {
  for (_ATL_OBJMAP_ENTRY* entry = g_autoEntries; entry != nullptr; entry = entry->pNext) {
    if (entry->pCF != nullptr) {
      IUnknown* cf = entry->pCF;
      entry->pCF = nullptr;
      cf->Release();
    }
  }
}

void CComModule::AddAutoEntry(_ATL_OBJMAP_ENTRY* entry) {
  // Appended, so the list keeps the order in which the classes were linked.
  _ATL_OBJMAP_ENTRY** tail = &g_autoEntries;
  while (*tail != nullptr) tail = &(*tail)->pNext;
  entry->pNext = nullptr;
  *tail = entry;
}

_ATL_OBJMAP_ENTRY* CComModule::GetAutoEntries() { return g_autoEntries; }

HRESULT CComModule::Init(_ATL_OBJMAP_ENTRY* pObjMap, HINSTANCE hInst, const GUID* plibid) {
  m_pObjMap = pObjMap;
  m_hInst = hInst;
  if (plibid != nullptr) m_libid = *plibid;
  HRESULT hr = m_csStaticDataInitType.Init();
  const HRESULT hrObjMap = m_csObjMap.Init();
  if (FAILED(hrObjMap)) {
    m_bInitFailed = true;
    if (SUCCEEDED(hr)) hr = hrObjMap;
  }
  if (m_pObjMap != nullptr) {
    for (_ATL_OBJMAP_ENTRY* entry = m_pObjMap; entry->pclsid != nullptr; ++entry) {
      if (entry->pfnObjectMain != nullptr) entry->pfnObjectMain(true);
    }
  }
  for (_ATL_OBJMAP_ENTRY* entry = g_autoEntries; entry != nullptr; entry = entry->pNext) {
    if (entry->pfnObjectMain != nullptr) entry->pfnObjectMain(true);
  }
  return hr;
}

void CComModule::Term() {
  if (m_pObjMap != nullptr) {
    for (_ATL_OBJMAP_ENTRY* entry = m_pObjMap; entry->pclsid != nullptr; ++entry) {
      if (entry->pCF != nullptr) {
        IUnknown* cf = entry->pCF;
        entry->pCF = nullptr;
        cf->Release();
      }
      if (entry->pfnObjectMain != nullptr) entry->pfnObjectMain(false);
    }
  }
  for (_ATL_OBJMAP_ENTRY* entry = g_autoEntries; entry != nullptr; entry = entry->pNext) {
    if (entry->pfnObjectMain != nullptr) entry->pfnObjectMain(false);
  }
  CAtlModule::Term();
  m_csObjMap.Term();
}

HRESULT CComModule::GetCachedClassObject(_ATL_OBJMAP_ENTRY* entry) {
  if (entry->pCF != nullptr) return S_OK;
  if (m_bInitFailed || !m_csObjMap.IsInitialized()) return E_UNEXPECTED;
  CComCritSecLock lock(m_csObjMap);
  if (entry->pCF != nullptr) return S_OK;
  IUnknown* cf = nullptr;
  const HRESULT hr = entry->pfnGetClassObject(reinterpret_cast<void*>(entry->pfnCreateInstance),
                                              IID_IUnknown, reinterpret_cast<void**>(&cf));
  if (hr == S_OK) entry->pCF = cf;
  return hr;
}

HRESULT CComModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  HRESULT hr = S_OK;
  if (m_pObjMap != nullptr) {
    for (_ATL_OBJMAP_ENTRY* entry = m_pObjMap; entry->pclsid != nullptr; ++entry) {
      if (!IsEqualCLSID(*entry->pclsid, rclsid)) continue;
      hr = GetCachedClassObject(entry);
      if (entry->pCF != nullptr) hr = entry->pCF->QueryInterface(riid, ppv);
      break;
    }
  }
  if (*ppv != nullptr || hr != S_OK) return hr;

  if (m_bInitFailed) return E_UNEXPECTED;
  for (_ATL_OBJMAP_ENTRY* entry = g_autoEntries; entry != nullptr; entry = entry->pNext) {
    if (!IsEqualCLSID(*entry->pclsid, rclsid)) continue;
    hr = GetCachedClassObject(entry);
    if (entry->pCF != nullptr) hr = entry->pCF->QueryInterface(riid, ppv);
    if (hr != S_OK) return hr;
    return *ppv != nullptr ? S_OK : CLASS_E_CLASSNOTAVAILABLE;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}
