#include "vanu_test_support.h"

#include <cstring>

namespace vanu_test {

namespace {

// Wine (8.0) does not merge HKEY_CURRENT_USER\Software\Classes into HKEY_CLASSES_ROOT, so
// COM and LoadRegTypeLib under Wine see only the machine's classes. The keys go there, in
// the test prefix that belongs to the build folder.
const HKEY kRoot = HKEY_CLASSES_ROOT;

const wchar_t kCommandBarsKey[] =
    L"CLSID\\{53C96D87-1D3A-40F6-AF4F-6700640FF670}";
const wchar_t kDocumentPropertiesKey[] =
    L"CLSID\\{53831E27-8A8C-4D13-AAED-7146321471E5}";
const wchar_t kTypeLibKey[] = L"TypeLib\\{CF60A685-22C5-424D-A074-24FF80932E03}";

// Deletes `sub` below `root` with every subkey; a missing key is not an error.
void DeleteTree(HKEY root, const std::wstring& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  for (;;) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    DeleteTree(key, name);
  }
  RegCloseKey(key);
  RegDeleteKeyW(root, sub.c_str());
}

LONG SetString(const std::wstring& sub, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExW(kRoot, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return rc;
}

void* JNICALL Trap() {
  ++RecordingEnv::unexpectedCalls;
  return nullptr;
}

jobject JNICALL NewGlobalRef(JNIEnv* env, jobject local) {
  OwnerOf(env)->newGlobalRefs.push_back(local);
  return local == nullptr ? nullptr : RecordingEnv::GlobalFor(local);
}

void JNICALL DeleteGlobalRef(JNIEnv* env, jobject global) {
  OwnerOf(env)->deletedGlobalRefs.push_back(global);
}

}  // namespace

int RecordingEnv::unexpectedCalls = 0;

RecordingEnv* OwnerOf(JNIEnv* env) { return reinterpret_cast<RecordingEnv::Box*>(env)->owner; }

std::wstring VanuDllPathBesideProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s(path);
  return s.substr(0, s.rfind(L'\\')) + L"\\Vanu.dll";
}

void RemoveUserRegistration() {
  DeleteTree(kRoot, kCommandBarsKey);
  DeleteTree(kRoot, kDocumentPropertiesKey);
  DeleteTree(kRoot, kTypeLibKey);
}

UserRegistration::UserRegistration(const std::wstring& dllPath) {
  RemoveUserRegistration();
  const std::wstring cb = kCommandBarsKey, dp = kDocumentPropertiesKey, tl = kTypeLibKey;
  const struct {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
  } rows[] = {
      {cb, nullptr, L"CommandBars Class"},
      {cb + L"\\InprocServer32", nullptr, dllPath},
      {cb + L"\\InprocServer32", L"ThreadingModel", L"both"},
      {dp, nullptr, L"CDocumentProperties Class"},
      {dp + L"\\InprocServer32", nullptr, dllPath},
      {dp + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {tl + L"\\1.0", nullptr, L"VaNu"},
      {tl + L"\\1.0\\FLAGS", nullptr, L"0"},
      {tl + L"\\1.0\\0\\win32", nullptr, dllPath},
      {tl + L"\\1.0\\0\\win64", nullptr, dllPath},
  };
  for (const auto& row : rows) {
    result_ = SetString(row.key, row.name, row.value);
    if (result_ != ERROR_SUCCESS) return;
  }
}

UserRegistration::~UserRegistration() { RemoveUserRegistration(); }

STDMETHODIMP CountingOuter::QueryInterface(REFIID iid, void** ppv) {
  queried.push_back(iid);
  if (ppv == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

RecordingEnv::RecordingEnv() {
  static_assert(sizeof(JNINativeInterface_) % sizeof(void*) == 0, "table of pointers");
  void** slots = reinterpret_cast<void**>(&table_);
  for (size_t i = 0; i < sizeof(table_) / sizeof(void*); ++i) {
    slots[i] = reinterpret_cast<void*>(&Trap);
  }
  table_.NewGlobalRef = &NewGlobalRef;
  table_.DeleteGlobalRef = &DeleteGlobalRef;
  box_.env.functions = &table_;
  box_.owner = this;
}

}  // namespace vanu_test
