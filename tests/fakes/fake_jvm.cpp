// The fake JVM's object model and its JNI function table.
#include "fake_jvm.h"

#include <cstdarg>
#include <cstdio>
#include <type_traits>
#include <unordered_set>

namespace vanu_test {

namespace {

struct Object {
  enum Kind { kClass, kInstance, kString, kThrowable } kind;
  std::string className;  // the class itself for kClass, else the object's class
  std::u16string text;    // kString
  int serial = 0;
};

struct Ref;

struct FakeEnv : JNIEnv_ {
  FakeJvm* jvm = nullptr;
  std::vector<std::vector<Ref*>> frames;  // frames[0] is the native method's own frame
  Object* pending = nullptr;
};

struct Ref {
  Object* object;
  jobjectRefType type;
  FakeEnv* owner;  // for local references
  bool live = true;
};

struct Method {
  std::string className, name, signature;
  bool hidden = false;
  JavaMethodHandler handler;
};

struct ClassInfo {
  Object* object = nullptr;
  bool hidden = false;
  std::vector<Method*> methods;
};

std::string Utf16Display(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out;
}

// The element type after the '[' run of an array type.
bool skipTypeAfterArray(const std::string& sig, size_t* i, char* letter) {
  char c = sig[*i];
  if (c == 'L') {
    size_t end = sig.find(';', *i);
    if (end == std::string::npos) return false;
    *i = end + 1;
  } else if (std::string("ZBCSIJFD").find(c) != std::string::npos) {
    ++*i;
  } else {
    return false;
  }
  *letter = 'L';
  return true;
}

// The parameter type letters of a method signature ('L' for any reference, '[' arrays
// count as 'L'), and its return type letter.
bool ParseSignature(const std::string& sig, std::string* params, char* ret) {
  if (sig.empty() || sig[0] != '(') return false;
  size_t i = 1;
  auto skipType = [&](char* letter) {
    if (i >= sig.size()) return false;
    char c = sig[i];
    if (c == '[') {
      while (i < sig.size() && sig[i] == '[') ++i;
      char dummy;
      if (!skipTypeAfterArray(sig, &i, &dummy)) return false;
      *letter = 'L';
      return true;
    }
    if (c == 'L') {
      size_t end = sig.find(';', i);
      if (end == std::string::npos) return false;
      i = end + 1;
      *letter = 'L';
      return true;
    }
    if (std::string("ZBCSIJFDV").find(c) == std::string::npos) return false;
    ++i;
    *letter = c;
    return true;
  };
  params->clear();
  while (i < sig.size() && sig[i] != ')') {
    char letter;
    if (!skipType(&letter) || letter == 'V') return false;
    params->push_back(letter);
  }
  if (i >= sig.size()) return false;
  ++i;
  if (!skipType(ret) || i != sig.size()) return false;
  return true;
}

}  // namespace

struct FakeJvm::Impl {
  FakeJvm* self = nullptr;
  mutable std::recursive_mutex mutex;
  JNINativeInterface_ table{};
  std::deque<std::unique_ptr<FakeEnv>> envs;
  std::deque<std::unique_ptr<Object>> objects;
  std::deque<std::unique_ptr<Ref>> refs;
  std::unordered_set<const void*> knownRefs;
  std::deque<std::unique_ptr<Method>> methods;
  std::unordered_set<const void*> knownMethods;
  std::map<std::string, ClassInfo> classes;
  int nextSerial = 1;
  bool failPushLocalFrame = false, failNewString = false, failNewGlobalRef = false;
  std::vector<JniCall> calls;
  std::vector<std::string> problems;
  // Characters handed out by GetStringChars / GetStringCritical and not yet released.
  std::map<const jchar*, std::unique_ptr<jchar[]>> lentChars;

  FakeEnv* AddEnv() {
    auto env = std::make_unique<FakeEnv>();
    env->functions = &table;
    env->jvm = self;
    env->frames.emplace_back();
    envs.push_back(std::move(env));
    return envs.back().get();
  }

  Object* NewObject(Object::Kind kind, const std::string& className) {
    auto object = std::make_unique<Object>();
    object->kind = kind;
    object->className = className;
    object->serial = kind == Object::kClass ? 0 : nextSerial++;
    objects.push_back(std::move(object));
    return objects.back().get();
  }

  jobject MakeRef(Object* object, jobjectRefType type, FakeEnv* owner) {
    auto ref = std::make_unique<Ref>(Ref{object, type, type == JNILocalRefType ? owner : nullptr});
    Ref* raw = ref.get();
    refs.push_back(std::move(ref));
    knownRefs.insert(raw);
    if (type == JNILocalRefType) owner->frames.back().push_back(raw);
    return reinterpret_cast<jobject>(raw);
  }

  ClassInfo& DeclareClass(const std::string& name) {
    ClassInfo& info = classes[name];
    if (info.object == nullptr) info.object = NewObject(Object::kClass, name);
    return info;
  }

  void Problem(const std::string& text) { problems.push_back(text); }

  // The Ref behind `object`, or null (null reference, or misuse recorded as a problem).
  Ref* Resolve(FakeEnv* env, jobject object, const std::string& where) {
    if (object == nullptr) return nullptr;
    if (knownRefs.count(object) == 0) {
      Problem(where + ": not a reference of this JVM");
      return nullptr;
    }
    Ref* ref = reinterpret_cast<Ref*>(object);
    if (!ref->live) {
      Problem(where + ": stale reference to " + DescribeObject(ref->object));
      return nullptr;
    }
    if (ref->type == JNILocalRefType && ref->owner != env) {
      Problem(where + ": local reference of another thread");
      return nullptr;
    }
    return ref;
  }

  Method* ResolveMethod(jmethodID id, const std::string& where) {
    if (id == nullptr) {
      Problem(where + ": null method ID");
      return nullptr;
    }
    if (knownMethods.count(id) == 0) {
      Problem(where + ": not a method ID of this JVM");
      return nullptr;
    }
    return reinterpret_cast<Method*>(id);
  }

  // JNI allows only a few functions while an exception is pending.
  void CheckNotPending(FakeEnv* env, const std::string& function) {
    if (env->pending != nullptr)
      Problem(function + " called with " + env->pending->className + " pending");
  }

  void SetPending(FakeEnv* env, const std::string& className, const std::u16string& message) {
    Object* throwable = NewObject(Object::kThrowable, className);
    throwable->text = message;
    env->pending = throwable;
  }

  std::string DescribeObject(const Object* object) const {
    switch (object->kind) {
      case Object::kClass: return "class " + object->className;
      case Object::kString: return "\"" + Utf16Display(object->text) + "\"";
      default: return object->className + "#" + std::to_string(object->serial);
    }
  }

  std::string Describe(jobject object, bool withKind) const {
    if (object == nullptr) return "null";
    if (knownRefs.count(object) == 0) return "unknown";
    const Ref* ref = reinterpret_cast<const Ref*>(object);
    std::string kind;
    if (withKind) {
      if (!ref->live) kind = "stale ";
      else if (ref->type == JNILocalRefType) kind = "local ";
      else if (ref->type == JNIGlobalRefType) kind = "global ";
      else kind = "weak ";
    }
    return kind + DescribeObject(ref->object);
  }

  JniCall& Record(FakeEnv* env, const std::string& function, const std::string& args) {
    JniCall call;
    call.function = function;
    call.env = env;
    call.text = function + "(" + args + ")";
    calls.push_back(std::move(call));
    return calls.back();
  }

  static FakeEnv* Env(JNIEnv* env) { return static_cast<FakeEnv*>(env); }
  static Impl& Of(JNIEnv* env) { return Env(env)->jvm->impl(); }
};

namespace {

using Impl = FakeJvm::Impl;

// ---- slots that record an unexpected call -------------------------------------------------

enum SlotIndex {
#define JNI_SLOT(name) kSlot_##name,
#include "jni_slots.inc"
#undef JNI_SLOT
  kSlotCount
};

const char* const kSlotNames[] = {
#define JNI_SLOT(name) #name,
#include "jni_slots.inc"
#undef JNI_SLOT
};

static_assert(sizeof(JNINativeInterface_) == (4 + kSlotCount) * sizeof(void*),
              "every function slot of jni.h is listed in jni_slots.inc");

void ReportUnexpected(JNIEnv* env, int slot) {
  Impl& impl = Impl::Of(env);
  std::lock_guard<std::recursive_mutex> lock(impl.mutex);
  impl.Problem(std::string("unexpected JNI call: ") + kSlotNames[slot]);
}

template <int Slot, typename F>
struct Unexpected;
template <int Slot, typename R, typename... A>
struct Unexpected<Slot, R(JNICALL*)(JNIEnv*, A...)> {
  static R JNICALL Call(JNIEnv* env, A...) {
    ReportUnexpected(env, Slot);
    if constexpr (!std::is_void_v<R>) return R{};
  }
};
template <int Slot, typename R, typename... A>
struct Unexpected<Slot, R(JNICALL*)(JNIEnv*, A..., ...)> {
  static R JNICALL Call(JNIEnv* env, A..., ...) {
    ReportUnexpected(env, Slot);
    if constexpr (!std::is_void_v<R>) return R{};
  }
};

// ---- implemented functions ----------------------------------------------------------------

#define LOCKED(env)                 \
  FakeEnv* fenv = Impl::Env(env);   \
  Impl& impl = Impl::Of(env);       \
  std::lock_guard<std::recursive_mutex> lock(impl.mutex)

jint JNICALL GetVersion(JNIEnv* env) {
  LOCKED(env);
  impl.Record(fenv, "GetVersion", "");
  return JNI_VERSION_1_8;
}

jclass JNICALL FindClass(JNIEnv* env, const char* name) {
  LOCKED(env);
  std::string className = name != nullptr ? name : "";
  impl.Record(fenv, "FindClass", name != nullptr ? className : "null").className = className;
  impl.CheckNotPending(fenv, "FindClass");
  if (name == nullptr) {
    impl.Problem("FindClass: null name");
    return nullptr;
  }
  auto it = impl.classes.find(className);
  if (it == impl.classes.end() || it->second.hidden) {
    impl.SetPending(fenv, "java/lang/NoClassDefFoundError", std::u16string(className.begin(), className.end()));
    return nullptr;
  }
  return static_cast<jclass>(impl.MakeRef(it->second.object, JNILocalRefType, fenv));
}

jmethodID JNICALL GetMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
  LOCKED(env);
  std::string methodName = name != nullptr ? name : "null";
  std::string signature = sig != nullptr ? sig : "null";
  JniCall& call = impl.Record(fenv, "GetMethodID",
                              impl.Describe(cls, true) + ", " + methodName + ", " + signature);
  call.methodName = methodName;
  call.signature = signature;
  impl.CheckNotPending(fenv, "GetMethodID");
  if (cls == nullptr) {
    impl.Problem("GetMethodID: null class");
    return nullptr;
  }
  Ref* ref = impl.Resolve(fenv, cls, "GetMethodID");
  if (ref == nullptr) return nullptr;
  if (ref->object->kind != Object::kClass) {
    impl.Problem("GetMethodID: not a class: " + impl.DescribeObject(ref->object));
    return nullptr;
  }
  impl.calls.back().className = ref->object->className;
  ClassInfo& info = impl.classes[ref->object->className];
  if (name != nullptr && sig != nullptr) {
    for (Method* method : info.methods) {
      if (method->name == methodName && method->signature == signature && !method->hidden)
        return reinterpret_cast<jmethodID>(method);
    }
  }
  impl.SetPending(fenv, "java/lang/NoSuchMethodError",
                  std::u16string(methodName.begin(), methodName.end()));
  return nullptr;
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* env) {
  LOCKED(env);
  impl.Record(fenv, "ExceptionOccurred", "");
  if (fenv->pending == nullptr) return nullptr;
  return static_cast<jthrowable>(impl.MakeRef(fenv->pending, JNILocalRefType, fenv));
}

void JNICALL ExceptionDescribe(JNIEnv* env) {
  LOCKED(env);
  impl.Record(fenv, "ExceptionDescribe", "");
  fenv->pending = nullptr;  // as in a real JVM, describing clears it
}

void JNICALL ExceptionClear(JNIEnv* env) {
  LOCKED(env);
  impl.Record(fenv, "ExceptionClear", "");
  fenv->pending = nullptr;
}

jboolean JNICALL ExceptionCheck(JNIEnv* env) {
  LOCKED(env);
  impl.Record(fenv, "ExceptionCheck", "");
  return fenv->pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

jint JNICALL PushLocalFrame(JNIEnv* env, jint capacity) {
  LOCKED(env);
  impl.Record(fenv, "PushLocalFrame", std::to_string(capacity));
  if (impl.failPushLocalFrame || capacity < 0) {
    impl.failPushLocalFrame = false;
    impl.SetPending(fenv, "java/lang/OutOfMemoryError", u"local frame");
    return JNI_ERR;
  }
  fenv->frames.emplace_back();
  return JNI_OK;
}

jobject JNICALL PopLocalFrame(JNIEnv* env, jobject result) {
  LOCKED(env);
  impl.Record(fenv, "PopLocalFrame", impl.Describe(result, true));
  if (fenv->frames.size() <= 1) {
    impl.Problem("PopLocalFrame without a matching PushLocalFrame");
    return nullptr;
  }
  Ref* kept = impl.Resolve(fenv, result, "PopLocalFrame");
  for (Ref* ref : fenv->frames.back()) ref->live = false;
  fenv->frames.pop_back();
  if (kept == nullptr) return nullptr;
  return impl.MakeRef(kept->object, JNILocalRefType, fenv);
}

jobject JNICALL NewGlobalRef(JNIEnv* env, jobject object) {
  LOCKED(env);
  impl.Record(fenv, "NewGlobalRef", impl.Describe(object, true));
  impl.CheckNotPending(fenv, "NewGlobalRef");
  Ref* ref = impl.Resolve(fenv, object, "NewGlobalRef");
  if (ref == nullptr) return nullptr;
  if (impl.failNewGlobalRef) {
    impl.failNewGlobalRef = false;
    return nullptr;
  }
  return impl.MakeRef(ref->object, JNIGlobalRefType, fenv);
}

void DeleteRef(JNIEnv* env, jobject object, jobjectRefType type, const char* function) {
  LOCKED(env);
  impl.Record(fenv, function, impl.Describe(object, true));
  if (object == nullptr) return;
  if (impl.knownRefs.count(object) == 0) {
    impl.Problem(std::string(function) + ": not a reference of this JVM");
    return;
  }
  Ref* ref = reinterpret_cast<Ref*>(object);
  if (!ref->live) {
    impl.Problem(std::string(function) + ": already deleted: " + impl.DescribeObject(ref->object));
    return;
  }
  if (ref->type != type) {
    impl.Problem(std::string(function) + ": wrong kind of reference: " + impl.Describe(object, true));
    return;
  }
  if (type == JNILocalRefType && ref->owner != fenv) {
    impl.Problem(std::string(function) + ": local reference of another thread");
    return;
  }
  ref->live = false;
}

void JNICALL DeleteGlobalRef(JNIEnv* env, jobject object) {
  DeleteRef(env, object, JNIGlobalRefType, "DeleteGlobalRef");
}
void JNICALL DeleteLocalRef(JNIEnv* env, jobject object) {
  DeleteRef(env, object, JNILocalRefType, "DeleteLocalRef");
}

jobject JNICALL NewLocalRef(JNIEnv* env, jobject object) {
  LOCKED(env);
  impl.Record(fenv, "NewLocalRef", impl.Describe(object, true));
  Ref* ref = impl.Resolve(fenv, object, "NewLocalRef");
  if (ref == nullptr) return nullptr;
  return impl.MakeRef(ref->object, JNILocalRefType, fenv);
}

jboolean JNICALL IsSameObject(JNIEnv* env, jobject a, jobject b) {
  LOCKED(env);
  impl.Record(fenv, "IsSameObject", impl.Describe(a, true) + ", " + impl.Describe(b, true));
  Ref* ra = impl.Resolve(fenv, a, "IsSameObject");
  Ref* rb = impl.Resolve(fenv, b, "IsSameObject");
  Object* oa = ra != nullptr ? ra->object : nullptr;
  Object* ob = rb != nullptr ? rb->object : nullptr;
  return oa == ob ? JNI_TRUE : JNI_FALSE;
}

jint JNICALL EnsureLocalCapacity(JNIEnv* env, jint capacity) {
  LOCKED(env);
  impl.Record(fenv, "EnsureLocalCapacity", std::to_string(capacity));
  return capacity < 0 ? JNI_ERR : JNI_OK;
}

jobjectRefType JNICALL GetObjectRefType(JNIEnv* env, jobject object) {
  LOCKED(env);
  impl.Record(fenv, "GetObjectRefType", impl.Describe(object, true));
  if (object == nullptr || impl.knownRefs.count(object) == 0) return JNIInvalidRefType;
  Ref* ref = reinterpret_cast<Ref*>(object);
  return ref->live ? ref->type : JNIInvalidRefType;
}

jstring JNICALL NewString(JNIEnv* env, const jchar* chars, jsize length) {
  LOCKED(env);
  std::u16string text;
  if (chars != nullptr && length > 0) text.assign(reinterpret_cast<const char16_t*>(chars), length);
  impl.Record(fenv, "NewString", "\"" + Utf16Display(text) + "\", " + std::to_string(length));
  impl.CheckNotPending(fenv, "NewString");
  if (length < 0 || (chars == nullptr && length > 0)) {
    impl.Problem("NewString: bad characters or length");
    return nullptr;
  }
  if (impl.failNewString) {
    impl.failNewString = false;
    impl.SetPending(fenv, "java/lang/OutOfMemoryError", u"string");
    return nullptr;
  }
  Object* string = impl.NewObject(Object::kString, "java/lang/String");
  string->text = text;
  return static_cast<jstring>(impl.MakeRef(string, JNILocalRefType, fenv));
}

Object* StringObject(Impl& impl, FakeEnv* env, jstring string, const char* function) {
  Ref* ref = impl.Resolve(env, string, function);
  if (string == nullptr) impl.Problem(std::string(function) + ": null string");
  if (ref == nullptr) return nullptr;
  if (ref->object->kind != Object::kString) {
    impl.Problem(std::string(function) + ": not a string: " + impl.DescribeObject(ref->object));
    return nullptr;
  }
  return ref->object;
}

jsize JNICALL GetStringLength(JNIEnv* env, jstring string) {
  LOCKED(env);
  impl.Record(fenv, "GetStringLength", impl.Describe(string, true));
  impl.CheckNotPending(fenv, "GetStringLength");
  Object* object = StringObject(impl, fenv, string, "GetStringLength");
  return object != nullptr ? static_cast<jsize>(object->text.size()) : 0;
}

void JNICALL GetStringRegion(JNIEnv* env, jstring string, jsize start, jsize length, jchar* buffer) {
  LOCKED(env);
  impl.Record(fenv, "GetStringRegion", impl.Describe(string, true) + ", " + std::to_string(start) +
                                           ", " + std::to_string(length));
  impl.CheckNotPending(fenv, "GetStringRegion");
  Object* object = StringObject(impl, fenv, string, "GetStringRegion");
  if (object == nullptr) return;
  jsize size = static_cast<jsize>(object->text.size());
  if (start < 0 || length < 0 || start > size || length > size - start) {
    impl.SetPending(fenv, "java/lang/StringIndexOutOfBoundsException", u"");
    return;
  }
  if (length > 0 && buffer == nullptr) {
    impl.Problem("GetStringRegion: null buffer");
    return;
  }
  for (jsize i = 0; i < length; ++i) buffer[i] = object->text[start + i];
}

const jchar* LendChars(JNIEnv* env, jstring string, jboolean* isCopy, const char* function) {
  LOCKED(env);
  impl.Record(fenv, function, impl.Describe(string, true));
  impl.CheckNotPending(fenv, function);
  Object* object = StringObject(impl, fenv, string, function);
  if (object == nullptr) return nullptr;
  auto copy = std::make_unique<jchar[]>(object->text.size() + 1);
  for (size_t i = 0; i < object->text.size(); ++i) copy[i] = object->text[i];
  copy[object->text.size()] = 0;
  const jchar* lent = copy.get();
  impl.lentChars[lent] = std::move(copy);
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  return lent;
}

void ReturnChars(JNIEnv* env, jstring string, const jchar* chars, const char* function) {
  LOCKED(env);
  impl.Record(fenv, function, impl.Describe(string, true));
  impl.Resolve(fenv, string, function);
  if (impl.lentChars.erase(chars) == 0)
    impl.Problem(std::string(function) + ": characters not lent or already released");
}

const jchar* JNICALL GetStringChars(JNIEnv* env, jstring string, jboolean* isCopy) {
  return LendChars(env, string, isCopy, "GetStringChars");
}
void JNICALL ReleaseStringChars(JNIEnv* env, jstring string, const jchar* chars) {
  ReturnChars(env, string, chars, "ReleaseStringChars");
}
const jchar* JNICALL GetStringCritical(JNIEnv* env, jstring string, jboolean* isCopy) {
  return LendChars(env, string, isCopy, "GetStringCritical");
}
void JNICALL ReleaseStringCritical(JNIEnv* env, jstring string, const jchar* chars) {
  ReturnChars(env, string, chars, "ReleaseStringCritical");
}

jclass JNICALL GetObjectClass(JNIEnv* env, jobject object) {
  LOCKED(env);
  impl.Record(fenv, "GetObjectClass", impl.Describe(object, true));
  impl.CheckNotPending(fenv, "GetObjectClass");
  Ref* ref = impl.Resolve(fenv, object, "GetObjectClass");
  if (ref == nullptr) {
    if (object == nullptr) impl.Problem("GetObjectClass: null object");
    return nullptr;
  }
  ClassInfo& info = impl.DeclareClass(ref->object->kind == Object::kClass ? "java/lang/Class"
                                                                           : ref->object->className);
  return static_cast<jclass>(impl.MakeRef(info.object, JNILocalRefType, fenv));
}

jboolean JNICALL IsInstanceOf(JNIEnv* env, jobject object, jclass cls) {
  LOCKED(env);
  impl.Record(fenv, "IsInstanceOf", impl.Describe(object, true) + ", " + impl.Describe(cls, true));
  impl.CheckNotPending(fenv, "IsInstanceOf");
  Ref* ref = impl.Resolve(fenv, object, "IsInstanceOf");
  Ref* clsRef = impl.Resolve(fenv, cls, "IsInstanceOf");
  if (object == nullptr) return JNI_TRUE;
  if (ref == nullptr || clsRef == nullptr || clsRef->object->kind != Object::kClass) return JNI_FALSE;
  const std::string& name = clsRef->object->className;
  return (name == "java/lang/Object" || name == ref->object->className) ? JNI_TRUE : JNI_FALSE;
}

// ---- instance method calls ----------------------------------------------------------------

// The arguments of one call, read from a va_list or a jvalue array by the signature.
struct ArgSource {
  va_list* list = nullptr;
  const jvalue* array = nullptr;
  jvalue Next(char letter) {
    jvalue value{};
    if (array != nullptr) return *array++;
    switch (letter) {
      case 'Z': value.z = static_cast<jboolean>(va_arg(*list, int)); break;
      case 'B': value.b = static_cast<jbyte>(va_arg(*list, int)); break;
      case 'C': value.c = static_cast<jchar>(va_arg(*list, int)); break;
      case 'S': value.s = static_cast<jshort>(va_arg(*list, int)); break;
      case 'I': value.i = static_cast<jint>(va_arg(*list, int)); break;
      case 'J': value.j = va_arg(*list, jlong); break;
      case 'F': value.f = static_cast<jfloat>(va_arg(*list, double)); break;
      case 'D': value.d = va_arg(*list, double); break;
      default: value.l = va_arg(*list, jobject); break;
    }
    return value;
  }
};

std::string DescribeValue(const Impl& impl, char letter, const jvalue& value) {
  switch (letter) {
    case 'Z': return value.z == JNI_TRUE ? "true" : value.z == JNI_FALSE ? "false" : std::to_string(value.z);
    case 'B': return std::to_string(value.b);
    case 'C': return std::to_string(value.c);
    case 'S': return std::to_string(value.s);
    case 'I': return std::to_string(value.i);
    case 'J': return std::to_string(value.j);
    case 'F': return std::to_string(value.f);
    case 'D': return std::to_string(value.d);
    default: return impl.Describe(value.l, true);
  }
}

// `kind` is the result letter that the Call<Type>Method family accepts: 'L', 'Z', 'I', 'V'.
jvalue CallMethod(JNIEnv* env, const char* function, char kind, jobject self, jmethodID id,
                  ArgSource source) {
  LOCKED(env);
  jvalue result{};
  JniCall& call = impl.Record(fenv, function, "");
  size_t index = impl.calls.size() - 1;
  impl.CheckNotPending(fenv, function);
  Ref* target = impl.Resolve(fenv, self, function);
  Method* method = impl.ResolveMethod(id, function);
  std::string text = impl.Describe(self, true) + ", " + (method != nullptr ? method->name : "?");
  if (method == nullptr) {
    call.text = std::string(function) + "(" + text + ")";
    return result;
  }
  call.className = method->className;
  call.methodName = method->name;
  call.signature = method->signature;
  std::string params;
  char ret = 0;
  if (!ParseSignature(method->signature, &params, &ret)) {
    impl.Problem(std::string(function) + ": bad signature " + method->signature);
    return result;
  }
  std::vector<jvalue> args;
  for (char letter : params) {
    jvalue value = source.Next(letter);
    args.push_back(value);
    text += ", " + DescribeValue(impl, letter, value);
    if (letter == 'L' && value.l != nullptr) impl.Resolve(fenv, value.l, function);
  }
  impl.calls[index].text = std::string(function) + "(" + text + ")";
  impl.calls[index].args = args;
  char accepted = ret == '[' ? 'L' : ret;
  if (accepted != kind) {
    impl.Problem(std::string(function) + " used for " + method->className + "." + method->name +
                 method->signature);
    return result;
  }
  if (self == nullptr) {
    impl.Problem(std::string(function) + ": null object");
    return result;
  }
  if (target == nullptr) return result;
  if (target->object->kind != Object::kInstance || target->object->className != method->className) {
    impl.Problem(std::string(function) + ": " + method->className + "." + method->name +
                 " called on " + impl.DescribeObject(target->object));
    return result;
  }
  if (method->handler) {
    JavaCallContext context{*fenv->jvm, env, self, method->className, method->name,
                            method->signature, args};
    result = method->handler(context);
  }
  if (kind == 'L') {
    jobject returned = result.l;
    result.l = nullptr;
    if (fenv->pending == nullptr && returned != nullptr) {
      Ref* ref = impl.Resolve(fenv, returned, "result of " + method->name);
      if (ref != nullptr) result.l = impl.MakeRef(ref->object, JNILocalRefType, fenv);
    }
  } else if (fenv->pending != nullptr) {
    result = jvalue{};
  }
  impl.calls[index].result = result;
  return result;
}

#define CALL_METHODS(Type, jtype, field, kind)                                                 \
  jtype JNICALL Call##Type##Method(JNIEnv* env, jobject obj, jmethodID id, ...) {              \
    va_list list;                                                                              \
    va_start(list, id);                                                                        \
    ArgSource source;                                                                          \
    source.list = &list;                                                                       \
    jvalue value = CallMethod(env, "Call" #Type "Method", kind, obj, id, source);              \
    va_end(list);                                                                              \
    return value.field;                                                                        \
  }                                                                                            \
  jtype JNICALL Call##Type##MethodV(JNIEnv* env, jobject obj, jmethodID id, va_list args) {    \
    va_list list;                                                                              \
    va_copy(list, args);                                                                       \
    ArgSource source;                                                                          \
    source.list = &list;                                                                       \
    jvalue value = CallMethod(env, "Call" #Type "MethodV", kind, obj, id, source);             \
    va_end(list);                                                                              \
    return value.field;                                                                        \
  }                                                                                            \
  jtype JNICALL Call##Type##MethodA(JNIEnv* env, jobject obj, jmethodID id, const jvalue* args) { \
    ArgSource source;                                                                          \
    source.array = args;                                                                       \
    return CallMethod(env, "Call" #Type "MethodA", kind, obj, id, source).field;               \
  }

CALL_METHODS(Object, jobject, l, 'L')
CALL_METHODS(Boolean, jboolean, z, 'Z')
CALL_METHODS(Int, jint, i, 'I')
#undef CALL_METHODS

void JNICALL CallVoidMethod(JNIEnv* env, jobject obj, jmethodID id, ...) {
  va_list list;
  va_start(list, id);
  ArgSource source;
  source.list = &list;
  CallMethod(env, "CallVoidMethod", 'V', obj, id, source);
  va_end(list);
}
void JNICALL CallVoidMethodV(JNIEnv* env, jobject obj, jmethodID id, va_list args) {
  va_list list;
  va_copy(list, args);
  ArgSource source;
  source.list = &list;
  CallMethod(env, "CallVoidMethodV", 'V', obj, id, source);
  va_end(list);
}
void JNICALL CallVoidMethodA(JNIEnv* env, jobject obj, jmethodID id, const jvalue* args) {
  ArgSource source;
  source.array = args;
  CallMethod(env, "CallVoidMethodA", 'V', obj, id, source);
}

int CountUnexpectedSlots(const JNINativeInterface_& table) {
  // An unexpected slot is one that still holds its Unexpected<> stub after the table is made.
  JNINativeInterface_ stubs{};
#define JNI_SLOT(name) stubs.name = &Unexpected<kSlot_##name, decltype(stubs.name)>::Call;
#include "jni_slots.inc"
#undef JNI_SLOT
  const void* const* a = reinterpret_cast<const void* const*>(&table);
  const void* const* b = reinterpret_cast<const void* const*>(&stubs);
  int count = 0;
  for (int i = 4; i < 4 + kSlotCount; ++i) count += a[i] == b[i] ? 1 : 0;
  return count;
}

void FillTable(JNINativeInterface_* table) {
#define JNI_SLOT(name) table->name = &Unexpected<kSlot_##name, decltype(table->name)>::Call;
#include "jni_slots.inc"
#undef JNI_SLOT
  table->GetVersion = &GetVersion;
  table->FindClass = &FindClass;
  table->GetMethodID = &GetMethodID;
  table->ExceptionOccurred = &ExceptionOccurred;
  table->ExceptionDescribe = &ExceptionDescribe;
  table->ExceptionClear = &ExceptionClear;
  table->ExceptionCheck = &ExceptionCheck;
  table->PushLocalFrame = &PushLocalFrame;
  table->PopLocalFrame = &PopLocalFrame;
  table->NewGlobalRef = &NewGlobalRef;
  table->DeleteGlobalRef = &DeleteGlobalRef;
  table->DeleteLocalRef = &DeleteLocalRef;
  table->NewLocalRef = &NewLocalRef;
  table->IsSameObject = &IsSameObject;
  table->EnsureLocalCapacity = &EnsureLocalCapacity;
  table->GetObjectRefType = &GetObjectRefType;
  table->GetObjectClass = &GetObjectClass;
  table->IsInstanceOf = &IsInstanceOf;
  table->NewString = &NewString;
  table->GetStringLength = &GetStringLength;
  table->GetStringRegion = &GetStringRegion;
  table->GetStringChars = &GetStringChars;
  table->ReleaseStringChars = &ReleaseStringChars;
  table->GetStringCritical = &GetStringCritical;
  table->ReleaseStringCritical = &ReleaseStringCritical;
  table->CallObjectMethod = &CallObjectMethod;
  table->CallObjectMethodV = &CallObjectMethodV;
  table->CallObjectMethodA = &CallObjectMethodA;
  table->CallBooleanMethod = &CallBooleanMethod;
  table->CallBooleanMethodV = &CallBooleanMethodV;
  table->CallBooleanMethodA = &CallBooleanMethodA;
  table->CallIntMethod = &CallIntMethod;
  table->CallIntMethodV = &CallIntMethodV;
  table->CallIntMethodA = &CallIntMethodA;
  table->CallVoidMethod = &CallVoidMethod;
  table->CallVoidMethodV = &CallVoidMethodV;
  table->CallVoidMethodA = &CallVoidMethodA;
}

}  // namespace

int FakeJniSlotCount() { return kSlotCount; }
int FakeJniUnexpectedSlotCount() {
  JNINativeInterface_ table{};
  FillTable(&table);
  return CountUnexpectedSlots(table);
}

// ---- FakeJvm ------------------------------------------------------------------------------

FakeJvm::FakeJvm() : impl_(std::make_unique<Impl>()) {
  impl_->self = this;
  FillTable(&impl_->table);
  impl_->AddEnv();
}

FakeJvm::~FakeJvm() = default;

JNIEnv* FakeJvm::env() {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  return impl_->envs.front().get();
}

JNIEnv* FakeJvm::NewEnv() {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  return impl_->AddEnv();
}

void FakeJvm::DeclareClass(const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->DeclareClass(name);
}

void FakeJvm::DeclareMethod(const std::string& className, const std::string& name,
                            const std::string& signature, JavaMethodHandler handler) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  ClassInfo& info = impl_->DeclareClass(className);
  auto method = std::make_unique<Method>();
  method->className = className;
  method->name = name;
  method->signature = signature;
  method->handler = std::move(handler);
  info.methods.push_back(method.get());
  impl_->knownMethods.insert(method.get());
  impl_->methods.push_back(std::move(method));
}

void FakeJvm::OnCall(const std::string& className, const std::string& name,
                     JavaMethodHandler handler, const std::string& signature) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  for (Method* method : impl_->DeclareClass(className).methods) {
    if (method->name == name && (signature.empty() || method->signature == signature))
      method->handler = handler;
  }
}

void FakeJvm::DeclareCommandBarInterfaces() {
  const char* bars = "vuradizode/ICommandBars";
  DeclareMethod(bars, "getActionControl", "()Lvanuoffice/ICommandBarControl;");
  DeclareMethod(bars, "getAdaptiveMenus", "()Z");
  DeclareMethod(bars, "setAdaptiveMenus", "(Z)V");
  DeclareMethod(bars, "Add", "(Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;");
  DeclareMethod(bars, "FindControl", "(IILjava/lang/String;Z)Lvanuoffice/ICommandBarControl;");
  DeclareMethod(bars, "Item", "(Ljava/lang/Object;)Lvanuoffice/ICommandBar;");
  const char* bar = "vuradizode/ICommandBar";
  DeclareMethod(bar, "getControls", "()Lvanuoffice/ICommandBarControls;");
  DeclareMethod(bar, "FindControl", "(IILjava/lang/Object;ZZ)Lvanuoffice/ICommandBarControl;");
  DeclareMethod(bar, "setVisible", "(Z)V");
  DeclareMethod(bar, "getVisible", "()Z");
  const char* controls = "vuradizode/ICommandBarControls";
  DeclareMethod(controls, "Add", "(IILjava/lang/String;IZ)Lvanuoffice/ICommandBarControl;");
  DeclareMethod(controls, "Item", "(I)Lvanuoffice/ICommandBarControl;");
  DeclareMethod(controls, "getCount", "()I");
  const char* control = "vuradizode/ICommandBarControl";
  DeclareMethod(control, "getCaption", "()Ljava/lang/String;");
  DeclareMethod(control, "setCaption", "(Ljava/lang/String;)V");
  DeclareMethod(control, "getEnabled", "()Z");
  DeclareMethod(control, "setEnabled", "(Z)V");
  DeclareMethod(control, "getIndex", "()I");
  DeclareMethod(control, "getVisible", "()Z");
  DeclareMethod(control, "setVisible", "(Z)V");
  DeclareMethod(control, "Execute", "()V");
}

void FakeJvm::HideClass(const std::string& name, bool hidden) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->DeclareClass(name).hidden = hidden;
}

void FakeJvm::HideMethod(const std::string& className, const std::string& name,
                         const std::string& signature, bool hidden) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  for (Method* method : impl_->DeclareClass(className).methods) {
    if (method->name == name && method->signature == signature) method->hidden = hidden;
  }
}

jobject FakeJvm::NewGlobalInstance(const std::string& className) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->DeclareClass(className);
  return impl_->MakeRef(impl_->NewObject(Object::kInstance, className), JNIGlobalRefType, nullptr);
}

jobject FakeJvm::NewLocalInstance(JNIEnv* env, const std::string& className) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->DeclareClass(className);
  return impl_->MakeRef(impl_->NewObject(Object::kInstance, className), JNILocalRefType,
                        Impl::Env(env));
}

jstring FakeJvm::NewLocalString(JNIEnv* env, const std::u16string& text) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  Object* string = impl_->NewObject(Object::kString, "java/lang/String");
  string->text = text;
  return static_cast<jstring>(impl_->MakeRef(string, JNILocalRefType, Impl::Env(env)));
}

void FakeJvm::Throw(JNIEnv* env, const std::string& className) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->SetPending(Impl::Env(env), className, u"");
}

std::string FakeJvm::Describe(jobject ref, bool withKind) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  return impl_->Describe(ref, withKind);
}

std::string FakeJvm::DescribeMethod(jmethodID id) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  if (id == nullptr) return "null";
  if (impl_->knownMethods.count(id) == 0) return "unknown";
  const Method* method = reinterpret_cast<const Method*>(id);
  return method->className + "." + method->name + method->signature;
}

bool FakeJvm::IsLive(jobject ref) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  return ref != nullptr && impl_->knownRefs.count(ref) != 0 && reinterpret_cast<Ref*>(ref)->live;
}

jobjectRefType FakeJvm::RefType(jobject ref) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  if (!IsLive(ref)) return JNIInvalidRefType;
  return reinterpret_cast<Ref*>(ref)->type;
}

bool FakeJvm::SameObject(jobject a, jobject b) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  auto object = [&](jobject r) -> const Object* {
    if (r == nullptr || impl_->knownRefs.count(r) == 0) return nullptr;
    return reinterpret_cast<Ref*>(r)->object;
  };
  return object(a) == object(b);
}

std::u16string FakeJvm::StringValue(jobject ref) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  if (ref == nullptr || impl_->knownRefs.count(ref) == 0) return u"";
  return reinterpret_cast<Ref*>(ref)->object->text;
}

std::string FakeJvm::PendingException(JNIEnv* env) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  const Object* pending = Impl::Env(env)->pending;
  return pending != nullptr ? pending->className : "";
}

void FakeJvm::ClearException(JNIEnv* env) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  Impl::Env(env)->pending = nullptr;
}

int FakeJvm::GlobalRefCount() const { return static_cast<int>(GlobalRefs().size()); }

std::vector<std::string> FakeJvm::GlobalRefs() const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  std::vector<std::string> out;
  for (const auto& ref : impl_->refs) {
    if (ref->live && ref->type == JNIGlobalRefType) out.push_back(impl_->DescribeObject(ref->object));
  }
  return out;
}

int FakeJvm::FrameDepth(JNIEnv* env) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  return static_cast<int>(Impl::Env(env)->frames.size()) - 1;
}

int FakeJvm::LocalRefCount(JNIEnv* env) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  int count = 0;
  for (const auto& frame : Impl::Env(env)->frames) {
    for (const Ref* ref : frame) count += ref->live ? 1 : 0;
  }
  return count;
}

int FakeJvm::LentStringChars() const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  return static_cast<int>(impl_->lentChars.size());
}

void FakeJvm::FailNextPushLocalFrame() {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->failPushLocalFrame = true;
}
void FakeJvm::FailNextNewString() {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->failNewString = true;
}
void FakeJvm::FailNextNewGlobalRef() {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->failNewGlobalRef = true;
}

std::vector<JniCall> FakeJvm::Calls() const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  return impl_->calls;
}

std::vector<std::string> FakeJvm::CallTexts() const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  std::vector<std::string> out;
  for (const JniCall& call : impl_->calls) out.push_back(call.text);
  return out;
}

std::vector<std::string> FakeJvm::CallTexts(const std::string& function) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  std::vector<std::string> out;
  for (const JniCall& call : impl_->calls) {
    if (call.function == function) out.push_back(call.text);
  }
  return out;
}

void FakeJvm::ClearCalls() {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  impl_->calls.clear();
}

std::vector<std::string> FakeJvm::Problems() const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  return impl_->problems;
}

}  // namespace vanu_test
