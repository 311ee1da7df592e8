#include "platform/desktop/qt/file_dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "platform/desktop/qt/window_handles.h"

namespace tlvx::desktop {

namespace {

// A Windows program's "*.*" matches every name, also one without a dot;
// Qt's would not.
QString qtPattern(QString pattern) {
    pattern = pattern.trimmed();
    return pattern == u"*.*" ? QStringLiteral("*") : pattern;
}

// Qt reads the patterns from the last parenthesised group and splits them
// at spaces, so a pattern holding a space or a character outside the set
// Qt accepts there (letters outside ASCII, parentheses) cannot be
// expressed; such a filter then matches oddly, never crashes.
QString nameFilter(QStringView description, QStringView patterns) {
    QStringList qtPatterns;
    for (const QStringView pattern : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString p = qtPattern(pattern.toString());
        if (!p.isEmpty()) qtPatterns.append(p);
    }
    if (qtPatterns.isEmpty()) qtPatterns.append(QStringLiteral("*"));
    return description.toString() + QStringLiteral(" (") + qtPatterns.join(u' ') + u')';
}

// The deepest folder that holds all `files`: the one folder they were
// chosen in, or a common ancestor when names with paths were typed (the
// names are then given relative to it).
QString commonFolder(const QStringList& files) {
    QString folder = QFileInfo(files.first()).absolutePath();
    const auto holdsAll = [&files](const QString& dir) {
        const QString prefix = dir.endsWith(u'/') ? dir : dir + u'/';
        for (const QString& file : files) {
            if (!file.startsWith(prefix)) return false;
        }
        return true;
    };
    while (!holdsAll(folder)) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder) break;
        folder = parent;
    }
    return folder;
}

bool folderOfExists(const QString& file) {
    return QFileInfo(file).absoluteDir().exists();
}

// QFileDialog with the folder check a Windows dialog makes and Qt's leaves
// out: its save dialog accepts a name in a folder that does not exist.
class FileChoiceDialog final : public QFileDialog {
public:
    FileChoiceDialog(QWidget* owner, const QString& title, const QString& dir, bool pathMustExist)
        : QFileDialog(owner, title, dir), pathMustExist_(pathMustExist) {
        setOption(QFileDialog::DontUseNativeDialog);
        // The type list then shows the descriptions as given; the patterns
        // appended for Qt stay out of sight.
        setOption(QFileDialog::HideNameFilterDetails);
    }

    // A multiple choice whose names need not exist: Qt's free choice keeps
    // only the first of several typed names, so the names are taken from
    // the name box here.
    void takeSeveralNames() {
        setFileMode(QFileDialog::AnyFile);
        for (auto* view : findChildren<QAbstractItemView*>())
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        severalNames_ = true;
    }

    QStringList chosenFiles() const { return chosen_.isEmpty() ? selectedFiles() : chosen_; }

    // A save dialog whose file types imply extensions. Qt swaps whatever
    // follows the name's last dot for the new type's extension when the type
    // changes, and adds its default suffix only to a name without a dot; but
    // proposed names carry version texts ("LF_1.2.3_20261208"). Here a name
    // keeps all its parts, and the chosen type's extension is added on
    // saving when the name ends in none of the dialog's extensions.
    void keepNamesWhole() {
        auto* box = nameBox();
        auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (!box || !types) return;
        keepNamesWhole_ = true;
        nameNow_ = box->text();
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
            nameBefore_ = nameNow_;
            nameNow_ = text;
        });
        // Connected after the dialog's own handlers, so these run once the
        // dialog has rewritten the name.
        connect(types, &QComboBox::currentIndexChanged, this, [this] { undoExtensionSwap(); });
        connect(types, &QComboBox::activated, this, [this] { undoExtensionSwap(); });
    }

protected:
    void accept() override {
        if (keepNamesWhole_) addTypeExtension();
        const QStringList typed = severalNames_ ? typedNames() : QStringList();
        if (typed.size() > 1) {
            // Several names, typed or picked: returned whether they exist
            // or not, as the caller asked for no check.
            chosen_ = typed;
            // Past the file dialog's own check of the names on purpose.
            QDialog::accept();  // NOLINT(bugprone-parent-virtual-call)
            return;
        }
        if (pathMustExist_) {
            for (const QString& file : selectedFiles()) {
                if (!folderOfExists(file)) {
                    QMessageBox::warning(this, windowTitle(),
                                         QStringLiteral("%1\nPath does not exist.\nCheck the path "
                                                        "and try again.")
                                             .arg(QDir::toNativeSeparators(file)));
                    return;
                }
            }
        }
        QFileDialog::accept();
    }

private:
    // The box the user types a name into.
    QLineEdit* nameBox() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

    // The names in the name box: several between double quotes, or one;
    // relative ones lie in the dialog's folder.
    QStringList typedNames() const {
        const auto* box = nameBox();
        if (!box) return {};
        const QString text = box->text();
        QStringList names;
        if (text.contains(u'"')) {
            const QStringList parts = text.split(u'"');
            for (qsizetype i = 1; i < parts.size(); i += 2)
                if (!parts[i].trimmed().isEmpty()) names.append(parts[i]);
        } else if (!text.trimmed().isEmpty()) {
            names.append(text);
        }
        const QDir folder = directory();
        for (QString& name : names) name = QDir::cleanPath(folder.absoluteFilePath(name));
        return names;
    }

    // The extensions the file types name ("*.txt" gives "txt"), in lower
    // case; `filter` alone, or every type of the dialog.
    static QStringList extensionsOf(const QString& filter) {
        QStringList extensions;
        const qsizetype open = filter.lastIndexOf(u'(');
        const qsizetype close = filter.lastIndexOf(u')');
        if (open < 0 || close < open) return extensions;
        for (const QString& pattern :
             filter.mid(open + 1, close - open - 1).split(u' ', Qt::SkipEmptyParts)) {
            if (!pattern.startsWith(QStringLiteral("*."))) continue;
            const QString extension = pattern.mid(2).toLower();
            if (!extension.isEmpty() && !extension.contains(u'*') && !extension.contains(u'?'))
                extensions.append(extension);
        }
        return extensions;
    }

    QStringList dialogExtensions() const {
        QStringList extensions;
        for (const QString& filter : nameFilters()) extensions += extensionsOf(filter);
        if (!defaultSuffix().isEmpty()) extensions.append(defaultSuffix().toLower());
        return extensions;
    }

    bool endsInADialogExtension(const QString& name) const {
        const QString suffix = QFileInfo(name).suffix().toLower();
        return !suffix.isEmpty() && dialogExtensions().contains(suffix);
    }

    // A name whose ending was a real extension of the dialog may take the
    // new type's extension; any other ending was part of the name.
    void undoExtensionSwap() {
        auto* box = nameBox();
        if (!box || box->text() != nameNow_ || nameNow_ == nameBefore_) return;
        const QString before = nameBefore_;
        const QString suffix = QFileInfo(before).suffix();
        if (suffix.isEmpty() || endsInADialogExtension(before)) return;
        const QString stem = before.left(before.size() - suffix.size());
        for (const QString& extension : extensionsOf(selectedNameFilter())) {
            if (nameNow_.compare(stem + extension, Qt::CaseInsensitive) == 0) {
                box->setText(before);
                return;
            }
        }
    }

    void addTypeExtension() {
        auto* box = nameBox();
        if (!box) return;
        const QString name = box->text().trimmed();
        if (name.isEmpty() || name.contains(u'"') || name.endsWith(u'/')) return;
        if (QFileInfo(directory().absoluteFilePath(name)).isDir()) return;
        const QStringList implied = extensionsOf(selectedNameFilter());
        // A type of any name ("*.*") leaves the default suffix to the dialog.
        if (implied.isEmpty() || endsInADialogExtension(name)) return;
        box->setText(name + u'.' + implied.first());
    }

    bool pathMustExist_;
    bool severalNames_ = false;
    bool keepNamesWhole_ = false;
    QString nameNow_;
    QString nameBefore_;
    QStringList chosen_;
};

QString startFolder(const QString& initialDir) {
    return initialDir.isEmpty() ? QDir::currentPath() : initialDir;
}

void useFilters(QFileDialog& dialog, const QString& filterPairs) {
    const QStringList filters = nameFiltersFromPairs(filterPairs);
    if (filters.isEmpty()) return;
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
}

// Runs the dialog; its chosen files, or nothing after a cancel. The owner
// may close while the dialog runs and take the dialog with it, so it lives
// on the heap behind a guard.
QStringList runDialog(FileChoiceDialog* created) {
    QPointer<FileChoiceDialog> dialog(created);
    const int answer = dialog->exec();
    if (!dialog) return {};
    QStringList files = answer == QDialog::Accepted ? dialog->chosenFiles() : QStringList();
    delete dialog;
    return files;
}

}  // namespace

QStringList nameFiltersFromPairs(QStringView pairs) {
    QStringList filters;
    const QList<QStringView> elements = pairs.split(QChar(u'\0'));
    for (qsizetype i = 0; i < elements.size(); i += 2) {
        // Two NULs in a row end the list, as they do for Windows.
        if (elements[i].isEmpty()) break;
        const QStringView patterns = i + 1 < elements.size() ? elements[i + 1] : QStringView();
        filters.append(nameFilter(elements[i], patterns));
    }
    return filters;
}

DialogOutcome runOpenDialog(const OpenDialogOptions& options, QStringList& paths) {
    paths.clear();
    if (!guiAvailable()) return DialogOutcome::NotShown;
    auto* dialog = new FileChoiceDialog(ownerWindow(options.ownerHandle), options.title,
                                        startFolder(options.initialDir), options.pathMustExist);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // A multiple choice returns the typed names whether they exist or not.
    if (options.multiSelect) {
        dialog->takeSeveralNames();
    } else {
        dialog->setFileMode(options.fileMustExist ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
    }
    useFilters(*dialog, options.filterPairs);

    const QStringList files = runDialog(dialog);
    if (files.isEmpty()) return DialogOutcome::Cancelled;
    if (files.size() == 1) {
        paths = files;
        QDir::setCurrent(QFileInfo(files.first()).absolutePath());
    } else {
        const QString folder = commonFolder(files);
        const QDir dir(folder);
        paths.append(folder);
        for (const QString& file : files) paths.append(dir.relativeFilePath(file));
        QDir::setCurrent(folder);
    }
    return DialogOutcome::Accepted;
}

DialogOutcome runSaveDialog(const SaveDialogOptions& options, QString& path) {
    path.clear();
    if (!guiAvailable()) return DialogOutcome::NotShown;
    auto* dialog = new FileChoiceDialog(ownerWindow(options.ownerHandle), options.title,
                                        startFolder(options.initialDir), options.pathMustExist);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !options.promptOverwrite);
    // Qt appends it only to a name without a dot, whatever filter is chosen.
    dialog->setDefaultSuffix(options.defaultExtension);
    useFilters(*dialog, options.filterPairs);
    // After the filters: choosing a filter rewrites the extension of the
    // name in the box, and the proposal must stay as given.
    if (!options.proposedName.isEmpty()) dialog->selectFile(options.proposedName);
    dialog->keepNamesWhole();

    const QStringList files = runDialog(dialog);
    if (files.isEmpty()) return DialogOutcome::Cancelled;
    path = files.first();
    QDir::setCurrent(QFileInfo(path).absolutePath());
    return DialogOutcome::Accepted;
}

}  // namespace tlvx::desktop
