#pragma once
// Naming rule of the single-instance guard's shared objects, as a plain text function.
#include <string>

namespace quorvel {

// The base name of the named objects shared by the instances of one program file, from
// its upper-cased full path: "\" (reserved in object names) becomes "/", and a path too
// long for an object name is shortened to a hash of the whole path and its last part.
// Equal paths give equal names; the result is never longer than kInstanceNameMax.
std::string InstanceObjectName(const std::string& upperPath);

inline constexpr size_t kInstanceNameMax = 200;

}  // namespace quorvel
