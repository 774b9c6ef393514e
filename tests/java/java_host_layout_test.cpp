// The host is called through fixed slots of its virtual table: slot 1 EndJavaCall, slot 5
// BindObject, slot 9 GetJavaContext. A host made by another compiler only shares that
// table with us, so these tests go through raw slot numbers in both directions: our
// declaration seen from outside, and our calls seen by a host that is a bare table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_java_host.h"
#include "fake_jvm.h"
#include "java_host.h"
#include "java_method_tables.h"
#include "java_method_tables_testing.h"

namespace {

using vanu_test::FakeJavaHost;
using Op = FakeJavaHost::Op;

// A pointer to a virtual member function holds 1 + its vtable offset in bytes (the Itanium
// C++ ABI, which GCC uses for MinGW too).
template <class F>
ptrdiff_t SlotOf(F f) {
  struct { ptrdiff_t ptr; ptrdiff_t adj; } raw;
  static_assert(sizeof(f) == sizeof(raw), "member pointer layout");
  std::memcpy(&raw, &f, sizeof(raw));
  return (raw.ptr & 1) ? (raw.ptr - 1) / static_cast<ptrdiff_t>(sizeof(void*)) : -1;
}

TEST(JavaHostLayoutTest, OperationsSitInSlotsOneFiveAndNine) {
  EXPECT_EQ(1, SlotOf(&IJavaHost::EndJavaCall));
  EXPECT_EQ(5, SlotOf(&IJavaHost::BindObject));
  EXPECT_EQ(9, SlotOf(&IJavaHost::GetJavaContext));
  // Nothing but the table pointer: no destructor slots, no data.
  EXPECT_EQ(sizeof(void*), sizeof(IJavaHost));
}

using Slot = void*;
Slot* TableOf(void* object) { return *static_cast<Slot**>(object); }

TEST(JavaHostLayoutTest, CallsThroughRawSlotsReachTheOperationsWithTheirArguments) {
  FakeJavaHost host;
  host.endJavaCallResult = static_cast<HRESULT>(0x80040001);
  host.bindObjectResult = static_cast<HRESULT>(0x80040005);
  host.getJavaContextResult = static_cast<HRESULT>(0x80040009);
  IJavaHost* object = &host;
  Slot* table = TableOf(object);
  JNIEnv* env = reinterpret_cast<JNIEnv*>(0x100);
  jobject java = reinterpret_cast<jobject>(0x200);
  auto* created = reinterpret_cast<IDispatch*>(0x300);
  auto* app = reinterpret_cast<IDispatch*>(0x400);
  auto* parent = reinterpret_cast<IDispatch*>(0x500);
  auto* bound = reinterpret_cast<IJavaObject*>(0x600);

  using EndFn = HRESULT (*)(IJavaHost*, JNIEnv*);
  using BindFn = HRESULT (*)(IJavaHost*, JNIEnv*, jobject, IDispatch*, IDispatch*, IDispatch*);
  using ContextFn = HRESULT (*)(IJavaHost*, IJavaObject*, JNIEnv**, jobject*);
  EXPECT_EQ(host.endJavaCallResult, reinterpret_cast<EndFn>(table[1])(object, env));
  EXPECT_EQ(host.bindObjectResult, reinterpret_cast<BindFn>(table[5])(object, env, java, created, app, parent));
  JNIEnv* gotEnv = nullptr;
  jobject gotJava = nullptr;
  EXPECT_EQ(host.getJavaContextResult, reinterpret_cast<ContextFn>(table[9])(object, bound, &gotEnv, &gotJava));

  ASSERT_EQ((std::vector<std::string>{"EndJavaCall", "BindObject", "GetJavaContext"}), host.OpNames());
  const auto calls = host.Calls();
  EXPECT_EQ(env, calls[0].env);
  EXPECT_EQ(env, calls[1].env);
  EXPECT_EQ(java, calls[1].javaObject);
  EXPECT_EQ(created, calls[1].newObject);
  EXPECT_EQ(app, calls[1].application);
  EXPECT_EQ(parent, calls[1].parent);
  EXPECT_EQ(bound, calls[2].object);

  // Every other slot is a placeholder.
  using PlaceholderFn = void (*)(IJavaHost*);
  for (int slot : {0, 2, 3, 4, 6, 7, 8}) reinterpret_cast<PlaceholderFn>(table[slot])(object);
  EXPECT_EQ((std::vector<std::string>{"slot 0", "slot 2", "slot 3", "slot 4", "slot 6", "slot 7", "slot 8"}),
            host.Unexpected());
}

// A host that is nothing but an object whose first field points to ten function pointers,
// as any compiler lays out a class with ten virtual operations and no destructor.
struct BareHost {
  Slot* table;
  std::vector<std::string> calls;
  JNIEnv* env = nullptr;
};

HRESULT BareEndJavaCall(BareHost* self, JNIEnv* env) {
  self->calls.push_back("EndJavaCall");
  self->env = env;
  return S_OK;
}
template <int N>
void BarePlaceholder(BareHost* self) { self->calls.push_back("slot " + std::to_string(N)); }

TEST(JavaHostLayoutTest, TheTableBuildCallsSlotOneOfAHostMadeWithoutOurDeclaration) {
  Slot table[10] = {
      reinterpret_cast<Slot>(&BarePlaceholder<0>), reinterpret_cast<Slot>(&BareEndJavaCall),
      reinterpret_cast<Slot>(&BarePlaceholder<2>), reinterpret_cast<Slot>(&BarePlaceholder<3>),
      reinterpret_cast<Slot>(&BarePlaceholder<4>), reinterpret_cast<Slot>(&BarePlaceholder<5>),
      reinterpret_cast<Slot>(&BarePlaceholder<6>), reinterpret_cast<Slot>(&BarePlaceholder<7>),
      reinterpret_cast<Slot>(&BarePlaceholder<8>), reinterpret_cast<Slot>(&BarePlaceholder<9>),
  };
  BareHost host{table, {}, nullptr};
  vanu_test::FakeJvm jvm;
  jvm.DeclareCommandBarInterfaces();
  ForgetJavaMethodTablesForTesting();
  g_javaHost = reinterpret_cast<IJavaHost*>(&host);

  EXPECT_TRUE(BuildJavaMethodTables(jvm.env()));

  g_javaHost = nullptr;
  ForgetJavaMethodTablesForTesting();
  EXPECT_EQ((std::vector<std::string>{"EndJavaCall"}), host.calls);
  EXPECT_EQ(jvm.env(), host.env);
  EXPECT_TRUE(jvm.Problems().empty());
}

}  // namespace
