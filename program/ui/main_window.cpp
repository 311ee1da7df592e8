#include "program/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <system_error>
#include <tuple>

#include "platform/shell/launcher.h"
#include "platform/text/unicode_text.h"
#include "program/analysis/position_analysis.h"
#include "program/analysis/project_properties.h"
#include "program/analysis/project_recognition.h"
#include "program/analysis/work_folders.h"
#include "program/analysis/working_copy.h"
#include "program/history/recorded_analysis.h"
#include "program/ui/about_window.h"
#include "program/ui/event_guard.h"
#include "program/ui/history_window.h"
#include "program/ui/listing_view.h"
#include "program/ui/message_box_dialogs.h"
#include "program/ui/picture_button.h"
#include "program/ui/pictures.h"
#include "program/ui/property_box.h"
#include "program/ui/relabelling.h"
#include "program/ui/web_links.h"
#include "program/ui/window_look.h"

namespace tlvx::ui {
namespace {

using namespace std::string_literals;
using platform::unicode::utf16ToUtf8;
using platform::unicode::utf8ToUtf16;

// The button indices of the window's picture-button array.
enum Button {
    kChoose = 0,
    kHistory = 1,
    kHelp = 2,
    kDonate = 3,
    kOutput = 7,
    kPrevious = 10,
    kNext = 11,
};

constexpr int kShowMaximised = 3;

const std::u16string kProjectFilter =
    u"VB6 Project (*.vbp)\0*.vbp\0VB6 Project Group (*.vbg)\0*.vbg"s;
const std::u16string kExportFilter =
    u"Text Files (Tab Separated) (*.txt)\0*.txt\0Comma Separated Values (*.csv)\0*.csv\0"
    u"All Files (*.*)\0*.*"s;

// The keys of the window, each with the one modifier state it needs.
struct KeyBinding {
    int key;
    Qt::KeyboardModifiers modifiers;
    int button;
};
const KeyBinding kKeys[] = {
    {Qt::Key_O, Qt::ControlModifier, kChoose},  {Qt::Key_C, Qt::AltModifier, kChoose},
    {Qt::Key_H, Qt::ControlModifier, kHistory}, {Qt::Key_S, Qt::AltModifier, kHistory},
    {Qt::Key_O, Qt::AltModifier, kOutput},      {Qt::Key_M, Qt::AltModifier, kDonate},
};

// The version box has room for a version of three 4-digit parts.
const QString kWidestVersion = QStringLiteral("9999.9999.9999");

// A property box and its label, which may reach left as far as
// `labelLeftLimit`.
struct PropertyLayout {
    QRect box;
    int labelTop;
    int labelLeftLimit;
    const char* labelName;
};

// The boxes were placed for Tahoma; in a wider font a label may need more
// room than its place gives. The boxes make it: the column of boxes that
// starts at 1440 twips moves right as far as its widest label needs, the
// boxes after "Version" and "Product Name" move right as far as theirs
// need; each box keeps its right edge, but the version box keeps its width
// and widens to hold a version of three 4-digit parts whole.
void makeRoomForLabels(std::array<PropertyLayout, 8>& layouts) {
    const auto needed = [&](std::size_t i) {
        const auto caption = analysis::kPropertyLabels[i];
        QLabel probe(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
        probe.setFont(windowFont());
        return probe.sizeHint().width();
    };
    const auto shortOf = [&](std::size_t i) {
        const PropertyLayout& l = layouts[i];
        return std::max(0, needed(i) - (l.box.x() - twips(90) - l.labelLeftLimit));
    };
    int column = 0;
    for (const std::size_t i : {0u, 3u, 4u, 5u, 6u, 7u}) column = std::max(column, shortOf(i));
    for (const std::size_t i : {0u, 3u, 4u, 5u, 6u, 7u})
        layouts[i].box.setLeft(layouts[i].box.left() + column);

    QRect& version = layouts[1].box;
    version.translate(shortOf(1), 0);
    PropertyBox probe;
    probe.setFont(windowFont());
    probe.setGeometry(version);
    version.setWidth(std::max(version.width(), widthForText(probe, kWidestVersion)));

    layouts[2].labelLeftLimit = version.right() + 1 + twips(90);
    layouts[2].box.setLeft(layouts[2].box.left() + shortOf(2));
}

// The busy cursor, for as long as an analysis runs.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QLabel* label(const QString& text, const QRect& geometry, QWidget* parent, const char* name) {
    auto* created = new QLabel(text, parent);
    created->setObjectName(QString::fromLatin1(name));
    created->setGeometry(geometry);
    return created;
}

// A label that ends 90 twips left of its box, as wide as its caption, but
// starting at `leftLimit` at the earliest.
QLabel* labelBeforeBox(const QString& text, int topTwips, int leftLimit, const QWidget& box,
                       const char* name) {
    auto* created = label(text, {}, box.parentWidget(), name);
    created->setFont(windowFont());
    const int right = box.x() - twips(90);
    const int width = std::min(created->sizeHint().width(), right - leftLimit);
    created->setGeometry(right - width, twips(topTwips), width, twips(195));
    fitTextToBox(*created);
    return created;
}

// The list, which takes the room a window larger or smaller than designed
// gains or loses.
const QRect kListingPlace = twipsRect(75, 4050, 11340, 4155);
// The designed client area ends 90 twips right of the list.
const QSize kClientSize(clientSizeAround(kListingPlace.right() + 1, 0).width(), twips(8670));
// The summary's designed distance below the list, and the list's below the
// client area's end.
const int kSummaryBelowListing = twips(8295) - (kListingPlace.bottom() + 1);
const int kRoomBelowListing = kClientSize.height() - (kListingPlace.bottom() + 1);
// The least height the list keeps: a window smaller than that scrolls.
const int kSmallestListingHeight = twips(1500);
// The designed places of the counter (in the frame) and of ">".
const QRect kCounterPlace = twipsRect(2100, 0, 645, 195);
const QRect kNextPlace = twipsRect(2640, 1065, 195, 195);
// How long a hand-over's outcome is awaited: a handler that runs longer
// has found its program.
constexpr int kHandOverPolls = 300;
constexpr int kHandOverPollMs = 100;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The first local project or group file a drag carries; empty when it
// carries none.
QString droppedProject(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        QString file = url.toLocalFile();
        if (file.endsWith(QStringLiteral(".vbp"), Qt::CaseInsensitive) ||
            file.endsWith(QStringLiteral(".vbg"), Qt::CaseInsensitive))
            return file;
    }
    return {};
}

}  // namespace

MainWindow::MainWindow(const MainWindowSetup& setup)
    : library_(analysis::LibraryObjects::create()),
      workingCopies_(setup.workingCopies.empty() ? setup.workFolders / analysis::kWorkingCopyFolder
                                                 : setup.workingCopies),
      workFoldersMoved_(setup.workFoldersMoved),
      history_(setup.workFolders / analysis::kHistoryFolder),
      selection_(workingCopies_) {
    analysis::createWorkFolders({workingCopies_, history_.root()});
    if (setup.messages) {
        messages_ = setup.messages;
    } else {
        ownMessages_ = std::make_unique<MessageBoxDialogs>(this);
        messages_ = ownMessages_.get();
    }

    setObjectName(QStringLiteral("frmPubMain"));
    setWindowTitle(QStringLiteral("Tallyvex"));
    setWindowIcon(programIcon());
    setFont(windowFont());

    // The window's content at its designed places, on a pane that scrolls
    // when the window is smaller than the content's least size.
    pane_ = addScrollingPane(
        *this, QSize(kClientSize.width(),
                     kListingPlace.top() + kSmallestListingHeight + kRoomBelowListing));

    desc_ = label(QStringLiteral("This program is designed to calculate the PURE code lines "
                                 "(writing manually) for VB 6 project/group, and it can record "
                                 "the version history for code lines automatically. Of course, "
                                 "calculating code lines in other viewpoints is available, "
                                 "such as comment lines, file lines, etc."),
                  twipsRect(90, 90, 11565, 390), pane_, "lblDesc");
    desc_->setWordWrap(true);
    makeGreen(*desc_, true);

    buildCommandButtons();
    buildProperties();
    buildListing();
    buildHelpMenu();
    setTabOrder();

    // Any size the user gives it; it opens at the designed size where the
    // screen holds that.
    setMinimumSize(twips(3000), twips(2250));
    resize(kClientSize);
    pane_->resize(kClientSize);
    layOutPane();
    relabelFromFiles(*this, setup.textsFolder);

    // The window sees every key, and every drag of a project file, before
    // the control under it does.
    setAcceptDrops(true);
    qApp->installEventFilter(this);

    if (workFoldersMoved_)
        QTimer::singleShot(0, this, [this] {
            messages_->information(analysis::movedHistoryMessage(history_.root()));
        });
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

void MainWindow::buildCommandButtons() {
    const PictureButtonPlace places[] = {
        {kChoose, twipsRect(90, 570, 2460, 360), "&Choose Project (Group)", Picture::ChooseProject,
         "Chooses a project (group) file to calculate <Ctrl+O>."},
        {kHistory, twipsRect(2640, 570, 2460, 360), "&Show Version History", Picture::ShowHistory,
         "Shows version history for all calculated projects <Ctrl+H>."},
        {kOutput, twipsRect(5190, 570, 2460, 360), "&Output Result Listing", Picture::OutputListing,
         "Outputs current calculating result to a txt/csv file."},
        {kDonate, twipsRect(7740, 570, 1830, 360), "&Make Donation", Picture::Donate,
         "It's 100% Freeware, welcome your donation with any amount as you like."},
        {kHelp, twipsRect(9660, 600, 300, 300), "", Picture::Help, "Help."},
    };
    for (PictureButton* button : addPictureButtons(*pane_, places)) {
        connect(button, &PictureButton::clickedIndex, this, &MainWindow::onButton);
        if (button->index() == kHelp) help_ = button;
    }
}

void MainWindow::buildProperties() {
    fra_ = new QGroupBox(QStringLiteral("Project Properties"), pane_);
    fra_->setObjectName(QStringLiteral("fra"));
    fra_->setGeometry(twipsRect(75, 1065, 11340, 2610));
    fra_->setFont(boldWindowFont());

    // Each label may reach left as far as 90 twips past the frame's edge or
    // the box before it in its row.
    std::array<PropertyLayout, 8> layouts = {{
        {twipsRect(1440, 270, 3260, 300), 330, twips(90), "lblName"},
        {twipsRect(5405, 270, 660, 300), 330, twips(4790), "lblVer"},
        {twipsRect(7250, 270, 4000, 300), 330, twips(6155), "lblProd"},
        {twipsRect(1440, 660, 9810, 300), 720, twips(90), "lblDescription"},
        {twipsRect(1440, 1050, 9810, 300), 1110, twips(90), "lblComm"},
        {twipsRect(1440, 1440, 9810, 300), 1500, twips(90), "lblComp"},
        {twipsRect(1440, 1830, 9810, 300), 1890, twips(90), "lblCopy"},
        {twipsRect(1440, 2220, 9810, 300), 2280, twips(90), "lblMark"},
    }};
    makeRoomForLabels(layouts);
    std::array<QLabel*, 8> labels{};
    for (std::size_t i = 0; i < txt_.size(); ++i) {
        auto* box = new PropertyBox(fra_);
        box->setObjectName(QStringLiteral("txt%1").arg(i));
        box->setProperty("index", static_cast<int>(i));
        box->setGeometry(layouts[i].box);
        box->setFont(windowFont());
        makeGreenOnButtonFace(*box, false);
        keepTextFitted(*box);
        txt_[i] = box;
        const auto caption = analysis::kPropertyLabels[i];
        labels[i] = labelBeforeBox(
            QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
            layouts[i].labelTop, layouts[i].labelLeftLimit, *box, layouts[i].labelName);
    }
    shareSmallestFont(
        {labels[0], labels[1], labels[2], labels[3], labels[4], labels[5], labels[6], labels[7]});
    // In the smaller size each label still ends 90 twips left of its box.
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const int width = std::min(labels[i]->sizeHint().width(), labels[i]->width());
        labels[i]->setGeometry(txt_[i]->x() - twips(90) - width, labels[i]->y(), width,
                               labels[i]->height());
    }

    // "<" and ">" sit on the frame's top edge, around the counter.
    for (const auto& [index, caption, tip, left] :
         {std::tuple{kPrevious, "<", "Displays previous project.", 1980},
          std::tuple{kNext, ">", "Displays next project.", 2640}}) {
        auto* button = new PictureButton(index, QString::fromLatin1(caption), QIcon(),
                                         QString::fromLatin1(tip), pane_);
        button->setGeometry(twipsRect(left, 1065, 195, 195));
        button->setStyleSheet(QStringLiteral("padding: 0px;"));
        button->raise();
        connect(button, &PictureButton::clickedIndex, this, &MainWindow::onButton);
        if (index == kNext) next_ = button;
    }

    txtCount_ = new QLineEdit(QStringLiteral("  0/0"), fra_);
    txtCount_->setObjectName(QStringLiteral("txtCount"));
    txtCount_->setGeometry(kCounterPlace);
    txtCount_->setReadOnly(true);
    txtCount_->setFrame(false);
    txtCount_->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
    txtCount_->setFont(windowFont());
    makeGreenOnButtonFace(*txtCount_, true);
    // ">" is raised over the counter's right end.
    keepTextClearOf(*txtCount_, *next_);
    showCounter(txtCount_->text());
}

void MainWindow::showCounter(const QString& text) {
    // One size for every position: the counter widens to the right for a
    // longer text, and ">" moves along.
    txtCount_->setText(text);
    const int width = std::max(kCounterPlace.width(), widthForText(*txtCount_, text));
    txtCount_->resize(width, kCounterPlace.height());
    next_->move(kNextPlace.x() + width - kCounterPlace.width(), kNextPlace.y());
}

void MainWindow::buildListing() {
    auto* comment =
        label(QStringLiteral("Abbreviations in Below Header: P / A / C / B = Pure / All "
                             "/ Comment / Blank code lines."),
              twipsRect(90, 3765, 7230, 195), pane_, "lblComment");
    makeGreen(*comment, true);
    // Nothing stands to its right: it may grow to the window's edge.
    sizeToText(*comment, boldWindowFont(), comment->width(), kClientSize.width() - twips(90));

    lsv_ = new ListingView(table_, {1900, 1300, 730, 730, 730, 730, 730, 730, 857, 730, 730, 857},
                           pane_);
    lsv_->setGeometry(kListingPlace);

    lblT_ = label({}, twipsRect(90, 8295, 4035, 195), pane_, "lblT");
    makeGreen(*lblT_, true);
    // The summary can be selected with the mouse and copied.
    lblT_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblT_->setFocusPolicy(Qt::ClickFocus);
    showSummary(initialSummaryText());
}

void MainWindow::layOutPane() {
    if (!lsv_ || !lblT_) return;
    // The list takes what the pane has more or less than designed; the
    // summary stays below it.
    const QSize size = pane_->size();
    lsv_->setGeometry(
        kListingPlace.left(), kListingPlace.top(),
        size.width() - kListingPlace.left() - (kClientSize.width() - kListingPlace.right() - 1),
        size.height() - kListingPlace.top() - kRoomBelowListing);
    lblT_->move(lblT_->x(), lsv_->geometry().bottom() + 1 + kSummaryBelowListing);
    showSummary(lblT_->text());
    // The description's designed box reaches past the window's edge: its
    // text wraps inside the window, and uses the room a wider one gives.
    desc_->resize(size.width() - twips(90) - desc_->x(), desc_->height());
    fitTextToBox(*desc_);
}

void MainWindow::buildHelpMenu() {
    menh_ = new QMenu(this);
    menh_->setObjectName(QStringLiteral("menh"));
    const auto add = [this](const char* name, const QString& caption, auto action) {
        QAction* entry = menh_->addAction(caption);
        entry->setObjectName(QString::fromLatin1(name));
        connect(entry, &QAction::triggered, this, [action] { passOverFailure(action); });
        return entry;
    };
    // F1 is matched with the window's other keys; the menu only names it.
    add("menhh", QStringLiteral("&Homepage\tF1"), [this] { openAddress(links::productPage()); });
    add("menhv", QStringLiteral("&View All Our Freeware"),
        [this] { openAddress(links::freeProgramsPage()); });
    menh_->addSeparator()->setObjectName(QStringLiteral("menhsa"));
    add("menhr", QStringLiteral("&Recommend to Friends"),
        [this] { openAddress(links::recommendationMail()); });
    add("menha", QStringLiteral("&About Tallyvex"), [this] { showAbout(); });
}

void MainWindow::setTabOrder() {
    QList<QWidget*> order;
    for (const char* name : {"sbt0", "sbt1"})
        order.append(findChild<QWidget*>(QLatin1String(name)));
    order.append(lsv_);
    for (auto* box : txt_) order.append(box);
    for (const char* name : {"sbt10", "sbt11", "sbt7", "sbt2", "sbt3"})
        order.append(findChild<QWidget*>(QLatin1String(name)));
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void MainWindow::onButton(int index) {
    const auto analyseOne = [this](const analysis::ProjectList& list, std::size_t position) {
        analyse(list, position);
    };
    passOverFailure([&] {
        switch (index) {
            case kChoose:
                chooseProject();
                break;
            case kHistory:
                showHistory();
                return;
            case kHelp:
                popUpHelpMenu();
                return;
            case kDonate:
                openAddress(links::donationPage());
                return;
            case kOutput:
                upsOutput("M");
                return;
            case kPrevious:
                if (library_) selection_.previous(analyseOne);
                break;
            case kNext:
                if (library_) selection_.next(analyseOne);
                break;
            default:
                return;
        }
        // The counter changes after the calculation.
        showCounter(fromUtf8(selection_.counterText()));
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == pane_ && type == QEvent::Resize) {
        layOutPane();
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::DragEnter && type != QEvent::DragMove &&
        type != QEvent::Drop)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    if (type == QEvent::KeyPress) return onKey(*static_cast<QKeyEvent*>(event));
    return onDrag(*static_cast<QDropEvent*>(event));
}

bool MainWindow::onDrag(QDropEvent& event) {
    // Anything else (text dragged into a box) goes where it always went.
    const QString file = droppedProject(event.mimeData());
    if (file.isEmpty()) return false;
    event.setDropAction(Qt::CopyAction);
    event.accept();
    // The analysis may ask and tell; it runs once the drop has ended.
    if (event.type() == QEvent::Drop)
        QTimer::singleShot(0, this, [this, path = file.toStdString()] { openProject(path); });
    return true;
}

bool MainWindow::onKey(const QKeyEvent& event) {
    if (event.key() == Qt::Key_F1) {
        passOverFailure([this] { openAddress(links::productPage()); });
        return true;
    }
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    for (const KeyBinding& binding : kKeys) {
        if (binding.key == event.key() && binding.modifiers == modifiers) {
            onButton(binding.button);
            return true;
        }
    }
    return false;
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (placed_) return;
    placed_ = true;
    fitWindowToScreen(*this, kClientSize);
    // Once shown, the frame the window manager gave it is known; a size the
    // user has chosen meanwhile stays.
    QTimer::singleShot(0, this, [this, shown = size()] {
        if (size() == shown) fitWindowToScreen(*this, shown);
    });
}

void MainWindow::chooseProject() {
    if (!library_) return;
    const auto chosen = library_->pafs.GetFilesOpenName(
        nativeHandle(), u"Choose VB6 Project (Group)", kProjectFilter, u"", false);
    if (chosen.empty()) return;
    analyseChoice(utf16ToUtf8(chosen.front()));
}

void MainWindow::openProject(const std::string& path) {
    passOverFailure([&] {
        // The open dialog leaves its folder as the current directory, which
        // a group's relative project paths resolve against.
        std::error_code ec;
        const auto folder = std::filesystem::absolute(path, ec).parent_path();
        if (!ec && std::filesystem::is_directory(folder, ec))
            std::filesystem::current_path(folder, ec);
        analyseChoice(path);
        showCounter(fromUtf8(selection_.counterText()));
    });
}

void MainWindow::analyseChoice(const std::string& path) {
    if (!library_) return;
    const auto choice =
        selection_.choose(path, [this](const analysis::ProjectList& list, std::size_t position) {
            analyse(list, position);
        });
    // The previous listing stays; the user learns why nothing changed.
    if (choice == analysis::Choice::NoProject)
        messages_->information(analysis::notAProjectMessage(path));
    else if (choice == analysis::Choice::Unreadable)
        messages_->warning(analysis::unreadableFileMessage(path, selection_.refusal()));
}

void MainWindow::analyse(const analysis::ProjectList& list, std::size_t index) {
    history::RecordedAnalysis done;
    {
        const BusyCursor busy;
        table_.change([&](analysis::ListingModel& listing) {
            done = history::analyseAndRecord(list, index, listing, *library_, history_);
        });
    }
    if (done.result.isProject)
        calculated_.emplace(done.result.properties.name(), done.result.properties.version());
    const auto& values = done.result.properties.values;
    for (std::size_t i = 0; i < txt_.size(); ++i) {
        txt_[i]->setText(fromUtf8(values[i]));
        txt_[i]->setCursorPosition(0);
    }
    showSummary(fromUtf8(done.result.calculation.summary));
    lsv_->setEmptyNote(fromUtf8(analysis::emptyPositionNote(list, index)));
    // Nothing was counted, and the user learns why.
    if (done.result.copyError != 0 && index < list.size())
        messages_->warning(analysis::notCopiedMessage(list.projectFile(index), workingCopies_,
                                                      done.result.copyError));
    // The listing stands; the user learns that its version record does not.
    if (done.failed) messages_->warning(history::recordFailedMessage(history_.root()));
}

void MainWindow::showSummary(const QString& text) {
    lblT_->setText(text);
    sizeToText(*lblT_, boldWindowFont(), 0, pane_->width() - twips(90));
}

void MainWindow::showHistory() {
    HistoryWindow window(*this);
    if (calculated_) window.selectRecord(calculated_->first, calculated_->second);
    window.exec();
}

void MainWindow::historyWindowOpened(HistoryWindow& window) {
    openHistory_ = &window;
}

void MainWindow::showAbout() {
    const QString historyPlace =
        workFoldersMoved_ ? QString::fromStdString(history_.root().string()) : QString();
    AboutWindow window([this](const std::string& address) { openAddress(address); }, this,
                       historyPlace);
    window.exec();
}

QPoint MainWindow::helpMenuPoint() const {
    return help_->mapToGlobal(QPoint(help_->width(), help_->height()));
}

void MainWindow::popUpHelpMenu() {
    menh_->popup(helpMenuPoint());
}

void MainWindow::openAddress(const std::string& address) {
    if (!library_) return;
    // ExecCmd tells nothing; the shell it hands over to keeps the outcome.
    const auto before = platform::shell::handOversSoFar().attempts;
    library_->pafs.ExecCmd(utf8ToUtf16(address), kShowMaximised);
    const auto after = platform::shell::handOversSoFar();
    if (after.attempts == before || !after.latestStarted) {
        messages_->warning(links::noHandlerMessage(address));
        return;
    }
    watchHandOver(after.attempts, address);
}

void MainWindow::watchHandOver(std::uint64_t attempt, const std::string& address) {
    // xdg-open ends at once when it finds no program for the address; one
    // that found its program may run as long as the browser does.
    auto* poll = new QTimer(this);
    poll->setInterval(kHandOverPollMs);
    auto polls = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, this, [this, poll, polls, attempt, address] {
        const auto outcome = platform::shell::handlerOutcome(attempt);
        if (outcome.state == platform::shell::HandlerState::Running && ++*polls < kHandOverPolls)
            return;
        poll->stop();
        poll->deleteLater();
        if (outcome.state == platform::shell::HandlerState::Failed)
            passOverFailure([&] {
                messages_->warning(links::handlerFailedMessage(address, outcome.exitStatus));
            });
    });
    poll->start();
}

history::ExportRequest MainWindow::exportRequest() const {
    return {listing_.rows(), txt_[0]->text().toStdString(), txt_[1]->text().toStdString(),
            lblT_->text().toStdString()};
}

void MainWindow::upsOutput(std::string_view astrWindow) {
    history::ExportRequest request;
    if (astrWindow == "M") {
        request = exportRequest();
    } else if (astrWindow == "H" && openHistory_) {
        request = openHistory_->exportRequest();
    } else {
        return;
    }
    const auto chooseFile = [this](const std::string& proposedName) -> std::string {
        if (!library_) return {};
        return utf16ToUtf8(library_->pafs.GetFileSaveName(nativeHandle(), u"Output Listing As",
                                                          utf8ToUtf16(proposedName), kExportFilter,
                                                          u"", u"txt"));
    };
    history::exportListing(request, chooseFile, *messages_, history::localToday());
}

std::int32_t MainWindow::nativeHandle() {
    // Window ids are handed round as 32-bit numbers, as window handles are.
    return static_cast<std::int32_t>(static_cast<quint32>(winId()));
}

}  // namespace tlvx::ui
