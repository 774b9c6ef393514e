// CCommandBars: the collection of the application's command bars and the creatable entry
// object of the command-bar model. It stands for one Java object bound by the host through
// IJavaObject. This unit holds its make-up, its interface map, the members every
// command-bar class shares (Application, Creator, Parent) and those that do nothing.
// Members that call Java answer E_NOTIMPL until their Java calls are built.
#pragma once

#include "class_factory.h"
#include "dispatch_impl.h"
#include "java_object_impl.h"
#include "object_root.h"
#include "vanu_typelib.h"

// {000C0302-0000-0000-C000-000000000046}: answered with the _CommandBars interface.
extern "C" const IID IID_CommandBarsCompat;

// What Creator reports for every command-bar object.
constexpr long kVanuCreator = 0x4D535744;

class CCommandBars
    : public CComObjectRootEx<CComSingleThreadModel>,
      public CComCoClass<CCommandBars, &CLSID_CommandBars>,
      public IDispatchImpl<_CommandBars, &IID__CommandBars, &LIBID_VaNu, 1, 0>,
      public IJavaObjectImpl<CCommandBars> {
 public:
  // Deletes the Java object's global reference (see IJavaObjectImpl::ReleaseJavaObject).
  ~CCommandBars() { ReleaseJavaObject(); }

  BEGIN_COM_MAP(CCommandBars)
    COM_INTERFACE_ENTRY_IID(IID_IJavaObject, IJavaObject)
    COM_INTERFACE_ENTRY(_IVaNuDispObj)
    COM_INTERFACE_ENTRY(_CommandBars)
    COM_INTERFACE_ENTRY_IID(IID_CommandBarsCompat, _CommandBars)
    COM_INTERFACE_ENTRY(IDispatch)
  END_COM_MAP()

  // _IVaNuDispObj. E_INVALIDARG for a null out (nothing written).
  STDMETHOD(get_Application)(IDispatch** ppidisp) override;
  STDMETHOD(get_Creator)(long* plCreator) override;

  // _CommandBars, members calling Java (E_NOTIMPL for now).
  STDMETHOD(get_ActionControl)(CommandBarControl** ppcbc) override;
  STDMETHOD(Add)(VARIANT Name, VARIANT Position, VARIANT MenuBar, VARIANT Temporary,
                 CommandBar** ppcb) override;
  STDMETHOD(FindControl)(VARIANT Type, VARIANT Id, VARIANT Tag, VARIANT Visible,
                         CommandBarControl** ppcbc) override;
  STDMETHOD(get_Item)(VARIANT Index, CommandBar** ppcb) override;
  STDMETHOD(get_AdaptiveMenus)(VARIANT_BOOL* pvarfAdaptiveMenus) override;
  STDMETHOD(put_AdaptiveMenus)(VARIANT_BOOL a) override;

  // Parent: this object's parent with one added reference; E_INVALIDARG for a null out.
  STDMETHOD(get_Parent)(IDispatch** ppidisp) override;

  // Members not implemented: S_OK at once, nothing written.
  STDMETHOD(get_ActiveMenuBar)(CommandBar**) override { return S_OK; }
  STDMETHOD(get_Count)(int*) override { return S_OK; }
  STDMETHOD(get_DisplayTooltips)(VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(put_DisplayTooltips)(VARIANT_BOOL) override { return S_OK; }
  STDMETHOD(get_DisplayKeysInTooltips)(VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(put_DisplayKeysInTooltips)(VARIANT_BOOL) override { return S_OK; }
  STDMETHOD(get_LargeButtons)(VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(put_LargeButtons)(VARIANT_BOOL) override { return S_OK; }
  STDMETHOD(get_MenuAnimationStyle)(VanuMenuAnimation*) override { return S_OK; }
  STDMETHOD(put_MenuAnimationStyle)(VanuMenuAnimation) override { return S_OK; }
  STDMETHOD(get__NewEnum)(IUnknown**) override { return S_OK; }
  STDMETHOD(ReleaseFocus)() override { return S_OK; }
  STDMETHOD(get_IdsString)(int, BSTR*, int*) override { return S_OK; }
  STDMETHOD(get_TmcGetName)(int, BSTR*, int*) override { return S_OK; }
  STDMETHOD(FindControls)(VARIANT, VARIANT, VARIANT, VARIANT, CommandBarControls**) override {
    return S_OK;
  }
  STDMETHOD(AddEx)(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, CommandBar**) override {
    return S_OK;
  }
  STDMETHOD(get_DisplayFonts)(VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(put_DisplayFonts)(VARIANT_BOOL) override { return S_OK; }
  STDMETHOD(get_DisableCustomize)(VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(put_DisableCustomize)(VARIANT_BOOL) override { return S_OK; }
  STDMETHOD(get_DisableAskAQuestionDropdown)(VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(put_DisableAskAQuestionDropdown)(VARIANT_BOOL) override { return S_OK; }
  STDMETHOD(ExecuteMso)(BSTR) override { return S_OK; }
  STDMETHOD(GetEnabledMso)(BSTR, VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(GetVisibleMso)(BSTR, VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(GetPressedMso)(BSTR, VARIANT_BOOL*) override { return S_OK; }
  STDMETHOD(GetLabelMso)(BSTR, BSTR*) override { return S_OK; }
  STDMETHOD(GetScreentipMso)(BSTR, BSTR*) override { return S_OK; }
  STDMETHOD(GetSupertipMso)(BSTR, BSTR*) override { return S_OK; }
  STDMETHOD(GetImageMso)(BSTR, int, int, IPictureDisp**) override { return S_OK; }
  STDMETHOD(CommitRenderingTransaction)(LONG) override { return S_OK; }
};
