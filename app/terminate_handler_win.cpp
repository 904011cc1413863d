// The installer's own terminate handler, linked into the executable itself so that the
// library's default is never pulled in.
#include <cstdlib>

// The library's default prints the demangled type of the exception to a console that a
// windowed process does not have; it brought the demangler and the C library's whole
// printf machinery with it, a sixth of the installer. The process ends the same way.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
