#include "app/MainWindow.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>

#include "app/WorksheetView.h"
#include "dialogs/DesignFont.h"
#include "dialogs/ModalDialogs.h"
#include "reference/NutrientClasses.h"
#include "render/SystemLocale.h"
#include "worksheets/Fill.h"
#include "worksheets/NumberFormat.h"

namespace kv4gui {

namespace {

constexpr int kClientWidth = 1091;
constexpr int kClientHeight = 657;
// A grid column that the creation does not size keeps the grid's default.
constexpr int kDefaultColWidth = 64;

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, bool bold = false) {
    auto* label = Named(new QLabel(text, parent), name);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

// `width` is the designed width, which a box never falls below.
QLineEdit* MakeEdit(QWidget* parent, const char* name, int width, const QString& text = {}) {
    auto* edit = Named(new QLineEdit(text, parent), name);
    edit->setMinimumWidth(width);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int width) {
    auto* button = Named(new QPushButton(text, parent), name);
    button->setMinimumWidth(width);
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

// The strips and the worksheets in layouts, so the window can take any size.
void MainWindow::BuildControls() {
    headerStrip_ = MakePanel(this, "headerStrip", QFrame::Raised);
    farmNameLabel_ = MakeLabel(headerStrip_, "farmNameLabel", QStringLiteral("Betrieb:"));
    farmNameEdit_ = MakeEdit(headerStrip_, "farmNameEdit", 185);
    farmNumberLabel_ = MakeLabel(headerStrip_, "farmNumberLabel", QStringLiteral("Betriebsnummer"));
    farmNumberEdit_ = MakeEdit(headerStrip_, "farmNumberEdit", 153);
    dateLabel_ = MakeLabel(headerStrip_, "dateLabel", QStringLiteral("Datum"));
    dateEdit_ = MakeEdit(headerStrip_, "dateEdit", 89);
    auto* header = new QHBoxLayout(headerStrip_);
    header->setContentsMargins(16, 12, 16, 12);
    for (const auto& [label, edit] : {std::pair<QLabel*, QLineEdit*>{farmNameLabel_, farmNameEdit_},
                                      {farmNumberLabel_, farmNumberEdit_},
                                      {dateLabel_, dateEdit_}}) {
        header->addWidget(label);
        header->addWidget(edit);
        header->addSpacing(24);
    }
    header->addStretch(1);

    worksheetStack_ = Named(new QStackedWidget(this), "worksheets");
    nView_ = Named(new WorksheetView(nSheet_, worksheetStack_), "nView");
    p2o5View_ = Named(new WorksheetView(pSheet_, worksheetStack_), "p2o5View");
    worksheetStack_->addWidget(nView_);
    worksheetStack_->addWidget(p2o5View_);
    // Design widths; SetUpWorksheets sets the rest.
    for (int c = 0; c < kv4::ncol::Count; ++c)
        nView_->SetColWidth(c, c <= kv4::ncol::NBedarf ? kv4::NWidths[c] : kDefaultColWidth);
    for (int c = 0; c < kv4::pcol::Count; ++c)
        p2o5View_->SetColWidth(c, c >= kv4::pcol::Ertragserwartung && c <= kv4::pcol::Anmerkung
                                      ? kv4::PWidths[c]
                                      : kDefaultColWidth);

    buttonStrip_ = MakePanel(this, "buttonStrip", QFrame::Raised);
    nButton_ = MakeButton(buttonStrip_, "nButton", QStringLiteral("N"), 65);
    p2o5Button_ = MakeButton(buttonStrip_, "p2o5Button", QStringLiteral("P2O5"), 65);
    printButton_ = MakeButton(buttonStrip_, "printButton", QStringLiteral("Drucken"), 75);
    ratesPanel_ = MakePanel(buttonStrip_, "ratesPanel", QFrame::Sunken);
    yieldStepLabel_ = MakeLabel(ratesPanel_, "yieldStepLabel", QStringLiteral("je "), true);
    yieldStepEdit_ = MakeEdit(ratesPanel_, "yieldStepEdit", 49, QStringLiteral("0"));
    yieldStepUnitLabel_ = MakeLabel(ratesPanel_, "yieldStepUnitLabel", QStringLiteral("dt"), true);
    surchargeLabel_ =
        MakeLabel(ratesPanel_, "surchargeLabel", QStringLiteral("Mehrertrag   + "), true);
    surchargeEdit_ = MakeEdit(ratesPanel_, "surchargeEdit", 41, QStringLiteral("0"));
    surchargeUnitLabel_ =
        MakeLabel(ratesPanel_, "surchargeUnitLabel", QStringLiteral("kg N"), true);
    deductionLabel_ =
        MakeLabel(ratesPanel_, "deductionLabel", QStringLiteral("Minderertrag  -"), true);
    deductionEdit_ = MakeEdit(ratesPanel_, "deductionEdit", 49, QStringLiteral("0"));
    deductionUnitLabel_ =
        MakeLabel(ratesPanel_, "deductionUnitLabel", QStringLiteral("kg N"), true);
    applyRatesButton_ =
        MakeButton(ratesPanel_, "applyRatesButton", QStringLiteral("Übernehmen"), 113);
    auto* rates = new QHBoxLayout(ratesPanel_);
    for (QWidget* part : std::initializer_list<QWidget*>{
             yieldStepLabel_, yieldStepEdit_, yieldStepUnitLabel_, surchargeLabel_, surchargeEdit_,
             surchargeUnitLabel_, deductionLabel_, deductionEdit_, deductionUnitLabel_}) {
        rates->addWidget(part);
        if (qobject_cast<QLabel*>(part) && part != yieldStepLabel_ && part != surchargeLabel_ &&
            part != deductionLabel_)
            rates->addSpacing(24);
    }
    rates->addWidget(applyRatesButton_);
    auto* buttons = new QGridLayout;
    buttons->addWidget(nButton_, 0, 0);
    buttons->addWidget(p2o5Button_, 0, 1);
    buttons->addWidget(printButton_, 1, 0, 1, 2, Qt::AlignLeft);
    auto* bottom = new QHBoxLayout(buttonStrip_);
    bottom->addLayout(buttons);
    bottom->addWidget(ratesPanel_);
    bottom->addStretch(1);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(headerStrip_);
    window->addWidget(worksheetStack_, 1);
    window->addWidget(buttonStrip_);

    SetUpEditing();
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
    connect(p2o5View_, &WorksheetView::Click, this,
            [this] { Guarded([this] { OnP2O5CellChosen(); }); });
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
    // "NKlassen.dat" by its bare name: the data folder is not known yet, so
    // it comes from the folder the program was started in. Missing or
    // unreadable, the table stays empty and every class is blank.
    nutrientClasses_.LoadNutrientClasses();
    WorksheetsChanged();
}

char MainWindow::DecimalSeparator() const { return SystemDecimalSeparator(); }

void MainWindow::ShowNWorksheet() {
    worksheetStack_->setCurrentWidget(nView_);
    ratesPanel_->show();
    p2o5View_->DiscardEditor();
    FocusWorksheet();
}

void MainWindow::ShowP2O5Worksheet() {
    worksheetStack_->setCurrentWidget(p2o5View_);
    ratesPanel_->hide();
    nView_->DiscardEditor();
    FocusWorksheet();
}

void MainWindow::FocusWorksheet() {
    worksheetStack_->currentWidget()->setFocus(Qt::OtherFocusReason);
}

void MainWindow::WorksheetsChanged() {
    nView_->Model().Refresh();
    p2o5View_->Model().Refresh();
}

void MainWindow::ShowStandardErrorText(const std::string& text) { ShowStandardError(this, text); }

void MainWindow::ReportHandlerError(const std::exception& error) {
    const auto* cellError = dynamic_cast<const kv4::CellConversionError*>(&error);
    ShowStandardError(this, error.what(), cellError ? cellError->place() : std::string());
}

}  // namespace kv4gui
