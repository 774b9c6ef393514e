// Compiled for i686 only, never run: a host class derived from our IJavaHost declaration,
// whose virtual table and member functions check_host_layout.cmake reads from the object
// file. Each function body differs so that none is folded into another.
#include "java_host.h"

namespace {
volatile int g_sink;
}  // namespace

class ProbeHost final : public IJavaHost {
 public:
  void Reserved0() override;
  HRESULT EndJavaCall(JNIEnv* env) override;
  void Reserved2() override;
  void Reserved3() override;
  void Reserved4() override;
  HRESULT BindObject(JNIEnv* env, jobject javaResult, IDispatch* newObject,
                     IDispatch* application, IDispatch* parent) override;
  void Reserved6() override;
  void Reserved7() override;
  void Reserved8() override;
  HRESULT GetJavaContext(IJavaObject* object, JNIEnv** env, jobject* javaObject) override;
};

void ProbeHost::Reserved0() { g_sink = 0; }
HRESULT ProbeHost::EndJavaCall(JNIEnv*) { g_sink = 1; return 1; }
void ProbeHost::Reserved2() { g_sink = 2; }
void ProbeHost::Reserved3() { g_sink = 3; }
void ProbeHost::Reserved4() { g_sink = 4; }
HRESULT ProbeHost::BindObject(JNIEnv*, jobject, IDispatch*, IDispatch*, IDispatch*) { g_sink = 5; return 5; }
void ProbeHost::Reserved6() { g_sink = 6; }
void ProbeHost::Reserved7() { g_sink = 7; }
void ProbeHost::Reserved8() { g_sink = 8; }
HRESULT ProbeHost::GetJavaContext(IJavaObject*, JNIEnv**, jobject*) { g_sink = 9; return 9; }

ProbeHost g_probeHost;
