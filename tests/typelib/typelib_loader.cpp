#include "typelib_loader.h"

namespace vanu_test {

std::wstring VanuDllPath() {
  std::string unix_path = VANU_WIN32_BIN_DIR "/Vanu.dll";
  std::wstring path = L"Z:";
  for (char c : unix_path) path += (c == '/') ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

HRESULT LoadVanuTypeLib(ITypeLib** lib) {
  return LoadTypeLibEx(VanuDllPath().c_str(), REGKIND_NONE, lib);
}

std::wstring TypeName(ITypeInfo* info) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) return L"";
  std::wstring result = name ? name : L"";
  SysFreeString(name);
  return result;
}

std::wstring TypeString(ITypeInfo* owner, const TYPEDESC& desc) {
  switch (desc.vt) {
    case VT_PTR: return TypeString(owner, *desc.lptdesc) + L"*";
    case VT_INT: return L"int";
    case VT_I4: return L"long";
    case VT_BOOL: return L"VARIANT_BOOL";
    case VT_BSTR: return L"BSTR";
    case VT_VARIANT: return L"VARIANT";
    case VT_DISPATCH: return L"IDispatch*";  // the type itself is a pointer
    case VT_UNKNOWN: return L"IUnknown*";
    case VT_HRESULT: return L"HRESULT";
    case VT_VOID: return L"void";
    case VT_USERDEFINED: {
      ComPtr<ITypeInfo> ref;
      if (FAILED(owner->GetRefTypeInfo(desc.hreftype, ref.put()))) return L"?ref";
      return TypeName(ref.get());
    }
    default: return L"?" + std::to_wstring(desc.vt);
  }
}

HRESULT InterfaceView(ITypeInfo* dispatch, ITypeInfo** view) {
  HREFTYPE ref = 0;
  HRESULT hr = dispatch->GetRefTypeOfImplType(-1, &ref);
  if (FAILED(hr)) return hr;
  return dispatch->GetRefTypeInfo(ref, view);
}

}  // namespace vanu_test
