// Compiled by clang for the MSVC ABI (i686-pc-windows-msvc), never run: the host class as
// the suite's native code declares it, with no header of ours, so check_host_layout.cmake
// can compare the slots and calling convention an MSVC-style compiler gives it with ours.
typedef long HRESULT;
struct JNIEnv_;
struct _jobject;
struct IDispatch;
struct IJavaObject;

class ProbeHost {
 public:
  virtual void Reserved0();
  virtual HRESULT EndJavaCall(JNIEnv_* env);
  virtual void Reserved2();
  virtual void Reserved3();
  virtual void Reserved4();
  virtual HRESULT BindObject(JNIEnv_* env, _jobject* javaResult, IDispatch* newObject,
                             IDispatch* application, IDispatch* parent);
  virtual void Reserved6();
  virtual void Reserved7();
  virtual void Reserved8();
  virtual HRESULT GetJavaContext(IJavaObject* object, JNIEnv_** env, _jobject** javaObject);
};

volatile int g_sink;
void ProbeHost::Reserved0() { g_sink = 0; }
HRESULT ProbeHost::EndJavaCall(JNIEnv_*) { g_sink = 1; return 1; }
void ProbeHost::Reserved2() { g_sink = 2; }
void ProbeHost::Reserved3() { g_sink = 3; }
void ProbeHost::Reserved4() { g_sink = 4; }
HRESULT ProbeHost::BindObject(JNIEnv_*, _jobject*, IDispatch*, IDispatch*, IDispatch*) { g_sink = 5; return 5; }
void ProbeHost::Reserved6() { g_sink = 6; }
void ProbeHost::Reserved7() { g_sink = 7; }
void ProbeHost::Reserved8() { g_sink = 8; }
HRESULT ProbeHost::GetJavaContext(IJavaObject*, JNIEnv_**, _jobject**) { g_sink = 9; return 9; }

ProbeHost g_probeHost;
