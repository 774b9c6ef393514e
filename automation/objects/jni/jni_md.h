/* Machine-dependent JNI definitions for Windows, used with the JDK's jni.h.
   JNI functions use the platform's API calling convention (stdcall on 32-bit x86, where the
   callee removes its arguments); the variadic Call*Method functions fall back to cdecl, as
   the compiler does for any variadic function. jint is 32 bits and jlong 64 bits on both
   32- and 64-bit Windows. */
#ifndef VANU_JNI_MD_H
#define VANU_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif /* VANU_JNI_MD_H */
