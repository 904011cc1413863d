#pragma once
// The journal's levels; the tag each line carries is its first letter.

namespace cumulo {

enum class LogLevel : int { Info = 0, Error = 1, Warning = 2 };

}  // namespace cumulo
