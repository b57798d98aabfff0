#include "app/studio/FileCommands.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <utility>
#include <variant>

#include "app/studio/ChartView.h"
#include "app/studio/InputPanel.h"
#include "app/studio/MainWindow.h"
#include "app/studio/StudioFiles.h"
#include "charts/ChartFiles.h"
#include "export/RunExport.h"
#include "report/ReadFile.h"

namespace tadmor::studio {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

QSettings Settings() { return QSettings(QStringLiteral("tadmor"), QStringLiteral("tadmor-studio")); }

bool SameInputs(const StudioTexts& a, const StudioTexts& b) {
    const auto sameMaterial = [](const auto& x, const auto& y) {
        return x.has_value() == y.has_value() && (!x || (x->name == y->name && x->values == y->values));
    };
    return a.texts == b.texts && a.unit == b.unit && a.die == b.die && a.materialOrigin == b.materialOrigin &&
           sameMaterial(a.material, b.material);
}

// What a change of the inputs other than typing was, for the Undo action.
QString ChangeName(const StudioTexts& before, const StudioTexts& after) {
    if (before.unit != after.unit) return FileCommands::tr("lengths in %1").arg(Q(UnitName(after.unit)));
    if (before.die != after.die) return FileCommands::tr("die %1").arg(Q(DieKindName(after.die)));
    if (before.materialOrigin != after.materialOrigin) return FileCommands::tr("material");
    return FileCommands::tr("inputs");
}

}  // namespace

// One change of the inputs, undone and redone whole; typing in one entry
// merges into the step before it while that was typing in the same entry.
class InputsCommand : public QUndoCommand {
public:
    InputsCommand(FileCommands* files, StudioTexts before, StudioTexts after, QString key, const QString& text)
        : QUndoCommand(text),
          files_(files),
          before_(std::move(before)),
          after_(std::move(after)),
          key_(std::move(key)) {}
    void undo() override { files_->Apply(before_); }
    void redo() override {
        if (!done_) files_->Apply(after_);  // the first redo is the change the engineer made
        done_ = false;
    }
    int id() const override { return key_.isEmpty() ? -1 : 1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* typed = static_cast<const InputsCommand*>(other);
        if (typed->key_ != key_) return false;
        after_ = typed->after_;
        return true;
    }

private:
    FileCommands* files_;
    StudioTexts before_, after_;
    QString key_;  // the entry typed in; empty for other changes
    bool done_ = true;
};

template <class Work>
bool FileCommands::Try(const QString& title, Work work, bool refusalToStatus) {
    try {
        work();
        return true;
    } catch (const Error& error) {
        if (error.Kind() == ErrorKind::Input && refusalToStatus)
            Status(Q(error.what()));
        else
            QMessageBox::warning(window_, title, Q(error.what()));
    } catch (const std::exception& error) {
        QMessageBox::warning(window_, title, Q(error.what()));
    }
    return false;
}

FileCommands::FileCommands(MainWindow* window) : QObject(window), window_(window), undo_(new QUndoStack(this)) {
    InputPanel* inputs = window_->Inputs();
    last_ = inputs->Texts();

    auto* file = new QMenu(tr("&File"), window_);
    file->setObjectName("fileMenu");
    const auto add = [this](QMenu* menu, const QString& text, const char* name, const QKeySequence& keys, auto slot) {
        QAction* action = menu->addAction(text, this, slot);
        action->setObjectName(name);
        action->setShortcut(keys);
        return action;
    };
    add(file, tr("&Open case…"), "openCase", QKeySequence(tr("Ctrl+O")), [this] { AskOpenCase(); });
    add(file, tr("&Save"), "saveCase", QKeySequence(tr("Ctrl+S")), [this] { Save(); });
    add(file, tr("Save &As…"), "saveCaseAs", QKeySequence(tr("Ctrl+Shift+S")), [this] { SaveAs(); });
    recent_ = file->addMenu(tr("Open &Recent"));
    recent_->setObjectName("recentMenu");
    connect(recent_, &QMenu::aboutToShow, this, &FileCommands::ShowRecent);
    file->addSeparator();
    add(file, tr("Open &material file…"), "openMaterial", {}, [inputs] { inputs->OpenMaterialButton()->click(); });
    QMenu* exports = file->addMenu(tr("&Export"));
    exports->setObjectName("exportMenu");
    add(exports, tr("&Results file…"), "exportResults", {}, [this] { AskExportRun(Export::Results); });
    add(exports, tr("Run as &CSV…"), "exportCsv", {}, [this] { AskExportRun(Export::Csv); });
    add(exports, tr("Run as &JSON…"), "exportJson", {}, [this] { AskExportRun(Export::Json); });
    add(exports, tr("Chart as &PNG…"), "exportPng", {}, [this] { AskExportChart("png"); });
    add(exports, tr("Chart as &SVG…"), "exportSvg", {}, [this] { AskExportChart("svg"); });
    file->addSeparator();
    add(file, tr("&Quit"), "quit", QKeySequence(tr("Ctrl+Q")), [this] { window_->close(); });

    auto* edit = new QMenu(tr("&Edit"), window_);
    edit->setObjectName("editMenu");
    QAction* undo = undo_->createUndoAction(this, tr("&Undo"));
    undo->setObjectName("undo");
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = undo_->createRedoAction(this, tr("&Redo"));
    redo->setObjectName("redo");
    redo->setShortcuts({QKeySequence(tr("Ctrl+Shift+Z")), QKeySequence(tr("Ctrl+Y"))});
    edit->addAction(undo);
    edit->addAction(redo);

    QMenuBar* bar = window_->menuBar();
    QAction* first = bar->actions().value(0);  // others' menus follow File and Edit
    bar->insertMenu(first, file);
    bar->insertMenu(first, edit);

    connect(inputs, &InputPanel::Edited, this, &FileCommands::Record);
    connect(inputs, &InputPanel::Changed, this, &FileCommands::RecordChange);
    connect(inputs, &InputPanel::MaterialApplied, this,
            [this](const QString& origin) { Status(tr("Material from %1").arg(QDir::toNativeSeparators(origin))); });
    connect(undo_, &QUndoStack::cleanChanged, this, [this](bool clean) { window_->setWindowModified(!clean); });
    // Undo and Redo in an entry are the window's, so that one history holds every change.
    for (QLineEdit* entry : inputs->findChildren<QLineEdit*>()) entry->installEventFilter(this);
    window_->installEventFilter(this);
    window_->setAcceptDrops(true);
    SetCasePath({});
}

QStringList FileCommands::RecentFiles() const { return Settings().value("recentFiles").toStringList(); }

void FileCommands::OpenCase(const QString& path) {
    const std::string contents = ReadRegularFile(S(path), ErrorKind::File, "the case file");
    StudioTexts base = DefaultTexts();
    base = WithUnit(std::move(base), window_->Inputs()->Texts().unit);
    Apply(ApplyCaseFileText(std::move(base), contents, S(path)));
    undo_->clear();
    SetCasePath(path);
    Remember(path);
    Status(tr("Opened %1").arg(QDir::toNativeSeparators(path)));
}

bool FileCommands::OpenMaterial(const QString& path) {
    InputPanel* inputs = window_->Inputs();
    inputs->ApplyMaterialFile(path);
    const bool applied = inputs->Texts().materialOrigin == S(path);
    if (applied)
        Remember(path);
    else
        Status(inputs->Problem("Material")->text());
    return applied;
}

void FileCommands::SaveCase(const QString& path) {
    WriteWholeFile(S(path), CaseFileText(window_->Inputs()->Texts()), "the case file");
    undo_->setClean();
    SetCasePath(path);
    Remember(path);
    Status(tr("Saved %1").arg(QDir::toNativeSeparators(path)));
}

const LiveResult& FileCommands::ResultOfInputs() const {
    const LiveResult* shown = window_->Current();
    const StudioRequest request = BuildRequest(window_->Inputs()->Texts());
    if (!shown || !request.problems.empty() || shown->inputs.texts != request.inputs.texts)
        throw Error(ErrorKind::Input, S(tr("Nothing to export yet: the inputs as they are have not been calculated.")));
    return *shown;
}

void FileCommands::ExportRun(Export kind, const QString& path) {
    const LiveResult& result = ResultOfInputs();
    const Calculation& calculation = result.calculation;
    if (kind != Export::Json && calculation.outcome != RequestOutcome::Completed)
        throw Error(ErrorKind::Input, S(tr("Nothing to export: %1").arg(Q(result.outcome))));
    switch (kind) {
        case Export::Results:
            WriteWholeFile(S(path), ResultsFileText(calculation.state, result.inputs.separator), "the results file");
            break;
        case Export::Csv:
            WriteWholeFile(S(path), exporting::ResultsCsv(calculation.state, result.inputs.material), "the CSV file");
            break;
        case Export::Json:
            WriteWholeFile(S(path), exporting::ResultsJson(result.inputs, calculation, result.summary.warnings),
                           "the JSON file");
            break;
    }
    Status(tr("Exported %1").arg(QDir::toNativeSeparators(path)));
}

void FileCommands::ExportChart(const QString& path) {
    QWidget* page = window_->ChartTabs()->currentWidget();
    auto* view = qobject_cast<ChartView*>(page);
    if (!view && page) view = page->findChild<ChartView*>();
    if (!view || std::holds_alternative<std::monostate>(view->CurrentChart()))
        throw Error(ErrorKind::Input, S(tr("Nothing to export: the tab shown has no chart.")));
    std::visit(
        [&path](const auto& chart) {
            using Kind = std::decay_t<decltype(chart)>;
            if constexpr (std::is_same_v<Kind, charts::Chart>) charts::WriteChart(chart, S(path));
            if constexpr (std::is_same_v<Kind, charts::MapChart>) charts::WriteMap(chart, S(path));
            if constexpr (std::is_same_v<Kind, charts::TornadoChart>) charts::WriteTornado(chart, S(path));
        },
        view->CurrentChart());
    Status(tr("Exported %1").arg(QDir::toNativeSeparators(path)));
}

bool FileCommands::OpenFile(const QString& path) {
    if (IsMaterialFileName(S(path))) return OpenMaterial(path);
    return MaySaveChanges() && Try(tr("Open case"), [&] { OpenCase(path); });
}

bool FileCommands::MaySaveChanges() {
    if (!window_->isWindowModified()) return true;
    const QString name = casePath_.isEmpty() ? tr("the new case") : QFileInfo(casePath_).fileName();
    switch (QMessageBox::question(window_, tr("Unsaved changes"), tr("Save the changes to %1?").arg(name),
                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save)) {
        case QMessageBox::Save:
            return Save();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

bool FileCommands::RestoreSettings() {
    QSettings settings = Settings();
    const bool placed = window_->restoreGeometry(settings.value("geometry").toByteArray());
    window_->restoreState(settings.value("windowState").toByteArray());
    const LengthUnit unit =
        settings.value("lengthUnit").toString() == "mm" ? LengthUnit::Millimetre : LengthUnit::Centimetre;
    Apply(WithUnit(window_->Inputs()->Texts(), unit));
    undo_->clear();
    return placed;
}

void FileCommands::SaveSettings() const {
    QSettings settings = Settings();
    settings.setValue("geometry", window_->saveGeometry());
    settings.setValue("windowState", window_->saveState());
    settings.setValue("lengthUnit", Q(UnitName(window_->Inputs()->Texts().unit)));
}

bool FileCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) {
        // An entry's own Undo and Redo give way to the window's.
        if (event->type() == QEvent::ShortcutOverride) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y))
                return true;
        }
        return false;
    }
    switch (event->type()) {
        case QEvent::DragEnter: {
            auto* drag = static_cast<QDragEnterEvent*>(event);
            const QList<QUrl> urls = drag->mimeData()->urls();
            if (!urls.isEmpty() &&
                std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            for (const QUrl& url : drop->mimeData()->urls())
                if (!OpenFile(url.toLocalFile())) break;
            drop->acceptProposedAction();
            return true;
        }
        case QEvent::Close:
            if (!MaySaveChanges()) {
                event->ignore();
                return true;
            }
            SaveSettings();
            return false;
        default:
            return false;
    }
}

void FileCommands::Apply(const StudioTexts& texts) {
    applying_ = true;
    window_->Inputs()->SetTexts(texts);
    applying_ = false;
    last_ = window_->Inputs()->Texts();
}

void FileCommands::Record(const QString& key, const QString& before, const QString& after) {
    StudioTexts previous = window_->Inputs()->Texts();
    previous.texts[S(key)] = S(before);
    last_ = window_->Inputs()->Texts();
    last_.texts[S(key)] = S(after);
    const Entry* entry = FindEntry(S(key));
    undo_->push(new InputsCommand(this, std::move(previous), last_, key,
                                  tr("typing in %1").arg(entry ? Q(entry->caption) : key)));
}

void FileCommands::RecordChange() {
    if (applying_) return;
    StudioTexts now = window_->Inputs()->Texts();
    if (SameInputs(now, last_)) return;  // typing, recorded already
    const QString name = ChangeName(last_, now);
    undo_->push(new InputsCommand(this, std::exchange(last_, now), now, {}, name));
}

void FileCommands::SetCasePath(const QString& path) {
    casePath_ = path;
    window_->setWindowTitle(
        tr("%1[*] — Tadmor Studio").arg(path.isEmpty() ? tr("untitled") : QFileInfo(path).fileName()));
    window_->setWindowModified(!undo_->isClean());
}

void FileCommands::Remember(const QString& path) {
    std::vector<std::string> recent;
    for (const QString& name : RecentFiles()) recent.push_back(S(name));
    QStringList list;
    for (const std::string& name : WithRecentFile(recent, S(QFileInfo(path).absoluteFilePath()))) list << Q(name);
    Settings().setValue("recentFiles", list);
}

void FileCommands::ShowRecent() {
    recent_->clear();
    QStringList kept, gone;
    for (const QString& path : RecentFiles()) (QFileInfo::exists(path) ? kept : gone) << path;
    if (!gone.isEmpty()) {
        Settings().setValue("recentFiles", kept);
        Status(tr("Dropped from the recent files, as they no longer exist: %1").arg(gone.join(", ")));
    }
    for (int i = 0; i < kept.size(); ++i) {
        const QString path = kept[i];
        recent_->addAction(tr("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this,
                           [this, path] { OpenFile(path); });
    }
    if (kept.isEmpty()) recent_->addAction(tr("No recent files"))->setEnabled(false);
}

bool FileCommands::Save() {
    if (casePath_.isEmpty()) return SaveAs();
    return Try(tr("Save case"), [this] { SaveCase(casePath_); });
}

bool FileCommands::SaveAs() {
    const QString name = casePath_.isEmpty() ? tr("untitled.case") : casePath_;
    const QString path = AskSavePath(tr("Save case as"), tr("Case files (*.case);;All files (*)"), "case", name);
    return !path.isEmpty() && Try(tr("Save case"), [&] { SaveCase(path); });
}

void FileCommands::AskOpenCase() {
    if (!MaySaveChanges()) return;
    const QString path = QFileDialog::getOpenFileName(window_, tr("Open case"), QFileInfo(casePath_).path(),
                                                      tr("Case files (*.case);;All files (*)"));
    if (!path.isEmpty()) Try(tr("Open case"), [&] { OpenCase(path); });
}

void FileCommands::AskExportRun(Export kind) {
    const QString base = casePath_.isEmpty() ? tr("untitled") : QFileInfo(casePath_).completeBaseName();
    QString path;
    switch (kind) {
        case Export::Results:
            path = AskSavePath(tr("Export the results file"), tr("Results files (*.txt);;All files (*)"), "txt",
                               base + ".txt");
            break;
        case Export::Csv:
            path =
                AskSavePath(tr("Export the run as CSV"), tr("CSV files (*.csv);;All files (*)"), "csv", base + ".csv");
            break;
        case Export::Json:
            path = AskSavePath(tr("Export the run as JSON"), tr("JSON files (*.json);;All files (*)"), "json",
                               base + ".json");
            break;
    }
    if (!path.isEmpty())
        Try(
            tr("Export"), [&] { ExportRun(kind, path); }, true);
}

void FileCommands::AskExportChart(const QString& suffix) {
    QString tab = window_->ChartTabs()->tabText(window_->ChartTabs()->currentIndex()).remove('&').toLower();
    const QString base = casePath_.isEmpty() ? tr("untitled") : QFileInfo(casePath_).completeBaseName();
    const QString path = AskSavePath(tr("Export the chart"), tr("%1 files (*.%2)").arg(suffix.toUpper(), suffix),
                                     suffix, base + "-" + tab.replace(' ', '-') + "." + suffix);
    if (!path.isEmpty())
        Try(
            tr("Export"), [&] { ExportChart(path); }, true);
}

QString FileCommands::AskSavePath(const QString& title, const QString& filter, const QString& suffix,
                                  const QString& name) {
    QFileDialog dialog(window_, title, QFileInfo(casePath_).path(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(name);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void FileCommands::Status(const QString& text) const { window_->statusBar()->showMessage(text, 10000); }

}  // namespace tadmor::studio
