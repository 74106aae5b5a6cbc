#include <gtest/gtest.h>

#include "NW_Core/NW_Core.h"
#include "NW_Core/Texts.h"
#include "platform/AnsiText.h"
#include "platform/MemoryRegistry.h"
#include "support/Backends.h"
#include "support/Fakes.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

const std::string kClsid = "{0000000D-CF0D-D10A-A240-00000000C0DE}";
const std::string kClassKey = "CLSID\\" + kClsid;
const std::string kDesktop =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\" + kClsid;
const std::string kMyComputer =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace\\" + kClsid;

FolderDefinition TwoVerbs() {
  FolderDefinition d;
  d.FolderName = L"Tools";
  d.FolderClsid = std::wstring(kClsid.begin(), kClsid.end());
  d.FolderIcon = L"shell32.dll,3";
  d.MenuItems[0] = {L"Open", L"notepad.exe"};
  d.MenuItems[1] = {L"Edit", L""};
  d.MenuCount = 2;
  return d;
}

// A REG_SZ value as the dump shows it: type 1 and the ANSI bytes with their NUL.
std::string Sz(const std::string& text) {
  std::string out = "1:";
  for (unsigned char c : text) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x,", c);
    out += hex;
  }
  return out + "00";
}

const std::string kTwoVerbLayout =
    "[]\n@=" + Sz("Tools") +
    "\n"
    "[DefaultIcon]\n@=" +
    Sz("shell32.dll,3") +
    "\n"
    "[InProcServer32]\n@=" +
    Sz("shell32.dll") + "\nThreadingModel=" + Sz("Apartment") +
    "\n"
    "[Shell]\n"
    "[Shell\\Edit]\n[Shell\\Edit\\Command]\n@=" +
    Sz("") +
    "\n"
    "[Shell\\Open]\n[Shell\\Open\\Command]\n@=" +
    Sz("notepad.exe") +
    "\n"
    "[ShellEx]\n[ShellEx\\PropertySheetHandler]\n[ShellEx\\PropertySheetHandler\\" +
    kClsid +
    "]\n"
    "[ShellFolder]\nAttributes=3:00,00,00,00,00\n";

class Registration : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    registry = GetParam().make();
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() {
    RemoveTree(*registry, kHkeyClassesRoot, kClassKey);
    RemoveTree(*registry, kHkeyLocalMachine, kDesktop);
    RemoveTree(*registry, kHkeyLocalMachine, kMyComputer);
  }
  std::string ClassDump() { return DumpTree(*registry, kHkeyClassesRoot, kClassKey); }
  std::string DesktopDump() { return DumpTree(*registry, kHkeyLocalMachine, kDesktop); }
  std::string MyComputerDump() { return DumpTree(*registry, kHkeyLocalMachine, kMyComputer); }

  std::unique_ptr<Registry> registry;
};

TEST_P(Registration, EachPlacementWritesTheClassAndItsOwnEntry) {
  struct Case {
    Placement placement;
    const char* desktop;
    const char* myComputer;
    std::wstring clipboard;
  };
  const std::wstring clsid(kClsid.begin(), kClsid.end());
  const Case cases[] = {
      {Placement::Desktop, "[]\n", "", L"(untouched)"},
      {Placement::MyComputer, "", "[]\n", L"(untouched)"},
      {Placement::Manual, "", "", clsid},
  };
  for (const Case& c : cases) {
    Clean();
    FakePlatform fake(*registry, L"x.nwk");
    MakeLink(fake.platform, TwoVerbs(), [&] { return c.placement; });
    EXPECT_EQ(ClassDump(), kTwoVerbLayout);
    EXPECT_EQ(DesktopDump(), c.desktop);
    EXPECT_EQ(MyComputerDump(), c.myComputer);
    EXPECT_EQ(fake.clipboard.text, c.clipboard);
    if (c.placement == Placement::Manual)
      EXPECT_EQ(fake.messages.shown,
                (std::vector<ShownMessage>{
                    {L"CLSID successfully copied to the clipboard.\r\nTo create a custom folder "
                     L"just create a file (w/o extension) and at the end of the name add \".\" "
                     L"and your CLSID",
                     L"Nookwayer", 64}}));
    else
      EXPECT_TRUE(fake.messages.shown.empty());
  }
}

TEST_P(Registration, RemoveLinkTakesEverythingAwayAndIsSilentWhenNothingIsThere) {
  FakePlatform fake(*registry, L"x.nwk");
  MakeLink(fake.platform, TwoVerbs(), [] { return Placement::Desktop; });
  MakeLink(fake.platform, TwoVerbs(), [] { return Placement::MyComputer; });
  EXPECT_EQ(ClassDump(), kTwoVerbLayout);  // a second make changes nothing of the class
  EXPECT_EQ(DesktopDump(), "[]\n");
  EXPECT_EQ(MyComputerDump(), "[]\n");
  RemoveLink(fake.platform, TwoVerbs());
  EXPECT_EQ(ClassDump() + DesktopDump() + MyComputerDump(), "");
  EXPECT_NO_THROW(RemoveLink(fake.platform, TwoVerbs()));
  EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_P(Registration, VerbNamesGoIntoKeyPathsVerbatim) {
  FolderDefinition d = TwoVerbs();
  d.MenuItems[0] = {L"Same", L"first"};
  d.MenuItems[1] = {L"same", L"second"};
  d.MenuItems[2] = {L"Tools\\Deep", L"deep"};
  d.MenuCount = 3;
  FakePlatform fake(*registry, L"x.nwk");
  MakeLink(fake.platform, d, [] { return Placement::Manual; });
  const std::string dump = ClassDump();
  const std::string shell = dump.substr(dump.find("[Shell]"), dump.find("[ShellEx]") - dump.find("[Shell]"));
  EXPECT_EQ(shell, "[Shell]\n[Shell\\Same]\n[Shell\\Same\\Command]\n@=" + Sz("second") +
                       "\n[Shell\\Tools]\n[Shell\\Tools\\Deep]\n[Shell\\Tools\\Deep\\Command]\n@=" +
                       Sz("deep") + "\n");
}

TEST_P(Registration, MoreEntriesThanTheTableHoldsFailBeforeThePlacement) {
  FolderDefinition d = TwoVerbs();
  for (int i = 0; i < 20; ++i) d.MenuItems[i] = {L"V" + std::to_wstring(i), L"c"};
  d.MenuCount = 21;
  FakePlatform fake(*registry, L"x.nwk");
  EXPECT_THROW(MakeLink(fake.platform, d, [] { return Placement::Manual; }), std::out_of_range);
  EXPECT_TRUE(KeyExists(*registry, kHkeyClassesRoot, kClassKey + "\\Shell\\V19\\Command"));
  EXPECT_EQ(fake.clipboard.writes, 0);
  EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_P(Registration, WithoutAClsidNothingIsWrittenOrDeleted) {
  // Canaries in every key that an empty CLSID would make the target.
  const std::wstring canary = L"{0000000D-CF0D-D10A-A240-CA0A00000001}";
  const struct {
    RootKey root;
    std::wstring parent;
  } places[] = {
      {kHkeyClassesRoot, L"CLSID"},
      {kHkeyLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace"},
      {kHkeyLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace"},
  };
  for (const auto& place : places) {
    CreateKey(*registry, place.parent + L"\\" + canary + L"\\Sub", place.root);
    SetKeyValue(*registry, place.root, place.parent + L"\\" + canary, L"", std::wstring(L"canary"), kRegSz);
  }
  auto snapshot = [&] {
    std::string all;
    for (const auto& place : places)
      all += DumpTree(*registry, place.root, ToAnsi(place.parent + L"\\" + canary));
    long type = 0;
    std::vector<std::uint8_t> data;
    UniqueKey classes(*registry);
    registry->OpenKey(RootHandle(kHkeyClassesRoot), "CLSID", 0x19 | kKeyWow64_64Key, classes.put());
    all += "default:" + std::to_string(registry->QueryValue(classes.get(), "", type, data));
    return all;
  };
  const std::string before = snapshot();
  ASSERT_NE(before.find("@=" + Sz("canary") + "\n[Sub]"), std::string::npos) << before;

  FakePlatform fake(*registry, L"x.nwk");
  FolderDefinition empty;
  for (Placement placement : {Placement::Desktop, Placement::MyComputer, Placement::Manual})
    EXPECT_THROW(MakeLink(fake.platform, empty, [=] { return placement; }), CommandRefused);
  EXPECT_THROW(RemoveLink(fake.platform, empty), CommandRefused);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(fake.clipboard.writes, 0);

  for (const auto& place : places) RemoveTree(*registry, place.root, ToAnsi(place.parent + L"\\" + canary));
}

INSTANTIATE_TEST_SUITE_P(Backends, Registration, testing::ValuesIn(AllBackends()), BackendName);

// The calls, in order, as the in-memory registry saw them.
std::vector<std::string> Calls(const MemoryRegistry& registry) {
  const std::string classes = "HKEY_LOCAL_MACHINE\\Software\\Classes\\" + kClassKey;
  std::vector<std::string> calls;
  for (const MemoryRegistry::Call& call : registry.Journal()) {
    std::string path = call.path;
    if (path.rfind(classes, 0) == 0) path = "K" + path.substr(classes.size());
    calls.push_back(call.operation + " " + path + (call.name.empty() ? "" : " " + call.name));
  }
  return calls;
}

TEST(RegistrationOrder, MakeLinkWritesStepByStepInItsFixedOrder) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  FolderDefinition d = TwoVerbs();
  d.MenuCount = 1;
  MakeLink(fake.platform, d, [] { return Placement::Desktop; });
  const std::vector<std::string> expected = {
      "CreateKey K",
      "OpenKey K",
      "SetValue K",
      "CreateKey K\\DefaultIcon",
      "OpenKey K\\DefaultIcon",
      "SetValue K\\DefaultIcon",
      "CreateKey K\\InProcServer32",
      "OpenKey K\\InProcServer32",
      "SetValue K\\InProcServer32",
      "OpenKey K\\InProcServer32",
      "SetValue K\\InProcServer32 ThreadingModel",
      "CreateKey K\\ShellEx\\PropertySheetHandler\\" + kClsid,
      "CreateKey K\\ShellFolder",
      "OpenKey K\\ShellFolder",
      "SetValue K\\ShellFolder Attributes",
      "CreateKey K\\Shell",
      "CreateKey K\\Shell\\Open",
      "CreateKey K\\Shell\\Open\\Command",
      "OpenKey K\\Shell\\Open\\Command",
      "SetValue K\\Shell\\Open\\Command",
      "CreateKey HKEY_LOCAL_MACHINE\\" + kDesktop,
  };
  EXPECT_EQ(Calls(registry), expected);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegistrationOrder, RemoveLinkDeletesClassThenBothNamespaceEntries) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  MakeLink(fake.platform, TwoVerbs(), [] { return Placement::Desktop; });
  MakeLink(fake.platform, TwoVerbs(), [] { return Placement::MyComputer; });
  registry.ClearJournal();
  RemoveLink(fake.platform, TwoVerbs());
  std::vector<std::string> deletes;
  for (const std::string& call : Calls(registry))
    if (call.rfind("DeleteKey", 0) == 0 && call.find("\\Shell") == std::string::npos &&
        call.find("Default") == std::string::npos && call.find("InProc") == std::string::npos)
      deletes.push_back(call);
  ASSERT_FALSE(deletes.empty());
  EXPECT_EQ(deletes.back(),
            "DeleteKey HKEY_LOCAL_MACHINE\\" + kMyComputer.substr(0, kMyComputer.rfind('\\')) + " " + kClsid);
  EXPECT_EQ(DumpTree(registry, kHkeyClassesRoot, kClassKey), "");
}

FolderDefinition TwentyVerbs() {
  FolderDefinition d = TwoVerbs();
  for (int i = 0; i < 20; ++i)
    d.MenuItems[i] = {L"Verb " + std::to_wstring(i), L"run" + std::to_wstring(i) + L".exe"};
  d.MenuCount = 20;
  return d;
}

// Everything the folder's commands touch, as text.
std::string Everything(Registry& registry) {
  return DumpTree(registry, kHkeyClassesRoot, kClassKey) + "|" +
         DumpTree(registry, kHkeyLocalMachine, kDesktop) + "|" +
         DumpTree(registry, kHkeyLocalMachine, kMyComputer);
}

// Runs a command on a registry prepared by `prepare`, making registry call
// number `failing` fail with `code` (none when past the end). Gives the number
// of calls made, and the state of the registry before each call.
struct FaultRun {
  std::size_t calls = 0;
  std::vector<std::string> before;  // before[n]: the state before call n
  std::string after;
  bool completed = false;
  std::vector<ShownMessage> shown;
};

FaultRun RunWithFault(const std::function<void(const Platform&)>& prepare,
                      const std::function<void(const Platform&)>& command, std::size_t failing, long code) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  prepare(fake.platform);
  FaultRun run;
  bool inside = false;  // reading the state makes calls of its own
  registry.inject = [&](const MemoryRegistry::Call&) {
    if (inside) return kErrorSuccess;
    inside = true;
    run.before.push_back(Everything(registry));
    inside = false;
    return run.calls++ == failing ? code : kErrorSuccess;
  };
  run.completed = RunCommand(fake.messages, [&] { command(fake.platform); });
  registry.inject = nullptr;
  run.after = Everything(registry);
  run.shown = fake.messages.shown;
  EXPECT_EQ(registry.OpenHandles(), 0u);
  return run;
}

TEST(RegistrationFaults, EachFailingCallEndsTheCommandThereAndKeepsWhatCameBefore) {
  const auto nothing = [](const Platform&) {};
  const auto made = [](const Platform& p) { MakeLink(p, TwentyVerbs(), [] { return Placement::Desktop; }); };
  struct Command {
    const char* name;
    std::function<void(const Platform&)> prepare, run;
  };
  const Command commands[] = {
      {"MakeLink", nothing, made},
      {"RemoveLink", made, [](const Platform& p) { RemoveLink(p, TwentyVerbs()); }},
  };
  for (const Command& command : commands) {
    const FaultRun clean = RunWithFault(command.prepare, command.run, SIZE_MAX, 0);
    ASSERT_TRUE(clean.completed) << command.name;
    ASSERT_GT(clean.calls, 20u) << command.name;
    for (long code : {kErrorFileNotFound, kErrorAccessDenied}) {
      for (std::size_t failing = 0; failing < clean.calls; ++failing) {
        SCOPED_TRACE(std::string(command.name) + " failing call " + std::to_string(failing) + " with " +
                     std::to_string(code));
        const FaultRun run = RunWithFault(command.prepare, command.run, failing, code);
        // "Not found" from an open inside removal can mean "already gone": such a
        // call may complete the command. Any other refusal ends it with the report.
        if (run.completed) {
          EXPECT_EQ(code, kErrorFileNotFound);
          EXPECT_TRUE(run.shown.empty());
          continue;
        }
        EXPECT_EQ(run.shown, (std::vector<ShownMessage>{{text::kCommandFailed, L"Nookwayer Error", 16}}));
        // Nothing after the failing call ran, and what came before it stays.
        EXPECT_EQ(run.calls, failing + 1);
        EXPECT_EQ(run.after, clean.before[failing]);
      }
    }
  }
}

TEST(RegistrationFaults, ClipboardFailureIsAnErrorAndShowsNoSuccessMessage) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  fake.clipboard.fail = true;
  EXPECT_FALSE(RunCommand(fake.messages,
                          [&] { MakeLink(fake.platform, TwoVerbs(), [] { return Placement::Manual; }); }));
  EXPECT_EQ(fake.messages.shown, (std::vector<ShownMessage>{{text::kCommandFailed, L"Nookwayer Error", 16}}));
}

}  // namespace
}  // namespace nw::test
