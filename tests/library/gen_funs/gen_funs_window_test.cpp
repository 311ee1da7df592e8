// The window methods of GenFuns on real Qt windows (offscreen), which the
// library calls late, by name, through the object bridge: captions and tool
// tips from INI files, list column widths, and a file count that keeps the
// window's events running.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTimer>

#include <filesystem>
#include <string>

#include "Morcel_TLVX.h"
#include "platform/desktop/object_bridge.h"
#include "tests/support/automation_values.h"
#include "tests/support/environment_guard.h"
#include "tests/support/qt_application.h"
#include "tests/support/sample_window.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace tlvx::test;

namespace {

[[maybe_unused]] testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

_GenFuns* newGenFuns() {
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_GenFuns, nullptr, CLSCTX_INPROC_SERVER, IID__GenFuns, &object),
              S_OK);
    return static_cast<_GenFuns*>(object);
}

class GenFunsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        gen = newGenFuns();
        ASSERT_TRUE(gen);
        form = dispatchOf(&w.window);
        ASSERT_TRUE(form);
    }
    void TearDown() override {
        if (form) form->Release();
        if (gen) gen->Release();
    }

    static IDispatch* dispatchOf(QObject* object) {
        IDispatch* dispatch = nullptr;
        EXPECT_EQ(TlvxQtObjectDispatch(object, &dispatch), S_OK);
        return dispatch;
    }
    std::u16string file(const char* name, const std::string& text) {
        return dir.write(name, text).u16string();
    }

    SampleWindow w;
    _GenFuns* gen = nullptr;
    IDispatch* form = nullptr;
    TempDir dir;
};

}  // namespace

TEST_F(GenFunsWindowTest, MenuCaptionsComeFromTheFileAndEmptyValuesKeepThem) {
    const auto menus = file("captions.ini",
                            "[frmTest]\r\nmenFile=&Datei\r\nmenOpen=\r\nmenRecent(1)=Zuletzt\r\n"
                            "menRecent=no index\r\ncmd(0)=not a menu\r\n"
                            "[other]\r\nmenRecent(0)=wrong form\r\n");
    EXPECT_EQ(gen->SetMenuCaption(&form, Bstr(menus).get()), S_OK);
    EXPECT_EQ(w.menFile->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(w.menOpen->text(), QStringLiteral("&Open"));
    EXPECT_EQ(w.menFile->actions()[1]->text(), QStringLiteral("Recent 0"));
    EXPECT_EQ(w.menFile->actions()[2]->text(), QStringLiteral("Zuletzt"));
    EXPECT_EQ(w.cmd[0]->text(), QStringLiteral("Button 0"));
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Test Window"));
}

TEST_F(GenFunsWindowTest, ToolTipsComeFromTheFileAndMissingValuesClearThem) {
    w.tbrMain->actions()[0]->setToolTip(QStringLiteral("old"));
    w.panels[0]->setToolTip(QStringLiteral("old"));
    w.txtName->setToolTip(QStringLiteral("old"));
    w.menFile->setToolTip(QStringLiteral("menus keep theirs"));
    const auto tips = file("tips.ini",
                           "[frmTest]\r\ncmd(0)=First button\r\ncmd(1)=\r\n"
                           "tbrMain=The toolbar\r\ntbrMain.Buttons(3)=Opens a file\r\n"
                           "sbrMain.Panels(2)=Second panel\r\nlsvFiles=\"The files\"\r\n");
    EXPECT_EQ(gen->SetTip(&form, Bstr(tips).get()), S_OK);
    EXPECT_EQ(w.cmd[0]->toolTip(), QStringLiteral("First button"));
    EXPECT_EQ(w.cmd[1]->toolTip(), QString());
    EXPECT_EQ(w.txtName->toolTip(), QString());
    EXPECT_EQ(w.lsvFiles->toolTip(), QStringLiteral("The files"));
    EXPECT_EQ(w.tbrMain->toolTip(), QStringLiteral("The toolbar"));
    EXPECT_EQ(w.tbrMain->actions()[0]->toolTip(), w.tbrMain->actions()[0]->text());  // cleared
    EXPECT_EQ(w.menOpen->toolTip(), QStringLiteral("Opens a file"));
    EXPECT_EQ(w.panels[0]->toolTip(), QString());
    EXPECT_EQ(w.panels[1]->toolTip(), QStringLiteral("Second panel"));
    EXPECT_EQ(w.menFile->toolTip(), QStringLiteral("menus keep theirs"));
}

TEST_F(GenFunsWindowTest, ANamedPanelKeepsItsBarsTipAndTakesItsOwnOnlyWithoutOne) {
    // Panel widgets with names are controls of the form too.
    w.panels[0]->setObjectName(QStringLiteral("pnlLeft"));
    w.panels[1]->setObjectName(QStringLiteral("pnlRight"));
    w.panels[1]->setToolTip(QStringLiteral("old"));
    const auto tips = file("tips.ini",
                           "[frmTest]\r\nsbrMain.Panels(2)=Second panel\r\npnlRight=own right\r\n"
                           "pnlLeft=own left\r\n");
    EXPECT_EQ(gen->SetTip(&form, Bstr(tips).get()), S_OK);
    EXPECT_EQ(w.panels[0]->toolTip(), QStringLiteral("own left"));
    EXPECT_EQ(w.panels[1]->toolTip(), QStringLiteral("Second panel"));

    // Neither key: the tip is cleared.
    const auto none = file("none.ini", "[frmTest]\r\nsbrMain.Panels(1)=\r\n");
    EXPECT_EQ(gen->SetTip(&form, Bstr(none).get()), S_OK);
    EXPECT_EQ(w.panels[0]->toolTip(), QString());
    EXPECT_EQ(w.panels[1]->toolTip(), QString());
}

TEST_F(GenFunsWindowTest, AMissingTipsFileClearsEveryTipAndAMissingMenusFileChangesNothing) {
    EXPECT_EQ(gen->SetTip(&form, Bstr((dir / "none.ini").u16string()).get()), S_OK);
    EXPECT_EQ(w.cmd[0]->toolTip(), QString());
    EXPECT_EQ(gen->SetMenuCaption(&form, nullptr), S_OK);
    EXPECT_EQ(w.menFile->title(), QStringLiteral("&File"));
    // No window at all, or one that is gone: nothing happens.
    IDispatch* nothing = nullptr;
    EXPECT_EQ(gen->SetTip(&nothing, nullptr), S_OK);
    EXPECT_EQ(gen->SetMenuCaption(nullptr, nullptr), E_POINTER);
}

TEST_F(GenFunsWindowTest, WithoutAFileTheTextsBesideTheLibraryCount) {
    // A copy of the component module in a folder of its own, with its
    // caption and tip files beside it.
    const fs::path folder = dir / "component";
    fs::create_directories(folder);
    const fs::path module = fs::path(TLVX_COMPONENT_MODULE);
    fs::copy_file(module, folder / module.filename());
    dir.write("component/menus.dll", "[frmTest]\r\nmenFile=Beside\r\n");
    dir.write("component/tips.dll", "[frmTest]\r\ntxtName=Beside too\r\n");
    EnvironmentGuard componentDir("TLVX_COMPONENT_DIR", folder.string());
    EnvironmentGuard store("TLVX_REGISTRY", (dir / "registry.sqlite").string());
    _GenFuns* beside = newGenFuns();
    ASSERT_TRUE(beside);
    EXPECT_EQ(beside->SetMenuCaption(&form, Bstr((dir / "missing.ini").u16string()).get()), S_OK);
    EXPECT_EQ(beside->SetTip(&form, nullptr), S_OK);
    beside->Release();
    EXPECT_EQ(w.menFile->title(), QStringLiteral("Beside"));
    EXPECT_EQ(w.txtName->toolTip(), QStringLiteral("Beside too"));
}

TEST_F(GenFunsWindowTest, ColumnsGetAtLeastTheWidthTheirTagHolds) {
    QHeaderView* header = w.lsvFiles->horizontalHeader();
    header->setMinimumSectionSize(5);
    for (int c = 0; c < 3; ++c) header->resizeSection(c, 30);
    auto* model = w.lsvFiles->model();
    model->setHeaderData(0, Qt::Horizontal, QStringLiteral("90"), Qt::UserRole);
    model->setHeaderData(1, Qt::Horizontal, QStringLiteral("wide"), Qt::UserRole);
    model->setHeaderData(2, Qt::Horizontal, QStringLiteral("10"), Qt::UserRole);
    IDispatch* list = dispatchOf(w.lsvFiles);
    const auto widths = [&] {
        return std::vector<int>{header->sectionSize(0), header->sectionSize(1),
                                header->sectionSize(2)};
    };

    // Only a list in report view with rows is adjusted.
    w.lsvFiles->setRowCount(0);
    EXPECT_EQ(gen->AdjListColWid(&list), S_OK);
    EXPECT_EQ(widths(), (std::vector<int>{30, 30, 30}));
    w.lsvFiles->setRowCount(1);
    header->hide();
    EXPECT_EQ(gen->AdjListColWid(&list), S_OK);
    EXPECT_EQ(widths(), (std::vector<int>{30, 30, 30}));
    header->show();

    // More columns than rows: every column is fitted to its items, and
    // made as wide as its Tag asks when that is wider.
    w.lsvFiles->setItem(0, 1, new QTableWidgetItem(QString(60, QLatin1Char('W'))));
    w.lsvFiles->setItem(0, 2, new QTableWidgetItem(QStringLiteral("i")));
    EXPECT_EQ(gen->AdjListColWid(&list), S_OK);
    const auto adjusted = widths();
    EXPECT_EQ(adjusted[0], 90);
    EXPECT_GT(adjusted[1], 200);
    EXPECT_LT(adjusted[2], 30);
    EXPECT_GE(adjusted[2], 10);
    list->Release();
}

TEST_F(GenFunsWindowTest, CountingFilesKeepsTheWindowsEventsRunning) {
    for (const char* name : {"a/1", "a/b/2", "c/3"}) dir.write(name, "");
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    LONG count = 0;
    EXPECT_EQ(gen->GetFilesQty(Bstr(dir.path().u16string()).get(), &count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(ran);
}
