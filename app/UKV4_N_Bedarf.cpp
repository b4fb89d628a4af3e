#include "app/UKV4_N_Bedarf.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "app/StringGrid.h"
#include "dialogs/DesignFont.h"
#include "dialogs/Seams.h"
#include "reference/NutrientClasses.h"
#include "reference/CropTable.h"
#include "render/QtText.h"
#include "render/SystemLocale.h"
#include "worksheets/Fill.h"

namespace {

constexpr int kClientWidth = 1091;
constexpr int kClientHeight = 657;
constexpr int kTopStripHeight = 57;
constexpr int kBottomStripHeight = 90;
// A grid column that the creation does not size keeps the grid's default.
constexpr int kDefaultColWidth = 64;

using kv4gui::ToQString;

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

TForm1::TForm1(QWidget* parent, StartUp startUp)
    : QWidget(parent),
      nSheet_(kv4::ncol::Count, kv4::kNInitialRows),
      pSheet_(kv4::pcol::Count, kv4::kPInitialRows),
      nutrientClasses_(std::make_unique<kv4::NutrientClasses>()),
      startUp_(startUp) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kornavis 4 Düngerbedarfsermittlung  V0.90"));
    setFont(kv4gui::DesignFont(10));
    resize(kClientWidth, kClientHeight);

    BuildControls();
    Guarded([this] { FormCreate(); });
    ConnectHandlers();
}

TForm1::~TForm1() {
    // The children outlive this class's part of the object: they must not
    // call back into it while they are destroyed, and the grids must not read
    // the worksheets, which are gone by then.
    for (QObject* editor : std::initializer_list<QObject*>{EditN, EditP, EditT, ComboBox2})
        editor->removeEventFilter(this);
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    delete StringGrid1;
    delete StringGrid2;
    StringGrid1 = nullptr;
    StringGrid2 = nullptr;
}

kv4::NutrientClasses& TForm1::NutrientClassTable() { return *nutrientClasses_; }

// Controls in the designer's order: a control made later lies above the
// earlier ones, so the editors cover the grids.
void TForm1::BuildControls() {
    Panel2 = MakePanel(this, "Panel2", QFrame::Raised);
    Label7 = MakeLabel(Panel2, "Label7", QStringLiteral("Betrieb:"), 88, 16);
    ED_Betriebsname = MakeEdit(Panel2, "ED_Betriebsname", QRect(144, 16, 185, 24));
    ED_Betriebsname->setFocusPolicy(Qt::ClickFocus);
    Label8 = MakeLabel(Panel2, "Label8", QStringLiteral("Betriebsnummer"), 352, 16);
    ED_Betriebsnummer = MakeEdit(Panel2, "ED_Betriebsnummer", QRect(464, 16, 153, 24));
    ED_Betriebsnummer->setFocusPolicy(Qt::ClickFocus);
    Label9 = MakeLabel(Panel2, "Label9", QStringLiteral("Datum"), 712, 16);
    ED_Datum = MakeEdit(Panel2, "ED_Datum", QRect(784, 16, 89, 24));

    Panel1 = MakePanel(this, "Panel1", QFrame::Raised);
    Button3 = MakeButton(Panel1, "Button3", QStringLiteral("N"), QRect(0, 1, 65, 25));
    Button4 = MakeButton(Panel1, "Button4", QStringLiteral("P2O5"), QRect(64, 1, 65, 25));
    Btn_Print = MakeButton(Panel1, "Btn_Print", QStringLiteral("Drucken"), QRect(24, 40, 75, 25));
    Btn_Print->setFocusPolicy(Qt::ClickFocus);

    Panel3 = MakePanel(Panel1, "Panel3", QFrame::Sunken);
    Panel3->setGeometry(288, 0, 777, 89);
    Label1 = MakeLabel(Panel3, "Label1", QStringLiteral("je "), 16, 48, true);
    Edit3 = MakeEdit(Panel3, "Edit3", QRect(40, 48, 49, 24), QStringLiteral("0"));
    Label3 = MakeLabel(Panel3, "Label3", QStringLiteral("dt"), 96, 48, true);
    Label2 = MakeLabel(Panel3, "Label2", QStringLiteral("Mehrertrag   + "), 160, 48, true);
    Edit4 = MakeEdit(Panel3, "Edit4", QRect(264, 48, 41, 24), QStringLiteral("0"));
    Label5 = MakeLabel(Panel3, "Label5", QStringLiteral("kg N"), 320, 48, true);
    Label4 = MakeLabel(Panel3, "Label4", QStringLiteral("Minderertrag  -"), 424, 48, true);
    Edit5 = MakeEdit(Panel3, "Edit5", QRect(536, 48, 49, 24), QStringLiteral("0"));
    Label6 = MakeLabel(Panel3, "Label6", QStringLiteral("kg N"), 592, 48, true);
    for (QLineEdit* box : {Edit3, Edit4, Edit5}) box->setFocusPolicy(Qt::ClickFocus);
    Button2 = MakeButton(Panel3, "Button2", QStringLiteral("Übernehmen"), QRect(640, 40, 113, 25));

    StringGrid2 = Named(new kv4gui::TStringGrid(pSheet_, this), "StringGrid2");
    StringGrid2->setGeometry(0, 132, 1065, 197);
    StringGrid1 = Named(new kv4gui::TStringGrid(nSheet_, this), "StringGrid1");
    StringGrid1->setGeometry(8, 177, 1057, 256);
    StringGrid1->setFocusPolicy(Qt::ClickFocus);
    // Design widths; FormCreate sets the ones it owns.
    for (int c = 0; c < kv4::ncol::Count; ++c)
        StringGrid1->SetColWidth(c, c <= kv4::ncol::NBedarf ? kv4::NWidths[c] : kDefaultColWidth);
    for (int c = 0; c < kv4::pcol::Count; ++c)
        StringGrid2->SetColWidth(c, c >= kv4::pcol::Ertragserwartung && c <= kv4::pcol::Anmerkung
                                        ? kv4::PWidths[c]
                                        : kDefaultColWidth);

    EditN = MakeEdit(this, "EditN", QRect(184, 498, 121, 24));
    EditN->hide();
    EditP = MakeEdit(this, "EditP", QRect(344, 498, 121, 24));
    EditP->hide();
    ComboBox2 = Named(new QComboBox(this), "ComboBox2");
    ComboBox2->setEditable(true);
    // The list holds exactly the crop table: typed text never becomes an item.
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    ComboBox2->setItemDelegate(new CropItemDelegate(ComboBox2));
    ComboBox2->setGeometry(496, 496, 169, 24);
    ComboBox2->hide();
    EditT = MakeEdit(this, "EditT", QRect(712, 496, 217, 24));

    LayoutGrids();
}

void TForm1::ConnectHandlers() {
    connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
    connect(Button4, &QPushButton::clicked, this, [this] { Guarded([this] { Button4Click(); }); });
    connect(Btn_Print, &QPushButton::clicked, this,
            [this] { Guarded([this] { Btn_PrintClick(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
    connect(StringGrid1, &kv4gui::TStringGrid::Click, this,
            [this] { Guarded([this] { StringGrid1Click(); }); });
    connect(StringGrid2, &kv4gui::TStringGrid::Click, this,
            [this] { Guarded([this] { StringGrid2Click(); }); });
    // An open editor moves with its cell.
    for (kv4gui::TStringGrid* grid : {StringGrid1, StringGrid2})
        connect(grid, &kv4gui::TStringGrid::Scrolled, this, [this, grid] {
            for (const auto& [editor, at] : editorCells_)
                if (at.grid == grid && editor->isVisible()) PlaceEditor(editor);
        });
    // Every change of the text counts, also one made by the program, as the
    // character filters must clean a cell text laid into the editor.
    connect(EditN, &QLineEdit::textChanged, this, [this] { Guarded([this] { EditNChange(); }); });
    connect(EditP, &QLineEdit::textChanged, this, [this] { Guarded([this] { EditPChange(); }); });
    connect(ComboBox2, &QComboBox::editTextChanged, this,
            [this] { Guarded([this] { ComboBox2Change(); }); });
    connect(ComboBox2, &QComboBox::activated, this,
            [this] { Guarded([this] { ComboBox2Click(); }); });
    // Leaving an editor is its focus loss, not editingFinished (which also
    // fires on Return while the editor keeps the focus).
    for (QObject* editor : std::initializer_list<QObject*>{EditN, EditP, EditT, ComboBox2})
        editor->installEventFilter(this);
}

void TForm1::FormCreate() {
    // 1. The nutrient class list exists from construction on, empty.
    // 2. N headings; column 4 (the "V" cells) has none.
    for (int c = 0; c <= kv4::ncol::NBedarf; ++c)
        if (c != kv4::ncol::V) nSheet_.SetCell(c, 0, std::string(kv4::NHeadings[c]));
    // 3. The first three P2O5 columns are as wide as the N ones.
    for (int c = kv4::pcol::Schlag; c <= kv4::pcol::Ha; ++c)
        StringGrid2->SetColWidth(c, StringGrid1->ColWidth(c));
    // 4. The per-row values of the surcharge strip.
    for (int c = kv4::ncol::YieldStep; c <= kv4::ncol::DeductionRate; ++c)
        StringGrid1->SetColWidth(c, kv4::NWidths[c]);
    // 5. P2O5 headings.
    for (int c = 0; c <= kv4::pcol::Anmerkung; ++c)
        pSheet_.SetCell(c, 0, std::string(kv4::PHeadings[c]));
    // 6. The removal factors stay invisible.
    StringGrid2->SetColWidth(kv4::pcol::Factor, kv4::PWidths[kv4::pcol::Factor]);
    StringGrid2->SetColWidth(kv4::pcol::FactorResidues, kv4::PWidths[kv4::pcol::FactorResidues]);
    // 7. The crop list, in table order: the list position is the table key.
    for (const kv4::CropReference& crop : kv4::CropTable) ComboBox2->addItem(ToQString(crop.Name));
    ComboBox2->setCurrentIndex(-1);
    // 8. The nutrient class table, from the folder current at program start.
    LoadNutrientClassTable();
    WorksheetsChanged();
}

void TForm1::LoadNutrientClassTable() {
    // "NKlassen.dat" by its bare name: the data folder is not known yet, so
    // it comes from the folder the program was started in. Missing or
    // unreadable, the table stays empty and every class is blank.
    nutrientClasses_->LoadNutrientClasses();
}

char TForm1::DecimalSeparator() const { return kv4gui::SystemDecimalSeparator(); }

void TForm1::Button3Click() {
    StringGrid2->hide();
    clientGrid_ = ClientGrid::N;
    LayoutGrids();
    StringGrid1->show();
    Panel3->show();
    EditT->hide();
    EditP->hide();
    FocusWorksheet();
}

void TForm1::Button4Click() {
    StringGrid1->hide();
    clientGrid_ = ClientGrid::P;
    LayoutGrids();
    StringGrid2->show();
    Panel3->hide();
    EditN->hide();
    FocusWorksheet();
}

void TForm1::FocusWorksheet() {
    kv4gui::TStringGrid* grid = StringGrid1->isHidden() ? StringGrid2 : StringGrid1;
    if (!grid->isHidden()) grid->setFocus(Qt::OtherFocusReason);
}

void TForm1::WorksheetsChanged() {
    StringGrid1->Model().Refresh();
    StringGrid2->Model().Refresh();
}

void TForm1::LayoutGrids() {
    const int w = width();
    const int h = height();
    Panel2->setGeometry(0, 0, w, kTopStripHeight);
    Panel1->setGeometry(0, std::max(h - kBottomStripHeight, kTopStripHeight), w,
                        kBottomStripHeight);
    const QRect between(0, kTopStripHeight, w,
                        std::max(h - kTopStripHeight - kBottomStripHeight, 0));
    if (clientGrid_ == ClientGrid::N) StringGrid1->setGeometry(between);
    if (clientGrid_ == ClientGrid::P) StringGrid2->setGeometry(between);
}

void TForm1::ShowStandardErrorText(const std::string& text) {
    kv4gui::ShowStandardError(this, text);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // After the window is on screen: FormShow opens modal dialogs over it.
    if (startUp_ == StartUp::OnFirstShow)
        QTimer::singleShot(0, this, [this] { Guarded([this] { FormShow(); }); });
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutGrids();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Dropping down the crop list (its popup takes the focus while it is
        // open) or switching to another window (a message box among them)
        // does not leave the editor.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            !QApplication::activePopupWidget()) {
            if (watched == EditN) Guarded([this] { EditNExit(); });
            if (watched == EditP) Guarded([this] { EditPExit(); });
            if (watched == EditT) Guarded([this] { EditTExit(); });
            if (watched == ComboBox2) Guarded([this] { ComboBox2Exit(); });
            // Tab, or hiding the focused editor, moves on along the tab
            // chain into a header box; typing belongs to the worksheet.
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) FocusWorksheet();
            // A click that left the list: its question ran before the press
            // reached the grid, and the release went to the question.
            if (watched == ComboBox2 && reason == Qt::MouseFocusReason)
                QTimer::singleShot(0, this, [this] {
                    StringGrid1->CompleteInterruptedClick();
                    StringGrid2->CompleteInterruptedClick();
                });
        }
    }
    return QWidget::eventFilter(watched, event);
}
