#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace quorvel {

// An error of the program: its text is what the error reporter shows the user.
class AppError : public std::runtime_error {
 public:
  explicit AppError(const std::string& message) : std::runtime_error(message) {}
};

// A refused platform call; carries the system's error code.
class EOSError : public AppError {
 public:
  EOSError(std::uint32_t code, const std::string& message) : AppError(message), code_(code) {}
  std::uint32_t Code() const { return code_; }

 private:
  std::uint32_t code_;
};

}  // namespace quorvel
