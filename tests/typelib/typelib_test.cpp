// The type library of Vanu.dll against the object model: every type
// description in order, the interfaces with their members, the enumerations,
// the coclasses and the library attributes.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "typelib_loader.h"

namespace {

using vanu_test::ComPtr;
using vanu_test::TypeName;
using vanu_test::TypeString;

struct TypeRow { int index; TYPEKIND kind; const wchar_t* name; };
struct MemberRow {
  const wchar_t* iface; const wchar_t* name; INVOKEKIND kind; MEMBERID dispid; bool hidden;
  const wchar_t* params;
};
struct InterfaceRow {
  const wchar_t* name; const wchar_t* iid; const wchar_t* base; WORD flags; const wchar_t* help;
};
struct CoclassRow { const wchar_t* name; const wchar_t* clsid; const wchar_t* def; const wchar_t* help; };
struct EnumRow { const wchar_t* alias; int count; };
struct EnumConstantsRow { const wchar_t* alias; const wchar_t* constants; };

#include "typelib_expected.inc"

constexpr int kDispatchSlots = 7;  // IUnknown and IDispatch
constexpr int kBaseSlots = 2;      // Application and Creator of _IVaNuDispObj

std::vector<std::wstring> Split(const std::wstring& text, wchar_t sep) {
  std::vector<std::wstring> parts;
  if (text.empty()) return parts;
  std::wstringstream in(text);
  std::wstring part;
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

std::wstring FlagString(USHORT flags) {
  std::wstring s;
  if (flags & PARAMFLAG_FIN) s += L'i';
  if (flags & PARAMFLAG_FOUT) s += L'o';
  if (flags & PARAMFLAG_FOPT) s += L'p';
  if (flags & PARAMFLAG_FRETVAL) s += L'r';
  return s;
}

class TypeLibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HRESULT hr = vanu_test::LoadVanuTypeLib(lib_.put());
    ASSERT_EQ(S_OK, hr) << "LoadTypeLibEx failed for " << testing::PrintToString(vanu_test::VanuDllPath());
    for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
      ComPtr<ITypeInfo> info;
      ASSERT_EQ(S_OK, lib_->GetTypeInfo(i, info.put()));
      index_[TypeName(info.get())] = i;
    }
  }

  // The type description of that name; fails the test when it is missing.
  void Info(const std::wstring& name, ITypeInfo** info) {
    auto it = index_.find(name);
    ASSERT_NE(index_.end(), it) << testing::PrintToString(name);
    ASSERT_EQ(S_OK, lib_->GetTypeInfo(it->second, info));
  }

  ComPtr<ITypeLib> lib_;
  std::map<std::wstring, UINT> index_;
};

// Reads and frees the attributes of one type description.
class TypeAttr {
 public:
  explicit TypeAttr(ITypeInfo* info) : info_(info) { info_->GetTypeAttr(&attr_); }
  ~TypeAttr() { if (attr_) info_->ReleaseTypeAttr(attr_); }
  const TYPEATTR* operator->() const { return attr_; }
  explicit operator bool() const { return attr_ != nullptr; }

 private:
  ITypeInfo* info_;
  TYPEATTR* attr_ = nullptr;
};

TEST_F(TypeLibTest, LibraryAttributes) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(S_OK, lib_->GetLibAttr(&attr));
  GUID libid;
  ASSERT_EQ(S_OK, CLSIDFromString(L"{CF60A685-22C5-424D-A074-24FF80932E03}", &libid));
  EXPECT_TRUE(IsEqualGUID(libid, attr->guid));
  EXPECT_EQ(0x0409u, attr->lcid);
  EXPECT_EQ(SYS_WIN32, attr->syskind);
  EXPECT_EQ(1, attr->wMajorVerNum);
  EXPECT_EQ(0, attr->wMinorVerNum);
  // Wine marks every library it loaded with LIBFLAG_FHASDISKIMAGE; the file has no flags.
  EXPECT_EQ(0, attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE);
  lib_->ReleaseTLibAttr(attr);

  BSTR name = nullptr, help = nullptr, file = nullptr;
  DWORD context = 0xdeadbeef;
  ASSERT_EQ(S_OK, lib_->GetDocumentation(-1, &name, &help, &context, &file));
  EXPECT_STREQ(L"VaNu", name);
  EXPECT_STREQ(L"VaNu Duvude 2014 Object Library", help);
  EXPECT_EQ(nullptr, file);
  EXPECT_EQ(0u, context);
  SysFreeString(name);
  SysFreeString(help);
  SysFreeString(file);
}

TEST_F(TypeLibTest, TypeDescriptionsInOrder) {
  ASSERT_EQ(466u, lib_->GetTypeInfoCount());
  ASSERT_EQ(466u, sizeof(kTypes) / sizeof(kTypes[0]));
  for (const TypeRow& row : kTypes) {
    SCOPED_TRACE(row.index);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, lib_->GetTypeInfo(row.index, info.put()));
    TypeAttr attr(info.get());
    ASSERT_TRUE(attr);
    EXPECT_EQ(row.kind, attr->typekind);
    EXPECT_EQ(std::wstring(row.name), TypeName(info.get()));
  }
}

TEST_F(TypeLibTest, InterfacesIdentifiersFlagsAndBases) {
  ASSERT_EQ(26u, sizeof(kInterfaces) / sizeof(kInterfaces[0]));
  for (const InterfaceRow& row : kInterfaces) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.name)));
    ComPtr<ITypeInfo> disp, view, base;
    Info(row.name, disp.put());
    ASSERT_EQ(S_OK, vanu_test::InterfaceView(disp.get(), view.put()));
    GUID iid;
    ASSERT_EQ(S_OK, IIDFromString(row.iid, &iid));
    {
      TypeAttr a(disp.get());
      EXPECT_EQ(TKIND_DISPATCH, a->typekind);
      EXPECT_TRUE(IsEqualGUID(iid, a->guid));
      EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE | row.flags, a->wTypeFlags);
    }
    TypeAttr a(view.get());
    EXPECT_EQ(TKIND_INTERFACE, a->typekind);
    EXPECT_TRUE(IsEqualGUID(iid, a->guid));
    EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE | row.flags, a->wTypeFlags);
    ASSERT_EQ(1, a->cImplTypes);
    HREFTYPE ref;
    ASSERT_EQ(S_OK, view->GetRefTypeOfImplType(0, &ref));
    ASSERT_EQ(S_OK, view->GetRefTypeInfo(ref, base.put()));
    EXPECT_EQ(std::wstring(row.base), TypeName(base.get()));

    BSTR help = nullptr;
    ASSERT_EQ(S_OK, disp->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr));
    EXPECT_EQ(std::wstring(row.help ? row.help : L""), std::wstring(help ? help : L""));
    SysFreeString(help);
  }
}

// Every own member of every interface, read from the interface view: name,
// DISPID, invoke kind, flags, parameters and the vtable slot after the
// IUnknown, IDispatch and inherited entries.
TEST_F(TypeLibTest, MembersOfEveryInterface) {
  std::map<std::wstring, std::vector<const MemberRow*>> expected;
  for (const MemberRow& row : kMembers) expected[row.iface].push_back(&row);
  for (const InterfaceRow& iface : kInterfaces) {
    ComPtr<ITypeInfo> disp, view;
    Info(iface.name, disp.put());
    ASSERT_EQ(S_OK, vanu_test::InterfaceView(disp.get(), view.put()));
    const std::vector<const MemberRow*>& rows = expected[iface.name];
    const int first_slot =
        kDispatchSlots + (std::wstring(iface.base) == L"IDispatch" ? 0 : kBaseSlots);
    TypeAttr attr(view.get());
    ASSERT_EQ(rows.size(), static_cast<size_t>(attr->cFuncs)) << testing::PrintToString(std::wstring(iface.name));
    // Wine reports the table size in the library's own 4-byte entries.
    EXPECT_EQ((first_slot + attr->cFuncs) * 4, attr->cbSizeVft);
    for (UINT i = 0; i < rows.size(); ++i) {
      const MemberRow& row = *rows[i];
      SCOPED_TRACE(testing::PrintToString(std::wstring(row.iface) + L"::" + row.name + L" #" + std::to_wstring(i + 1)));
      FUNCDESC* f = nullptr;
      ASSERT_EQ(S_OK, view->GetFuncDesc(i, &f));
      EXPECT_EQ(row.dispid, f->memid);
      EXPECT_EQ(row.kind, f->invkind);
      EXPECT_EQ(FUNC_PUREVIRTUAL, f->funckind);
      EXPECT_EQ(CC_STDCALL, f->callconv);
      EXPECT_EQ(row.hidden ? FUNCFLAG_FHIDDEN : 0, f->wFuncFlags);
      EXPECT_EQ(L"HRESULT", TypeString(view.get(), f->elemdescFunc.tdesc));
      // A 64-bit process sees the member offsets of this 32-bit library scaled to its own
      // pointer size (cbSizeVft above is not scaled).
      EXPECT_EQ(static_cast<SHORT>((first_slot + i) * sizeof(void*)), f->oVft);

      BSTR names[16] = {};
      UINT count = 0;
      ASSERT_EQ(S_OK, view->GetNames(f->memid, names, 16, &count));
      EXPECT_STREQ(row.name, names[0]);
      std::vector<std::wstring> params = Split(row.params, L';');
      ASSERT_EQ(params.size(), static_cast<size_t>(f->cParams));
      for (int p = 0; p < f->cParams; ++p) {
        std::vector<std::wstring> parts = Split(params[p], L' ');
        ASSERT_EQ(3u, parts.size());
        const ELEMDESC& e = f->lprgelemdescParam[p];
        EXPECT_EQ(parts[0], FlagString(e.paramdesc.wParamFlags)) << "parameter " << p;
        EXPECT_EQ(parts[1], TypeString(view.get(), e.tdesc)) << "parameter " << p;
        // GetNames looks members up by DISPID, which a put accessor shares with its get
        // accessor: the unnamed value of a put accessor is checked by count only.
        if (row.kind != INVOKE_PROPERTYPUT) {
          ASSERT_LT(static_cast<UINT>(p + 1), count) << "parameter " << p;
          EXPECT_EQ(parts[2], std::wstring(names[p + 1])) << "parameter " << p;
        }
      }
      for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
      view->ReleaseFuncDesc(f);
    }
  }
}

TEST_F(TypeLibTest, GetImageMsoReturnsStdole2TypeDescription36) {
  ComPtr<ITypeInfo> disp, view, ref;
  Info(L"_CommandBars", disp.put());
  ASSERT_EQ(S_OK, vanu_test::InterfaceView(disp.get(), view.put()));
  FUNCDESC* f = nullptr;
  ASSERT_EQ(S_OK, view->GetFuncDesc(36, &f));  // the 37th own member
  ASSERT_EQ(0x60030024, f->memid);
  ASSERT_EQ(4, f->cParams);
  const TYPEDESC& t = f->lprgelemdescParam[3].tdesc;
  ASSERT_EQ(VT_PTR, t.vt);
  ASSERT_EQ(VT_PTR, t.lptdesc->vt);
  ASSERT_EQ(VT_USERDEFINED, t.lptdesc->lptdesc->vt);
  ASSERT_EQ(S_OK, view->GetRefTypeInfo(t.lptdesc->lptdesc->hreftype, ref.put()));
  view->ReleaseFuncDesc(f);

  ComPtr<ITypeLib> stdole;
  UINT index = 0xdeadbeef;
  ASSERT_EQ(S_OK, ref->GetContainingTypeLib(stdole.put(), &index));
  EXPECT_EQ(36u, index);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(S_OK, stdole->GetLibAttr(&attr));
  EXPECT_TRUE(IsEqualGUID(IID_StdOle, attr->guid));
  EXPECT_EQ(2, attr->wMajorVerNum);
  stdole->ReleaseTLibAttr(attr);
}

// Late binding: names resolve to the DISPIDs of the object model on the dispatch view.
TEST_F(TypeLibTest, IDsOfNames) {
  struct Case { const wchar_t* iface; const wchar_t* name; HRESULT hr; MEMBERID id; };
  static const Case kCases[] = {
      {L"_CommandBars", L"Item", S_OK, 0},
      {L"_CommandBars", L"_NewEnum", S_OK, DISPID_NEWENUM},
      {L"CommandBarControls", L"Item", S_OK, 0},
      {L"CommandBarControls", L"_NewEnum", S_OK, DISPID_NEWENUM},
      {L"_CommandBars", L"DisplayTooltips", S_OK, 0x60030004},
      {L"_CommandBars", L"DisplayKeysInTooltips", S_OK, 0x60030006},
      {L"_CommandBars", L"Application", S_OK, 0x60020000},
      {L"CommandBar", L"Application", S_OK, 0x60020000},
      {L"CommandBarControls", L"Creator", S_OK, 0x60020001},
      {L"CommandBarControl", L"Creator", S_OK, 0x60020001},
      {L"CommandBarControl", L"Reserved7", S_OK, 0x60040034},
      {L"Assistant", L"Creator", S_OK, 0x60020001},
      {L"DocumentProperties", L"Item", DISP_E_UNKNOWNNAME, MEMBERID_NIL},
      {L"DocumentProperties", L"Application", DISP_E_UNKNOWNNAME, MEMBERID_NIL},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.iface) + L"." + c.name));
    ComPtr<ITypeInfo> disp;
    Info(c.iface, disp.put());
    LPOLESTR name = const_cast<LPOLESTR>(c.name);
    MEMBERID id = 0x12345678;
    EXPECT_EQ(c.hr, disp->GetIDsOfNames(&name, 1, &id));
    EXPECT_EQ(c.id, id);
  }
}

TEST_F(TypeLibTest, Coclasses) {
  for (const CoclassRow& row : kCoclasses) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.name)));
    ComPtr<ITypeInfo> info, def;
    Info(row.name, info.put());
    TypeAttr attr(info.get());
    GUID clsid;
    ASSERT_EQ(S_OK, CLSIDFromString(row.clsid, &clsid));
    EXPECT_TRUE(IsEqualGUID(clsid, attr->guid));
    EXPECT_EQ(TYPEFLAG_FCANCREATE, attr->wTypeFlags);
    ASSERT_EQ(1, attr->cImplTypes);
    INT flags = 0;
    ASSERT_EQ(S_OK, info->GetImplTypeFlags(0, &flags));
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
    HREFTYPE ref;
    ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &ref));
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(ref, def.put()));
    EXPECT_EQ(std::wstring(row.def), TypeName(def.get()));
    BSTR help = nullptr;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr));
    EXPECT_EQ(std::wstring(row.help ? row.help : L""), std::wstring(help ? help : L""));
    SysFreeString(help);
  }
}

// The constants of one enumeration, in order.
struct Constant { std::wstring name; LONG value; };

class EnumTest : public TypeLibTest {
 protected:
  // Reads the enumeration behind the alias; checks member ids and constant type on the way.
  void Constants(const std::wstring& alias, std::vector<Constant>* out) {
    ComPtr<ITypeInfo> info, en;
    Info(alias, info.put());
    TypeAttr a(info.get());
    ASSERT_EQ(TKIND_ALIAS, a->typekind);
    ASSERT_EQ(VT_USERDEFINED, a->tdescAlias.vt);
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(a->tdescAlias.hreftype, en.put()));
    TypeAttr e(en.get());
    ASSERT_EQ(TKIND_ENUM, e->typekind);
    for (int i = 0; i < e->cVars; ++i) {
      VARDESC* v = nullptr;
      ASSERT_EQ(S_OK, en->GetVarDesc(i, &v));
      EXPECT_EQ(0x40000000 + i, v->memid);
      EXPECT_EQ(VAR_CONST, v->varkind);
      // widl stores enumeration constants as VT_I4 (a 32-bit int either way).
      EXPECT_EQ(VT_I4, V_VT(v->lpvarValue));
      BSTR name = nullptr;
      UINT n = 0;
      ASSERT_EQ(S_OK, en->GetNames(v->memid, &name, 1, &n));
      out->push_back({name, V_I4(v->lpvarValue)});
      SysFreeString(name);
      en->ReleaseVarDesc(v);
    }
  }
};

TEST_F(EnumTest, EveryEnumerationHasItsNumberOfConstants) {
  ASSERT_EQ(218u, sizeof(kEnums) / sizeof(kEnums[0]));
  int number = 0;
  for (const EnumRow& row : kEnums) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.alias)));
    ++number;
    // The enumeration itself follows its alias and carries the generated name.
    wchar_t generated[64];
    swprintf(generated, 64, L"__MIDL___MIDL_itf_VaNu_0000_0001_%04d", number);
    ASSERT_EQ(1u, index_.count(generated));
    EXPECT_EQ(index_[row.alias] + 1, index_[generated]);
    std::vector<Constant> constants;
    Constants(row.alias, &constants);
    EXPECT_EQ(static_cast<size_t>(row.count), constants.size());
  }
}

TEST_F(EnumTest, FixedEnumerationsExactly) {
  for (const EnumConstantsRow& row : kFixedEnums) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.alias)));
    std::vector<Constant> actual;
    Constants(row.alias, &actual);
    std::vector<std::wstring> expected = Split(row.constants, L';');
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      std::vector<std::wstring> parts = Split(expected[i], L' ');
      EXPECT_EQ(parts[0], actual[i].name);
      EXPECT_EQ(std::stol(parts[1]), actual[i].value) << testing::PrintToString(parts[0]);
    }
  }
}

TEST_F(EnumTest, NamedValues) {
  std::vector<Constant> sync, language, encoding;
  Constants(L"VanuSyncStatusType", &sync);
  std::map<std::wstring, LONG> s;
  for (const Constant& c : sync) s[c.name] = c.value;
  ASSERT_EQ(1u, s.count(L"vanuSyncStatusNoSharedWorkspace"));
  ASSERT_EQ(1u, s.count(L"vanuSyncStatusNotRoaming"));
  EXPECT_EQ(0, s[L"vanuSyncStatusNoSharedWorkspace"]);
  EXPECT_EQ(0, s[L"vanuSyncStatusNotRoaming"]);

  // Locale identifiers and code-page numbers.
  Constants(L"VanuLanguageID", &language);
  Constants(L"VanuEncoding", &encoding);
  auto has = [](const std::vector<Constant>& cs, LONG v) {
    for (const Constant& c : cs) if (c.value == v) return true;
    return false;
  };
  for (LONG lcid : {0x0409, 0x0407, 0x040C, 0x0411, 0x0804}) EXPECT_TRUE(has(language, lcid)) << lcid;
  for (LONG cp : {1252, 932, 936, 65001, 28591}) EXPECT_TRUE(has(encoding, cp)) << cp;

  // In the Xl enumerations "automatic" is -4105 and "none" -4142.
  int xl = 0;
  for (const EnumRow& row : kEnums) {
    std::wstring alias = row.alias;
    if (alias.compare(0, 2, L"Xl") != 0) continue;
    ++xl;
    std::vector<Constant> cs;
    Constants(alias, &cs);
    for (const Constant& c : cs) {
      auto ends = [&](const wchar_t* tail) {
        std::wstring t = tail;
        return c.name.size() >= t.size() && c.name.compare(c.name.size() - t.size(), t.size(), t) == 0;
      };
      if (ends(L"Automatic")) {
        EXPECT_EQ(-4105, c.value) << testing::PrintToString(c.name);
      }
      if (ends(L"None")) {
        EXPECT_EQ(-4142, c.value) << testing::PrintToString(c.name);
      }
    }
  }
  EXPECT_EQ(39, xl);

  ComPtr<ITypeInfo> rgb;
  Info(L"VanuRGBType", rgb.put());
  TypeAttr a(rgb.get());
  EXPECT_EQ(TKIND_ALIAS, a->typekind);
  EXPECT_EQ(VT_I4, a->tdescAlias.vt);
}

// The five forms of values, counted over all enumerations.
TEST_F(EnumTest, ValueFormTotals) {
  int zero_based = 0, one_based = 0, mixed_one = 0, mixed_zero = 0, own = 0;
  for (const EnumRow& row : kEnums) {
    std::vector<Constant> cs;
    Constants(row.alias, &cs);
    ASSERT_FALSE(cs.empty());
    auto sequence = [&](size_t from, LONG start) {
      for (size_t i = from; i < cs.size(); ++i)
        if (cs[i].value != start + static_cast<LONG>(i - from)) return false;
      return true;
    };
    const std::wstring& first = cs[0].name;
    bool mixed_name = first.size() >= 5 && first.compare(first.size() - 5, 5, L"Mixed") == 0;
    if (sequence(0, 0)) ++zero_based;
    else if (sequence(0, 1)) ++one_based;
    else if (cs[0].value == -2 && mixed_name && sequence(1, 1)) ++mixed_one;
    else if (cs[0].value == -2 && sequence(1, 0)) ++mixed_zero;
    else ++own;
  }
  EXPECT_EQ(62, zero_based);
  EXPECT_EQ(37, one_based);
  EXPECT_EQ(47, mixed_one);
  EXPECT_EQ(17, mixed_zero);
  EXPECT_EQ(55, own);
}

}  // namespace
