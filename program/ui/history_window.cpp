#include "program/ui/history_window.h"

#include <QComboBox>
#include <QLabel>
#include <QResizeEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTreeView>

#include "program/ui/event_guard.h"
#include "program/ui/growth_window.h"
#include "program/ui/listing_view.h"
#include "program/ui/main_window.h"
#include "program/ui/picture_button.h"
#include "program/ui/pictures.h"
#include "program/ui/window_look.h"

namespace tlvx::ui {
namespace {

enum Button { kOutput = 0, kDeleteProject = 2, kDeleteVersion = 3, kGrowth = 4 };

// Puts the names into a selector and selects `selected`, without the
// selector telling anyone: the browser has already loaded what follows.
void fill(QComboBox& selector, const std::vector<std::string>& names,
          std::optional<std::size_t> selected) {
    const QSignalBlocker quiet(selector);
    selector.clear();
    for (const auto& name : names) selector.addItem(QString::fromStdString(name));
    selector.setCurrentIndex(selected ? static_cast<int>(*selected) : -1);
    // The selector told no one of its new text, so it fits it here.
    fitTextToBox(selector);
}

}  // namespace

HistoryWindow::HistoryWindow(MainWindow& main)
    : QDialog(&main),
      main_(main),
      browser_(history::VersionHistory(main.historyRoot())),
      table_(browser_.listing()) {
    setObjectName(QStringLiteral("frmPubHis"));
    setWindowTitle(QStringLiteral("Version History"));
    setWindowModality(Qt::ApplicationModal);
    setModal(true);
    setFont(windowFont());
    setSizeGripEnabled(false);

    auto* projectLabel = new QLabel(QStringLiteral("Project"), this);
    projectLabel->setObjectName(QStringLiteral("lbl0"));
    projectLabel->setGeometry(twipsRect(90, 195, 510, 195));
    fitTextToBox(*projectLabel);
    auto* versionLabel = new QLabel(QStringLiteral("Version"), this);
    versionLabel->setObjectName(QStringLiteral("lbl1"));
    versionLabel->setGeometry(twipsRect(3105, 195, 525, 195));
    fitTextToBox(*versionLabel);

    const QRect selectorPlaces[2] = {twipsRect(690, 135, 1935, 315),
                                     twipsRect(3720, 135, 1005, 315)};
    for (int i = 0; i < 2; ++i) {
        auto* selector = new QComboBox(this);  // a drop-down list: no typing
        selector->setObjectName(QStringLiteral("cbb%1").arg(i));
        selector->setGeometry(selectorPlaces[i]);
        makeGreen(*selector, false);
        keepTextFitted(*selector);
        cbb_[static_cast<std::size_t>(i)] = selector;
    }
    connect(cbb_[0], &QComboBox::currentIndexChanged, this, &HistoryWindow::onProjectSelected);
    connect(cbb_[1], &QComboBox::currentIndexChanged, this, &HistoryWindow::onVersionSelected);

    const PictureButtonPlace places[] = {
        {kDeleteProject, twipsRect(2715, 142, 300, 300), "", Picture::DeleteProject,
         "Deletes all version history of selected project."},
        {kDeleteVersion, twipsRect(4815, 135, 300, 300), "", Picture::DeleteVersion,
         "Deletes version history of selected version under current project."},
        {kOutput, twipsRect(9030, 90, 2400, 360), "Output Result Listing", Picture::OutputListing,
         "Outputs current listing to a txt/csv file."},
    };
    for (PictureButton* button : addPictureButtons(*this, places))
        connect(button, &PictureButton::clickedIndex, this, &HistoryWindow::onButton);

    // The growth of the selected project, beside the export: a click, or
    // Ctrl+G (Alt+G, as the caption underlines it).
    auto* growth = new PictureButton(
        kGrowth, QStringLiteral("&Growth"), picture(Picture::ShowGrowth),
        QStringLiteral("Shows how the selected project grew across its versions <Ctrl+G>."), this);
    growth->setGeometry(twipsRect(6540, 90, 2400, 360));
    connect(growth, &PictureButton::clickedIndex, this, [this] { showGrowth(); });
    auto* growthKey = new QShortcut(this);
    growthKey->setKeys({QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::ALT | Qt::Key_G)});
    connect(growthKey, &QShortcut::activated, this, [this] { showGrowth(); });

    lsv_ = makeListingView(
        table_, {3351, 2293, 1288, 1288, 1288, 1288, 1288, 1288, 1512, 1288, 1288, 1512}, this);
    lsv_->setGeometry(twipsRect(90, 585, 11340, 4155));
    QPalette listColours = lsv_->palette();
    listColours.setColor(QPalette::Text, kDarkGreen);
    lsv_->setPalette(listColours);

    const QRect summaryPlace = twipsRect(105, 4830, 4035, 195);
    lblT_ = new QLabel(initialSummaryText(), this);
    lblT_->setObjectName(QStringLiteral("lblT"));
    lblT_->setGeometry(summaryPlace);
    makeGreen(*lblT_, false);

    // The client area ends 90 twips right of the list and below the summary.
    fixedSize_ = clientSizeAround(lsv_->geometry().right() + 1, summaryPlace.bottom() + 1);
    setFixedSize(fixedSize_);
    showSummary();

    // Left to right along the top, then the list.
    QWidget* order[] = {cbb_[0],
                        findChild<QWidget*>(QStringLiteral("sbt2")),
                        cbb_[1],
                        findChild<QWidget*>(QStringLiteral("sbt3")),
                        findChild<QWidget*>(QStringLiteral("sbt0")),
                        lsv_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    main_.historyWindowOpened(*this);
    passOverFailure([this] { browse([](history::HistoryBrowser& b) { b.loadProjects(); }); });
}

template <class Step>
void HistoryWindow::browse(Step&& step) {
    table_.change([&](analysis::ListingModel&) { std::forward<Step>(step)(browser_); });
    fill(*cbb_[0], browser_.projects(), browser_.selectedProject());
    fill(*cbb_[1], browser_.versions(), browser_.selectedVersion());
    showSummary();
}

void HistoryWindow::showSummary() {
    // The summary belongs to a loaded version: until one is loaded the
    // first text stays, and once its listing is gone the summary goes too.
    if (browser_.selectedVersion()) {
        recordShown_ = true;
        lblT_->setText(QString::fromStdString(browser_.summary()));
    } else {
        lblT_->setText(recordShown_ ? QString() : initialSummaryText());
    }
    // As wide as the summary needs, within the window.
    sizeToText(*lblT_, windowFont(), twips(4035), fixedSize_.width() - twips(90));
}

// A selector is not refilled while it tells of its own selection: only
// what depends on it is.
void HistoryWindow::onProjectSelected(int index) {
    if (index < 0) return;
    passOverFailure([&] {
        table_.change([&](analysis::ListingModel&) {
            browser_.selectProject(static_cast<std::size_t>(index));
        });
        fill(*cbb_[1], browser_.versions(), browser_.selectedVersion());
        showSummary();
    });
}

void HistoryWindow::onVersionSelected(int index) {
    if (index < 0) return;
    passOverFailure([&] {
        table_.change([&](analysis::ListingModel&) {
            browser_.selectVersion(static_cast<std::size_t>(index));
        });
        showSummary();
    });
}

void HistoryWindow::onButton(int index) {
    passOverFailure([&] {
        switch (index) {
            case kOutput:
                main_.upsOutput("H");
                break;
            case kDeleteProject:
                browse([this](history::HistoryBrowser& b) { b.deleteProject(main_.messages()); });
                break;
            case kDeleteVersion:
                browse([this](history::HistoryBrowser& b) { b.deleteVersion(main_.messages()); });
                break;
            default:
                break;
        }
    });
}

history::ExportRequest HistoryWindow::exportRequest() const {
    return {browser_.listing().rows(), cbb_[0]->currentText().toStdString(),
            cbb_[1]->currentText().toStdString(), lblT_->text().toStdString()};
}

void HistoryWindow::selectRecord(const std::string& project, const std::string& version) {
    passOverFailure(
        [&] { browse([&](history::HistoryBrowser& b) { b.selectRecord(project, version); }); });
}

void HistoryWindow::showGrowth() {
    passOverFailure([&] {
        if (!browser_.selectedVersion()) {
            main_.messages().information(history::kNothingToExport);
            return;
        }
        auto* growth =
            new GrowthWindow(history::VersionHistory(main_.historyRoot()), browser_.projectText(),
                             browser_.versionText(), main_.messages(), this);
        // Gone once closed, however it was closed.
        connect(growth, &QDialog::finished, growth, &QObject::deleteLater);
        growth->open();  // modal over this window
    });
}

void HistoryWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (event->size() != fixedSize_) resize(fixedSize_);
}

}  // namespace tlvx::ui
