#include "app/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <utility>

#include "app/WorksheetView.h"
#include "dialogs/DesignFont.h"
#include "dialogs/ModalDialogs.h"
#include "reference/CropTable.h"
#include "reference/NutrientClasses.h"
#include "render/QtText.h"
#include "render/SystemLocale.h"
#include "worksheets/Fill.h"
#include "worksheets/NumberFormat.h"

namespace kv4gui {

namespace {

constexpr int kClientWidth = 1091;
constexpr int kClientHeight = 657;
constexpr int kTopStripHeight = 57;
constexpr int kBottomStripHeight = 90;
// A grid column that the creation does not size keeps the grid's default.
constexpr int kDefaultColWidth = 64;

// The crop list shows its items 16 pixels high.
class CropItemDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(16);
        return size;
    }
};

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                  bool bold = false) {
    auto* label = Named(new QLabel(text, parent), name);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& place,
                    const QString& text = {}) {
    auto* edit = Named(new QLineEdit(text, parent), name);
    edit->setGeometry(place);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        const QRect& place) {
    auto* button = Named(new QPushButton(text, parent), name);
    button->setGeometry(place);
    button->setAutoDefault(false);
    return button;
}

QFrame* MakePanel(QWidget* parent, const char* name, QFrame::Shadow shadow) {
    auto* panel = Named(new QFrame(parent), name);
    panel->setFrameStyle(QFrame::Panel | shadow);
    panel->setLineWidth(1);
    return panel;
}

}  // namespace

MainWindow::MainWindow(kv4::Worksheets& worksheets, QWidget* parent)
    : QWidget(parent), worksheets_(worksheets) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Kornavis 4 Düngerbedarfsermittlung  V0.90"));
    setFont(DesignFont(10));
    resize(kClientWidth, kClientHeight);

    BuildControls();
    Guarded([this] { SetUpWorksheets(); });
    ConnectHandlers();
    SetUpKeyboard();
    RestoreWindowPlace();
    MarkSaved();
}

kv4::NutrientClasses& MainWindow::NutrientClassTable() { return nutrientClasses_; }

// A control made later lies above the earlier ones, so the editors, made
// last, cover the views.
void MainWindow::BuildControls() {
    headerStrip_ = MakePanel(this, "headerStrip", QFrame::Raised);
    farmNameLabel_ = MakeLabel(headerStrip_, "farmNameLabel", QStringLiteral("Betrieb:"), 88, 16);
    farmNameEdit_ = MakeEdit(headerStrip_, "farmNameEdit", QRect(144, 16, 185, 24));
    farmNumberLabel_ =
        MakeLabel(headerStrip_, "farmNumberLabel", QStringLiteral("Betriebsnummer"), 352, 16);
    farmNumberEdit_ = MakeEdit(headerStrip_, "farmNumberEdit", QRect(464, 16, 153, 24));
    dateLabel_ = MakeLabel(headerStrip_, "dateLabel", QStringLiteral("Datum"), 712, 16);
    dateEdit_ = MakeEdit(headerStrip_, "dateEdit", QRect(784, 16, 89, 24));

    buttonStrip_ = MakePanel(this, "buttonStrip", QFrame::Raised);
    nButton_ = MakeButton(buttonStrip_, "nButton", QStringLiteral("N"), QRect(0, 1, 65, 25));
    p2o5Button_ =
        MakeButton(buttonStrip_, "p2o5Button", QStringLiteral("P2O5"), QRect(64, 1, 65, 25));
    printButton_ =
        MakeButton(buttonStrip_, "printButton", QStringLiteral("Drucken"), QRect(24, 40, 75, 25));

    ratesPanel_ = MakePanel(buttonStrip_, "ratesPanel", QFrame::Sunken);
    ratesPanel_->setGeometry(288, 0, 777, 89);
    yieldStepLabel_ = MakeLabel(ratesPanel_, "yieldStepLabel", QStringLiteral("je "), 16, 48, true);
    yieldStepEdit_ =
        MakeEdit(ratesPanel_, "yieldStepEdit", QRect(40, 48, 49, 24), QStringLiteral("0"));
    yieldStepUnitLabel_ =
        MakeLabel(ratesPanel_, "yieldStepUnitLabel", QStringLiteral("dt"), 96, 48, true);
    surchargeLabel_ =
        MakeLabel(ratesPanel_, "surchargeLabel", QStringLiteral("Mehrertrag   + "), 160, 48, true);
    surchargeEdit_ =
        MakeEdit(ratesPanel_, "surchargeEdit", QRect(264, 48, 41, 24), QStringLiteral("0"));
    surchargeUnitLabel_ =
        MakeLabel(ratesPanel_, "surchargeUnitLabel", QStringLiteral("kg N"), 320, 48, true);
    deductionLabel_ =
        MakeLabel(ratesPanel_, "deductionLabel", QStringLiteral("Minderertrag  -"), 424, 48, true);
    deductionEdit_ =
        MakeEdit(ratesPanel_, "deductionEdit", QRect(536, 48, 49, 24), QStringLiteral("0"));
    deductionUnitLabel_ =
        MakeLabel(ratesPanel_, "deductionUnitLabel", QStringLiteral("kg N"), 592, 48, true);
    applyRatesButton_ = MakeButton(ratesPanel_, "applyRatesButton", QStringLiteral("Übernehmen"),
                                   QRect(640, 40, 113, 25));

    p2o5View_ = Named(new WorksheetView(pSheet_, this), "p2o5View");
    p2o5View_->setGeometry(0, 132, 1065, 197);
    nView_ = Named(new WorksheetView(nSheet_, this), "nView");
    nView_->setGeometry(8, 177, 1057, 256);
    // Design widths; SetUpWorksheets sets the rest.
    for (int c = 0; c < kv4::ncol::Count; ++c)
        nView_->SetColWidth(c, c <= kv4::ncol::NBedarf ? kv4::NWidths[c] : kDefaultColWidth);
    for (int c = 0; c < kv4::pcol::Count; ++c)
        p2o5View_->SetColWidth(c, c >= kv4::pcol::Ertragserwartung && c <= kv4::pcol::Anmerkung
                                      ? kv4::PWidths[c]
                                      : kDefaultColWidth);

    nCellEditor_ = MakeEdit(this, "nCellEditor", QRect(184, 498, 121, 24));
    nCellEditor_->hide();
    p2o5CellEditor_ = MakeEdit(this, "p2o5CellEditor", QRect(344, 498, 121, 24));
    p2o5CellEditor_->hide();
    cropChooser_ = Named(new QComboBox(this), "cropChooser");
    cropChooser_->setEditable(true);
    // The list holds exactly the crop table: typed text never becomes an item.
    cropChooser_->setInsertPolicy(QComboBox::NoInsert);
    cropChooser_->setItemDelegate(new CropItemDelegate(cropChooser_));
    cropChooser_->setGeometry(496, 496, 169, 24);
    cropChooser_->hide();
    remarkEditor_ = MakeEdit(this, "remarkEditor", QRect(712, 496, 217, 24));

    LayoutGrids();
}

void MainWindow::ConnectHandlers() {
    connect(nButton_, &QPushButton::clicked, this,
            [this] { Guarded([this] { ShowNWorksheet(); }); });
    connect(p2o5Button_, &QPushButton::clicked, this,
            [this] { Guarded([this] { ShowP2O5Worksheet(); }); });
    connect(printButton_, &QPushButton::clicked, this,
            [this] { Guarded([this] { PrintShownWorksheet(); }); });
    connect(applyRatesButton_, &QPushButton::clicked, this,
            [this] { Guarded([this] { ApplyYieldStepAndRates(); }); });
    connect(nView_, &WorksheetView::Click, this, [this] { Guarded([this] { OnNCellChosen(); }); });
    for (WorksheetView* view : {nView_, p2o5View_})
        connect(view, &WorksheetView::EditRequested, this, [this, view](const QString& text) {
            Guarded([this, view, &text] { OpenEditorByKey(*view, text); });
        });
    connect(p2o5View_, &WorksheetView::Click, this,
            [this] { Guarded([this] { OnP2O5CellChosen(); }); });
    // An open editor moves with its cell.
    for (WorksheetView* grid : {nView_, p2o5View_})
        connect(grid, &WorksheetView::Scrolled, this, [this, grid] {
            for (const auto& [editor, at] : editorCells_)
                if (at.view == grid && editor->isVisible()) PlaceEditor(editor);
        });
    // Every change of the text counts, also one made by the program, as the
    // character filters must clean a cell text laid into the editor.
    connect(nCellEditor_, &QLineEdit::textChanged, this,
            [this] { Guarded([this] { FilterNEditor(); }); });
    connect(p2o5CellEditor_, &QLineEdit::textChanged, this,
            [this] { Guarded([this] { FilterP2O5Editor(); }); });
    connect(cropChooser_, &QComboBox::activated, this,
            [this] { Guarded([this] { OnCropPicked(); }); });
    // Leaving an editor is its focus loss, not editingFinished (which also
    // fires on Return while the editor keeps the focus).
    for (QObject* editor : std::initializer_list<QObject*>{nCellEditor_, p2o5CellEditor_,
                                                           remarkEditor_, cropChooser_})
        editor->installEventFilter(this);
}

void MainWindow::SetUpKeyboard() {
    // Tab reaches every control in reading order: the header, the worksheet
    // on screen, the buttons, the rate boxes.
    const std::initializer_list<QWidget*> chain{farmNameEdit_,  farmNumberEdit_, dateEdit_,
                                                nView_,         p2o5View_,       nButton_,
                                                p2o5Button_,    printButton_,    yieldStepEdit_,
                                                surchargeEdit_, deductionEdit_,  applyRatesButton_};
    for (QWidget* control : chain) control->setFocusPolicy(Qt::StrongFocus);
    for (auto it = chain.begin(); std::next(it) != chain.end(); ++it)
        setTabOrder(*it, *std::next(it));

    // A typed header or rate counts as an entry; worksheet changes are told
    // by their revisions.
    for (QLineEdit* box : {farmNameEdit_, farmNumberEdit_, dateEdit_, yieldStepEdit_,
                           surchargeEdit_, deductionEdit_})
        connect(box, &QLineEdit::textEdited, this, [this] { MarkEdited(); });

    // Ctrl+P is "Drucken": the focus moves to the button first, as with a
    // click, so an open editor hands its text to the worksheet before it is
    // printed.
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, [this] {
        printButton_->setFocus(Qt::ShortcutFocusReason);
        Guarded([this] { PrintShownWorksheet(); });
    });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            [this] { Guarded([this] { ShowNotice(); }); });
}

void MainWindow::SetUpWorksheets() {
    // The first three P2O5 columns are as wide as the N ones; the per-row
    // rates and the removal factors keep their designed widths (none for the
    // factors, which are never shown).
    for (int c = kv4::pcol::Schlag; c <= kv4::pcol::Ha; ++c)
        p2o5View_->SetColWidth(c, nView_->ColWidth(c));
    for (int c = kv4::ncol::YieldStep; c <= kv4::ncol::DeductionRate; ++c)
        nView_->SetColWidth(c, kv4::NWidths[c]);
    p2o5View_->SetColWidth(kv4::pcol::Factor, kv4::PWidths[kv4::pcol::Factor]);
    p2o5View_->SetColWidth(kv4::pcol::FactorResidues, kv4::PWidths[kv4::pcol::FactorResidues]);
    // The crop list in table order: the list position is the table key.
    for (const kv4::CropReference& crop : kv4::CropTable)
        cropChooser_->addItem(ToQString(crop.Name));
    cropChooser_->setCurrentIndex(-1);
    // "NKlassen.dat" by its bare name: the data folder is not known yet, so
    // it comes from the folder the program was started in. Missing or
    // unreadable, the table stays empty and every class is blank.
    nutrientClasses_.LoadNutrientClasses();
    WorksheetsChanged();
}

char MainWindow::DecimalSeparator() const { return SystemDecimalSeparator(); }

void MainWindow::ShowNWorksheet() {
    p2o5View_->hide();
    clientGrid_ = ClientGrid::N;
    LayoutGrids();
    nView_->show();
    ratesPanel_->show();
    remarkEditor_->hide();
    p2o5CellEditor_->hide();
    FocusWorksheet();
}

void MainWindow::ShowP2O5Worksheet() {
    nView_->hide();
    clientGrid_ = ClientGrid::P;
    LayoutGrids();
    p2o5View_->show();
    ratesPanel_->hide();
    nCellEditor_->hide();
    FocusWorksheet();
}

void MainWindow::FocusWorksheet() {
    WorksheetView* grid = nView_->isHidden() ? p2o5View_ : nView_;
    if (!grid->isHidden()) grid->setFocus(Qt::OtherFocusReason);
}

void MainWindow::WorksheetsChanged() {
    nView_->Model().Refresh();
    p2o5View_->Model().Refresh();
}

void MainWindow::LayoutGrids() {
    const int w = width();
    const int h = height();
    headerStrip_->setGeometry(0, 0, w, kTopStripHeight);
    buttonStrip_->setGeometry(0, std::max(h - kBottomStripHeight, kTopStripHeight), w,
                              kBottomStripHeight);
    const QRect between(0, kTopStripHeight, w,
                        std::max(h - kTopStripHeight - kBottomStripHeight, 0));
    if (clientGrid_ == ClientGrid::N) nView_->setGeometry(between);
    if (clientGrid_ == ClientGrid::P) p2o5View_->setGeometry(between);
}

void MainWindow::ShowStandardErrorText(const std::string& text) { ShowStandardError(this, text); }

void MainWindow::ReportHandlerError(const std::exception& error) {
    const std::optional<EditorCell> cell = std::exchange(cellAfterError_, std::nullopt);
    const auto* cellError = dynamic_cast<const kv4::CellConversionError*>(&error);
    ShowStandardError(this, error.what(), cellError ? cellError->place() : std::string());
    // A click that left the editor goes on after the box and may move the
    // current cell: the return comes behind it.
    if (cell) QTimer::singleShot(0, this, [this, at = *cell] { ReturnToCell(at); });
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutGrids();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto& key = *static_cast<QKeyEvent*>(event);
        if (watched == nCellEditor_ || watched == p2o5CellEditor_ || watched == remarkEditor_)
            return HandleEditorKey(*static_cast<QLineEdit*>(watched), key);
        if (watched == cropChooser_) return HandleCropListKey(key);
    }
    if (event->type() == QEvent::FocusOut && !discarding_) {
        // Dropping down the crop list (its popup takes the focus while it is
        // open) or switching to another window (a message box among them)
        // does not leave the editor.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            !QApplication::activePopupWidget()) {
            if (watched == nCellEditor_) Guarded([this] { CommitNEditor(); });
            if (watched == p2o5CellEditor_) Guarded([this] { CommitP2O5Editor(); });
            if (watched == remarkEditor_) Guarded([this] { CommitRemark(); });
            if (watched == cropChooser_) Guarded([this] { CommitCropChoice(); });
            // Tab, or hiding the focused editor, moves on along the tab
            // chain into a header box; typing belongs to the worksheet.
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) FocusWorksheet();
            // A click that left the list: its question ran before the press
            // reached the grid, and the release went to the question.
            if (watched == cropChooser_ && reason == Qt::MouseFocusReason)
                QTimer::singleShot(0, this, [this] {
                    nView_->CompleteInterruptedClick();
                    p2o5View_->CompleteInterruptedClick();
                });
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kv4gui
