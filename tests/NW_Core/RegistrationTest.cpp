#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "EasyReg/MemoryRegistry.h"
#include "EasyReg/Snapshot.h"
#include "NW_Core/NW_Core.h"
#include "NW_Core/Texts.h"
#include "platform/AnsiText.h"
#include "support/Backends.h"
#include "support/Fakes.h"
#include "support/Kit.h"
#include "support/RegistryDump.h"

namespace nw::test {
namespace {

const std::string kClsid = "{0000000D-CF0D-D10A-A240-00000000C0DE}";
// The machine's class key, in the hive the registration names.
const std::string kClassKey = "Software\\Classes\\CLSID\\" + kClsid;
const std::string kDesktop = kDesktopNameSpace + kClsid;
const std::string kMyComputer = kMyComputerNameSpace + kClsid;

FolderDefinition TwoVerbs() {
  FolderDefinition d;
  d.FolderName = L"Tools";
  d.FolderClsid = std::wstring(kClsid.begin(), kClsid.end());
  d.FolderIcon = L"shell32.dll,3";
  d.MenuItems = {{L"Open", L"notepad.exe"}, {L"Edit", L""}};
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
  void Clean() { RemoveFolderKeys(*registry, kClsid); }
  std::string ClassDump() { return DumpTree(*registry, kHkeyLocalMachine, kClassKey); }
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
    MakeLink(fake.link, TwoVerbs(), c.placement);
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
  MakeLink(fake.link, TwoVerbs(), Placement::Desktop);
  MakeLink(fake.link, TwoVerbs(), Placement::MyComputer);
  EXPECT_EQ(ClassDump(), kTwoVerbLayout);  // a second make changes nothing of the class
  EXPECT_EQ(DesktopDump(), "[]\n");
  EXPECT_EQ(MyComputerDump(), "[]\n");
  RemoveLink(fake.link, TwoVerbs());
  EXPECT_EQ(ClassDump() + DesktopDump() + MyComputerDump(), "");
  EXPECT_NO_THROW(RemoveLink(fake.link, TwoVerbs()));
  EXPECT_TRUE(fake.messages.shown.empty());
}

// The same folder registered for the current user as well: the machine's
// registration writes and removes the machine's class key by its hive, never
// through the merged view, which would reach the user's copy first.
TEST_P(Registration, TheMachineRegistrationLeavesTheUsersOwnCopyAlone) {
  const std::string userClass = "Software\\Classes\\CLSID\\" + kClsid;
  RemoveTree(*registry, kHkeyCurrentUser, userClass);
  FakePlatform fake(*registry, L"x.nwk");
  FolderDefinition mine = TwoVerbs();
  mine.FolderName = L"Mine";
  MakeLink(fake.link, mine, Placement::Manual, Scope::User);
  const std::string users = DumpTree(*registry, kHkeyCurrentUser, userClass);
  ASSERT_NE(users.find(Sz("Mine")), std::string::npos) << users;

  MakeLink(fake.link, TwoVerbs(), Placement::Desktop);
  EXPECT_EQ(ClassDump(), kTwoVerbLayout);
  EXPECT_EQ(DumpTree(*registry, kHkeyCurrentUser, userClass), users);
  RemoveLink(fake.link, TwoVerbs());
  EXPECT_EQ(ClassDump() + DesktopDump(), "");
  EXPECT_EQ(DumpTree(*registry, kHkeyCurrentUser, userClass), users);
  RemoveTree(*registry, kHkeyCurrentUser, userClass);
}

TEST_P(Registration, VerbNamesGoIntoKeyPathsVerbatim) {
  FolderDefinition d = TwoVerbs();
  d.MenuItems = {{L"Same", L"first"}, {L"same", L"second"}, {L"Tools\\Deep", L"deep"}};
  FakePlatform fake(*registry, L"x.nwk");
  MakeLink(fake.link, d, Placement::Manual);
  const std::string dump = ClassDump();
  const std::string shell = dump.substr(dump.find("[Shell]"), dump.find("[ShellEx]") - dump.find("[Shell]"));
  EXPECT_EQ(shell, "[Shell]\n[Shell\\Same]\n[Shell\\Same\\Command]\n@=" + Sz("second") +
                       "\n[Shell\\Tools]\n[Shell\\Tools\\Deep]\n[Shell\\Tools\\Deep\\Command]\n@=" +
                       Sz("deep") + "\n");
}

TEST_P(Registration, WithoutAClsidNothingIsWrittenOrDeleted) {
  // Canaries in every key that an empty CLSID would make the target.
  const std::wstring canary = L"{0000000D-CF0D-D10A-A240-CA0A00000001}";
  const struct {
    RootKey root;
    std::wstring parent;
  } places[] = {
      {kHkeyLocalMachine, L"Software\\Classes\\CLSID"},
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
    registry->OpenKey(RootHandle(kHkeyLocalMachine), "Software\\Classes\\CLSID", kReadRights, classes.put());
    all += "default:" + std::to_string(registry->QueryValue(classes.get(), "", type, data));
    return all;
  };
  const std::string before = snapshot();
  ASSERT_NE(before.find("@=" + Sz("canary") + "\n[Sub]"), std::string::npos) << before;

  FakePlatform fake(*registry, L"x.nwk");
  FolderDefinition empty;
  for (Placement placement : {Placement::Desktop, Placement::MyComputer, Placement::Manual})
    EXPECT_THROW(MakeLink(fake.link, empty, placement), CommandRefused);
  EXPECT_THROW(RemoveLink(fake.link, empty), CommandRefused);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(fake.clipboard.writes, 0);

  for (const auto& place : places) RemoveTree(*registry, place.root, ToAnsi(place.parent + L"\\" + canary));
}

std::vector<std::uint8_t> Utf16(std::wstring_view text) {
  const std::string bytes = Utf16Le(text);
  return {bytes.begin(), bytes.end()};
}

// An older registration of the folder that another program wrote in Unicode,
// through the wide calls: the folder's name, a verb of its own and the command
// of the verb Make Link writes too, all in Devanagari (which no ANSI code page
// holds), text without its NUL, placed on the Desktop. A Make Link over it
// that fails at its last step leaves every key, name, type and byte as it was.
TEST_P(Registration, AMakeLinkFailingAtItsLastStepLeavesAnOlderUnicodeRegistrationByteForByte) {
  const std::wstring classKey = FromAnsi(kClassKey);
  auto put = [&](const std::wstring& path, const std::wstring& name, long type, std::wstring_view text) {
    UniqueKey key(*registry);
    ASSERT_EQ(registry->CreateKeyWide(RootHandle(kHkeyLocalMachine), path, 0, kAccess, key.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->SetValueWide(key.get(), name, type, Utf16(text)), kErrorSuccess);
  };
  auto older = [&] {
    put(classKey, L"", kRegSz, std::wstring(L"\u092B\u093C\u094B\u0932\u094D\u0921\u0930\0", 8));  // फ़ोल्डर
    put(classKey + L"\\DefaultIcon", L"", kRegExpandSz, L"%SystemRoot%\\\u0915.dll,3");  // no NUL
    put(classKey + L"\\Shell\\Open\\Command", L"", kRegSz,
        std::wstring(L"\u0916\u094B\u0932\u0947\u0902.exe\0", 10));
    put(classKey + L"\\Shell\\\u0916\u094B\u0932\u0947\u0902\\Command", L"\u0928\u093E\u092E", kRegSz, L"x");
    put(FromAnsi(kDesktop), L"", kRegSz, std::wstring(L"\u0915\0", 2));
  };
  auto dump = [&] {
    return DumpTreeWide(*registry, kHkeyLocalMachine, classKey) + "|" +
           DumpTreeWide(*registry, kHkeyLocalMachine, FromAnsi(kDesktop)) + "|" +
           DumpTreeWide(*registry, kHkeyLocalMachine, FromAnsi(kMyComputer));
  };
  struct Case {
    const char* name;
    Placement placement;
    bool clipboardFails;
    const char* volatileKey;  // below the class key: no lasting key can be made below it
  };
  const Case cases[] = {
      {"the CLSID cannot be handed over, after every write", Placement::Manual, true, nullptr},
      {"the last verb's command key is refused", Placement::MyComputer, false, "\\Shell\\Edit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Clean();
    older();
    if (c.volatileKey != nullptr) {
      ASSERT_EQ(CreateVolatileKey(*registry, kHkeyLocalMachine, kClassKey + c.volatileKey), kErrorSuccess);
    }
    const std::string before = dump();
    ASSERT_NE(before.find("[Shell\\\xE0\xA4\x96\xE0\xA5\x8B"), std::string::npos) << before;
    FakePlatform fake(*registry, L"x.nwk");
    fake.clipboard.fail = c.clipboardFails;
    EXPECT_FALSE(RunCommand(fake.messages, [&] { MakeLink(fake.link, TwoVerbs(), c.placement); }));
    EXPECT_EQ(fake.messages.shown,
              (std::vector<ShownMessage>{{text::kCommandFailed, L"Nookwayer Error", 16}}));
    EXPECT_EQ(dump(), before);
  }
}

// A registry link inside the class key (here a verb that stands for another
// key) is deleted with the class key; the key it names stays as it was.
TEST_P(Registration, RemoveLinkDeletesALinkInTheClassKeyAndNotTheKeyItNames) {
  const std::string canary = "Software\\NookwayerTests\\RegistrationCanary";
  RemoveTree(*registry, kHkeyLocalMachine, canary);
  {
    UniqueKey key(*registry);
    ASSERT_EQ(registry->CreateKey(RootHandle(kHkeyLocalMachine), canary + "\\Command", kAccess, key.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->SetValue(key.get(), "", kRegSz, {'c', 0}), kErrorSuccess);
  }
  const std::string canaryBefore = DumpTree(*registry, kHkeyLocalMachine, canary);
  FakePlatform fake(*registry, L"x.nwk");
  MakeLink(fake.link, TwoVerbs(), Placement::Desktop);
  {
    UniqueKey link(*registry);
    ASSERT_EQ(registry->CreateKeyWide(RootHandle(kHkeyLocalMachine), FromAnsi(kClassKey) + L"\\Shell\\Linked",
                                      kRegOptionCreateLink, kAccess, link.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->SetValueWide(link.get(), kSymbolicLinkValue, kRegLink,
                                     Utf16(L"\\Registry\\Machine\\" + FromAnsi(canary))),
              kErrorSuccess);
  }
  ASSERT_NE(ClassDump().find("[Shell\\Linked\\Command]\n@=" + Sz("c")), std::string::npos) << ClassDump();
  EXPECT_NO_THROW(RemoveLink(fake.link, TwoVerbs()));
  EXPECT_EQ(ClassDump() + DesktopDump(), "");
  EXPECT_EQ(DumpTree(*registry, kHkeyLocalMachine, canary), canaryBefore);
  RemoveTree(*registry, kHkeyLocalMachine, canary);
}

// Make Link writes only what the registry does not hold already, and over any
// earlier state leaves exactly what writing every step of the layout leaves:
// a value of another type, or named in another letter case, a text that the
// ANSI calls would write otherwise, a key below a registry link, each is
// written as before.
TEST_P(Registration, MakeLinkOverAnyEarlierStateLeavesWhatWritingEveryStepLeaves) {
  const std::string canary = "Software\\NookwayerTests\\RegistrationCanary";
  const std::wstring classKey = FromAnsi(kClassKey);
  auto put = [&](const std::wstring& path, const std::wstring& name, long type, std::wstring_view text) {
    UniqueKey key(*registry);
    ASSERT_EQ(registry->CreateKeyWide(RootHandle(kHkeyLocalMachine), path, 0, kAccess, key.put()),
              kErrorSuccess);
    ASSERT_EQ(registry->SetValueWide(key.get(), name, type, Utf16(std::wstring(text) + L'\0')),
              kErrorSuccess);
  };
  auto made = [&](Placement where) {
    return [&, where] {
      FakePlatform fake(*registry, L"x.nwk");
      MakeLink(fake.link, TwoVerbs(), where);
    };
  };
  auto then = [](std::function<void()> first, std::function<void()> second) {
    return [=] {
      first();
      second();
    };
  };
  FolderDefinition outsideTheCodePage = TwoVerbs();
  outsideTheCodePage.FolderName = L"Tools \u092B";  // Devanagari: no ANSI code page but UTF-8 holds it
  struct Case {
    const char* name;
    std::function<void()> earlier;
    FolderDefinition definition;
  };
  const Case cases[] = {
      {"nothing", [] {}, TwoVerbs()},
      {"the same registration", made(Placement::Desktop), TwoVerbs()},
      {"the other placement", made(Placement::MyComputer), TwoVerbs()},
      {"another name", then(made(Placement::Desktop), [&] { put(classKey, L"", kRegSz, L"Older"); }),
       TwoVerbs()},
      {"the same text as another type",
       then(made(Placement::Desktop),
            [&] { put(classKey + L"\\InProcServer32", L"ThreadingModel", kRegExpandSz, L"Apartment"); }),
       TwoVerbs()},
      {"the value named in other letter case",
       then(made(Placement::Desktop),
            [&] {
              RemoveTree(*registry, kHkeyLocalMachine, kClassKey + "\\InProcServer32");
              put(classKey + L"\\InProcServer32", L"threadingmodel", kRegSz, L"Apartment");
            }),
       TwoVerbs()},
      {"a verb's keys in other letter case",
       then(made(Placement::Desktop),
            [&] {
              RemoveTree(*registry, kHkeyLocalMachine, kClassKey + "\\Shell");
              put(classKey + L"\\shell\\open\\command", L"", kRegSz, L"notepad.exe");
            }),
       TwoVerbs()},
      {"a command key gone",
       then(made(Placement::Desktop),
            [&] { RemoveTree(*registry, kHkeyLocalMachine, kClassKey + "\\Shell\\Open\\Command"); }),
       TwoVerbs()},
      {"the Unicode name, which the ANSI calls write otherwise",
       then(made(Placement::Desktop), [&] { put(classKey, L"", kRegSz, outsideTheCodePage.FolderName); }),
       outsideTheCodePage},
      {"a verb key that is a link to a key elsewhere",
       then(made(Placement::Desktop),
            [&] {
              RemoveTree(*registry, kHkeyLocalMachine, kClassKey + "\\Shell\\Open");
              put(FromAnsi(canary) + L"\\Command", L"", kRegSz, L"notepad.exe");
              UniqueKey link(*registry);
              ASSERT_EQ(registry->CreateKeyWide(RootHandle(kHkeyLocalMachine), classKey + L"\\Shell\\Open",
                                                kRegOptionCreateLink, kAccess, link.put()),
                        kErrorSuccess);
              ASSERT_EQ(registry->SetValueWide(link.get(), kSymbolicLinkValue, kRegLink,
                                               Utf16(L"\\Registry\\Machine\\" + FromAnsi(canary))),
                        kErrorSuccess);
            }),
       TwoVerbs()},
  };
  auto dump = [&] {
    std::string all;
    for (const std::string& path : {kClassKey, kDesktop, kMyComputer, canary})
      all += DumpTreeWide(*registry, kHkeyLocalMachine, FromAnsi(path)) + "|";
    return all;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto clean = [&] {
      Clean();
      RemoveTree(*registry, kHkeyLocalMachine, canary);
    };
    clean();
    c.earlier();
    ApplySteps(*registry, LayoutSteps(c.definition, Placement::Desktop, Scope::Machine));
    const std::string everyStep = dump();
    clean();
    c.earlier();
    FakePlatform fake(*registry, L"x.nwk");
    EXPECT_TRUE(RunCommand(fake.messages, [&] { MakeLink(fake.link, c.definition, Placement::Desktop); }));
    EXPECT_EQ(dump(), everyStep);
    clean();
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, Registration, testing::ValuesIn(AllBackends()), BackendName);

// The calls, in order, as the in-memory registry saw them: all of them, or
// only the writes (keys created, values set, keys and values deleted).
std::vector<std::string> Calls(const MemoryRegistry& registry, bool writesOnly = false) {
  const std::string classes = "HKEY_LOCAL_MACHINE\\" + kClassKey;
  std::vector<std::string> calls;
  for (const MemoryRegistry::Call& call : registry.Journal()) {
    if (writesOnly && call.operation == "OpenKey") continue;
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
  d.MenuItems.resize(1);
  MakeLink(fake.link, d, Placement::Desktop);
  const std::vector<std::string> expected = {
      "CreateKey K",
      "SetValue K",
      "CreateKey K\\DefaultIcon",
      "SetValue K\\DefaultIcon",
      "CreateKey K\\InProcServer32",
      "SetValue K\\InProcServer32",
      "SetValue K\\InProcServer32 ThreadingModel",
      "CreateKey K\\ShellEx\\PropertySheetHandler\\" + kClsid,
      "CreateKey K\\ShellFolder",
      "SetValue K\\ShellFolder Attributes",
      "CreateKey K\\Shell",
      "CreateKey K\\Shell\\Open",
      "CreateKey K\\Shell\\Open\\Command",
      "SetValue K\\Shell\\Open\\Command",
      "CreateKey HKEY_LOCAL_MACHINE\\" + kDesktop,
  };
  EXPECT_EQ(Calls(registry, true), expected);
  // Each value goes into the key its create left open: the only opens are the
  // reads of what was there, before the first write.
  const std::vector<std::string> all = Calls(registry);
  const auto firstWrite = std::find(all.begin(), all.end(), "CreateKey K");
  EXPECT_EQ(
      std::count_if(firstWrite, all.end(), [](const std::string& c) { return c.rfind("OpenKey", 0) == 0; }),
      0);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

// A folder made again as it stands writes nothing and tells the shell nothing;
// one that differs in a value gets that value alone, and the shell hears of it.
TEST(RegistrationOrder, MakeLinkWritesOnlyWhatTheRegistryDoesNotHold) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  MakeLink(fake.link, TwoVerbs(), Placement::Desktop);
  fake.shell.told.clear();
  registry.ClearJournal();
  MakeLink(fake.link, TwoVerbs(), Placement::Desktop);
  EXPECT_EQ(Calls(registry, true), std::vector<std::string>{});
  EXPECT_EQ(fake.shell.told, std::vector<std::string>{});

  FolderDefinition renamed = TwoVerbs();
  renamed.FolderName = L"Renamed";
  registry.ClearJournal();
  MakeLink(fake.link, renamed, Placement::Desktop);
  EXPECT_EQ(Calls(registry, true), std::vector<std::string>{"SetValue K"});
  EXPECT_EQ(fake.shell.told, (std::vector<std::string>{"classes", "Desktop"}));
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegistrationOrder, RemoveLinkDeletesClassThenBothNamespaceEntries) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  MakeLink(fake.link, TwoVerbs(), Placement::Desktop);
  MakeLink(fake.link, TwoVerbs(), Placement::MyComputer);
  registry.ClearJournal();
  RemoveLink(fake.link, TwoVerbs());
  std::vector<std::string> deletes;
  for (const std::string& call : Calls(registry))
    if (call.rfind("DeleteKey", 0) == 0 && call.find("\\Shell") == std::string::npos &&
        call.find("Default") == std::string::npos && call.find("InProc") == std::string::npos)
      deletes.push_back(call);
  ASSERT_FALSE(deletes.empty());
  EXPECT_EQ(deletes.back(),
            "DeleteKey HKEY_LOCAL_MACHINE\\" + kMyComputer.substr(0, kMyComputer.rfind('\\')) + " " + kClsid);
  EXPECT_EQ(DumpTree(registry, kHkeyLocalMachine, kClassKey), "");
}

FolderDefinition TwentyVerbs() {
  FolderDefinition d = TwoVerbs();
  d.MenuItems.clear();
  for (int i = 0; i < 20; ++i)
    d.MenuItems.push_back({L"Verb " + std::to_wstring(i), L"run" + std::to_wstring(i) + L".exe"});
  return d;
}

// The three trees the folder's commands touch, as text.
std::vector<std::string> Trees(Registry& registry) {
  return {DumpTree(registry, kHkeyLocalMachine, kClassKey), DumpTree(registry, kHkeyLocalMachine, kDesktop),
          DumpTree(registry, kHkeyLocalMachine, kMyComputer)};
}
// Where each of them starts, as NotRestored names it.
const Unrestored kTreeRoots[] = {
    {kHkeyLocalMachine, kClassKey}, {kHkeyLocalMachine, kDesktop}, {kHkeyLocalMachine, kMyComputer}};

// An older registration of the same folder: a name and a verb of its own, a
// value of a type the program never writes, and the other placement.
void OlderRegistration(const LinkServices& platform) {
  FolderDefinition d = TwoVerbs();
  d.FolderName = L"Older";
  d.MenuItems = {{L"Older verb", L"old.exe"}};
  MakeLink(platform, d, Placement::MyComputer);
  UniqueKey key(platform.registry);
  ASSERT_EQ(platform.registry.OpenKey(RootHandle(kHkeyLocalMachine), kClassKey + "\\DefaultIcon", kAccess,
                                      key.put()),
            kErrorSuccess);
  ASSERT_EQ(platform.registry.SetValue(key.get(), "Expand", 2, {'%', 'O', '%', 0}), kErrorSuccess);
}

// A command run on a registry prepared by `prepare`, with the registry calls
// that `fail` picks (by their number) failing with the code it gives.
struct FaultRun {
  std::size_t calls = 0;
  std::vector<std::string> operations;  // of each call, in order
  std::vector<std::string> before, after;
  bool completed = false;
  std::vector<ShownMessage> shown;
  std::vector<Unrestored> left;  // what NotRestored named
  bool notRestored = false;
};

using Command = std::function<void(const LinkServices&)>;

FaultRun RunWithFaults(const Command& prepare, const Command& command,
                       const std::function<long(std::size_t)>& fail) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  prepare(fake.link);
  FaultRun run;
  run.before = Trees(registry);
  registry.inject = [&](const MemoryRegistry::Call& call) {
    run.operations.push_back(call.operation);
    return fail(run.calls++);
  };
  run.completed = RunCommand(fake.messages, [&] {
    try {
      command(fake.link);
    } catch (const NotRestored& failure) {
      run.notRestored = true;
      run.left = failure.left();
      throw;
    }
  });
  registry.inject = nullptr;
  run.after = Trees(registry);
  run.shown = fake.messages.shown;
  EXPECT_EQ(registry.OpenHandles(), 0u);
  return run;
}

const std::vector<ShownMessage> kOneReport = {{text::kCommandFailed, L"Nookwayer Error", 16}};

struct FolderCommand {
  const char* name;
  Command prepare, run;
};

std::vector<FolderCommand> FolderCommands() {
  const Command nothing = [](const LinkServices&) {};
  const Command make = [](const LinkServices& p) { MakeLink(p, TwentyVerbs(), Placement::Desktop); };
  const Command remove = [](const LinkServices& p) { RemoveLink(p, TwentyVerbs()); };
  return {
      {"MakeLink on nothing", nothing, make},
      {"MakeLink over an older registration", OlderRegistration, make},
      {"RemoveLink of a registration", make, remove},
      {"RemoveLink of an older registration", OlderRegistration, remove},
  };
}

TEST(RegistrationFaults, AFailingCallAnywhereLeavesTheRegistryAsItWas) {
  for (const FolderCommand& command : FolderCommands()) {
    const FaultRun clean =
        RunWithFaults(command.prepare, command.run, [](std::size_t) { return kErrorSuccess; });
    ASSERT_TRUE(clean.completed) << command.name;
    ASSERT_GT(clean.calls, 20u) << command.name;
    ASSERT_NE(clean.after, clean.before) << command.name;
    for (long code : {kErrorFileNotFound, kErrorAccessDenied}) {
      for (std::size_t failing = 0; failing < clean.calls; ++failing) {
        SCOPED_TRACE(std::string(command.name) + ", call " + std::to_string(failing) + " failing with " +
                     std::to_string(code));
        const FaultRun run = RunWithFaults(command.prepare, command.run, [&](std::size_t call) {
          return call == failing ? code : kErrorSuccess;
        });
        // "Not found" can mean "already gone" (an open of what is being read
        // or removed): such a call may let the command complete.
        if (run.completed) {
          EXPECT_EQ(code, kErrorFileNotFound);
          EXPECT_TRUE(run.shown.empty());
          continue;
        }
        EXPECT_EQ(run.shown, kOneReport);
        EXPECT_FALSE(run.notRestored);
        EXPECT_EQ(run.after, run.before);
        EXPECT_LT(run.calls, 3 * clean.calls);  // put back once, no retries
      }
    }
  }
}

TEST(RegistrationFaults, WhenPuttingBackFailsTooTheOneReportStaysAndWhatIsLeftIsNamed) {
  for (const FolderCommand& command : FolderCommands()) {
    const FaultRun clean =
        RunWithFaults(command.prepare, command.run, [](std::size_t) { return kErrorSuccess; });
    // The calls before the first write only read: a failure there changes nothing.
    const FaultRun readOnly =
        RunWithFaults(command.prepare, command.run, [](std::size_t) { return kErrorAccessDenied; });
    ASSERT_EQ(readOnly.calls, 1u) << command.name;
    // The first write, a write halfway and the last call, each followed by
    // every call of putting back failing in turn.
    const auto firstWrite = static_cast<std::size_t>(
        std::find_if(clean.operations.begin(), clean.operations.end(),
                     [](const std::string& operation) { return operation != "OpenKey"; }) -
        clean.operations.begin());
    for (std::size_t failing : {firstWrite, (firstWrite + clean.calls) / 2, clean.calls - 1}) {
      const FaultRun first = RunWithFaults(command.prepare, command.run, [&](std::size_t call) {
        return call == failing ? kErrorAccessDenied : kErrorSuccess;
      });
      for (std::size_t second = failing + 1; second < first.calls; ++second) {
        SCOPED_TRACE(std::string(command.name) + ", call " + std::to_string(failing) + " and call " +
                     std::to_string(second) + " failing");
        const FaultRun run = RunWithFaults(command.prepare, command.run, [&](std::size_t call) {
          return call == failing || call == second ? kErrorAccessDenied : kErrorSuccess;
        });
        ASSERT_FALSE(run.completed);
        EXPECT_EQ(run.shown, kOneReport);
        EXPECT_LE(run.calls, first.calls);
        // Every tree that is not as it was is named, at its root or below.
        for (std::size_t tree = 0; tree < run.before.size(); ++tree) {
          if (run.after[tree] == run.before[tree]) continue;
          const Unrestored& root = kTreeRoots[tree];
          EXPECT_TRUE(std::any_of(run.left.begin(), run.left.end(),
                                  [&](const Unrestored& left) {
                                    return left.root == root.root && left.path.rfind(root.path, 0) == 0;
                                  }))
              << "tree " << tree << " changed unnamed";
        }
      }
    }
  }
}

TEST(RegistrationFaults, ClipboardFailureIsAnErrorAndShowsNoSuccessMessage) {
  MemoryRegistry registry;
  FakePlatform fake(registry, L"x.nwk");
  fake.clipboard.fail = true;
  EXPECT_FALSE(RunCommand(fake.messages, [&] { MakeLink(fake.link, TwoVerbs(), Placement::Manual); }));
  EXPECT_EQ(fake.messages.shown, (std::vector<ShownMessage>{{text::kCommandFailed, L"Nookwayer Error", 16}}));
}

// The shell hears of a command once the registry holds its change: of the
// class, and of each folder whose entry the command wrote or deleted. A command
// that fails (and puts everything back) or is refused changed nothing, and
// tells nothing.
TEST(ShellNotification, TheShellHearsOfWhatACompletedCommandChangedAndOfNothingElse) {
  const Command nothing = [](const LinkServices&) {};
  const auto make = [](Placement where, Scope scope = Scope::Machine) -> Command {
    return [=](const LinkServices& p) { MakeLink(p, TwoVerbs(), where, scope); };
  };
  const auto remove = [](Scope scope = Scope::Machine) -> Command {
    return [=](const LinkServices& p) { RemoveLink(p, TwoVerbs(), scope); };
  };
  const Command bothPlacements = [&](const LinkServices& p) {
    make(Placement::Desktop)(p);
    make(Placement::MyComputer)(p);
  };
  const Command entryWithoutClass = [&](const LinkServices& p) {
    make(Placement::Desktop)(p);
    RemoveTree(p.registry, kHkeyLocalMachine, kClassKey);
  };
  const Command withoutClsid = [](const LinkServices& p) {
    FolderDefinition d = TwoVerbs();
    d.FolderClsid.clear();
    MakeLink(p, d, Placement::Desktop);
  };
  const Command removeWithoutClsid = [](const LinkServices& p) {
    FolderDefinition d = TwoVerbs();
    d.FolderClsid.clear();
    RemoveLink(p, d);
  };
  // The first registry call of this operation on a path holding this text fails.
  struct Fault {
    const char* operation;
    const char* path;
  };
  struct Case {
    const char* name;
    Command prepare, run;
    std::optional<Fault> fault;
    bool clipboardFails;
    bool completes;
    std::vector<std::string> told;
  };
  const Case cases[] = {
      {"make on the Desktop", nothing, make(Placement::Desktop), {}, false, true, {"classes", "Desktop"}},
      {"make in My Computer",
       nothing,
       make(Placement::MyComputer),
       {},
       false,
       true,
       {"classes", "My Computer"}},
      {"make by hand", nothing, make(Placement::Manual), {}, false, true, {"classes"}},
      {"make over the same registration",
       make(Placement::Desktop),
       make(Placement::Desktop),
       {},
       false,
       true,
       {}},
      {"make for the user",
       nothing,
       make(Placement::Desktop, Scope::User),
       {},
       false,
       true,
       {"classes", "Desktop"}},
      {"make in My Computer over a Desktop registration",
       make(Placement::Desktop),
       make(Placement::MyComputer),
       {},
       false,
       true,
       {"classes", "My Computer"}},
      {"remove of both placements",
       bothPlacements,
       remove(),
       {},
       false,
       true,
       {"classes", "Desktop", "My Computer"}},
      {"remove of a My Computer registration",
       make(Placement::MyComputer),
       remove(),
       {},
       false,
       true,
       {"classes", "My Computer"}},
      {"remove of an entry whose class is gone", entryWithoutClass, remove(), {}, false, true, {"Desktop"}},
      {"remove of nothing", nothing, remove(), {}, false, true, {}},
      {"remove for the user of the machine's registration",
       bothPlacements,
       remove(Scope::User),
       {},
       false,
       true,
       {}},
      {"remove for the user of the user's registration",
       make(Placement::Desktop, Scope::User),
       remove(Scope::User),
       {},
       false,
       true,
       {"classes", "Desktop"}},
      {"make failing at its Desktop entry",
       nothing,
       make(Placement::Desktop),
       Fault{"CreateKey", "\\Desktop\\NameSpace"},
       false,
       false,
       {}},
      {"make by hand failing at the clipboard", nothing, make(Placement::Manual), {}, true, false, {}},
      {"remove failing at its My Computer entry",
       bothPlacements,
       remove(),
       Fault{"Delete", "\\MyComputer\\"},
       false,
       false,
       {}},
      {"make without a CLSID", nothing, withoutClsid, {}, false, false, {}},
      {"remove without a CLSID", bothPlacements, removeWithoutClsid, {}, false, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRegistry registry;
    FakePlatform fake(registry, L"x.nwk");
    c.prepare(fake.link);
    const std::vector<std::string> before = Trees(registry);
    fake.shell.told.clear();
    bool failed = false;
    if (c.fault)
      registry.inject = [&](const MemoryRegistry::Call& call) {
        const bool hit = !failed && call.operation.rfind(c.fault->operation, 0) == 0 &&
                         call.path.find(c.fault->path) != std::string::npos;
        failed = failed || hit;
        return hit ? kErrorAccessDenied : kErrorSuccess;
      };
    fake.clipboard.fail = c.clipboardFails;
    EXPECT_EQ(RunCommand(fake.messages, [&] { c.run(fake.link); }), c.completes);
    registry.inject = nullptr;
    EXPECT_EQ(fake.shell.told, c.told);
    if (c.fault) {
      EXPECT_TRUE(failed) << "the fault never struck";
    }
    if (!c.completes) {
      EXPECT_EQ(Trees(registry), before);
    }
  }
}

}  // namespace
}  // namespace nw::test
