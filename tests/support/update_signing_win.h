#pragma once
// Update information files signed the way the maker signs them, with the test key whose
// public half test builds carry (tests/fixtures/update/test_signing_key.pem), and the
// ".updtmp" files a folder holds.
#include <string>
#include <vector>

namespace quorvel::testing {

// `content` followed by its signature line ("#signature=" + r and s in hex + CR LF).
std::string SignInfo(const std::string& content);
// "#hash<key>=<SHA-256 of bytes>,<size>" + CR LF, the line that goes beside "#url<key>".
std::string HashLine(const std::string& key, const std::string& bytes);

// The names of the "*.updtmp" files in `folder` (ending with "\"), in the platform's order.
std::vector<std::string> UpdtmpFiles(const std::string& folder);

}  // namespace quorvel::testing
