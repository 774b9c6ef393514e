// IJavaObject: the library-private interface by which the host binds an automation object
// to its Java object, its application and its parent.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <jni.h>

// {AEA547FF-372A-4713-90A0-60CD5120B290}
extern "C" const IID IID_IJavaObject;

struct IJavaObject : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetJavaObject(JNIEnv** env, jobject* javaObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetJavaObject(JNIEnv* env, jobject javaObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetApplication(IDispatch** application) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetApplication(IDispatch* application) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetParent(IDispatch** parent) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetParent(IDispatch* parent) = 0;
};
