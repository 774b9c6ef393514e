#include "command_bars.h"

extern "C" const IID IID_CommandBarsCompat = {
    0x000c0302, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

STDMETHODIMP CCommandBars::get_Application(IDispatch** ppidisp) {
  return CopyOut(m_application, ppidisp);
}

STDMETHODIMP CCommandBars::get_Creator(long* plCreator) {
  if (plCreator == nullptr) return E_INVALIDARG;
  *plCreator = kVanuCreator;
  return S_OK;
}

STDMETHODIMP CCommandBars::get_Parent(IDispatch** ppidisp) { return CopyOut(m_parent, ppidisp); }

STDMETHODIMP CCommandBars::get_ActionControl(CommandBarControl** /*ppcbc*/) { return E_NOTIMPL; }

STDMETHODIMP CCommandBars::Add(VARIANT /*Name*/, VARIANT /*Position*/, VARIANT /*MenuBar*/,
                               VARIANT /*Temporary*/, CommandBar** /*ppcb*/) {
  return E_NOTIMPL;
}

STDMETHODIMP CCommandBars::FindControl(VARIANT /*Type*/, VARIANT /*Id*/, VARIANT /*Tag*/,
                                       VARIANT /*Visible*/, CommandBarControl** /*ppcbc*/) {
  return E_NOTIMPL;
}

STDMETHODIMP CCommandBars::get_Item(VARIANT /*Index*/, CommandBar** /*ppcb*/) { return E_NOTIMPL; }

STDMETHODIMP CCommandBars::get_AdaptiveMenus(VARIANT_BOOL* /*pvarfAdaptiveMenus*/) {
  return E_NOTIMPL;
}

STDMETHODIMP CCommandBars::put_AdaptiveMenus(VARIANT_BOOL /*a*/) { return E_NOTIMPL; }
