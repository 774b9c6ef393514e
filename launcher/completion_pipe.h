// The server end of the installer's completion pipe and the thread that listens on it.
// One connection, one message: a 32-bit length N, then N bytes of text and zero byte.
#pragma once

#include <windows.h>

#include "completion_message.h"

// The record the listener fills for the waiting thread. It lives on the heap and is shared:
// whichever of the two lets go last frees it, so the listener never writes into a frame
// that has returned. The waiting thread reads `message` only after the listener has ended.
struct CopyEndExchange {
  CString pipeName;  // a copy: the listener may outlive whoever named the pipe
  char message[kCompletionMessageSize] = {};
  volatile LONG references = 1;

  void AddRef() { InterlockedIncrement(&references); }
  void Release() {
    if (InterlockedDecrement(&references) == 0) delete this;
  }
};

// The pipe, created by the constructor with a null DACL so that every user may connect.
class CopyEndPipe {
 public:
  explicit CopyEndPipe(CopyEndExchange* exchange);
  virtual ~CopyEndPipe();
  CopyEndPipe(const CopyEndPipe&) = delete;
  CopyEndPipe& operator=(const CopyEndPipe&) = delete;

  // Blocks until a client connects; true when one did (also when it came first).
  bool WaitForClient();
  // Reads one message into the exchange record; a failed or malformed read leaves it empty.
  void ReadMessage();
  void Disconnect();

  bool createFailed = false;
  HANDLE pipe = INVALID_HANDLE_VALUE;
  CopyEndExchange* exchange;
};

// Owns the listener thread. The destructor neither stops nor waits for the thread, and does
// not close its handle: the caller waits on it.
class CopyEndListener {
 public:
  explicit CopyEndListener(CopyEndExchange* exchange) : exchange(exchange) {}
  virtual ~CopyEndListener() = default;

  // Starts the thread, which holds its own reference to the exchange record.
  bool Start();

  HANDLE thread = nullptr;
  CopyEndExchange* exchange;
};
