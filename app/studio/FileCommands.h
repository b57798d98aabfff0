// The File and Edit menus of the studio: case files opened and saved,
// material files applied, the results, the run and the chart exported,
// undo and redo of every change of the inputs, the files opened lately, and
// the window's layout remembered between sessions.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "app/studio/StudioInputs.h"

class QMenu;
class QUndoStack;

namespace tadmor::studio {

class MainWindow;
struct LiveResult;

class FileCommands : public QObject {
    Q_OBJECT
public:
    // Adds the File and Edit menus in front of the window's menus, takes
    // dropped files and asks about unsaved changes when the window closes.
    explicit FileCommands(MainWindow* window);

    // The case file shown; empty before the first save or open.
    const QString& CasePath() const { return casePath_; }
    QUndoStack* UndoStack() const { return undo_; }
    // The files opened lately, newest first, as remembered.
    QStringList RecentFiles() const;

    // Each throws tadmor::Error naming the path and the reason. A case
    // opened replaces the inputs (and the undo history).
    void OpenCase(const QString& path);
    void SaveCase(const QString& path);
    // Applies a material file as the input panel's Open material file does,
    // an undoable change; what is wrong with the file is shown there. True
    // when it was applied.
    bool OpenMaterial(const QString& path);

    enum class Export { Results, Csv, Json };
    // Exports the result shown, which must be of the inputs as they are
    // (Error of kind Input otherwise); the results file and the CSV only of a
    // completed run.
    void ExportRun(Export kind, const QString& path);
    // Writes the chart of the tab shown, PNG or SVG by the name's extension.
    void ExportChart(const QString& path);

    // Opens a case file, after asking about unsaved changes, or a material
    // file, by its extension; what went wrong with a case file is told in a
    // message box. False when nothing was opened.
    bool OpenFile(const QString& path);
    // Asks whether to save unsaved changes; false when the engineer cancels.
    bool MaySaveChanges();

    // The window's geometry, its docks and the length unit as last closed;
    // false when nothing was remembered.
    bool RestoreSettings();
    void SaveSettings() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class InputsCommand;
    void Apply(const StudioTexts& texts);  // shows `texts` as an undo step does
    void Record(const QString& key, const QString& before, const QString& after);
    void RecordChange();
    void SetCasePath(const QString& path);
    void Remember(const QString& path);
    void ShowRecent();
    bool Save();
    bool SaveAs();
    void AskOpenCase();
    void AskExportRun(Export kind);
    void AskExportChart(const QString& suffix);
    QString AskSavePath(const QString& title, const QString& filter, const QString& suffix, const QString& name);
    const LiveResult& ResultOfInputs() const;
    // Runs `work`; what it throws is told in a message box titled `title`,
    // but with `refusalToStatus` an Error of kind Input (nothing to export)
    // in the status bar. False when it threw.
    template <class Work>
    bool Try(const QString& title, Work work, bool refusalToStatus = false);
    void Status(const QString& text) const;

    MainWindow* window_;
    QUndoStack* undo_;
    QMenu* recent_ = nullptr;
    QString casePath_;
    StudioTexts last_;       // the inputs as of the newest undo step
    bool applying_ = false;  // the inputs are being set by this class
};

}  // namespace tadmor::studio
