// The two std::string members libstdc++'s own small-string helper (used by
// the exception classes' copy-on-write strings, see cow-string.cpp) needs,
// instantiated here so that a static link does not take the library's whole
// instantiation of std::string for them: about 30 KB that no code calls.
// The library's own definitions, from its headers, and COMDAT.
#include <string>

#if defined(__GLIBCXX__) && _GLIBCXX_USE_CXX11_ABI
template void std::string::_M_assign(const std::string&);
template std::string::pointer std::string::_M_create(std::string::size_type&, std::string::size_type);
#endif
