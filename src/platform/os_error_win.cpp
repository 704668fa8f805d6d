#include "platform/os_error_win.h"

#include "platform/text.h"

namespace quorvel {

std::string SystemErrorMessage(DWORD code) {
  char* buffer = nullptr;
  DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string message;
  if (length && buffer) message.assign(buffer, length);
  if (buffer) ::LocalFree(buffer);
  while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ') message.pop_back();
  return message;
}

EOSError OsError(DWORD code) {
  return EOSError(code, text::Format("System Error.  Code: %d.\r\n%s", static_cast<int>(code),
                                     SystemErrorMessage(code).c_str()));
}

}  // namespace quorvel
