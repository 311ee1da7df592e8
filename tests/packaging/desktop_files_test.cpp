// What the desktop learns about Tallyvex: the file types (found by name
// without regard to case, and a group by its first line), the entry that
// opens them with TLVX, and the icon in each of its sizes.

#include <gtest/gtest.h>

#include <QImage>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "program/program_version.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = TLVX_PACKAGING_SOURCE_DIR;
const fs::path kBuilt = TLVX_PACKAGING_BUILD_DIR;
const std::string kId = "org.tallyvex.Tallyvex";

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int run(const std::string& command) {
    return std::system(command.c_str());
}

// The file types as the desktop sees them once the package is installed:
// a database made from our definitions, searched before the system's.
// Each test runs in a process of its own, so the database read first is
// this one.
class FileTypesTest : public testing::Test {
protected:
    FileTypesTest() {
        fs::create_directories(data / "mime" / "packages");
        fs::copy_file(kSource / (kId + ".xml"), data / "mime" / "packages" / (kId + ".xml"));
        const std::string log = (data / "update.log").string();
        updated = run("XDG_DATA_DIRS='" + data.path().string() + "' update-mime-database '" +
                      (data / "mime").string() + "' >'" + log + "' 2>&1") == 0;
        updateLog = readFile(log);
    }

    QString typeOfName(const char* name) const {
        return database.mimeTypeForFile(QString::fromLatin1(name), QMimeDatabase::MatchExtension)
            .name();
    }

    TempDir data;
    EnvironmentGuard dirs{"XDG_DATA_DIRS", data.path().string() + ":/usr/share"};
    EnvironmentGuard home{"XDG_DATA_HOME", (data / "home").string()};
    bool updated = false;
    std::string updateLog;
    QMimeDatabase database;
};

TEST_F(FileTypesTest, ProjectsAndGroupsAreKnownByNameWhateverTheCase) {
    ASSERT_TRUE(updated) << updateLog;
    EXPECT_TRUE(updateLog.empty()) << updateLog;
    for (const char* name : {"Till.vbp", "TILL.VBP", "till.Vbp"})
        EXPECT_EQ(typeOfName(name), QStringLiteral("text/x-vb6-project")) << name;
    for (const char* name : {"Shop.vbg", "SHOP.VBG", "shop.vBg"})
        EXPECT_EQ(typeOfName(name), QStringLiteral("text/x-vb6-project-group")) << name;
    EXPECT_NE(typeOfName("Till.vbpx"), QStringLiteral("text/x-vb6-project"));
}

TEST_F(FileTypesTest, BothAreTextThatAnEditorMayOpen) {
    ASSERT_TRUE(updated) << updateLog;
    for (const char* type : {"text/x-vb6-project", "text/x-vb6-project-group"}) {
        const QMimeType known = database.mimeTypeForName(QString::fromLatin1(type));
        ASSERT_TRUE(known.isValid()) << type;
        EXPECT_TRUE(known.inherits(QStringLiteral("text/plain"))) << type;
        EXPECT_FALSE(known.comment().isEmpty()) << type;
    }
}

TEST_F(FileTypesTest, AGroupWithoutItsExtensionIsKnownByItsFirstLine) {
    ASSERT_TRUE(updated) << updateLog;
    const fs::path group = data.write("Shop", "VBGROUP 5.0\r\nStartupProject=Till\\Till.vbp\r\n");
    EXPECT_EQ(database.mimeTypeForFile(QString::fromStdString(group.string())).name(),
              QStringLiteral("text/x-vb6-project-group"));
    const fs::path other = data.write("Notes", "Type=Exe is a line of this text\r\n");
    EXPECT_EQ(database.mimeTypeForFile(QString::fromStdString(other.string())).name(),
              QStringLiteral("text/plain"));
}

TEST(DesktopEntry, IsValidAndOpensBothTypesWithTlvx) {
    const fs::path entry = kBuilt / (kId + ".desktop");
    ASSERT_TRUE(fs::is_regular_file(entry));
    TempDir scratch;
    const std::string log = (scratch / "validate.log").string();
    EXPECT_EQ(run("desktop-file-validate '" + entry.string() + "' >'" + log + "' 2>&1"), 0)
        << readFile(log);
    EXPECT_EQ(readFile(log), "");

    const auto value = [text = readFile(entry)](const std::string& key) {
        const std::string start = "\n" + key + "=";
        const auto at = text.find(start);
        if (at == std::string::npos) return std::string("(missing)");
        const auto from = at + start.size();
        return text.substr(from, text.find('\n', from) - from);
    };
    EXPECT_EQ(value("Exec"), "TLVX %f");
    EXPECT_EQ(value("Icon"), kId);
    EXPECT_EQ(value("Categories"), "Development;Qt;");
    // The class Qt gives the window (the application's name), so that the
    // desktop ties the window to this entry.
    EXPECT_EQ(value("StartupWMClass"), "Tallyvex");
    EXPECT_EQ(value("MimeType"), "text/x-vb6-project;text/x-vb6-project-group;");
    // The program's version, from the one place it is written.
    EXPECT_EQ(value("X-Tallyvex-Version"), kVersionText);
}

TEST(DesktopEntry, TheIconComesInEverySizeOfTheTheme) {
    EXPECT_TRUE(readFile(kSource / (kId + ".svg")).find("<svg") != std::string::npos);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const fs::path png = kBuilt / "hicolor" /
                             (std::to_string(size) + "x" + std::to_string(size)) / "apps" /
                             (kId + ".png");
        QImage icon;
        ASSERT_TRUE(icon.load(QString::fromStdString(png.string()))) << png;
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel());
        // The corners are clear, the middle is painted.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << size;
    }
}

}  // namespace
}  // namespace tlvx::test
