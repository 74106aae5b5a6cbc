// The old-ABI (copy-on-write) std::string members that libstdc++'s exception
// classes use, instantiated here so that a static link takes these few and
// not the library's whole instantiation of that string.
//
// std::logic_error, std::runtime_error and their kin keep their message in a
// copy-on-write string, so every program that can throw one (and every user
// of std::string or std::vector can) needs these members. The static
// libstdc++ has them in one object with the rest of that string and more,
// and on Windows the linker keeps every function of an object it takes that
// has unwind information: about 35 KB that no code calls. Defined here, the
// object is never taken. These are the library's own definitions, from its
// headers, and COMDAT: where something else does take the library's object,
// one copy of each is kept and the link is as before.
#define _GLIBCXX_USE_CXX11_ABI 0
#include <string>

#if defined(__GLIBCXX__) && !_GLIBCXX_USE_CXX11_ABI
template void std::string::swap(std::string&);
template std::string& std::string::assign(const std::string&);
template char* std::string::_S_construct(std::string::size_type, char, const std::allocator<char>&);
template std::string::_Rep* std::string::_Rep::_S_create(std::string::size_type, std::string::size_type,
                                                         const std::allocator<char>&);
template char* std::string::_Rep::_M_clone(const std::allocator<char>&, std::string::size_type);
template void std::string::_Rep::_M_dispose(const std::allocator<char>&);
template void std::string::_Rep::_M_destroy(const std::allocator<char>&);
template std::string::size_type std::string::_Rep::_S_empty_rep_storage[];
#endif
