// The start-up sequence of the main window: the notice, the data folder, the
// farm data and the two worksheets.
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "data/FileAccess.h"
#include "data/MasterData.h"
#include "dialogs/DataFolderDialog.h"
#include "dialogs/ModalDialogs.h"
#include "dialogs/NoticeDialog.h"
#include "platform/Registry.h"
#include "render/QtText.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/YieldSources.h"

namespace kv4gui {

namespace {

// Where each row's yield expectation comes from, on its cell in both grids.
void ShowYieldSources(kv4::YieldExpectation& expectation, const kv4::Worksheet& nSheet,
                      WorksheetView& nGrid, WorksheetView& pGrid, char separator) {
    std::vector<WorksheetModel::CellNote> notes(static_cast<std::size_t>(nSheet.RowCount()));
    for (const kv4::YieldSource& source : kv4::ListYieldSources(expectation, nSheet, separator)) {
        notes[static_cast<std::size_t>(source.row)] = {
            ToQString(kv4::YieldSourceText(source, separator)), !source.hints.empty()};
    }
    nGrid.Model().SetColumnNotes(kv4::ncol::Ertragserwartung, notes);
    pGrid.Model().SetColumnNotes(kv4::pcol::Ertragserwartung, std::move(notes));
}

// The hourglass while the farm's files are read.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void MainWindow::ShowReadErrors(const std::vector<std::string>& errors) {
    for (const std::string& text : errors) ShowErrorMessage(this, text);
}

void MainWindow::Start() {
    Guarded([this] {
        ShowNotice();
        // KV4_TIMING=1: how long the farmer waits from OK to the N worksheet.
        QElapsedTimer waited;
        dataFolder_ = kv4::WithTrailingSeparator(AskDataFolder());
        waited.start();
        if (!LoadFarm()) return;
        ShowNWorksheet();
        if (qEnvironmentVariableIntValue("KV4_TIMING") == 1) {
            std::fprintf(stderr,
                         "%s KV4_TIMING Ordner bestaetigt bis N-Arbeitsblatt gefuellt: %lld ms\n",
                         qPrintable(QDateTime::currentDateTime().toString(Qt::ISODateWithMs)),
                         static_cast<long long>(waited.elapsed()));
        }
    });
    // The header this farm had last time; what the fill wrote is no entry of
    // the farmer's.
    RecallFarmHeader();
    MarkSaved();
}

void MainWindow::ShowNotice() {
    // Its result does not matter.
    NoticeDialog notice(this);
    ExecModal(notice);
}

std::string MainWindow::AskDataFolder() {
    // What the registry names, confirmed in the dialog. A registry that
    // cannot be read, or a folder that no longer exists, is reported and the
    // dialog opens on the start-up folder: the user can still pick the farm
    // instead of facing an empty window.
    std::string registryFolder;
    try {
        registryFolder = kv4::LocateDataFolder();
    } catch (const std::exception& e) {
        registryFolder.clear();
        ShowStandardErrorText(e.what());
    }
    DataFolderDialog dialog(this);
    try {
        dialog.SetFolder(ToQString(registryFolder));
    } catch (const std::exception& e) {
        ShowStandardErrorText(e.what());
        dialog.SetFolder(QString());
    }
    ExecModal(dialog);
    return ToStdString(dialog.Folder());
}

bool MainWindow::LoadFarm() {
    // The harvest year first; a year's read errors are shown before the next
    // year is read. One register reads the years in turn: the worksheets
    // need a year's works only while it is taken into the digest.
    kv4::FarmDigest farm;
    {
        kv4::FieldRegister yearRegister;
        for (const std::uint16_t year : kv4::kFarmYears) {
            kv4::ReadErrors errors;
            {
                const WaitCursor busy;
                errors = farm.LoadYear(year, dataFolder_, yearRegister);
            }
            ShowReadErrors(errors);
        }
    }

    // The master data, after the repair of the padded names, looked up in
    // the chosen folder itself rather than the current one: the same folder
    // while the dialog keeps them equal, and no surprise if not. Nothing
    // reads the records; the files are read as the farm product reads them
    // at start-up.
    kv4::ReadErrors masterErrors;
    {
        const WaitCursor busy;
        masterErrors = kv4::LoadMasterData(dataFolder_).errors;
    }
    ShowReadErrors(masterErrors);

    if (!farm.HasFields2018()) {
        ShowErrorMessage(this, std::string(kv4::kNoFields2018Message));
        return false;
    }

    // A failure part-way leaves the rows written so far on screen.
    std::optional<kv4::YieldExpectation> expectation;
    try {
        expectation.emplace(
            kv4::FillWorksheets(farm, NutrientClassTable(), nSheet_, pSheet_, DecimalSeparator()));
    } catch (...) {
        WorksheetsChanged();
        throw;
    }
    WorksheetsChanged();
    ShowYieldSources(*expectation, nSheet_, *nView_, *p2o5View_, DecimalSeparator());
    return true;
}

}  // namespace kv4gui
