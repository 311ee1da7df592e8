#include "platform/registry/registry_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/sqlite_probe.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace {

using namespace tlvx::platform;
using namespace tlvx::test;
using Names = std::vector<std::u16string>;

constexpr uint32_t HKCU = regroot::CurrentUser;

class RegistryStoreTest : public ::testing::Test {
protected:
    // The folder does not exist yet: the first write makes it.
    std::filesystem::path databaseFile() const { return dir_ / "data" / "registry.sqlite"; }

    TempDir dir_;
    RegistryStore store_{databaseFile()};
};

TEST_F(RegistryStoreTest, ReadingAMissingStoreCreatesNothing) {
    EXPECT_FALSE(store_.keyExists(HKCU, u"Software"));
    EXPECT_TRUE(store_.keyExists(HKCU, u""));  // the roots always exist
    EXPECT_EQ(store_.subkeyNames(HKCU, u""), Names{});
    EXPECT_FALSE(store_.getValue(HKCU, u"Software", u"x"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data"));

    ASSERT_TRUE(store_.createKey(HKCU, u"Software"));
    EXPECT_TRUE(std::filesystem::exists(databaseFile()));
}

constexpr char16_t kCodePages[] = u"MIME\\Database\\Codepage";
constexpr char16_t kEnvironment[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

TEST_F(RegistryStoreTest, EveryStoreHoldsTheSystemDatabases) {
    const auto description = [&] {
        return store_.getValue(regroot::ClassesRoot, std::u16string(kCodePages) + u"\\1252",
                               u"Description");
    };
    // Not made yet: read as a store just made, the descriptions written out.
    EXPECT_EQ(description(), RegistryValue::fromString(u"Western European (Windows)"));
    EXPECT_EQ(store_.getValue(regroot::LocalMachine, kEnvironment, u"TEMP"),
              RegistryValue::fromString(u"/tmp", regtype::ExpandSz));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data"));

    // Made: references into the string module beside the store.
    ASSERT_TRUE(store_.createKey(HKCU, u"Software"));
    EXPECT_EQ(description(),
              RegistryValue::fromString(u"@%SystemRoot%\\system32\\mlang.dll,-1252"));
    EXPECT_TRUE(
        std::filesystem::is_regular_file(dir_ / "data" / "windows" / "system32" / "mlang.dll"));
    EXPECT_EQ(store_.getValue(regroot::LocalMachine, kEnvironment, u"TMP"),
              RegistryValue::fromString(u"/tmp", regtype::ExpandSz));
    const auto pages = store_.subkeyNames(regroot::ClassesRoot, kCodePages);
    ASSERT_TRUE(pages);
    std::vector<long> numbers;
    for (const auto& page : *pages)
        numbers.push_back(std::stol(std::string(page.begin(), page.end())));
    EXPECT_GT(numbers.size(), 20u);
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
}

TEST_F(RegistryStoreTest, AStoreMadeWithoutThemGetsThemOnceOnItsFirstOpening) {
    // A store made by a version that had no such databases, whose
    // registration wrote the temporary folder, changed by someone since:
    // made in a child process, then stripped of the databases' mark, the
    // code pages and one of the values.
    const std::filesystem::path file = dir_ / "older.sqlite";
    ASSERT_TRUE(inChildProcess([&] {
        RegistryStore store(file);
        const bool made =
            store.setValue(HKCU, u"A", u"v", RegistryValue::fromDword(3)) &&
            store.setValue(regroot::LocalMachine, kEnvironment, u"TMP",
                           RegistryValue::fromString(u"/var/tmp", regtype::ExpandSz)) &&
            store.deleteValue(regroot::LocalMachine, kEnvironment, u"TEMP");
        return made;
    }));
    ASSERT_TRUE(execSql(file, "DROP TABLE store_databases; DELETE FROM reg_key WHERE parent = 1;"));
    RegistryStore older(file);
    EXPECT_TRUE(older.keyExists(regroot::ClassesRoot, std::u16string(kCodePages) + u"\\65001"));
    EXPECT_EQ(older.getValue(HKCU, u"a", u"V"), RegistryValue::fromDword(3));
    EXPECT_EQ(older.getValue(regroot::LocalMachine, kEnvironment, u"TMP"),
              RegistryValue::fromString(u"/var/tmp", regtype::ExpandSz));
    EXPECT_EQ(older.getValue(regroot::LocalMachine, kEnvironment, u"TEMP"),
              RegistryValue::fromString(u"/tmp", regtype::ExpandSz));

    // Once written, what someone takes away stays away, also for the next
    // process that opens the store.
    ASSERT_TRUE(older.deleteKey(regroot::ClassesRoot, u"MIME"));
    // The child leaves by _exit: the connections it inherited are the
    // parent's and are not its own to close.
    EXPECT_TRUE(inChildProcess(
        [&] { return !RegistryStore(file).keyExists(regroot::ClassesRoot, u"MIME"); }));
}

TEST_F(RegistryStoreTest, KeysAreCaseBlindAndKeepTheirFirstSpelling) {
    ASSERT_TRUE(store_.createKey(HKCU, u"Software\\Tallyvex\\Settings"));
    EXPECT_TRUE(store_.keyExists(HKCU, u"SOFTWARE\\tallyvex\\settings"));
    ASSERT_TRUE(store_.createKey(HKCU, u"software\\TALLYVEX\\Other"));
    EXPECT_EQ(store_.subkeyNames(HKCU, u""), Names{u"Software"});
    EXPECT_EQ(store_.subkeyNames(HKCU, u"Software"), Names{u"Tallyvex"});
    EXPECT_EQ(store_.subkeyNames(HKCU, u"software\\tallyvex"), (Names{u"Settings", u"Other"}));

    // Beyond ASCII too, which SQLite's own NOCASE would not fold.
    ASSERT_TRUE(store_.createKey(HKCU, u"\u00C4rger\u00E9"));
    EXPECT_TRUE(store_.keyExists(HKCU, u"\u00E4RGER\u00C9"));

    // Empty components are ignored; the roots are separate.
    EXPECT_TRUE(store_.keyExists(HKCU, u"\\Software\\\\Tallyvex\\"));
    EXPECT_FALSE(store_.keyExists(regroot::LocalMachine, u"Software"));
}

TEST_F(RegistryStoreTest, RefusesUnknownRootsAndOverlongNames) {
    EXPECT_FALSE(store_.createKey(0x80000004u, u"Key"));
    EXPECT_FALSE(store_.createKey(0, u"Key"));
    EXPECT_FALSE(store_.setValue(0x12345678u, u"Key", u"", RegistryValue::fromDword(1)));
    EXPECT_FALSE(store_.createKey(HKCU, std::u16string(256, u'k')));
    EXPECT_TRUE(store_.createKey(HKCU, std::u16string(255, u'k')));
}

TEST_F(RegistryStoreTest, ValuesAreCaseBlindTypedAndKeepTheirPlace) {
    ASSERT_TRUE(store_.setValue(HKCU, u"App", u"Color", RegistryValue::fromString(u"red")));
    ASSERT_TRUE(store_.setValue(HKCU, u"App", u"", RegistryValue::fromString(u"default")));
    ASSERT_TRUE(store_.setValue(HKCU, u"App", u"Count", RegistryValue::fromDword(0xDEADBEEF)));
    const RegistryValue binary{regtype::Binary, std::string("\0\x01\xFF\0", 4)};
    ASSERT_TRUE(store_.setValue(HKCU, u"App", u"Blob", binary));
    const RegistryValue emptyBinary{regtype::Binary, {}};
    ASSERT_TRUE(store_.setValue(HKCU, u"App", u"Nothing", emptyBinary));
    const RegistryValue qword{regtype::Qword, std::string("\1\2\3\4\5\6\7\x08", 8)};
    ASSERT_TRUE(store_.setValue(HKCU, u"App", u"Big", qword));

    // Overwriting under another spelling changes the data, not the name or place.
    ASSERT_TRUE(store_.setValue(HKCU, u"app", u"COLOR",
                                RegistryValue::fromString(u"blue", regtype::ExpandSz)));
    EXPECT_EQ(store_.valueNames(HKCU, u"App"),
              (Names{u"Color", u"", u"Count", u"Blob", u"Nothing", u"Big"}));

    const auto color = store_.getValue(HKCU, u"APP", u"color");
    ASSERT_TRUE(color);
    EXPECT_EQ(color->type, regtype::ExpandSz);
    EXPECT_EQ(color->data, std::string("b\0l\0u\0e\0\0\0", 10));  // UTF-16LE with its NUL
    EXPECT_EQ(color->toString(), u"blue");
    EXPECT_EQ(store_.getValue(HKCU, u"App", u"")->toString(), u"default");
    EXPECT_EQ(store_.getValue(HKCU, u"App", u"count")->toDword(), 0xDEADBEEFu);
    EXPECT_EQ(store_.getValue(HKCU, u"App", u"Blob"), binary);
    EXPECT_EQ(store_.getValue(HKCU, u"App", u"Nothing"), emptyBinary);
    EXPECT_EQ(store_.getValue(HKCU, u"App", u"Big"), qword);
    EXPECT_FALSE(store_.getValue(HKCU, u"App", u"Missing"));
    EXPECT_FALSE(store_.getValue(HKCU, u"App", u"Blob")->toString());

    ASSERT_TRUE(store_.deleteValue(HKCU, u"App", u"BLOB"));
    EXPECT_FALSE(store_.deleteValue(HKCU, u"App", u"Blob"));
    EXPECT_FALSE(store_.deleteValue(HKCU, u"Elsewhere", u"Blob"));
    ASSERT_TRUE(store_.setValue(HKCU, u"App", u"Blob", binary));  // now last
    EXPECT_EQ(store_.valueNames(HKCU, u"App")->back(), u"Blob");
}

TEST_F(RegistryStoreTest, SubkeysListInOrderOfCreation) {
    for (const char16_t* name : {u"b", u"a", u"c"}) {
        ASSERT_TRUE(store_.createKey(HKCU, std::u16string(u"P\\") + name));
    }
    EXPECT_EQ(store_.subkeyNames(HKCU, u"P"), (Names{u"b", u"a", u"c"}));
    ASSERT_TRUE(store_.deleteKey(HKCU, u"P\\b"));
    ASSERT_TRUE(store_.createKey(HKCU, u"P\\B"));
    EXPECT_EQ(store_.subkeyNames(HKCU, u"P"), (Names{u"a", u"c", u"B"}));
    EXPECT_FALSE(store_.subkeyNames(HKCU, u"Q"));
    EXPECT_FALSE(store_.valueNames(HKCU, u"Q"));
}

TEST_F(RegistryStoreTest, DeleteKeyRemovesTheWholeSubtree) {
    // The very first key of a fresh store is an ordinary key.
    ASSERT_TRUE(store_.createKey(HKCU, u"First"));
    EXPECT_TRUE(store_.deleteKey(HKCU, u"First"));

    ASSERT_TRUE(store_.setValue(HKCU, u"A\\B\\C", u"deep", RegistryValue::fromDword(3)));
    ASSERT_TRUE(store_.setValue(HKCU, u"A\\B", u"mid", RegistryValue::fromDword(2)));
    ASSERT_TRUE(store_.setValue(HKCU, u"A", u"top", RegistryValue::fromDword(1)));

    ASSERT_TRUE(store_.deleteKey(HKCU, u"a\\b"));
    EXPECT_TRUE(store_.keyExists(HKCU, u"A"));
    EXPECT_FALSE(store_.keyExists(HKCU, u"A\\B"));
    EXPECT_FALSE(store_.keyExists(HKCU, u"A\\B\\C"));
    EXPECT_TRUE(store_.getValue(HKCU, u"A", u"top"));
    // Recreated keys start empty: nothing of the old subtree is left over.
    ASSERT_TRUE(store_.createKey(HKCU, u"A\\B\\C"));
    EXPECT_EQ(store_.valueNames(HKCU, u"A\\B"), Names{});
    EXPECT_EQ(store_.valueNames(HKCU, u"A\\B\\C"), Names{});

    EXPECT_FALSE(store_.deleteKey(HKCU, u"A\\Missing"));
    EXPECT_FALSE(store_.deleteKey(HKCU, u""));  // a root stays
    EXPECT_FALSE(store_.deleteKey(HKCU, u"\\"));
}

// A save of an empty key, made in a store of its own in `dir`.
std::filesystem::path emptySave(const std::filesystem::path& dir) {
    RegistryStore saver(dir / "saver.sqlite");
    const auto file = dir / "empty.hive";
    EXPECT_TRUE(saver.createKey(HKCU, u"Empty"));
    EXPECT_TRUE(saver.saveKeyToFile(HKCU, u"Empty", file));
    return file;
}

TEST_F(RegistryStoreTest, RestoringAnEmptySaveEmptiesTheKey) {
    ASSERT_TRUE(store_.setValue(HKCU, u"A\\B", u"v", RegistryValue::fromDword(1)));
    ASSERT_TRUE(store_.setValue(HKCU, u"A", u"w", RegistryValue::fromDword(1)));
    ASSERT_TRUE(store_.setValue(HKCU, u"Other", u"x", RegistryValue::fromDword(1)));
    const auto empty = emptySave(dir_.path());
    ASSERT_TRUE(store_.restoreKeyFromFile(HKCU, u"A", empty));
    EXPECT_TRUE(store_.keyExists(HKCU, u"A"));
    EXPECT_EQ(store_.subkeyNames(HKCU, u"A"), Names{});
    EXPECT_EQ(store_.valueNames(HKCU, u"A"), Names{});
    EXPECT_TRUE(store_.getValue(HKCU, u"Other", u"x"));
    EXPECT_FALSE(store_.restoreKeyFromFile(HKCU, u"Missing", empty));
}

TEST_F(RegistryStoreTest, AnotherProcessSeesTheWrites) {
    ASSERT_TRUE(store_.setValue(HKCU, u"Shared", u"fromParent", RegistryValue::fromDword(1)));
    const std::filesystem::path file = databaseFile();
    EXPECT_TRUE(inChildProcess([&] {
        RegistryStore store(file);
        return store.getValue(HKCU, u"Shared", u"fromParent") == RegistryValue::fromDword(1) &&
               store.setValue(HKCU, u"Shared", u"fromChild", RegistryValue::fromDword(2));
    }));
    // The parent's connection, opened before, sees the child's commit.
    EXPECT_EQ(store_.getValue(HKCU, u"Shared", u"fromChild"), RegistryValue::fromDword(2));
}

TEST_F(RegistryStoreTest, ConcurrentWritersWaitForEachOther) {
    ASSERT_TRUE(store_.createKey(HKCU, u"Busy"));
    const std::filesystem::path file = databaseFile();
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        if (children[c] == 0) {
            RegistryStore store(file);
            bool ok = true;
            for (int i = 0; i < 40; ++i) {
                std::u16string name =
                    u"w" + std::u16string(1, static_cast<char16_t>(u'0' + c)) + u"_";
                for (char digit : std::to_string(i)) name += static_cast<char16_t>(digit);
                ok = store.setValue(HKCU, u"Busy", name, RegistryValue::fromDword(i)) && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(store_.valueNames(HKCU, u"Busy")->size(), 80u);
}

TEST_F(RegistryStoreTest, UpdatesReadAndWriteInOneStep) {
    using Values = std::vector<std::optional<RegistryValue>>;
    ASSERT_TRUE(store_.setValue(HKCU, u"Counter", u"Gone", RegistryValue::fromDword(1)));
    // Two processes add to one number 50 times each: no addition is lost.
    const std::filesystem::path file = databaseFile();
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        if (child == 0) {
            RegistryStore store(file);
            bool ok = true;
            for (int i = 0; i < 50; ++i) {
                ok = store.updateValues(HKCU, u"Counter", {u"N"}, [](const Values& before) {
                    const uint32_t n = before[0] ? before[0]->toDword().value_or(0) : 0;
                    return Values{RegistryValue::fromDword(n + 1)};
                }) && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(store_.getValue(HKCU, u"Counter", u"n")->toDword(), 100u);

    // nullopt removes; what stays the same is not written.
    Values seen;
    EXPECT_TRUE(store_.updateValues(HKCU, u"counter", {u"gone", u"N", u"Missing"},
                                    [&](const Values& before) {
                                        seen = before;
                                        return Values{std::nullopt, before[1], std::nullopt};
                                    }));
    EXPECT_EQ(seen,
              (Values{RegistryValue::fromDword(1), RegistryValue::fromDword(100), std::nullopt}));
    EXPECT_EQ(store_.valueNames(HKCU, u"Counter"), Names{u"N"});

    // A change with a wrong number of values changes nothing; nor does one
    // that throws. Nothing set in a missing key leaves it missing.
    EXPECT_FALSE(
        store_.updateValues(HKCU, u"Counter", {u"N"}, [](const Values&) { return Values{}; }));
    EXPECT_FALSE(store_.updateValues(
        HKCU, u"Counter", {u"N"}, [](const Values&) -> Values { throw std::runtime_error("no"); }));
    EXPECT_EQ(store_.getValue(HKCU, u"Counter", u"N")->toDword(), 100u);
    EXPECT_TRUE(store_.updateValues(HKCU, u"New\\Key", {u"x"},
                                    [](const Values& before) { return before; }));
    EXPECT_FALSE(store_.keyExists(HKCU, u"New"));
}

// The number of keys below `path`, at any depth.
size_t keysBelow(const RegistryStore& store, const std::u16string& path) {
    size_t count = 0;
    for (const auto& name : store.subkeyNames(HKCU, path).value_or(Names{})) {
        count += 1 + keysBelow(store, path + u"\\" + name);
    }
    return count;
}

TEST_F(RegistryStoreTest, AWriterKilledMidWayLeavesBeforeOrAfter) {
    // A large subtree, saved, to be restored over a small one in one write.
    // Each round restores the tree into a new subkey of itself, doubling it.
    RegistryStore source(dir_ / "source.sqlite");
    ASSERT_TRUE(source.setValue(HKCU, u"Big\\Seed", u"Lines", RegistryValue::fromString(u"text")));
    for (char16_t round = u'a'; round < u'a' + 11; ++round) {
        ASSERT_TRUE(source.saveKeyToFile(HKCU, u"Big", dir_ / "grow.reg"));
        const std::u16string copy = u"Big\\Copy" + std::u16string(1, round);
        ASSERT_TRUE(source.createKey(HKCU, copy));
        ASSERT_TRUE(source.restoreKeyFromFile(HKCU, copy, dir_ / "grow.reg"));
    }
    ASSERT_TRUE(source.saveKeyToFile(HKCU, u"Big", dir_ / "big.reg"));
    const size_t after = keysBelow(source, u"Big");
    ASSERT_EQ(after, 4095u);

    const std::filesystem::path file = databaseFile();
    int killedWhileWriting = 0;
    for (int delayMs : {0, 0, 1, 2, 4, 8, 15, 30, 60}) {
        SCOPED_TRACE(delayMs);
        ASSERT_TRUE(!store_.keyExists(HKCU, u"Project") || store_.deleteKey(HKCU, u"Project"));
        ASSERT_TRUE(store_.setValue(HKCU, u"Project\\Old", u"v", RegistryValue::fromDword(1)));
        const pid_t child = fork();
        if (child == 0) {
            RegistryStore store(file);
            _exit(store.restoreKeyFromFile(HKCU, u"Project", dir_ / "big.reg") ? 0 : 1);
        }
        if (waitUntilWriteLocked(file, child)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            ++killedWhileWriting;
        }

        EXPECT_TRUE(integrityChecked(file));
        const size_t keys = keysBelow(store_, u"Project");
        EXPECT_TRUE(keys == 1 || keys == after) << keys << " keys";
        if (keys == 1) {
            EXPECT_TRUE(store_.keyExists(HKCU, u"Project\\Old"));
        }
    }
    EXPECT_GT(killedWhileWriting, 0);
}

TEST_F(RegistryStoreTest, SaveAndRestoreRoundTrip) {
    ASSERT_TRUE(store_.setValue(HKCU, u"Src", u"", RegistryValue::fromString(u"top default")));
    ASSERT_TRUE(store_.setValue(HKCU, u"Src\\Zeta", u"Name", RegistryValue::fromString(u"z")));
    ASSERT_TRUE(store_.setValue(HKCU, u"Src\\Alpha\\Deep", u"n", RegistryValue::fromDword(7)));
    const RegistryValue odd{42, std::string("\0x\0", 3)};
    ASSERT_TRUE(store_.setValue(HKCU, u"Src\\Alpha", u"Odd", odd));
    const auto saved = dir_ / "saved.reg";
    ASSERT_TRUE(store_.saveKeyToFile(HKCU, u"src", saved));

    // Restoring replaces whatever the target held.
    ASSERT_TRUE(store_.setValue(HKCU, u"Dst\\Stale", u"old", RegistryValue::fromDword(0)));
    ASSERT_TRUE(store_.setValue(HKCU, u"Dst", u"old", RegistryValue::fromDword(0)));
    ASSERT_TRUE(store_.restoreKeyFromFile(HKCU, u"Dst", saved));
    EXPECT_EQ(store_.subkeyNames(HKCU, u"Dst"), (Names{u"Zeta", u"Alpha"}));
    EXPECT_EQ(store_.valueNames(HKCU, u"Dst"), Names{u""});
    EXPECT_EQ(store_.getValue(HKCU, u"Dst", u"")->toString(), u"top default");
    EXPECT_EQ(store_.getValue(HKCU, u"Dst\\ALPHA\\deep", u"N")->toDword(), 7u);
    EXPECT_EQ(store_.getValue(HKCU, u"Dst\\Alpha", u"Odd"), odd);
    EXPECT_EQ(store_.subkeyNames(HKCU, u"Dst\\Alpha"), Names{u"Deep"});

    // Into another store, into a key made for it.
    RegistryStore other(dir_ / "other.sqlite");
    ASSERT_TRUE(other.createKey(regroot::LocalMachine, u"Software\\Copy"));
    ASSERT_TRUE(other.restoreKeyFromFile(regroot::LocalMachine, u"Software\\Copy", saved));
    EXPECT_EQ(other.getValue(regroot::LocalMachine, u"Software\\Copy\\Zeta", u"name")->toString(),
              u"z");
}

TEST_F(RegistryStoreTest, SaveAndRestoreRefuseWhatTheyCannotDo) {
    EXPECT_FALSE(store_.saveKeyToFile(HKCU, u"Missing", dir_ / "missing.reg"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.reg"));

    ASSERT_TRUE(store_.setValue(HKCU, u"Keep", u"v", RegistryValue::fromDword(5)));
    const auto notASave = dir_.write("garbage.reg", "this is not a database");
    EXPECT_FALSE(store_.restoreKeyFromFile(HKCU, u"Keep", notASave));
    EXPECT_FALSE(store_.restoreKeyFromFile(HKCU, u"Keep", dir_ / "absent.reg"));
    // The store's own database is SQLite too, but not a saved key.
    EXPECT_FALSE(store_.restoreKeyFromFile(HKCU, u"Keep", databaseFile()));
    EXPECT_EQ(store_.getValue(HKCU, u"Keep", u"v"), RegistryValue::fromDword(5));
}

TEST_F(RegistryStoreTest, LookupTellsAMissingKeyFromAMissingValue) {
    ASSERT_TRUE(store_.setValue(HKCU, u"K", u"a", RegistryValue::fromDword(1)));
    const auto found = store_.lookupValue(HKCU, u"k", u"A");
    EXPECT_TRUE(found.keyFound);
    EXPECT_EQ(found.value, RegistryValue::fromDword(1));
    const auto noValue = store_.lookupValue(HKCU, u"K", u"b");
    EXPECT_TRUE(noValue.keyFound);
    EXPECT_FALSE(noValue.value);
    EXPECT_FALSE(store_.lookupValue(HKCU, u"Other", u"a").keyFound);
    EXPECT_FALSE(store_.lookupValue(0x80000004u, u"K", u"a").keyFound);
}

TEST_F(RegistryStoreTest, ValuesAreListedWithTheirDataAtOneMoment) {
    ASSERT_TRUE(store_.setValue(HKCU, u"K", u"z", RegistryValue::fromString(u"last?")));
    ASSERT_TRUE(store_.setValue(HKCU, u"K", u"a", RegistryValue::fromDword(2)));
    ASSERT_TRUE(store_.setValue(HKCU, u"K", u"Z", RegistryValue::fromString(u"first")));
    const auto values = store_.values(HKCU, u"K");
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), 2u);
    EXPECT_EQ((*values)[0].name, u"z");
    EXPECT_EQ((*values)[0].value.toString(), u"first");
    EXPECT_EQ((*values)[1].name, u"a");
    EXPECT_EQ((*values)[1].value, RegistryValue::fromDword(2));
    ASSERT_TRUE(store_.createKey(HKCU, u"Empty"));
    EXPECT_EQ(store_.values(HKCU, u"Empty")->size(), 0u);
    EXPECT_FALSE(store_.values(HKCU, u"Missing"));
}

TEST_F(RegistryStoreTest, ManyValuesAreWrittenAllOrNone) {
    const auto sz = [](std::u16string_view text) { return RegistryValue::fromString(text); };
    ASSERT_TRUE(store_.setValues({{HKCU, u"A\\B", u"x", sz(u"1")},
                                  {regroot::LocalMachine, u"C", u"", sz(u"2")},
                                  {HKCU, u"a\\b", u"X", sz(u"3")}}));
    EXPECT_EQ(store_.getValue(HKCU, u"A\\B", u"x"), sz(u"3"));
    EXPECT_EQ(store_.getValue(regroot::LocalMachine, u"C", u""), sz(u"2"));
    // A write that cannot be made (no such root) takes the others back.
    EXPECT_FALSE(
        store_.setValues({{HKCU, u"New", u"y", sz(u"4")}, {0x80000004u, u"D", u"", sz(u"5")}}));
    EXPECT_FALSE(store_.keyExists(HKCU, u"New"));
}

TEST_F(RegistryStoreTest, RemovingUnchangedValuesLeavesWhatOthersChanged) {
    const auto sz = [](std::u16string_view text) { return RegistryValue::fromString(text); };
    ASSERT_TRUE(store_.setValues({{HKCU, u"Ours\\Deep", u"mine", sz(u"1")},
                                  {HKCU, u"Ours\\Deep", u"changed", sz(u"2")},
                                  {HKCU, u"Ours\\Other", u"mine", sz(u"3")},
                                  {HKCU, u"Ours\\Typed", u"", RegistryValue::fromDword(1)}}));
    ASSERT_TRUE(store_.setValue(HKCU, u"Ours\\Deep", u"changed", sz(u"theirs")));
    ASSERT_TRUE(store_.removeUnchanged({{HKCU, u"Ours\\Deep", u"mine", sz(u"1")},
                                        {HKCU, u"Ours\\Deep", u"changed", sz(u"2")},
                                        {HKCU, u"Ours\\Other", u"MINE", sz(u"3")},
                                        {HKCU, u"Ours\\Typed", u"", sz(u"1")},
                                        {HKCU, u"Ours\\Missing", u"x", sz(u"1")}},
                                       {{HKCU, u"Ours\\Deep"},
                                        {HKCU, u"Ours\\Other"},
                                        {HKCU, u"Ours\\Typed"},
                                        {HKCU, u"Ours"},
                                        {HKCU, u""}}));
    EXPECT_EQ(store_.valueNames(HKCU, u"Ours\\Deep"), Names{u"changed"});
    EXPECT_FALSE(store_.keyExists(HKCU, u"Ours\\Other"));
    EXPECT_EQ(store_.valueNames(HKCU, u"Ours\\Typed"), Names{u""});
    EXPECT_EQ(store_.subkeyNames(HKCU, u"Ours"), (Names{u"Deep", u"Typed"}));
}

TEST_F(RegistryStoreTest, FailedWritesSayWhy) {
    using Values = std::vector<std::optional<RegistryValue>>;
    ASSERT_TRUE(store_.setValue(HKCU, u"K", u"v", RegistryValue::fromDword(1)));
    const auto garbage = dir_.write("garbage.hive", "this is not a database");
    struct Case {
        const char* what;
        StoreResult result;
        std::string reason;
    };
    const Case cases[] = {
        {"a missing key", store_.deleteKey(HKCU, u"Missing"), "the key does not exist"},
        {"a root", store_.deleteKey(HKCU, u""), "a root cannot be deleted"},
        {"a missing value", store_.deleteValue(HKCU, u"K", u"w"), "the value does not exist"},
        {"no such root", store_.createKey(0x80000004u, u"K"), "there is no such root"},
        {"an overlong name", store_.createKey(HKCU, std::u16string(256, u'k')),
         "a key name is longer than 255 characters"},
        {"no save", store_.restoreKeyFromFile(HKCU, u"K", garbage), "the file is not a saved key"},
        {"a save of a missing key", store_.saveKeyToFile(HKCU, u"Missing", dir_ / "x.hive"),
         "the key does not exist"},
        {"a change of another count",
         store_.updateValues(HKCU, u"K", {u"v"}, [](const Values&) { return Values{}; }),
         "the change does not give one value for each name"},
        {"a change that throws",
         store_.updateValues(HKCU, u"K", {u"v"},
                             [](const Values&) -> Values { throw std::runtime_error("no"); }),
         "no"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.result);
        EXPECT_EQ(c.result.reason(), c.reason);
    }
    const StoreResult made = store_.createKey(HKCU, u"New");
    EXPECT_TRUE(made);
    EXPECT_EQ(made.reason(), "");
}

TEST_F(RegistryStoreTest, ARemovalThatCannotLookKeysUpFails) {
    // A store of this version whose tables are not the store's: a failed
    // look-up is no missing key, and removing nothing is no success.
    const auto file = dir_.write("damaged.sqlite", "");
    ASSERT_TRUE(execSql(file,
                        "CREATE TABLE reg_key(id INTEGER PRIMARY KEY, parent INTEGER, name TEXT);"
                        "CREATE TABLE reg_value(id INTEGER PRIMARY KEY, key INTEGER, name TEXT);"
                        "PRAGMA user_version = 1;"));
    RegistryStore damaged(file);
    const StoreResult removed =
        damaged.removeUnchanged({{HKCU, u"A", u"v", RegistryValue::fromDword(1)}}, {{HKCU, u"A"}});
    EXPECT_FALSE(removed);
    EXPECT_NE(removed.reason().find("folded"), std::string::npos) << removed.reason();
}

TEST(RegistryValueAnsi, StringsCrossAsCodePageTextAndKeepEveryByte) {
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    for (uint32_t type : {regtype::Sz, regtype::ExpandSz, regtype::MultiSz}) {
        const auto value = RegistryValue::fromAnsi(type, every);
        EXPECT_EQ(value.type, type);
        EXPECT_EQ(value.data.size(), 512u);  // stored as UTF-16
        EXPECT_EQ(value.ansiData(), every);
    }
    // What the single-byte face writes, the UTF-16 readers read, and back.
    EXPECT_EQ(RegistryValue::fromAnsi(regtype::Sz, std::string("caf\xE9 \x80\0", 7)).toString(),
              u"caf\u00e9 \u20ac");
    EXPECT_EQ(RegistryValue::fromString(u"\u20ac \u0416").ansiData(), std::string("\x80 ?\0", 4));
    // Other types pass as they are.
    const std::string bytes("\xFF\0\x80", 3);
    EXPECT_EQ(RegistryValue::fromAnsi(regtype::Binary, bytes),
              (RegistryValue{regtype::Binary, bytes}));
    EXPECT_EQ((RegistryValue{regtype::Binary, bytes}).ansiData(), bytes);
    EXPECT_EQ(RegistryValue::fromDword(0x01020304).ansiData(), "\x04\x03\x02\x01");
}

TEST_F(RegistryStoreTest, RestoreRequiresAnExistingKey) {
    ASSERT_TRUE(store_.setValue(HKCU, u"Src\\Sub", u"v", RegistryValue::fromDword(1)));
    const auto saved = dir_ / "src.hive";
    ASSERT_TRUE(store_.saveKeyToFile(HKCU, u"Src", saved));
    EXPECT_FALSE(store_.restoreKeyFromFile(HKCU, u"New\\Key", saved));
    EXPECT_FALSE(store_.keyExists(HKCU, u"New"));
    ASSERT_TRUE(store_.createKey(HKCU, u"New\\Key"));
    EXPECT_TRUE(store_.restoreKeyFromFile(HKCU, u"new\\key", saved));
    EXPECT_EQ(store_.getValue(HKCU, u"New\\Key\\Sub", u"v"), RegistryValue::fromDword(1));
}

TEST_F(RegistryStoreTest, RestoreRefusesHivesThatNoPathCouldHaveMade) {
    ASSERT_TRUE(store_.setValue(HKCU, u"Keep\\Old", u"v", RegistryValue::fromDword(5)));
    const std::vector<HiveValue> none;
    struct Case {
        const char* what;
        std::vector<HiveKey> keys;
        std::vector<HiveValue> values;
    };
    const Case bad[] = {
        {"an empty name", {{1, 0, "Top"}, {2, 1, ""}}, none},
        {"a separator in a name", {{1, 0, "Top"}, {2, 1, "a\\b"}}, none},
        {"a name of 256 characters", {{1, 0, "Top"}, {2, 1, std::string(256, 'n')}}, none},
        {"two children of one name", {{1, 0, "Top"}, {2, 1, "Same"}, {3, 1, "SAME"}}, none},
        {"two top keys", {{1, 0, "Top"}, {2, 0, "Other"}}, none},
        {"no top key", {}, none},
        {"a value outside the tree", {{1, 0, "Top"}}, {{9, "v", 4, std::string("\1\0\0\0", 4)}}},
        {"two values of one name", {{1, 0, "Top"}}, {{1, "v", 4, "1"}, {1, "V", 4, "2"}}},
    };
    int n = 0;
    for (const Case& c : bad) {
        SCOPED_TRACE(c.what);
        const auto file = dir_ / ("bad" + std::to_string(n++) + ".hive");
        ASSERT_TRUE(writeHive(file, c.keys, c.values));
        EXPECT_FALSE(store_.restoreKeyFromFile(HKCU, u"Keep", file));
        EXPECT_EQ(store_.subkeyNames(HKCU, u"Keep"), Names{u"Old"});
        EXPECT_EQ(store_.getValue(HKCU, u"Keep\\Old", u"v"), RegistryValue::fromDword(5));
    }
    // The same shape with sound names is a hive like any other.
    const auto good = dir_ / "good.hive";
    ASSERT_TRUE(writeHive(good, {{1, 0, "Top"}, {2, 1, std::string(255, 'n')}, {3, 2, "x y"}},
                          {{3, "v", 4, std::string("\x07\0\0\0", 4)}}));
    ASSERT_TRUE(store_.restoreKeyFromFile(HKCU, u"Keep", good));
    EXPECT_EQ(store_.getValue(HKCU, u"Keep\\" + std::u16string(255, u'n') + u"\\x y", u"v"),
              RegistryValue::fromDword(7));
}

// Every operation of the store, on whatever its file holds; none may crash.
void useEveryOperation(RegistryStore& store, const std::filesystem::path& dir) {
    const auto one = RegistryValue::fromDword(1);
    const auto empty = emptySave(dir);
    EXPECT_FALSE(store.createKey(HKCU, u"A"));
    EXPECT_FALSE(store.setValue(HKCU, u"A", u"v", one));
    EXPECT_FALSE(store.deleteValue(HKCU, u"A", u"v"));
    EXPECT_FALSE(store.deleteKey(HKCU, u"A"));
    EXPECT_FALSE(store.restoreKeyFromFile(HKCU, u"A", empty));
    EXPECT_FALSE(store.keyExists(HKCU, u""));
    EXPECT_FALSE(store.getValue(HKCU, u"A", u"v"));
    EXPECT_FALSE(store.lookupValue(HKCU, u"", u"v").keyFound);
    EXPECT_FALSE(store.subkeyNames(HKCU, u""));
    EXPECT_FALSE(store.valueNames(HKCU, u""));
    EXPECT_FALSE(store.values(HKCU, u""));
    EXPECT_FALSE(store.saveKeyToFile(HKCU, u"", dir / "out.hive"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.hive"));
}

TEST_F(RegistryStoreTest, AFileThatIsNoStoreOfOursIsLeftAsItIs) {
    const std::string garbage(8192, '\x5A');
    dir_.write("data/registry.sqlite", garbage);
    useEveryOperation(store_, dir_.path());
    EXPECT_EQ(store_.createKey(HKCU, u"A").reason(), "file is not a database");
    EXPECT_EQ(TempDir::read(databaseFile()), garbage);

    // A store of a later version of the program: not ours to change.
    RegistryStore newer(dir_ / "newer.sqlite");
    ASSERT_TRUE(newer.createKey(HKCU, u"A"));
    ASSERT_TRUE(execSql(dir_ / "newer.sqlite", "PRAGMA user_version = 2"));
    EXPECT_FALSE(store_.keyExists(HKCU, u""));  // this thread lets go of its connection
    useEveryOperation(newer, dir_.path());
    EXPECT_EQ(newer.createKey(HKCU, u"B").reason(),
              "the store was made by a later version of the program");
}

TEST_F(RegistryStoreTest, AStoreThatMayNotBeWrittenIsStillRead) {
    // Made and closed by another process, so that no file is left beside it.
    const std::filesystem::path file = databaseFile();
    ASSERT_TRUE(inChildProcess([&] {
        RegistryStore store(file);
        const bool made =
            static_cast<bool>(store.setValue(HKCU, u"A\\B", u"v", RegistryValue::fromDword(3)));
        exit(made ? 0 : 1);  // exit, not _exit: the connection is closed
        return made;
    }));
    ASSERT_FALSE(std::filesystem::exists(file.string() + "-shm"));
    std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms(0555));
    std::filesystem::permissions(file, std::filesystem::perms(0444));
    EXPECT_TRUE(runUnprivileged([&] {
        RegistryStore store(file);
        return store.getValue(HKCU, u"a\\b", u"V") == RegistryValue::fromDword(3) &&
               store.subkeyNames(HKCU, u"A") == Names{u"B"} &&
               !store.setValue(HKCU, u"A", u"w", RegistryValue::fromDword(1)) &&
               store.createKey(HKCU, u"C").reason() == "the store is read-only" &&
               !store.deleteKey(HKCU, u"A") && store.keyExists(HKCU, u"A\\B");
    }));
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms(0755));
}

TEST(RegistryStoreLocation, FollowsTheEnvironment) {
    const char* previousRegistry = std::getenv("TLVX_REGISTRY");
    const std::string savedRegistry = previousRegistry ? previousRegistry : "";
    const char* previousXdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = previousXdg ? previousXdg : "";

    setenv("TLVX_REGISTRY", "/tmp/private/registry.sqlite", 1);
    EXPECT_EQ(RegistryStore().databaseFile(), "/tmp/private/registry.sqlite");
    unsetenv("TLVX_REGISTRY");
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(RegistryStore::userDatabaseFile(), "/data/home/tallyvex/registry.sqlite");
    setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
    EXPECT_EQ(RegistryStore::userDatabaseFile().filename(), "registry.sqlite");
    EXPECT_NE(RegistryStore::userDatabaseFile().string().find("/.local/share/tallyvex/"),
              std::string::npos);

    if (previousRegistry) setenv("TLVX_REGISTRY", savedRegistry.c_str(), 1);
    if (previousXdg) {
        setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
}

}  // namespace
