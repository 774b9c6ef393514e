// Threading models and critical sections of our small COM layer.
//
// CComSingleThreadModel counts with plain increments (an object used by one thread at a
// time); CComMultiThreadModel counts with interlocked operations (class objects and the
// module). CComCriticalSection wraps a Win32 critical section whose creation can fail and
// says so through Init's HRESULT; it is usable only after a successful Init.
#pragma once

#include <windows.h>

class CComCriticalSection {
 public:
  CComCriticalSection() = default;
  CComCriticalSection(const CComCriticalSection&) = delete;
  CComCriticalSection& operator=(const CComCriticalSection&) = delete;
  ~CComCriticalSection() { Term(); }

  // S_OK, or the HRESULT of the platform's failure (the section stays unusable).
  HRESULT Init() {
    if (m_initialized) return S_OK;
    if (!InitializeCriticalSectionAndSpinCount(&m_sec, 0)) {
      const DWORD error = GetLastError();
      return error != 0 ? HRESULT_FROM_WIN32(error) : E_OUTOFMEMORY;
    }
    m_initialized = true;
    return S_OK;
  }
  // Deletes the section; harmless when Init never succeeded or Term already ran.
  void Term() {
    if (!m_initialized) return;
    DeleteCriticalSection(&m_sec);
    m_initialized = false;
  }
  bool IsInitialized() const { return m_initialized; }
  void Lock() { EnterCriticalSection(&m_sec); }
  void Unlock() { LeaveCriticalSection(&m_sec); }

 private:
  CRITICAL_SECTION m_sec{};
  bool m_initialized = false;
};

// Holds a CComCriticalSection for one scope.
class CComCritSecLock {
 public:
  explicit CComCritSecLock(CComCriticalSection& cs) : m_cs(cs) { m_cs.Lock(); }
  CComCritSecLock(const CComCritSecLock&) = delete;
  CComCritSecLock& operator=(const CComCritSecLock&) = delete;
  ~CComCritSecLock() { m_cs.Unlock(); }

 private:
  CComCriticalSection& m_cs;
};

class CComSingleThreadModel {
 public:
  static ULONG Increment(LONG* p) { return static_cast<ULONG>(++(*p)); }
  static ULONG Decrement(LONG* p) { return static_cast<ULONG>(--(*p)); }
  typedef CComSingleThreadModel ThreadModelNoCS;
};

class CComMultiThreadModel {
 public:
  static ULONG Increment(LONG* p) { return static_cast<ULONG>(InterlockedIncrement(p)); }
  static ULONG Decrement(LONG* p) { return static_cast<ULONG>(InterlockedDecrement(p)); }
  typedef CComMultiThreadModel ThreadModelNoCS;
};
