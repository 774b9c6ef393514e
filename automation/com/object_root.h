// The root of every COM object of our layer: the reference count (or, in an aggregated
// object, the outer IUnknown) and the interface map that QueryInterface walks.
//
// An interface map is a table of {IID, offset of the interface in the class} rows, written
// with BEGIN_COM_MAP / COM_INTERFACE_ENTRY... / END_COM_MAP. IUnknown is answered by the
// first row, so the first interface of the map is the object's identity.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstddef>

#include "thread_model.h"

struct _ATL_INTMAP_ENTRY {
  const IID* piid;  // null ends the table
  std::ptrdiff_t offset;
};

// Offset of `base` inside `derived` (no object is touched).
template <class Base, class Derived>
std::ptrdiff_t AtlOffsetOfClass() {
  alignas(Derived) static const char probe[sizeof(Derived)] = {};
  const Derived* d = reinterpret_cast<const Derived*>(probe);
  return reinterpret_cast<const char*>(static_cast<const Base*>(d)) - probe;
}
// Offset of `Base` reached through `Via` inside `Derived`.
template <class Base, class Via, class Derived>
std::ptrdiff_t AtlOffsetOfClass2() {
  alignas(Derived) static const char probe[sizeof(Derived)] = {};
  const Derived* d = reinterpret_cast<const Derived*>(probe);
  return reinterpret_cast<const char*>(static_cast<const Base*>(static_cast<const Via*>(d))) -
         probe;
}

class CComObjectRootBase {
 public:
  CComObjectRootBase() { m_pOuterUnknown = nullptr; }

  HRESULT _AtlInitialConstruct() { return S_OK; }
  HRESULT FinalConstruct() { return S_OK; }
  void FinalRelease() {}
  static void WINAPI ObjectMain(bool /*starting*/) {}

  ULONG OuterAddRef() { return m_pOuterUnknown->AddRef(); }
  ULONG OuterRelease() { return m_pOuterUnknown->Release(); }
  HRESULT OuterQueryInterface(REFIID iid, void** ppv) {
    return m_pOuterUnknown->QueryInterface(iid, ppv);
  }

  // Walks `entries` for `iid`. E_POINTER for a null ppv; otherwise *ppv is written: the
  // interface after one AddRef through it, or null with E_NOINTERFACE.
  static HRESULT InternalQueryInterface(void* pThis, const _ATL_INTMAP_ENTRY* entries,
                                        REFIID iid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    const _ATL_INTMAP_ENTRY* match = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
      match = entries;
    } else {
      for (const _ATL_INTMAP_ENTRY* e = entries; e->piid != nullptr; ++e) {
        if (IsEqualIID(iid, *e->piid)) {
          match = e;
          break;
        }
      }
    }
    if (match == nullptr || match->piid == nullptr) return E_NOINTERFACE;
    IUnknown* p = reinterpret_cast<IUnknown*>(static_cast<char*>(pThis) + match->offset);
    p->AddRef();
    *ppv = p;
    return S_OK;
  }

  // A plain object keeps its count here; an aggregated one keeps its outer IUnknown.
  union {
    LONG m_dwRef;
    IUnknown* m_pOuterUnknown;
  };
};

template <class ThreadModel>
class CComObjectRootEx : public CComObjectRootBase {
 public:
  typedef ThreadModel _ThreadModel;
  ULONG InternalAddRef() { return ThreadModel::Increment(&m_dwRef); }
  ULONG InternalRelease() { return ThreadModel::Decrement(&m_dwRef); }
};

#define BEGIN_COM_MAP(x)                                                                 \
 public:                                                                                 \
  typedef x _ComMapClass;                                                                \
  HRESULT _InternalQueryInterface(REFIID iid, void** ppv) {                              \
    return this->InternalQueryInterface(this, _GetEntries(), iid, ppv);                  \
  }                                                                                      \
  IUnknown* _GetRawUnknown() {                                                           \
    return reinterpret_cast<IUnknown*>(reinterpret_cast<char*>(this) +                   \
                                       _GetEntries()->offset);                           \
  }                                                                                      \
  static const _ATL_INTMAP_ENTRY* _GetEntries() {                                        \
    static const _ATL_INTMAP_ENTRY _entries[] = {
// The interface `x`, identified by __uuidof(x).
#define COM_INTERFACE_ENTRY(x) {&__uuidof(x), AtlOffsetOfClass<x, _ComMapClass>()},
// The interface `x` answered for the identifier `iid`.
#define COM_INTERFACE_ENTRY_IID(iid, x) {&iid, AtlOffsetOfClass<x, _ComMapClass>()},
// The interface `x` reached through the base `x2` (x is an ambiguous base).
#define COM_INTERFACE_ENTRY2(x, x2) \
  {&__uuidof(x), AtlOffsetOfClass2<x, x2, _ComMapClass>()},
#define END_COM_MAP()                                                                    \
  {nullptr, 0}};                                                                         \
  return _entries;                                                                       \
  }
