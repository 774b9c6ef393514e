// CDocumentProperties: the empty DocumentProperties object. It has no member of its own
// beyond IDispatch, makes no Java call and never uses the host, so it works before
// InitServices. A host may bind it through IJavaObject; the binding changes nothing.
#pragma once

#include "class_factory.h"
#include "dispatch_impl.h"
#include "java_object_impl.h"
#include "object_root.h"
#include "vanu_typelib.h"

class CDocumentProperties
    : public CComObjectRootEx<CComSingleThreadModel>,
      public CComCoClass<CDocumentProperties, &CLSID_CDocumentProperties>,
      public IDispatchImpl<DocumentProperties, &IID_DocumentProperties, &LIBID_VaNu, 1, 0>,
      public IJavaObjectImpl<CDocumentProperties> {
 public:
  BEGIN_COM_MAP(CDocumentProperties)
    COM_INTERFACE_ENTRY_IID(IID_IJavaObject, IJavaObject)
    COM_INTERFACE_ENTRY(DocumentProperties)
    COM_INTERFACE_ENTRY(IDispatch)
  END_COM_MAP()

  // Stores both values exactly as given; no global reference, no host call; S_OK.
  STDMETHOD(SetJavaObject)(JNIEnv* env, jobject javaObject) override {
    m_env = env;
    m_javaObject = javaObject;
    return S_OK;
  }
};
