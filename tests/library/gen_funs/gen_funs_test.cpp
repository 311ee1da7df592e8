// The GenFuns class through its interface: colours, names, membership, file
// counts, shortcuts and the system temporary folder.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Morcel_TLVX.h"
#include "platform/files/string_module.h"
#include "platform/registry/registry_store.h"
#include "platform/text/unicode_text.h"
#include "tests/support/automation_values.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/environment_guard.h"
#include "tests/support/object_ref.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace fs = std::filesystem;
using namespace tlvx::test;
using tlvx::platform::RegistryStore;
using tlvx::platform::RegistryValue;

namespace {

constexpr char16_t kEnvironment[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::u16string u16(const fs::path& path) {
    return path.u16string();
}

class GenFunsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(gen.create(CLSID_GenFuns, IID__GenFuns), S_OK); }

    std::u16string color(LONG value) {
        Bstr result;
        EXPECT_EQ(gen->LongToHTMLColor(value, result.out()), S_OK);
        return result.text();
    }
    std::u16string weekday(SHORT n) {
        Bstr result;
        EXPECT_EQ(gen->GetEnglishWeekday(n, result.out()), S_OK);
        return result.text();
    }
    std::u16string month(SHORT n) {
        Bstr result;
        EXPECT_EQ(gen->GetEnglishShortMonth(n, result.out()), S_OK);
        return result.text();
    }
    LONG filesQty(std::u16string_view path) {
        LONG count = 12345;
        EXPECT_EQ(gen->GetFilesQty(Bstr(path).get(), &count), S_OK);
        return count;
    }
    bool shortcut(const fs::path& path) {
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ(gen->CheckShortcut(Bstr(u16(path)).get(), &result), S_OK);
        return result == VARIANT_TRUE;
    }
    std::u16string sysTempPath() {
        Bstr result;
        EXPECT_EQ(gen->GetSysTempPath(result.out()), S_OK);
        return result.text();
    }

    // InVar with an array of variants, which it consumes.
    bool inVar(VARIANT target, std::vector<VARIANT> elements) {
        SAFEARRAY* list = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements.size()));
        for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i) {
            SafeArrayPutElement(list, &i, &elements[static_cast<std::size_t>(i)]);
            VariantClear(&elements[static_cast<std::size_t>(i)]);
        }
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ(gen->InVar(target, &list, &result), S_OK);
        SafeArrayDestroy(list);
        VariantClear(&target);
        return result == VARIANT_TRUE;
    }

    TempDir dir;
    // Last, so that the object goes before the folders and settings it used.
    ObjectRef<_GenFuns> gen;
};

}  // namespace

TEST_F(GenFunsTest, WebColoursHaveTwoUpperCaseDigitsPerComponent) {
    EXPECT_EQ(color(255), u"#FF0000");
    EXPECT_EQ(color(10), u"#0A0000");
    EXPECT_EQ(color(0), u"#000000");
    EXPECT_EQ(color(0x00ABCDEF), u"#EFCDAB");
    EXPECT_EQ(color(0x7F000000 | 0x0000FF00), u"#00FF00");  // the high byte is not a colour
    // Negative numbers: the byte below, and divisions that truncate toward
    // zero above it.
    EXPECT_EQ(color(-1), u"#FF0000");
    EXPECT_EQ(color(-256), u"#00FF00");
    EXPECT_EQ(color(-65536), u"#0000FF");
    EXPECT_EQ(color(static_cast<LONG>(0x80000000u)), u"#000000");
}

TEST_F(GenFunsTest, WeekdaysAndMonthsOnlyInTheirRange) {
    EXPECT_EQ(weekday(1), u"Sun");
    EXPECT_EQ(weekday(4), u"Wed");
    EXPECT_EQ(weekday(7), u"Sat");
    for (const SHORT outside : {SHORT{0}, SHORT{8}, SHORT{-1}, SHORT{32767}, SHORT{-32768}})
        EXPECT_EQ(weekday(outside), u"") << outside;
    EXPECT_EQ(month(1), u"Jan");
    EXPECT_EQ(month(9), u"Sep");
    EXPECT_EQ(month(12), u"Dec");
    for (const SHORT outside : {SHORT{0}, SHORT{13}, SHORT{-12}})
        EXPECT_EQ(month(outside), u"") << outside;
}

TEST_F(GenFunsTest, InVarFindsEqualValuesWithLetterCaseSignificant) {
    EXPECT_FALSE(inVar(str(u"a"), {str(u"A")}));
    EXPECT_TRUE(inVar(str(u"a"), {str(u"A"), str(u"a")}));
    EXPECT_FALSE(inVar(i4(1), {}));
    EXPECT_TRUE(inVar(i4(1), {r8(1.0)}));
    EXPECT_FALSE(inVar(i4(1), {str(u"1")}));
    EXPECT_TRUE(inVar(boolean(true), {i2(-1)}));
    EXPECT_TRUE(inVar(str(u""), {VARIANT{}}));  // Empty equals the empty text
    // Null equals nothing, not even Null.
    VARIANT null;
    null.vt = VT_NULL;
    EXPECT_FALSE(inVar(null, {null}));
    // An element that cannot be compared is passed over.
    VARIANT nested;
    nested.vt = VT_ARRAY | VT_I4;
    nested.parray = SafeArrayCreateVector(VT_I4, 0, 1);
    EXPECT_TRUE(inVar(i4(0), {nested, i4(0)}));
}

TEST_F(GenFunsTest, InVarTakesAnyArrayAndNoneAtAll) {
    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 1, 2);
    LONG at = 2;
    Bstr b(u"b");
    SafeArrayPutElement(texts, &at, b.get());
    VARIANT_BOOL result = VARIANT_FALSE;
    Var target;
    target.v = str(u"b");
    EXPECT_EQ(gen->InVar(target.v, &texts, &result), S_OK);
    EXPECT_EQ(result, VARIANT_TRUE);
    SafeArrayDestroy(texts);

    SAFEARRAY* none = nullptr;
    result = VARIANT_TRUE;
    EXPECT_EQ(gen->InVar(target.v, &none, &result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(gen->InVar(target.v, nullptr, &result), E_POINTER);

    // By name, the list by reference, as a script passes it.
    SAFEARRAY* list = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    LONG zero = 0;
    Var element;
    element.v = str(u"b");
    SafeArrayPutElement(list, &zero, &element.v);
    Var byName;
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(gen->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(
        callByName(dispatch, u"InVar", {str(u"b"), ref(VT_ARRAY | VT_VARIANT, &list)}, &byName.v),
        S_OK);
    EXPECT_EQ(byName.v.vt, VT_BOOL);
    EXPECT_EQ(byName.v.boolVal, VARIANT_TRUE);
    dispatch->Release();
    SafeArrayDestroy(list);
}

TEST_F(GenFunsTest, FilesQtyCountsTheWholeTree) {
    EXPECT_EQ(filesQty(u""), -1);
    EXPECT_EQ(filesQty(u"   "), -1);
    EXPECT_EQ(filesQty(u16(dir / "missing")), -1);
    EXPECT_EQ(filesQty(u16(dir.write("file.txt", "x"))), -1);
    fs::create_directories(dir / "empty");
    EXPECT_EQ(filesQty(u16(dir / "empty")), 0);

    dir.write("tree/a.txt", "");
    dir.write("tree/.hidden", "");
    dir.write("tree/sub/1", "");
    dir.write("tree/sub/2", "");
    dir.write("tree/sub/3", "");
    fs::create_directories(dir / "tree/sub/deeper/deepest");
    dir.write("tree/sub/deeper/deepest/x", "");
    EXPECT_EQ(filesQty(u16(dir / "tree")), 6);
    EXPECT_EQ(filesQty(u16(dir / "tree/sub")), 4);
    // Windows notation, another letter case, spaces around the path.
    CurrentDirGuard cwd(dir.path());
    EXPECT_EQ(filesQty(u"TREE\\Sub\\"), 4);
}

TEST_F(GenFunsTest, FilesQtyCountsEachRealFolderOnce) {
    dir.write("top/a", "");
    dir.write("top/b/c", "");
    // A link to the folder itself, to its parent, and a loop of two links:
    // each would make the count endless.
    fs::create_directory_symlink(".", dir / "top/self");
    fs::create_directory_symlink("..", dir / "top/b/up");
    fs::create_directories(dir / "top/loop");
    fs::create_directory_symlink("../loop2", dir / "top/loop/next");
    fs::create_directories(dir / "top/loop2");
    fs::create_directory_symlink("../loop", dir / "top/loop2/next");
    // A file link is a file; a link that names nothing too.
    fs::create_symlink("a", dir / "top/alink");
    fs::create_symlink("gone", dir / "top/dangling");
    EXPECT_EQ(filesQty(u16(dir / "top")), 4);
    // A link to a folder outside is followed.
    dir.write("outside/o1", "");
    dir.write("outside/o2", "");
    fs::create_directory_symlink(dir / "outside", dir / "top/out");
    EXPECT_EQ(filesQty(u16(dir / "top")), 6);
}

TEST_F(GenFunsTest, FilesQtyPassesUnreadableSubfoldersOver) {
    dir.write("t/a", "");
    dir.write("t/locked/1", "");
    dir.write("t/locked/2", "");
    dir.write("t/open/3", "");
    fs::permissions(dir.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(dir / "t", fs::perms::all);
    fs::permissions(dir / "t/open", fs::perms::all);
    fs::permissions(dir / "t/locked", fs::perms::none);
    _GenFuns* g = gen;
    const std::u16string tree = u16(dir / "t");
    const std::u16string locked = u16(dir / "t/locked");
    EXPECT_TRUE(runUnprivileged([&] {
        LONG whole = 0, alone = 0;
        g->GetFilesQty(Bstr(tree).get(), &whole);
        g->GetFilesQty(Bstr(locked).get(), &alone);
        return whole == 2 && alone == -1;
    }));
    fs::permissions(dir / "t/locked", fs::perms::owner_all);
}

TEST_F(GenFunsTest, ShortcutsCountWhenTheirTargetExists) {
    const fs::path target = dir.write("docs/readme.txt", "x");
    const fs::path link = dir.write(
        "readme.desktop", "[Desktop Entry]\nType=Link\nURL=file://" + target.string() + "\n");
    const fs::path app = dir.write(
        "app.desktop", "[Desktop Entry]\nType=Application\nExec=" + target.string() + " %f\n");
    fs::create_directory_symlink(dir / "docs", dir / "docs-link");
    EXPECT_TRUE(shortcut(link));
    EXPECT_TRUE(shortcut(app));
    EXPECT_TRUE(shortcut(dir / "docs-link"));

    fs::remove_all(dir / "docs");
    EXPECT_FALSE(shortcut(link));
    EXPECT_FALSE(shortcut(app));
    EXPECT_FALSE(shortcut(dir / "docs-link"));
    EXPECT_FALSE(shortcut(dir.write("plain.txt", "/etc")));
    EXPECT_FALSE(shortcut(dir / "missing.desktop"));
    EXPECT_FALSE(shortcut(fs::path()));
}

TEST_F(GenFunsTest, SysTempPathIsTheStoredValueWithTheWindowsFolder) {
    EnvironmentGuard store("TLVX_REGISTRY", (dir / "store" / "registry.sqlite").string());
    EnvironmentGuard windows("WinDir", std::nullopt);
    fs::create_directories(dir / "store");
    // A store never registered into, not even made yet, has the system's.
    EXPECT_EQ(sysTempPath(), u"/tmp");

    RegistryStore registry;
    const auto setTemp = [&](std::u16string_view value, uint32_t type) {
        ASSERT_TRUE(registry.setValue(tlvx::platform::regroot::LocalMachine, kEnvironment, u"TMP",
                                      RegistryValue::fromString(value, type)));
    };
    setTemp(u"/var/tmp", tlvx::platform::regtype::ExpandSz);
    EXPECT_EQ(sysTempPath(), u"/var/tmp");
    // The names of the Windows folder in any letter case, as Windows
    // expands them; other variables as the environment holds them.
    EnvironmentGuard unset("TLVX_NOT_SET", std::nullopt);
    EnvironmentGuard tmpdir("TMPDIR", "/scratch");
    setTemp(u"%SystemRoot%\\TEMP;%SYSTEMROOT%;%windir%;%TMPDIR%;%TLVX_NOT_SET%",
            tlvx::platform::regtype::Sz);
    const std::u16string installed = u16(dir / "store" / "windows");
    EXPECT_EQ(sysTempPath(),
              installed + u"\\TEMP;" + installed + u";" + installed + u";/scratch;%TLVX_NOT_SET%");
    {
        EnvironmentGuard set("WinDir", "C:\\Windows");
        EXPECT_EQ(sysTempPath(),
                  u"C:\\Windows\\TEMP;C:\\Windows;C:\\Windows;/scratch;%TLVX_NOT_SET%");
    }
    // A value that is no text gives nothing.
    ASSERT_TRUE(registry.setValue(tlvx::platform::regroot::LocalMachine, kEnvironment, u"TMP",
                                  RegistryValue::fromDword(7)));
    EXPECT_EQ(sysTempPath(), u"");
}

TEST_F(GenFunsTest, CharsetListJoinsTheDatabaseWithItsDescriptions) {
    EnvironmentGuard store("TLVX_REGISTRY", (dir / "store" / "registry.sqlite").string());
    EnvironmentGuard windows("WinDir", std::nullopt);
    fs::create_directories(dir / "store");
    const auto charsetList = [&] {
        Bstr result;
        EXPECT_EQ(gen->GetCharsetList(result.out()), S_OK);
        return result.text();
    };
    // A store never registered into, not even made yet, has the system's
    // database, its descriptions written out; once made, they are
    // references into the string module beside it.
    const std::u16string listed = charsetList();
    EXPECT_NE(listed.find(u"windows-1252 | Western European (Windows) || "), std::u16string::npos)
        << tlvx::platform::unicode::utf16ToUtf8(listed);
    RegistryStore registry;
    ASSERT_TRUE(registry.createKey(tlvx::platform::regroot::CurrentUser, u"Software"));
    EXPECT_EQ(charsetList(), listed);
    EXPECT_EQ(registry.getValue(tlvx::platform::regroot::ClassesRoot,
                                u"MIME\\Database\\Codepage\\1252", u"Description"),
              RegistryValue::fromString(u"@%SystemRoot%\\system32\\mlang.dll,-1252"));
    // Taken away, it stays away.
    ASSERT_TRUE(registry.deleteKey(tlvx::platform::regroot::ClassesRoot, u"MIME\\Database"));
    EXPECT_EQ(charsetList(), u"");

    const auto page = [&](std::u16string_view name, std::u16string_view body,
                          std::optional<std::u16string_view> description) {
        const std::u16string key = u"MIME\\Database\\Codepage\\" + std::u16string(name);
        ASSERT_TRUE(registry.setValue(tlvx::platform::regroot::ClassesRoot, key, u"BodyCharset",
                                      RegistryValue::fromString(body)));
        if (description) {
            ASSERT_TRUE(registry.setValue(tlvx::platform::regroot::ClassesRoot, key, u"Description",
                                          RegistryValue::fromString(*description)));
        }
    };
    ASSERT_TRUE(
        registry.createKey(tlvx::platform::regroot::ClassesRoot, u"MIME\\Database\\Codepage"));
    EXPECT_EQ(charsetList(), u"");  // a database without code pages

    page(u"1252", u"windows-1252", u"@%SystemRoot%\\system32\\mlang.dll,-1252");
    page(u"65001", u"utf-8", u"Plain Text");
    page(u"20127", u"us-ascii", std::nullopt);
    // Whatever module a reference names, the string comes from the one of
    // the Windows folder; the number loses its sign.
    page(u"7", u"x-seven", u"@%WinDir%\\System32\\OTHER.DLL,7");
    page(u"8", u"x-missing", u"@%SystemRoot%\\system32\\mlang.dll,-8");
    page(u"9", u"x-broken", u"@%No Module Here");
    fs::create_directories(dir / "store" / "windows" / "system32");
    ASSERT_TRUE(tlvx::platform::strings::writeStringModule(
        dir / "store" / "windows" / "system32" / "mlang.dll",
        {{1252, u"Western European (Windows)"}, {7, u"Seven"}}));
    const std::u16string expected =
        u"windows-1252 | Western European (Windows) || utf-8 | Plain Text || us-ascii |  || "
        u"x-seven | Seven || x-missing |  || x-broken | @%no module here";
    EXPECT_EQ(charsetList(), expected);

    // Without the module the references give nothing; plain descriptions stay.
    EnvironmentGuard elsewhere("WinDir", (dir / "nowhere").string());
    EXPECT_EQ(charsetList(),
              u"windows-1252 |  || utf-8 | Plain Text || us-ascii |  || "
              u"x-seven |  || x-missing |  || x-broken | @%no module here");
}
