#include "completion_pipe.h"

#include <process.h>

#include <new>

namespace {

// A read counts when it delivered the full count, or reported that more data follows.
bool ReadExactly(HANDLE pipe, void* buffer, DWORD count) {
  DWORD got = 0;
  if (ReadFile(pipe, buffer, count, &got, nullptr)) return got == count;
  return GetLastError() == ERROR_MORE_DATA && got == count;
}

unsigned __stdcall ListenerThread(void* argument) {
  auto* exchange = static_cast<CopyEndExchange*>(argument);
  {
    CopyEndPipe pipe(exchange);
    if (!pipe.createFailed && pipe.WaitForClient()) {
      pipe.ReadMessage();
      pipe.Disconnect();
    }
  }
  exchange->Release();
  return 0;
}

}  // namespace

CopyEndPipe::CopyEndPipe(CopyEndExchange* exchange) : exchange(exchange) {
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, TRUE};
  pipe = CreateNamedPipeA(exchange->pipeName, PIPE_ACCESS_INBOUND, 0, 1, 0, 0, 0, &attributes);
  createFailed = pipe == INVALID_HANDLE_VALUE;
}

CopyEndPipe::~CopyEndPipe() {
  if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
}

bool CopyEndPipe::WaitForClient() {
  return ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
}

void CopyEndPipe::ReadMessage() {
  unsigned char header[4];
  if (!ReadExactly(pipe, header, sizeof header)) return;
  const std::uint32_t length = DecodeMessageLength(header);
  // The message buffer holds 10 bytes: a longer payload can never be the completion message,
  // so it is neither allocated nor read.
  if (length == 0 || length > kMaxCompletionPayload) return;
  unsigned char* payload = new (std::nothrow) unsigned char[length];
  if (payload == nullptr) return;
  if (ReadExactly(pipe, payload, length)) {
    DecodeCompletionPayload(payload, length, exchange->message);
  }
  delete[] payload;
}

void CopyEndPipe::Disconnect() {
  FlushFileBuffers(pipe);
  DisconnectNamedPipe(pipe);
}

bool CopyEndListener::Start() {
  exchange->AddRef();
  const uintptr_t handle = _beginthreadex(nullptr, 0, ListenerThread, exchange, 0, nullptr);
  if (handle == 0) {
    exchange->Release();
    return false;
  }
  thread = reinterpret_cast<HANDLE>(handle);
  return true;
}
