// nwk's entry point: the arguments in, the output and the exit status out.
#include <cstdio>

#include "nwk/Nwk.h"
#include "platform/AnsiText.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/Win32Registry.h"
#endif

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // .reg files go to standard output byte for byte.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  nw::Win32Registry registry;
  nw::nwk::Output output;
  const int status = nw::nwk::Run(args, output, &registry);
  return nw::nwk::Deliver(status, output, stdout, stderr);
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  // Arguments, file names among them, come in UTF-8.
  for (int i = 1; i < argc; ++i) args.push_back(nw::FromAnsi(argv[i], nw::kUtf8));
  nw::nwk::Output output;
  const int status = nw::nwk::Run(args, output, nullptr);
  return nw::nwk::Deliver(status, output, stdout, stderr);
}
#endif
