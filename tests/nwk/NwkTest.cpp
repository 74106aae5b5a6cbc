// nwk through its command line: the .reg files and show output against
// hand-checked files (the same bytes in every build), status over every
// registry backend, and the exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>

#include "EasyReg/EasyReg.h"
#include "EasyReg/MemoryRegistry.h"
#include "nwk/Nwk.h"
#include "platform/AnsiText.h"
#include "support/Backends.h"
#include "support/Fakes.h"
#include "support/Kit.h"
#include "support/RegistryDump.h"

namespace nw::nwk {
namespace {

namespace fs = std::filesystem;

// The test files, by a path the program under test can open.
std::wstring TestFile(const std::string& name) {
#ifdef _WIN32
  return L"Z:" + FromAnsi(std::string(NWK_TEST_DIR) + "/golden/" + name);
#else
  return FromAnsi(std::string(NWK_TEST_DIR) + "/golden/" + name);
#endif
}

std::string Bytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Result {
  int status;
  Output output;
};

Result Nwk(std::vector<std::wstring> args, Registry* registry = nullptr, ShellNotifier* shell = nullptr) {
  Result result{};
  result.status = Run(args, result.output, registry, shell);
  return result;
}

unsigned long ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

const std::string kHeader = test::kMagicLine + "name=Tools\r\nicon=shell32.dll,4\r\nclsid5=0000E2E0A0B2\r\n";
const std::wstring kClsid = L"{0000000D-CF0D-D10A-A240-0000E2E0A0B2}";

TEST(NwkRegFile, EscapesBackslashesAndQuotesOnly) {
  const struct {
    std::wstring text;
    std::wstring escaped;
  } cases[] = {
      {L"", L""},
      {L"plain & simple, 50%", L"plain & simple, 50%"},
      {L"C:\\Tools\\a.ico", L"C:\\\\Tools\\\\a.ico"},
      {L"say \"hi\"", L"say \\\"hi\\\""},
      {L"\\\"", L"\\\\\\\""},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeRegString(c.text), c.escaped);
}

// Each file was written by nwk once and read line by line before it was kept;
// every build must write the same bytes.
TEST(NwkGolden, ShowAndExportWriteTheCheckedBytes) {
  const struct {
    std::vector<std::wstring> options;
    std::string golden;
  } cases[] = {
      {{L"show"}, "tools-show.txt"},
      {{L"export"}, "tools-desktop.reg"},
      {{L"export", L"--placement", L"system", L"--user"}, "tools-system-user.reg"},
      {{L"export", L"--placement", L"manual"}, "tools-manual.reg"},
      {{L"export", L"--remove"}, "tools-remove.reg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.golden);
    std::vector<std::wstring> args{c.options[0], TestFile("tools.nwk")};
    args.insert(args.end(), c.options.begin() + 1, c.options.end());
    const Result result = Nwk(args);
    EXPECT_EQ(result.status, kExitDone);
    EXPECT_EQ(result.output.err, "");
    EXPECT_EQ(result.output.out, Bytes(TestFile(c.golden)));
  }
}

TEST(NwkRegFile, IsUtf16WithByteOrderMarkAndCrLfOnly) {
  const std::string bytes = Nwk({L"export", TestFile("tools.nwk")}).output.out;
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(bytes.size() % 2, 0u);
  for (std::size_t i = 2; i < bytes.size(); i += 2) {
    ASSERT_EQ(bytes[i + 1], '\0') << "at " << i;  // the fixture is all ASCII
    if (bytes[i] == '\n') {
      EXPECT_EQ(bytes[i - 2], '\r') << "at " << i;
    }
    if (bytes[i] == '\r') {
      EXPECT_EQ(bytes[i + 2], '\n') << "at " << i;
    }
  }
}

TEST(NwkRegFile, TextWithALineBreakIsWrittenAsStringBytes) {
  // A lone LF belongs to a settings line's text; a quoted .reg string cannot hold it.
  test::SettingsFile file(test::kMagicLine + "name=a\nb\r\nicon=i\r\nclsid5=0000E2E0A0B3\r\n");
  const std::string bytes = Nwk({L"export", file.path()}).output.out;
  const std::string expected = Utf16Le(L"\r\n@=hex(1):61,00,0a,00,62,00,00,00\r\n");
  EXPECT_NE(bytes.find(expected), std::string::npos);
}

TEST(NwkExit, StatusAndMessageForEveryKindOfFailure) {
  test::SettingsFile refused(test::kMagicLine + "name=x\r\n");
  test::SettingsFile lineBreakVerb(kHeader + "Two\nLines;x;\r\n");
  // A lone LF stays in a line: this clsid5 carries a section of its own, which
  // imported would delete another folder's class key.
  test::SettingsFile lineBreakClsid(
      test::kMagicLine +
      "name=Tools\r\nicon=i\r\n"
      "clsid5=0000E2E0A0B2}]\n\n[-HKEY_CLASSES_ROOT\\CLSID\\{0000000D-CF0D-D10A-A240-0000E2E0A0B9\r\n");
  test::SettingsFile bracketVerb(kHeader + "Open [admin];x;\r\n");
  test::SettingsFile bracketClsid(test::kMagicLine + "name=Tools\r\nicon=i\r\nclsid5=0000E2E0A0B2]\r\n");
  const char* noRegForm = "a .reg file cannot hold this key name";
  const std::wstring good = TestFile("tools.nwk");
  const std::wstring missing = TestFile("no such file.nwk");
  const struct {
    std::vector<std::wstring> args;
    int status;
    std::string inErr;
  } cases[] = {
      {{}, kExitUsage, "Usage: nwk"},
      {{L"frobnicate", good}, kExitUsage, "unknown command: frobnicate"},
      {{L"export"}, kExitUsage, "no settings file given"},
      {{L"export", good, L"--placement", L"attic"}, kExitUsage, "not attic"},
      {{L"export", good, L"--placement"}, kExitUsage, "missing after --placement"},
      {{L"make", good, L"-o", L"x.reg"}, kExitUsage, "does not apply to the command: -o"},
      {{L"export", good, L"--remove", L"--placement", L"system"}, kExitUsage, "--placement"},
      {{L"show", good, good}, kExitUsage, "extra argument"},
      {{L"show", missing}, kExitUnreadable, "cannot read the file"},
      {{L"make", missing}, kExitUnreadable, "cannot read the file"},
      {{L"export", refused.path()}, kExitRefused, "not a complete Nookway settings file"},
      {{L"make", refused.path()}, kExitRefused, "not a complete Nookway settings file"},
      {{L"export", lineBreakVerb.path()}, kExitRefused, noRegForm},
      // Such a clsid5 is not twelve hexadecimal digits: the reader refuses it first.
      {{L"export", lineBreakClsid.path()}, kExitRefused, "not a complete Nookway settings file"},
      {{L"export", lineBreakClsid.path(), L"--remove", L"--user"},
       kExitRefused,
       "not a complete Nookway settings file"},
      {{L"export", bracketVerb.path()}, kExitRefused, noRegForm},
      {{L"export", bracketClsid.path(), L"--remove"}, kExitRefused, "not a complete Nookway settings file"},
      {{L"export", good, L"-o", TestFile("no such folder/out.reg")},
       kExitCannotWrite,
       "cannot write the file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.inErr));
    const Result result = Nwk(c.args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.output.out, "");
    EXPECT_NE(result.output.err.find(c.inErr), std::string::npos) << result.output.err;
  }
}

// Standard output that takes no more bytes: the run fails with its own status
// and says so on standard error, after what it had to say there already.
TEST(NwkExit, OutputThatCannotBeWrittenFailsTheRun) {
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  using File = std::unique_ptr<std::FILE, Closer>;
  const fs::path scratch = fs::temp_directory_path() / ("nwk-out-" + std::to_string(ProcessId()));
  std::ofstream(scratch).put('x');
  struct Stream {
    const char* what;
    std::function<File()> open;
    int status;  // for a run that ended with status 1
  } streams[] = {
      {"writable", [&] { return File(std::fopen(scratch.string().c_str(), "wb")); }, kExitDiffers},
      {"opened for reading only", [&] { return File(std::fopen(scratch.string().c_str(), "rb")); },
       kExitCannotWrite},
#ifndef _WIN32
      {"a full disk", [] { return File(std::fopen("/dev/full", "wb")); }, kExitCannotWrite},
#endif
  };
  for (const Stream& s : streams) {
    SCOPED_TRACE(s.what);
    const File out = s.open();
    ASSERT_NE(out, nullptr);
    const File err(std::tmpfile());
    ASSERT_NE(err, nullptr);
    const Output output{std::string(100000, 'o'), "differs\n"};
    FileStream outStream(out.get()), errStream(err.get());
    EXPECT_EQ(Deliver(kExitDiffers, output, outStream, errStream), s.status);
    std::rewind(err.get());
    std::string said(200, '\0');
    said.resize(std::fread(said.data(), 1, said.size(), err.get()));
    EXPECT_EQ(said,
              s.status == kExitCannotWrite ? "differs\nnwk: cannot write to standard output\n" : "differs\n");
  }
  std::error_code ignored;
  fs::remove(scratch, ignored);
}

TEST(NwkExit, HelpAndVersionGoToStandardOutput) {
  const struct {
    std::wstring arg;
    std::string out;
  } cases[] = {
      {L"--help", "Usage: nwk COMMAND FILE"}, {L"-h", "Exit status: 0 done"}, {L"--version", "nwk 1.0.0\n"}};
  for (const auto& c : cases) {
    const Result result = Nwk({c.arg});
    EXPECT_EQ(result.status, kExitDone);
    EXPECT_NE(result.output.out.find(c.out), std::string::npos) << result.output.out;
    EXPECT_EQ(result.output.err, "");
  }
}

TEST(NwkExit, WithoutARegistryOnlyShowAndExportRun) {
  for (const wchar_t* command : {L"make", L"remove", L"status"}) {
    const Result result = Nwk({command, TestFile("tools.nwk")});
    EXPECT_EQ(result.status, kExitNoRegistry);
    EXPECT_NE(result.output.err.find("this build has no registry"), std::string::npos);
  }
}

TEST(NwkShow, WarnsOfWhatTheWindowedProgramTakesSilently) {
  test::SettingsFile file(test::kMagicLine +
                          "name=n\r\nicon=i\r\nclsid5=00000000000C\r\n"
                          "Open;a;\r\n;b;\r\nOPEN;d;\r\n");
  const Result result = Nwk({L"show", file.path()});
  EXPECT_EQ(result.status, kExitDone);
  const std::string out = result.output.out;
  for (const char* warning : {"warning: menu line has an empty name: 2\n",
                              "warning: menu name repeats an earlier one (the later command wins): 3\n"})
    EXPECT_NE(out.find(warning), std::string::npos) << warning;
  EXPECT_EQ(Nwk({L"show", TestFile("tools.nwk")}).output.out.find("warning"), std::string::npos);

  // A refused file shows as far as it was read: the clsid5 line or the menu
  // line that could not be registered is where the record ends.
  const struct {
    std::string bytes;
    const char* shown;
    const char* notShown;
  } refusals[] = {
      {test::kMagicLine + "name=half\r\n", "Name:    half\n", "CLSID:   {"},
      {test::kMagicLine + "name=n\r\nicon=i\r\nclsid5=12345\r\nOpen;a;\r\n", "CLSID:   \n", "Menu"},
      {kHeader + "Open;a;\r\nSub\\Verb;c;\r\nLast;d;\r\n", "Menu 1: Open -> a\n", "Menu 2"},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.shown);
    test::SettingsFile refused(r.bytes);
    const Result half = Nwk({L"show", refused.path()});
    EXPECT_EQ(half.status, kExitRefused);
    EXPECT_NE(half.output.out.find("Verdict: refused"), std::string::npos);
    EXPECT_NE(half.output.out.find(r.shown), std::string::npos) << half.output.out;
    EXPECT_EQ(half.output.out.find(r.notShown), std::string::npos) << half.output.out;
  }
}

// Status, make and remove over each registry backend.
class NwkRegistry : public testing::TestWithParam<test::Backend> {
 protected:
  void SetUp() override {
    registry_ = GetParam().make();
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() { test::RemoveFolderKeys(*registry_, ToAnsi(kClsid)); }
  static std::vector<std::pair<RootKey, std::string>> Locations() { return test::FolderKeys(ToAnsi(kClsid)); }
  Result Nwk(std::vector<std::wstring> args) { return nwk::Nwk(std::move(args), registry_.get(), &shell_); }

  std::unique_ptr<Registry> registry_;
  test::RecordingShell shell_;
};

// Writes one value as a hand edit would, of any type and bytes.
void Poke(Registry& registry, const std::string& classPath, const std::string& name, long type,
          const std::vector<std::uint8_t>& bytes) {
  UniqueKey key(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\Classes\\" + classPath, kAccess, key.put()),
            kErrorSuccess);
  ASSERT_EQ(registry.SetValue(key.get(), name, type, bytes), kErrorSuccess);
}

TEST_P(NwkRegistry, StatusNamesEveryDifference) {
  test::SettingsFile file(kHeader + "Open;notepad.exe;\r\n");
  const std::wstring k = L"HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\" + kClsid;
  const std::wstring desktop =
      L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\" +
      kClsid;
  const std::wstring myComputer =
      L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace\\" +
      kClsid;
  const std::string clsid = ToAnsi(kClsid);
  const struct {
    const char* what;
    std::function<void(Registry&)> change;  // after "make" (none: a clean registry)
    int status;
    std::vector<std::wstring> lines;
  } cases[] = {
      {"clean",
       nullptr,
       kExitDiffers,
       {L"missing key: " + k, L"missing key: " + k + L"\\DefaultIcon", L"missing key: " + desktop}},
      {"after make", [](Registry&) {}, kExitDone, {L"the registry holds exactly the definition's layout"}},
      {"icon edited",
       [&](Registry& r) {
         SetKeyValue(r, kHkeyLocalMachine, L"Software\\Classes\\CLSID\\" + kClsid + L"\\DefaultIcon", L"",
                     std::wstring(L"x.ico"), kRegSz);
       },
       kExitDiffers,
       {L"different value: " + k + L"\\DefaultIcon @"}},
      {"attributes retyped",
       [&](Registry& r) {
         Poke(r, "CLSID\\" + clsid + "\\ShellFolder", "Attributes", kRegDword, {0, 0, 0, 0});
       },
       kExitDiffers,
       {L"different value: " + k + L"\\ShellFolder \"Attributes\""}},
      {"threading model emptied, a value and a verb added",
       [&](Registry& r) {
         Poke(r, "CLSID\\" + clsid + "\\InProcServer32", "ThreadingModel", kRegSz, {0});
         CreateKey(r, L"Software\\Classes\\CLSID\\" + kClsid + L"\\Shell\\Print", kHkeyLocalMachine);
         SetKeyValue(r, kHkeyLocalMachine, L"Software\\Classes\\CLSID\\" + kClsid, L"InfoTip",
                     std::wstring(L"t"), kRegSz);
       },
       kExitDiffers,
       {L"different value: " + k + L"\\InProcServer32 \"ThreadingModel\"",
        L"extra value: " + k + L" \"InfoTip\"", L"extra key: " + k + L"\\Shell\\Print"}},
      {"also in My Computer",
       [&](Registry& r) {
         CreateKey(
             r, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace\\" + kClsid,
             kHkeyLocalMachine);
       },
       kExitDiffers,
       {L"extra key: " + myComputer}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Clean();
    if (c.change) {
      ASSERT_EQ(Nwk({L"make", file.path()}).status, kExitDone);
      c.change(*registry_);
    }
    const Result result = Nwk({L"status", file.path()});
    EXPECT_EQ(result.status, c.status);
    for (const std::wstring& line : c.lines)
      EXPECT_NE(result.output.out.find(Utf8(line) + "\n"), std::string::npos) << result.output.out;
  }
}

TEST_P(NwkRegistry, MakeAndRemoveInEachScopeAndPlacement) {
  test::SettingsFile file(kHeader + "Open;notepad.exe;\r\nEdit;wordpad.exe;\r\n");
  const struct {
    std::vector<std::wstring> options;
    std::vector<std::size_t> present;  // indexes into Locations()
    std::string clsidOnStdout;
    std::vector<std::string> told;  // what the shell hears of make, and then of remove
  } cases[] = {
      {{}, {0, 1}, "", {"classes", "Desktop"}},
      {{L"--placement", L"system"}, {0, 2}, "", {"classes", "My Computer"}},
      {{L"--placement", L"manual"}, {0}, ToAnsi(kClsid) + "\n", {"classes"}},
      {{L"--user"}, {3, 4}, "", {"classes", "Desktop"}},
      {{L"--placement", L"system", L"--user"}, {3, 5}, "", {"classes", "My Computer"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.present));
    Clean();
    std::vector<std::wstring> make{L"make", file.path()};
    make.insert(make.end(), c.options.begin(), c.options.end());
    shell_.told.clear();
    const Result made = Nwk(make);
    EXPECT_EQ(made.status, kExitDone) << made.output.err;
    EXPECT_EQ(made.output.out, c.clsidOnStdout);
    EXPECT_EQ(shell_.told, c.told);
    const auto locations = Locations();
    for (std::size_t i = 0; i < locations.size(); ++i) {
      const bool expected = std::find(c.present.begin(), c.present.end(), i) != c.present.end();
      EXPECT_EQ(test::KeyExists(*registry_, locations[i].first, locations[i].second), expected) << i;
    }
    std::vector<std::wstring> status = make;
    status[0] = L"status";
    EXPECT_EQ(Nwk(status).status, kExitDone);

    const bool user = std::find(make.begin(), make.end(), L"--user") != make.end();
    std::vector<std::wstring> remove{L"remove", file.path()};
    if (user) remove.push_back(L"--user");
    shell_.told.clear();
    EXPECT_EQ(Nwk(remove).status, kExitDone);
    // Remove hears of what was there: the class and the one placement.
    EXPECT_EQ(shell_.told, c.told);
    for (const auto& [root, path] : locations) EXPECT_FALSE(test::KeyExists(*registry_, root, path)) << path;
  }
}

// Menu lines whose names the registry holds under other paths than the
// layout writes: an empty name ("Shell\" and "Shell\\Command"). Right after
// make, status finds the layout in place.
TEST_P(NwkRegistry, StatusAfterMakeMatchesForVerbNamesTheRegistryNormalises) {
  for (const char* verbs : {";cmd.exe;\r\n", ";a.exe;\r\nOpen;notepad.exe;\r\n"}) {
    SCOPED_TRACE(verbs);
    Clean();
    test::SettingsFile file(kHeader + verbs);
    ASSERT_EQ(Nwk({L"make", file.path()}).status, kExitDone);
    const Result status = Nwk({L"status", file.path()});
    EXPECT_EQ(status.status, kExitDone) << status.output.out;
    EXPECT_EQ(status.output.out, "the registry holds exactly the definition's layout\n");
  }
}

// An older class key with a volatile verb key in it: make writes the class
// and the first verb, then cannot create the lasting Command key below it.
TEST_P(NwkRegistry, ARegistryFailureEndsMakeWithItsStatus) {
  test::SettingsFile file(kHeader + "Open;a.exe;\r\nBlocked;cmd;\r\n");
  const std::string shell = "Software\\Classes\\CLSID\\" + ToAnsi(kClsid) + "\\Shell";
  CreateKey(*registry_, FromAnsi(shell), kHkeyLocalMachine);
  ASSERT_EQ(test::CreateVolatileKey(*registry_, kHkeyLocalMachine, shell + "\\Blocked"), kErrorSuccess);
  const std::string before =
      test::DumpTree(*registry_, kHkeyLocalMachine, "Software\\Classes\\CLSID\\" + ToAnsi(kClsid));
  const Result result = Nwk({L"make", file.path()});
  EXPECT_EQ(result.status, kExitRegistry);
  EXPECT_EQ(shell_.told, std::vector<std::string>{});
  EXPECT_NE(result.output.err.find("nwk: the registry refused: "), std::string::npos) << result.output.err;
  EXPECT_EQ(result.output.err.find("registered"), std::string::npos);
  EXPECT_NE(result.output.err.find("nothing was changed: the registry is as it was"), std::string::npos);
  EXPECT_EQ(test::DumpTree(*registry_, kHkeyLocalMachine, "Software\\Classes\\CLSID\\" + ToAnsi(kClsid)),
            before);
  EXPECT_EQ(Nwk({L"status", file.path()}).status, kExitDiffers);
}

// A key that the registry will not open or read is an error with a status of
// its own, not a difference: what it holds is unknown. Each case refuses one
// call, on a registry that holds exactly the layout.
TEST(NwkStatus, WhatTheRegistryCannotReadIsAnErrorNotADifference) {
  test::SettingsFile file(kHeader + "Open;notepad.exe;\r\n");
  const std::string clsid = ToAnsi(kClsid);
  const std::wstring k = L"HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\" + kClsid;
  const struct {
    const char* operation;
    std::string pathEnd;  // the end of the path of the key the call addresses
    std::wstring reported;
  } cases[] = {
      {"OpenKey", clsid, k},
      {"OpenKey", clsid + "\\Shell", k + L"\\Shell"},
      {"EnumKey", clsid, k},
      {"EnumKey", clsid + "\\Shell\\Open", k + L"\\Shell\\Open"},
      {"EnumValue", clsid + "\\DefaultIcon", k + L"\\DefaultIcon"},
      {"EnumValue", clsid + "\\InProcServer32", k + L"\\InProcServer32"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.operation) + " " + c.pathEnd);
    MemoryRegistry registry;
    ASSERT_EQ(Nwk({L"make", file.path()}, &registry).status, kExitDone);
    auto refuse = [&](const MemoryRegistry::Call& call) -> long {
      return call.operation == c.operation && call.path.ends_with(c.pathEnd) ? kErrorAccessDenied
                                                                             : kErrorSuccess;
    };
    registry.inject = refuse;
    registry.injectRead = refuse;
    const Result result = Nwk({L"status", file.path()}, &registry);
    EXPECT_EQ(result.status, kExitRegistryUnreadable);
    EXPECT_EQ(result.output.out, "");
    EXPECT_EQ(result.output.err, Utf8(L"nwk: the registry cannot be read (error 5): " + c.reported) + "\n");
  }
}

// Folders of this layout in each scope: one made by nwk, one made by hand
// without verbs or placement, a placement whose class key is missing, and one
// made for the current user. Classes of other layouts are not listed.
TEST_P(NwkRegistry, ListShowsEveryFolderOfTheLayoutInItsScope) {
  const std::wstring hand = L"{0000000D-CF0D-D10A-A240-0000E2E0A0C1}";
  const std::wstring stray = L"{0000000D-CF0D-D10A-A240-0000E2E0A0C2}";
  const std::wstring mine = L"{0000000D-CF0D-D10A-A240-0000E2E0A0C3}";
  const std::wstring foreign = L"{0000000E-CF0D-D10A-A240-0000E2E0A0C4}";
  const std::wstring classes = L"Software\\Classes\\CLSID\\";
  const std::wstring myComputer =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace\\";
  const std::pair<RootKey, std::wstring> extra[] = {{kHkeyLocalMachine, classes + hand},
                                                    {kHkeyLocalMachine, myComputer + stray},
                                                    {kHkeyLocalMachine, classes + foreign},
                                                    {kHkeyCurrentUser, classes + mine},
                                                    {kHkeyCurrentUser, myComputer + mine}};
  auto clean = [&] {
    for (const auto& [root, path] : extra) test::RemoveTree(*registry_, root, ToAnsi(path));
  };
  clean();
  test::SettingsFile file(kHeader + "Open;notepad.exe;\r\n");
  ASSERT_EQ(Nwk({L"make", file.path()}).status, kExitDone);
  CreateKey(*registry_, classes + hand + L"\\DefaultIcon", kHkeyLocalMachine);
  SetKeyValue(*registry_, kHkeyLocalMachine, classes + hand, L"", std::wstring(L"By hand"), kRegSz);
  SetKeyValue(*registry_, kHkeyLocalMachine, classes + hand + L"\\DefaultIcon", L"", std::wstring(L"x.ico"),
              kRegSz);
  CreateKey(*registry_, myComputer + stray, kHkeyLocalMachine);
  CreateKey(*registry_, classes + foreign, kHkeyLocalMachine);
  test::SettingsFile user(test::kMagicLine + "name=Mine\r\nicon=m.ico\r\nclsid5=0000E2E0A0C3\r\n");
  ASSERT_EQ(Nwk({L"make", user.path(), L"--user", L"--placement", L"system"}).status, kExitDone);

  const Result machine = Nwk({L"list"});
  EXPECT_EQ(machine.status, kExitDone) << machine.output.err;
  const std::string made = Utf8(kClsid) +
                           "  Tools\n  icon    shell32.dll,4\n  verb    Open -> notepad.exe\n"
                           "  placed  Desktop\n";
  const std::string byHand = Utf8(hand) + "  By hand\n  icon    x.ico\n  placed  nowhere\n";
  const std::string placedOnly =
      Utf8(stray) + "\n  placed  My Computer\nwarning: placed, but its class key is missing\n";
  const std::string users = Utf8(mine) + "  Mine\n  icon    m.ico\n  placed  My Computer\n";
  for (const std::string& block : {made, byHand, placedOnly})
    EXPECT_NE(machine.output.out.find(block), std::string::npos) << block << "in\n" << machine.output.out;
  for (const std::wstring& absent : {mine, foreign})
    EXPECT_EQ(machine.output.out.find(Utf8(absent)), std::string::npos) << Utf8(absent);

  const Result perUser = Nwk({L"list", L"--user"});
  EXPECT_EQ(perUser.status, kExitDone);
  EXPECT_NE(perUser.output.out.find(users), std::string::npos) << perUser.output.out;
  EXPECT_EQ(perUser.output.out.find(Utf8(kClsid)), std::string::npos);

  // With --reg, each key and value below the folder's keys, as status reads them.
  const Result reg = Nwk({L"list", L"--reg"});
  const std::string command = "    HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\" + Utf8(kClsid) +
                              "\\Shell\\Open\\Command\n      @ = \"notepad.exe\"\n";
  EXPECT_NE(reg.output.out.find(command), std::string::npos) << reg.output.out;
  EXPECT_NE(reg.output.out.find("\\ShellFolder\n      \"Attributes\" = type 3: 00,00,00,00,00\n"),
            std::string::npos);
  clean();
}

// A file whose CLSID another folder holds already: show and status say so.
TEST_P(NwkRegistry, ShowAndStatusWarnOfACLSIDRegisteredAsAnotherFolder) {
  test::SettingsFile file(kHeader + "Open;notepad.exe;\r\n");
  const std::string warning =
      "warning: this CLSID is registered already, as another folder: \"Other\" "
      "(HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\" +
      Utf8(kClsid) + ")\n";
  EXPECT_EQ(Nwk({L"show", file.path()}).output.out.find("registered already"), std::string::npos);
  CreateKey(*registry_, L"Software\\Classes\\CLSID\\" + kClsid, kHkeyLocalMachine);
  SetKeyValue(*registry_, kHkeyLocalMachine, L"Software\\Classes\\CLSID\\" + kClsid, L"",
              std::wstring(L"Other"), kRegSz);
  EXPECT_NE(Nwk({L"show", file.path()}).output.out.find(warning), std::string::npos);
  const Result status = Nwk({L"status", file.path()});
  EXPECT_EQ(status.status, kExitDiffers);
  EXPECT_NE(status.output.err.find(warning), std::string::npos) << status.output.err;
  // Once the file's own registration is there, nothing to warn of.
  ASSERT_EQ(Nwk({L"make", file.path()}).status, kExitDone);
  EXPECT_EQ(Nwk({L"show", file.path()}).output.out.find("registered already"), std::string::npos);
  EXPECT_EQ(Nwk({L"status", file.path()}).output.err, "");
}

INSTANTIATE_TEST_SUITE_P(Backends, NwkRegistry, testing::ValuesIn(test::AllBackends()), test::BackendName);

TEST(NwkList, SaysWhenNothingIsRegistered) {
  MemoryRegistry registry;
  const Result result = Nwk({L"list"}, &registry);
  EXPECT_EQ(result.status, kExitDone);
  EXPECT_EQ(result.output.out, "no folder of this layout is registered in this scope\n");
  EXPECT_EQ(Nwk({L"list", L"x.nwk"}, &registry).status, kExitUsage);
  EXPECT_EQ(Nwk({L"list"}).status, kExitNoRegistry);
}

// A settings file in 932, with 表 (95 5C) and ソ (83 5C) in the verb's name:
// read, made, compared and removed in that code page, one verb key each.
class NwkCodePage : public testing::TestWithParam<test::CodePageBackend> {};

TEST_P(NwkCodePage, Cp932VerbsAreOneKeyEachFromMakeToRemove) {
  std::string why;
  std::unique_ptr<Registry> registry = GetParam().make(CodePage(932), why);
  if (!registry) GTEST_SKIP() << GetParam().name << " registry: " << why;
  test::SettingsFile file(kHeader + "\x95\x5C\x8E\xA6;\x83\x5C.exe;\r\n\x83\x5C;x;\r\n");
  const std::string clsid = ToAnsi(kClsid);
  test::RemoveTree(*registry, kHkeyLocalMachine, "Software\\Classes\\CLSID\\" + clsid);
  const Result shown = Nwk({L"show", file.path()}, registry.get());
  EXPECT_NE(shown.output.out.find(Utf8(L"\u8868\u793A -> \u30BD.exe")), std::string::npos)
      << shown.output.out;

  ASSERT_EQ(Nwk({L"make", file.path(), L"--placement", L"manual"}, registry.get()).status, kExitDone);
  EXPECT_EQ(test::DumpTree(*registry, kHkeyLocalMachine, "Software\\Classes\\CLSID\\" + clsid + "\\Shell"),
            "[]\n[\x83\x5C]\n[\x83\x5C\\Command]\n@=1:78,00\n"
            "[\x95\x5C\x8E\xA6]\n[\x95\x5C\x8E\xA6\\Command]\n@=1:83,5c,2e,65,78,65,00\n");
  const Result status = Nwk({L"status", file.path(), L"--placement", L"manual"}, registry.get());
  EXPECT_EQ(status.status, kExitDone) << status.output.out;

  EXPECT_EQ(Nwk({L"remove", file.path()}, registry.get()).status, kExitDone);
  EXPECT_FALSE(test::KeyExists(*registry, kHkeyLocalMachine, "Software\\Classes\\CLSID\\" + clsid));
}

INSTANTIATE_TEST_SUITE_P(CodePages, NwkCodePage, testing::ValuesIn(test::CodePageBackends()),
                         [](const testing::TestParamInfo<test::CodePageBackend>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace nw::nwk

namespace nw::nwk {
namespace {

// make and remove fail at a step, and then putting the registry back fails at
// the class key: nwk names what it left and exits with a status of its own.
TEST(NwkNotRestored, NamesWhatCouldNotBePutBack) {
  test::SettingsFile file(kHeader + "One;1.exe;\r\nTwo;2.exe;\r\n");
  const std::string clsid = ToAnsi(kClsid);
  struct Case {
    const char* name;
    std::vector<std::wstring> args;
    bool registeredBefore;
    std::function<bool(const MemoryRegistry::Call&)> fails;
  };
  const Case cases[] = {
      // The second verb's command key cannot be made, nor the class key deleted again.
      {"make",
       {L"make", file.path()},
       false,
       [&](const MemoryRegistry::Call& call) {
         return (call.operation == "CreateKey" && call.path.ends_with("Shell\\Two\\Command")) ||
                (call.operation == "DeleteKey" && call.name == clsid);
       }},
      // The Desktop entry cannot be deleted, nor the class key made again.
      {"remove",
       {L"remove", file.path()},
       true,
       [&](const MemoryRegistry::Call& call) {
         return (call.operation == "DeleteKey" && call.path.ends_with("Desktop\\NameSpace")) ||
                (call.operation == "CreateKey" && call.path.ends_with("CLSID\\" + clsid));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRegistry registry;
    if (c.registeredBefore) {
      ASSERT_EQ(Nwk({L"make", file.path()}, &registry).status, kExitDone);
    }
    registry.inject = [&](const MemoryRegistry::Call& call) {
      return c.fails(call) ? kErrorAccessDenied : kErrorSuccess;
    };
    const Result result = Nwk(c.args, &registry);
    EXPECT_EQ(result.status, kExitNotRestored);
    EXPECT_NE(result.output.err.find("nwk: the registry refused: "), std::string::npos) << result.output.err;
    EXPECT_NE(
        result.output.err.find(
            "nwk: could not be put back as it was: HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\" + clsid),
        std::string::npos)
        << result.output.err;
    EXPECT_EQ(result.output.err.find("nothing was changed"), std::string::npos);
  }
}

// --- new ------------------------------------------------------------------------------------------

// A path for a file the test writes, removed at the end of the test.
class ScratchPath {
 public:
  ScratchPath() {
    path_ = fs::temp_directory_path() /
            ("nwk-new-" + std::to_string(ProcessId()) + "-" + std::to_string(++count_) + " folder.nwk");
  }
  ~ScratchPath() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  std::wstring path() const { return path_.wstring(); }
  bool exists() const { return fs::exists(path_); }

 private:
  fs::path path_;
  static inline int count_ = 0;
};

bool IsClsid5(const std::string& group) {
  return group.size() == 12 && group.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

TEST(NwkNew, WritesAFileThatShowsMakesAndMatchesAsGiven) {
  ScratchPath out;
  const Result made = Nwk({L"new", L"Admin Tools", L"-o", out.path(), L"--icon", L"C:\\Tools\\t.ico,2",
                           L"--verb", L"Open;notepad.exe \"%1\";", L"--verb", L"Command Prompt;cmd.exe;"});
  ASSERT_EQ(made.status, kExitDone) << made.output.err;
  const std::string bytes = Bytes(out.path());
  const std::string head = test::kMagicLine + "name=Admin Tools\r\nicon=C:\\Tools\\t.ico,2\r\nclsid5=";
  ASSERT_EQ(bytes.substr(0, head.size()), head);
  const std::string group = bytes.substr(head.size(), 12);
  EXPECT_TRUE(IsClsid5(group)) << group;
  EXPECT_EQ(bytes.substr(head.size() + 12), "\r\nOpen;notepad.exe \"%1\";\r\nCommand Prompt;cmd.exe;\r\n");
  EXPECT_EQ(made.output.out, Utf8(L"written: " + out.path()) + " {0000000D-CF0D-D10A-A240-" + group + "}\n");

  const Result shown = Nwk({L"show", out.path()});
  EXPECT_EQ(shown.status, kExitDone);
  EXPECT_EQ(shown.output.out.find("warning"), std::string::npos) << shown.output.out;
  MemoryRegistry registry;
  EXPECT_EQ(Nwk({L"make", out.path()}, &registry).status, kExitDone);
  EXPECT_EQ(Nwk({L"status", out.path()}, &registry).status, kExitDone);

  // Without --icon, the shell's folder icon; without --verb, no menu lines.
  ScratchPath bare;
  ASSERT_EQ(Nwk({L"new", L"Bare", L"-o", bare.path()}).status, kExitDone);
  const std::string bareBytes = Bytes(bare.path());
  EXPECT_NE(bareBytes.find("\r\nicon=%SystemRoot%\\system32\\shell32.dll,3\r\nclsid5="), std::string::npos);
  EXPECT_EQ(bareBytes.size(), bareBytes.find("clsid5=") + 7 + 12 + 2);
}

// Parts the reader would read back otherwise are refused, and nothing is left behind.
TEST(NwkNew, RefusesWhatTheReaderWouldReadBackOtherwise) {
  std::vector<std::wstring> twentyOne{L"N"};
  for (int i = 0; i < 21; ++i)
    twentyOne.insert(twentyOne.end(), {L"--verb", L"V" + std::to_wstring(i) + L";c;"});
  const struct {
    const char* what;
    std::vector<std::wstring> parts;
    int status;
    std::string inErr;
  } cases[] = {
      {"line break in the name", {L"Two\nLines"}, kExitRefused, "cannot hold a line break"},
      {"line break in the icon", {L"N", L"--icon", L"a\r.ico"}, kExitRefused, "cannot hold a line break"},
      {"no semicolon", {L"N", L"--verb", L"Open notepad"}, kExitRefused, "a menu line is"},
      {"one semicolon", {L"N", L"--verb", L"Open;notepad"}, kExitRefused, "a menu line is"},
      {"a third semicolon", {L"N", L"--verb", L"Open;a;b;"}, kExitRefused, "a menu line is"},
      {"a backslash in the menu name",
       {L"N", L"--verb", L"Sub\\Verb;x;"},
       kExitRefused,
       "would not read back"},
      {"a menu name too long for a key",
       {L"N", L"--verb", std::wstring(256, L'v') + L";x;"},
       kExitRefused,
       "would not read back"},
      {"a character the code page lacks", {L"\u4E00"}, kExitRefused, "would not read back"},
      {"21 menu lines", twentyOne, kExitRefused, "20 menu lines at most"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchPath out;
    std::vector<std::wstring> args{L"new", c.parts[0], L"-o", out.path()};
    args.insert(args.end(), c.parts.begin() + 1, c.parts.end());
    const Result result = Nwk(args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_NE(result.output.err.find(c.inErr), std::string::npos) << result.output.err;
    EXPECT_EQ(result.output.out, "");
    EXPECT_FALSE(out.exists());
  }
  const Result noOutput = Nwk({L"new", L"N"});
  EXPECT_EQ(noOutput.status, kExitUsage);
  EXPECT_NE(noOutput.output.err.find("give it with -o"), std::string::npos);
  EXPECT_EQ(Nwk({L"show", TestFile("tools.nwk"), L"--verb", L"a;b;"}).status, kExitUsage);
}

TEST(NwkNew, ReplacesAnExistingFileOnlyWhenForced) {
  ScratchPath out;
  std::ofstream(fs::path(out.path()), std::ios::binary) << "mine";
  const Result kept = Nwk({L"new", L"N", L"-o", out.path()});
  EXPECT_EQ(kept.status, kExitCannotWrite);
  EXPECT_NE(kept.output.err.find("add --force"), std::string::npos);
  EXPECT_EQ(Bytes(out.path()), "mine");
  EXPECT_EQ(Nwk({L"new", L"N", L"-o", out.path(), L"--force"}).status, kExitDone);
  EXPECT_EQ(Bytes(out.path()).substr(0, test::kMagic.size()), test::kMagic);
}

// A drawn group whose class key is registered, in either scope, is drawn again.
TEST(NwkNew, AGroupAlreadyRegisteredIsDrawnAgain) {
  const std::wstring taken = L"{0000000D-CF0D-D10A-A240-AAAAAAAAAAAA}";
  for (const auto& [root, path] : {std::pair{kHkeyLocalMachine, L"Software\\Classes\\CLSID\\" + taken},
                                   std::pair{kHkeyCurrentUser, L"Software\\Classes\\CLSID\\" + taken}}) {
    MemoryRegistry registry;
    CreateKey(registry, path, root);
    int draws = 0;
    const RandomBytes random = [&] {
      const std::uint8_t byte = draws++ == 0 ? 0xAA : 0x5C;
      return std::array<std::uint8_t, 6>{byte, byte, byte, byte, byte, byte};
    };
    EXPECT_EQ(FreshClsid5(&registry, random), L"5C5C5C5C5C5C");
    EXPECT_EQ(draws, 2);
    draws = 0;
    EXPECT_EQ(FreshClsid5(nullptr, random), L"AAAAAAAAAAAA");
  }
}

// The system's source: a thousand groups drawn in a row are all different.
TEST(NwkNew, GroupsFromTheSystemsSourceDoNotRepeat) {
  std::set<std::wstring> groups;
  for (int i = 0; i < 1000; ++i) groups.insert(FreshClsid5(nullptr, SystemRandomBytes));
  EXPECT_EQ(groups.size(), 1000u);
}

}  // namespace
}  // namespace nw::nwk
