#include "program/ui/history_window.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>

#include <algorithm>

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

const QRect kListingPlace = twipsRect(90, 585, 11340, 4155);
const QRect kSummaryPlace = twipsRect(105, 4830, 4035, 195);
// The designed client area ends 90 twips right of the list and below the
// summary.
const QSize kClientSize = clientSizeAround(kListingPlace.right() + 1, kSummaryPlace.bottom() + 1);
const int kSummaryBelowListing = kSummaryPlace.top() - (kListingPlace.bottom() + 1);
const int kRoomBelowListing = kClientSize.height() - (kListingPlace.bottom() + 1);
const int kRoomRightOfListing = kClientSize.width() - (kListingPlace.right() + 1);
// The least height the list keeps: a window smaller than that scrolls.
const int kSmallestListingHeight = twips(1500);
// The version selector has room for a version of three 4-digit parts.
const QString kWidestVersion = QStringLiteral("9999.9999.9999");

// The drop-down list as wide as its widest entry, whatever the selector's
// width: every entry is seen whole.
void showEntriesWhole(QComboBox& selector) {
    QAbstractItemView* list = selector.view();
    list->setTextElideMode(Qt::ElideNone);
    int widest = 0;
    for (int i = 0; i < selector.count(); ++i)
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(selector.itemText(i)));
    const int around = 2 * list->frameWidth() +
                       selector.style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                       4 * selector.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    list->setMinimumWidth(std::max(selector.width(), widest + around));
}

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
    showEntriesWhole(selector);
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

    // The content at its designed places, on a pane that scrolls when the
    // window is smaller than the content's least size.
    pane_ = addScrollingPane(
        *this, QSize(kClientSize.width(),
                     kListingPlace.top() + kSmallestListingHeight + kRoomBelowListing));
    pane_->installEventFilter(this);

    // The top row, left to right. Where a label needs more room than its
    // place gives (a font wider than the designed one) or the version
    // selector widens to hold a version of three 4-digit parts, what stands
    // to its right moves along by as much.
    int shift = 0;
    const auto labelAt = [&](const QString& text, const QRect& place, const char* name) {
        auto* created = new QLabel(text, pane_);
        created->setObjectName(QString::fromLatin1(name));
        const int width = std::max(place.width(), created->sizeHint().width());
        created->setGeometry(place.x() + shift, place.y(), width, place.height());
        shift += width - place.width();
        fitTextToBox(*created);
    };
    const auto selectorAt = [&](const QRect& place, int index) {
        auto* selector = new QComboBox(pane_);  // a drop-down list: no typing
        selector->setObjectName(QStringLiteral("cbb%1").arg(index));
        selector->setGeometry(place.translated(shift, 0));
        makeGreen(*selector, false);
        cbb_[static_cast<std::size_t>(index)] = selector;
    };
    labelAt(QStringLiteral("Project"), twipsRect(90, 195, 510, 195), "lbl0");
    selectorAt(twipsRect(690, 135, 1935, 315), 0);
    const int deleteProjectShift = shift;
    labelAt(QStringLiteral("Version"), twipsRect(3105, 195, 525, 195), "lbl1");
    selectorAt(twipsRect(3720, 135, 1005, 315), 1);
    const int gain = std::max(0, widthForText(*cbb_[1], kWidestVersion) - cbb_[1]->width());
    cbb_[1]->resize(cbb_[1]->width() + gain, cbb_[1]->height());
    shift += gain;
    for (QComboBox* selector : cbb_) keepTextFitted(*selector);
    connect(cbb_[0], &QComboBox::currentIndexChanged, this, &HistoryWindow::onProjectSelected);
    connect(cbb_[1], &QComboBox::currentIndexChanged, this, &HistoryWindow::onVersionSelected);

    const PictureButtonPlace places[] = {
        {kDeleteProject, twipsRect(2715, 142, 300, 300).translated(deleteProjectShift, 0), "",
         Picture::DeleteProject, "Deletes all version history of selected project."},
        {kDeleteVersion, twipsRect(4815, 135, 300, 300).translated(shift, 0), "",
         Picture::DeleteVersion,
         "Deletes version history of selected version under current project."},
        {kOutput, twipsRect(9030, 90, 2400, 360), "Output Result Listing", Picture::OutputListing,
         "Outputs current listing to a txt/csv file."},
    };
    for (PictureButton* button : addPictureButtons(*pane_, places))
        connect(button, &PictureButton::clickedIndex, this, &HistoryWindow::onButton);

    // The growth of the selected project, beside the export: a click, or
    // Ctrl+G (Alt+G, as the caption underlines it).
    auto* growth = new PictureButton(
        kGrowth, QStringLiteral("&Growth"), picture(Picture::ShowGrowth),
        QStringLiteral("Shows how the selected project grew across its versions <Ctrl+G>."), pane_);
    growth->setGeometry(twipsRect(6540, 90, 2400, 360));
    connect(growth, &PictureButton::clickedIndex, this, [this] { showGrowth(); });
    auto* growthKey = new QShortcut(this);
    growthKey->setKeys({QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::ALT | Qt::Key_G)});
    connect(growthKey, &QShortcut::activated, this, [this] { showGrowth(); });

    lsv_ = new ListingView(
        table_, {3351, 2293, 1288, 1288, 1288, 1288, 1288, 1288, 1512, 1288, 1288, 1512}, pane_);
    lsv_->setGeometry(kListingPlace);
    // Twelve columns do not fit the designed width: the module names stay
    // in view while the numbers scroll.
    lsv_->keepFirstColumnInView();
    QPalette listColours = lsv_->palette();
    listColours.setColor(QPalette::Text, kDarkGreen);
    lsv_->setPalette(listColours);

    lblT_ = new QLabel(initialSummaryText(), pane_);
    lblT_->setObjectName(QStringLiteral("lblT"));
    lblT_->setGeometry(kSummaryPlace);
    makeGreen(*lblT_, false);
    // The summary can be selected with the mouse and copied.
    lblT_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblT_->setFocusPolicy(Qt::ClickFocus);

    // Any size the user gives it; it opens at the designed size where the
    // screen holds that.
    setMinimumSize(twips(3000), twips(2250));
    resize(kClientSize);
    pane_->resize(kClientSize);
    layOutPane();

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
    sizeToText(*lblT_, windowFont(), twips(4035), pane_->width() - twips(90));
}

void HistoryWindow::layOutPane() {
    if (!lsv_ || !lblT_) return;
    // The list takes what the pane has more or less than designed; the
    // summary stays below it.
    const QSize size = pane_->size();
    lsv_->setGeometry(kListingPlace.left(), kListingPlace.top(),
                      size.width() - kListingPlace.left() - kRoomRightOfListing,
                      size.height() - kListingPlace.top() - kRoomBelowListing);
    lblT_->move(lblT_->x(), lsv_->geometry().bottom() + 1 + kSummaryBelowListing);
    showSummary();
}

bool HistoryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pane_ && event->type() == QEvent::Resize) layOutPane();
    return QDialog::eventFilter(watched, event);
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

void HistoryWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    fitWindowToScreen(*this, kClientSize);
    // Once shown, the frame the window manager gave it is known; a size the
    // user has chosen meanwhile stays.
    QTimer::singleShot(0, this, [this, shown = size()] {
        if (size() == shown) fitWindowToScreen(*this, shown);
    });
}

}  // namespace tlvx::ui
