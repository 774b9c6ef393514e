// The C++ interfaces generated from VaNu.idl have every method at the vtable
// offset that the type library gives it, so a late-bound call through the
// type information reaches the same entry as an early-bound one.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "typelib_loader.h"
#include "vanu_typelib.h"

namespace {

using vanu_test::ComPtr;

struct VtableRow { const wchar_t* iface; const wchar_t* method; ptrdiff_t offset; };

// A pointer to a virtual member function holds 1 + its vtable offset in bytes
// (the Itanium C++ ABI, which GCC uses for MinGW too).
template <class F>
ptrdiff_t VtableOffset(F f) {
  struct { ptrdiff_t ptr; ptrdiff_t adj; } raw;
  static_assert(sizeof(f) == sizeof(raw), "member pointer layout");
  std::memcpy(&raw, &f, sizeof(raw));
  return (raw.ptr & 1) ? raw.ptr - 1 : -1;
}

#define VTABLE_ROW(iface, method) {L## #iface, L## #method, VtableOffset(&iface::method)}
#include "vtable_expected.inc"
#undef VTABLE_ROW

TEST(VtableTest, GeneratedInterfacesMatchTypeLibraryOffsets) {
  std::map<std::wstring, const VtableRow*> rows;
  for (const VtableRow& row : kVtable) rows[std::wstring(row.iface) + L"::" + row.method] = &row;
  ASSERT_EQ(sizeof(kVtable) / sizeof(kVtable[0]), rows.size());

  ComPtr<ITypeLib> lib;
  ASSERT_EQ(S_OK, vanu_test::LoadVanuTypeLib(lib.put()));
  size_t matched = 0;
  for (const wchar_t* name : {L"_IVaNuDispObj", L"_CommandBars", L"CommandBar", L"CommandBarControls",
                              L"CommandBarControl"}) {
    ComPtr<ITypeInfo> disp, view;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    MEMBERID id;
    USHORT found = 1;
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, lib->FindName(n, 0, &info, &id, &found));
    ASSERT_EQ(1, found);
    *disp.put() = info;
    ASSERT_EQ(S_OK, vanu_test::InterfaceView(disp.get(), view.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, view->GetTypeAttr(&attr));
    for (int i = 0; i < attr->cFuncs; ++i) {
      FUNCDESC* f = nullptr;
      ASSERT_EQ(S_OK, view->GetFuncDesc(i, &f));
      BSTR member = nullptr;
      UINT count = 0;
      ASSERT_EQ(S_OK, view->GetNames(f->memid, &member, 1, &count));
      std::wstring method = member;
      SysFreeString(member);
      if (f->invkind == INVOKE_PROPERTYGET) method = L"get_" + method;
      if (f->invkind == INVOKE_PROPERTYPUT) method = L"put_" + method;
      std::wstring key = std::wstring(name) + L"::" + method;
      auto it = rows.find(key);
      ASSERT_NE(rows.end(), it) << testing::PrintToString(key);
      EXPECT_EQ(it->second->offset, f->oVft) << testing::PrintToString(key);
      ++matched;
      view->ReleaseFuncDesc(f);
    }
    view->ReleaseTypeAttr(attr);
  }
  EXPECT_EQ(rows.size(), matched);
}

// The class identifiers and the library identifier come from the same IDL.
TEST(VtableTest, GeneratedIdentifiers) {
  ComPtr<ITypeLib> lib;
  ASSERT_EQ(S_OK, vanu_test::LoadVanuTypeLib(lib.put()));
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
  EXPECT_TRUE(IsEqualGUID(LIBID_VaNu, attr->guid));
  lib->ReleaseTLibAttr(attr);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID__CommandBars, info.put()));
  EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_CommandBar, info.put()));
  EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_CommandBarControls, info.put()));
  EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_CommandBarControl, info.put()));
  EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_DocumentProperties, info.put()));
  EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(CLSID_CommandBars, info.put()));
  EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(CLSID_CDocumentProperties, info.put()));
}

}  // namespace
