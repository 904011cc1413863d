#pragma once
// The e-mail and token that the web page passed in, handed to the installed client.
// After start-up both are non-empty or both are empty.
#include <string>

namespace cumulo {

struct AuthHandoff {
  std::string email;  // raw bytes, as decoded from the launch parameters
  std::string auth;
};

}  // namespace cumulo
