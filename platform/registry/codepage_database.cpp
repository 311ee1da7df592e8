#include "platform/registry/codepage_database.h"

#include <iconv.h>

#include <string>

#include "platform/files/string_module.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::codepages {
namespace {

// A Windows code page with the name iconv knows it by, when that is not
// its body charset name.
struct KnownCodePage {
    std::uint32_t number;
    const char* bodyCharset;
    const char* iconvName;  // null: the body charset name
    const char16_t* description;
};

constexpr KnownCodePage kKnown[] = {
    {37, "IBM037", nullptr, u"IBM EBCDIC (US-Canada)"},
    {437, "IBM437", nullptr, u"OEM United States"},
    {500, "IBM500", nullptr, u"IBM EBCDIC (International)"},
    {708, "ASMO-708", nullptr, u"Arabic (ASMO 708)"},
    {737, "ibm737", "CP737", u"Greek (DOS)"},
    {775, "ibm775", nullptr, u"Baltic (DOS)"},
    {850, "ibm850", nullptr, u"Western European (DOS)"},
    {852, "ibm852", nullptr, u"Central European (DOS)"},
    {855, "IBM855", nullptr, u"OEM Cyrillic"},
    {857, "ibm857", nullptr, u"Turkish (DOS)"},
    {858, "IBM00858", "IBM858", u"OEM Multilingual Latin I"},
    {860, "IBM860", nullptr, u"Portuguese (DOS)"},
    {861, "ibm861", nullptr, u"Icelandic (DOS)"},
    {862, "DOS-862", "IBM862", u"Hebrew (DOS)"},
    {863, "IBM863", nullptr, u"French Canadian (DOS)"},
    {864, "IBM864", nullptr, u"Arabic (864)"},
    {865, "IBM865", nullptr, u"Nordic (DOS)"},
    {866, "cp866", nullptr, u"Cyrillic (DOS)"},
    {869, "ibm869", nullptr, u"Greek, Modern (DOS)"},
    {870, "IBM870", nullptr, u"IBM EBCDIC (Multilingual Latin-2)"},
    {874, "windows-874", nullptr, u"Thai (Windows)"},
    {875, "cp875", nullptr, u"IBM EBCDIC (Greek Modern)"},
    {932, "shift_jis", "CP932", u"Japanese (Shift-JIS)"},
    {936, "gb2312", "CP936", u"Chinese Simplified (GB2312)"},
    {949, "ks_c_5601-1987", "CP949", u"Korean"},
    {950, "big5", nullptr, u"Chinese Traditional (Big5)"},
    {1026, "IBM1026", nullptr, u"IBM EBCDIC (Turkish Latin-5)"},
    {1047, "IBM01047", "IBM1047", u"IBM Latin-1"},
    {1200, "utf-16", "UTF-16LE", u"Unicode"},
    {1201, "unicodeFFFE", "UTF-16BE", u"Unicode (Big-Endian)"},
    {1250, "windows-1250", nullptr, u"Central European (Windows)"},
    {1251, "windows-1251", nullptr, u"Cyrillic (Windows)"},
    {1252, "windows-1252", nullptr, u"Western European (Windows)"},
    {1253, "windows-1253", nullptr, u"Greek (Windows)"},
    {1254, "windows-1254", nullptr, u"Turkish (Windows)"},
    {1255, "windows-1255", nullptr, u"Hebrew (Windows)"},
    {1256, "windows-1256", nullptr, u"Arabic (Windows)"},
    {1257, "windows-1257", nullptr, u"Baltic (Windows)"},
    {1258, "windows-1258", nullptr, u"Vietnamese (Windows)"},
    {1361, "Johab", nullptr, u"Korean (Johab)"},
    {10000, "macintosh", nullptr, u"Western European (Mac)"},
    {10007, "x-mac-cyrillic", "MAC-CYRILLIC", u"Cyrillic (Mac)"},
    {20127, "us-ascii", nullptr, u"US-ASCII"},
    {20866, "koi8-r", nullptr, u"Cyrillic (KOI8-R)"},
    {21866, "koi8-u", nullptr, u"Cyrillic (KOI8-U)"},
    {28591, "iso-8859-1", nullptr, u"Western European (ISO)"},
    {28592, "iso-8859-2", nullptr, u"Central European (ISO)"},
    {28593, "iso-8859-3", nullptr, u"Latin 3 (ISO)"},
    {28594, "iso-8859-4", nullptr, u"Baltic (ISO)"},
    {28595, "iso-8859-5", nullptr, u"Cyrillic (ISO)"},
    {28596, "iso-8859-6", nullptr, u"Arabic (ISO)"},
    {28597, "iso-8859-7", nullptr, u"Greek (ISO)"},
    {28598, "iso-8859-8", nullptr, u"Hebrew (ISO-Visual)"},
    {28599, "iso-8859-9", nullptr, u"Turkish (ISO)"},
    {28603, "iso-8859-13", nullptr, u"Estonian (ISO)"},
    {28605, "iso-8859-15", nullptr, u"Latin 9 (ISO)"},
    {50220, "iso-2022-jp", nullptr, u"Japanese (JIS)"},
    {50225, "iso-2022-kr", nullptr, u"Korean (ISO)"},
    {51932, "euc-jp", nullptr, u"Japanese (EUC)"},
    {51936, "EUC-CN", nullptr, u"Chinese Simplified (EUC)"},
    {51949, "euc-kr", nullptr, u"Korean (EUC)"},
    {54936, "GB18030", nullptr, u"Chinese Simplified (GB18030)"},
    {65000, "utf-7", nullptr, u"Unicode (UTF-7)"},
    {65001, "utf-8", nullptr, u"Unicode (UTF-8)"},
};

bool iconvConverts(const char* name) {
    const iconv_t cd = iconv_open("UTF-16LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

std::u16string ascii(const char* text) {
    return unicode::utf8ToUtf16(text);
}

strings::StringTable descriptions(const std::vector<CodePage>& codePages) {
    strings::StringTable table;
    for (const CodePage& page : codePages) table.emplace(page.number, page.description);
    return table;
}

}  // namespace

std::vector<CodePage> availableCodePages() {
    std::vector<CodePage> pages;
    for (const KnownCodePage& known : kKnown) {
        if (!iconvConverts(known.iconvName ? known.iconvName : known.bodyCharset)) continue;
        pages.push_back({known.number, ascii(known.bodyCharset), known.description});
    }
    return pages;
}

std::vector<ValueWrite> databaseValues(const std::vector<CodePage>& codePages, Descriptions style) {
    const std::u16string database(kDatabaseKey);
    std::vector<ValueWrite> values;
    for (const CodePage& page : codePages) {
        const std::u16string number = ascii(std::to_string(page.number).c_str());
        const std::u16string key = database + u"\\" + number;
        values.push_back({regroot::ClassesRoot, key, u"BodyCharset",
                          RegistryValue::fromString(page.bodyCharset, regtype::Sz)});
        const std::u16string description = style == Descriptions::Inline
                                               ? page.description
                                               : u"@%SystemRoot%\\system32\\mlang.dll,-" + number;
        values.push_back({regroot::ClassesRoot, key, u"Description",
                          RegistryValue::fromString(description, regtype::Sz)});
    }
    return values;
}

std::filesystem::path stringModuleFile(const std::filesystem::path& windows) {
    return windows / "system32" / "mlang.dll";
}

bool installStringModule(const std::filesystem::path& file,
                         const std::vector<CodePage>& codePages) noexcept {
    try {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        return !ec && strings::writeStringModule(file, descriptions(codePages));
    } catch (...) {
        return false;
    }
}

}  // namespace tlvx::platform::codepages
