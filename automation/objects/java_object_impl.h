// IJavaObjectImpl: the binding of an automation object to its Java object, its application
// and its parent, set and read by the host through IJavaObject. The library's own members
// never call IJavaObject.
//
// The fields are null until the host sets them. The application and parent pointers get one
// reference when they are stored and are never released: a result object may have its
// creator as parent without a reference, so releasing them would release what was never
// counted.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <jni.h>

#include "java_host.h"
#include "java_object.h"

template <class T>
class IJavaObjectImpl : public IJavaObject {
 public:
  // Writes m_env and m_javaObject; E_INVALIDARG (nothing written) when either out is null.
  STDMETHOD(GetJavaObject)(JNIEnv** env, jobject* javaObject) override {
    if (env == nullptr || javaObject == nullptr) return E_INVALIDARG;
    *env = m_env;
    *javaObject = m_javaObject;
    return S_OK;
  }

  // Keeps a global reference to `javaObject` and `env`, and returns what the host's
  // EndJavaCall returns for `env`. E_UNEXPECTED, with nothing stored, before the host is
  // known (no InitServices yet); E_INVALIDARG for a null env. A reference stored before
  // stays as it was: the host may still hold it.
  STDMETHOD(SetJavaObject)(JNIEnv* env, jobject javaObject) override {
    if (env == nullptr) return E_INVALIDARG;
    IJavaHost* host = g_javaHost;
    if (host == nullptr) return E_UNEXPECTED;
    m_javaObject = env->NewGlobalRef(javaObject);
    m_env = env;
    return host->EndJavaCall(env);
  }

  // Writes m_application with one added reference (null when unset); E_INVALIDARG for a
  // null out.
  STDMETHOD(GetApplication)(IDispatch** application) override {
    return CopyOut(m_application, application);
  }
  // Stores `application` and adds a reference to it; S_OK.
  STDMETHOD(SetApplication)(IDispatch* application) override {
    return Store(application, m_application);
  }
  STDMETHOD(GetParent)(IDispatch** parent) override { return CopyOut(m_parent, parent); }
  STDMETHOD(SetParent)(IDispatch* parent) override { return Store(parent, m_parent); }

 protected:
  // Deletes the Java object's global reference, as the host reports it for this object.
  // Nothing happens without a host, when the host fails or reports no Java object. No
  // EndJavaCall follows.
  void ReleaseJavaObject() {
    IJavaHost* host = g_javaHost;
    if (host == nullptr) return;
    JNIEnv* env = nullptr;
    jobject javaObject = nullptr;
    const HRESULT hr = host->GetJavaContext(static_cast<IJavaObject*>(this), &env, &javaObject);
    if (SUCCEEDED(hr) && env != nullptr && javaObject != nullptr) env->DeleteGlobalRef(javaObject);
  }

  static HRESULT CopyOut(IDispatch* value, IDispatch** out) {
    if (out == nullptr) return E_INVALIDARG;
    if (value != nullptr) value->AddRef();
    *out = value;
    return S_OK;
  }
  static HRESULT Store(IDispatch* value, IDispatch*& field) {
    if (value != nullptr) value->AddRef();
    field = value;
    return S_OK;
  }

  JNIEnv* m_env = nullptr;
  jobject m_javaObject = nullptr;
  IDispatch* m_application = nullptr;
  IDispatch* m_parent = nullptr;
};
