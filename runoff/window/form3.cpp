// Form3: the hydrograph window's controls, their design values and layout, and its
// event procedures.
#include "runoff/window/form3.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QFocusEvent>
#include <QSignalBlocker>

#include "common/dialogs.h"
#include "common/guard.h"
#include "common/text_editor.h"
#include "common/twips.h"
#include "hdb/window/date_form.h"
#include "runoff/areal_reduction.h"
#include "runoff/database_series.h"
#include "runoff/file_copy.h"
#include "runoff/window/form3_load.h"

namespace corv {

namespace {

// Design size of the client area, in twips.
constexpr std::int32_t kClientWidth = 11640;
constexpr std::int32_t kClientHeight = 7140;
constexpr TwipGeometry kChartDesign{3600, 2880, 5415, 3405};  // Top, Left, Width, Height
constexpr TwipGeometry kRouteFrameDesign{3360, 4080, 3015, 3735};
constexpr std::int32_t kLengthLabelTop = 1080;
constexpr std::int32_t kLengthLabelTopTriangle = 960;

// The triangle method's first values and captions of the relabelled boxes and labels.
constexpr std::array<const char*, 7> kTriangleTexts = {"0.4", "1.5", "0.5", "0", "3", ".2", "0.0"};
constexpr std::array<const char*, 5> kTriangleCaptions = {"Recession Ratio 2", "Recession Factor2",
                                                          "<<Base Flow\r\n       GW Loss>>", "Recession Ratio 3",
                                                          "Recession Factor3"};

const QString kHydrographFilter = QStringLiteral("Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|");

TwipGeometry at(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    return TwipGeometry{top, left, width, height};
}

}  // namespace

Form3::Form3(Shell& shell, Form3State& state, DateForm& dateForm, QWidget* parent)
    : QWidget(parent), shell_(shell), state_(state), dateForm_(dateForm), boxes_(*this)
{
    setObjectName("Form3");
    setWindowTitle(QStringLiteral("Runoff Hydrograph"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(twips::toPixelsX(kClientWidth), twips::toPixelsY(kClientHeight));
    for (std::size_t i = 0; i < kTriangleTexts.size(); ++i) triangleTexts_[i] = QString::fromLatin1(kTriangleTexts[i]);
    buildControls();
    wireEvents();
    Form_Load();
}

Form3::~Form3() { destroying_ = true; }

void Form3::placeTwips(QWidget* control, const TwipGeometry& g)
{
    places_[control] = g;
    control->setGeometry(twips::toPixelsX(g.Left), twips::toPixelsY(g.Top), twips::toPixelsX(g.Width),
                         twips::toPixelsY(g.Height));
}

TwipGeometry Form3::twipGeometry(QWidget* control) const
{
    if (control == MSChart1) return MSChart1->geometryTwips();
    return places_.value(control);
}

void Form3::setTopTwips(QWidget* control, std::int32_t top)
{
    TwipGeometry g = twipGeometry(control);
    g.Top = top;
    placeTwips(control, g);
}

std::int32_t Form3::ScaleWidth() const { return static_cast<std::int32_t>(std::lround(twips::fromPixelsX(width()))); }
std::int32_t Form3::ScaleHeight() const { return static_cast<std::int32_t>(std::lround(twips::fromPixelsY(height()))); }

void Form3::buildControls()
{
    auto box = [this](QWidget* parent, const char* name, const QString& text, TwipGeometry g) {
        auto* e = new QLineEdit(text, parent);
        e->setObjectName(name);
        placeTwips(e, g);
        return e;
    };
    auto label = [this](QWidget* parent, const char* name, const QString& text, TwipGeometry g, bool wrap = false) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        l->setWordWrap(wrap);
        l->setAlignment(Qt::AlignLeft | (wrap ? Qt::AlignTop : Qt::AlignVCenter));
        placeTwips(l, g);
        return l;
    };
    auto button = [this](QWidget* parent, const char* name, const QString& text, TwipGeometry g) {
        auto* b = new QPushButton(text, parent);
        b->setObjectName(name);
        b->setAutoDefault(false);
        placeTwips(b, g);
        return b;
    };

    // Basin inputs and the lag formula: lengths and elevations on the left, the
    // derived slope, C and lag with the area on the right; each box with its label.
    Frame1 = new QGroupBox(QStringLiteral("Lag Time = C* (L*Lca/S^.5)^.33"), this);
    Frame1->setObjectName("Frame1");
    placeTwips(Frame1, at(120, 60, 7080, 1920));
    const std::int32_t rowTop[4] = {360, 720, 1080, 1440};
    txtelv1 = box(Frame1, "txtelv1", {}, at(120, rowTop[0], 900, 300));
    Label1 = label(Frame1, "Label1", QStringLiteral("Upper Elev (ft)"), at(1080, rowTop[0], 1920, 300));
    txtElv2 = box(Frame1, "txtElv2", {}, at(120, rowTop[1], 900, 300));
    Label2 = label(Frame1, "Label2", QStringLiteral("Lower Elev (ft)"), at(1080, rowTop[1], 1920, 300));
    txtL = box(Frame1, "txtL", {}, at(120, rowTop[2], 900, 300));
    // Two lines tall: the triangle method writes a two-line caption here.
    lblL = new QLabel(QStringLiteral("Stream Length"), Frame1);
    lblL->setObjectName("lblL");
    lblL->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblL->setContentsMargins(0, 3, 0, 0);
    placeTwips(lblL, at(1080, kLengthLabelTop, 1920, 480));
    txtLca = box(Frame1, "txtLca", {}, at(120, rowTop[3], 900, 300));
    lblLca = label(Frame1, "lblLca", QStringLiteral("Below Centroid"), at(1080, rowTop[3], 1920, 300));
    GWloss = box(Frame1, "GWloss", QStringLiteral("0.0"), at(2640, rowTop[2] + 150, 720, 300));
    GWloss->hide();
    txtS = box(Frame1, "txtS", QStringLiteral("1"), at(4080, rowTop[0], 900, 300));
    Label5 = label(Frame1, "Label5", QStringLiteral("S (ft/mi)"), at(5040, rowTop[0], 1920, 300));
    txtC = box(Frame1, "txtC", QStringLiteral("1"), at(4080, rowTop[1], 900, 300));
    Label6 = label(Frame1, "Label6", QStringLiteral("C estimate"), at(5040, rowTop[1], 1920, 300));
    txtLag = box(Frame1, "txtLag", QStringLiteral("1"), at(4080, rowTop[2], 900, 300));
    Label7 = label(Frame1, "Label7", QStringLiteral("Lag Time (hours)"), at(5040, rowTop[2], 1920, 300));
    txtBasinArea = box(Frame1, "txtBasinArea", QStringLiteral("1"), at(4080, rowTop[3], 900, 300));
    Label10 = label(Frame1, "Label10", QStringLiteral("Basin Area (mi^2)"), at(5040, rowTop[3], 1920, 300));

    // Report titles, right above the chart they describe.
    txtTitle = box(this, "txtTitle", QStringLiteral("Enter Title 1"), at(2880, 2160, 5415, 300));
    txtTile2 = box(this, "txtTile2", QStringLiteral("Enter Title 2"), at(2880, 2580, 5415, 300));

    // Depth-duration table with the areal reduction column.
    Frame3 = new QGroupBox(QStringLiteral("Rainfall Durations"), this);
    Frame3->setObjectName("Frame3");
    placeTwips(Frame3, at(120, 2100, 2640, 4200));
    Label9 = label(Frame3, "Label9", QStringLiteral("Hours"), at(120, 270, 720, 270));
    Label8 = label(Frame3, "Label8", QStringLiteral("Inches"), at(900, 270, 720, 270));
    for (int i = 0; i < 8; ++i) {
        const std::int32_t top = 600 + i * 390;
        const auto k = static_cast<std::size_t>(i);
        txtDuration[k] = box(Frame3, "", i == 0 ? QStringLiteral("1") : QString(), at(120, top, 720, 330));
        txtDuration[k]->setObjectName(QStringLiteral("txtDuration(%1)").arg(i));
        txtRain[k] = box(Frame3, "", i == 0 ? QStringLiteral("1.00") : QString(), at(900, top, 720, 330));
        txtRain[k]->setObjectName(QStringLiteral("txtRain(%1)").arg(i));
        txtArealAdj[k] = box(Frame3, "", {}, at(1740, top, 780, 330));
        txtArealAdj[k]->setObjectName(QStringLiteral("txtArealAdj(%1)").arg(i));
    }
    chkAreaAdj = new QCheckBox(QStringLiteral("Areal Reduction"), Frame3);
    chkAreaAdj->setObjectName("chkAreaAdj");
    placeTwips(chkAreaAdj, at(120, 3780, 2400, 300));

    // Method, rainfall arrangement, losses and time step in the right-hand column.
    Frame2 = new QGroupBox(QStringLiteral("Hydrograph Method"), this);
    Frame2->setObjectName("Frame2");
    placeTwips(Frame2, at(8400, 60, 3120, 4200));
    ComboDimgraph = new QComboBox(Frame2);
    ComboDimgraph->setObjectName("ComboDimgraph");
    placeTwips(ComboDimgraph, at(120, 300, 2880, 330));
    ComboRain = new QComboBox(Frame2);
    ComboRain->setObjectName("ComboRain");
    placeTwips(ComboRain, at(120, 720, 2880, 330));
    for (QComboBox* c : {ComboDimgraph, ComboRain}) {
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
    }
    ComboDimgraph->setEditText(QStringLiteral("Select Dimensionless Graph"));
    ComboRain->setEditText(QStringLiteral("Select Rainfall Arrangement"));
    txtCNloss = box(Frame2, "txtCNloss", {}, at(120, 1200, 720, 300));
    Label11 = label(Frame2, "Label11", QStringLiteral("SCS CN (10-100) or Initial Loss (,dry,wet limits) (inches)"),
                    at(900, 1140, 2160, 660), true);
    txtConstLoss = box(Frame2, "txtConstLoss", {}, at(120, 1860, 720, 300));
    Label12 = label(Frame2, "Label12", QStringLiteral("Constant Loss (in/hr)"), at(900, 1860, 2160, 300));
    txtPercentImp = box(Frame2, "txtPercentImp", {}, at(120, 2280, 720, 300));
    Label13 = label(Frame2, "Label13", QStringLiteral("Percent Basin Impervious"), at(900, 2280, 2160, 300));
    txtResetLossFactor = box(Frame2, "txtResetLossFactor", QStringLiteral("0.2"), at(120, 2760, 720, 300));
    Label17 = label(Frame2, "Label17", QStringLiteral("Reset initial loss at x * constant loss rate"),
                    at(900, 2700, 2160, 480), true);
    txtGraphtimestep = box(Frame2, "txtGraphtimestep", QStringLiteral("15"), at(120, 3300, 720, 300));
    Label14 = label(Frame2, "Label14", QStringLiteral("Hydrograph Time Step (minutes)"), at(900, 3240, 2160, 480),
                    true);
    chkAutoTimeStep = new QCheckBox(QStringLiteral("Auto time step / lag"), Frame2);
    chkAutoTimeStep->setObjectName("chkAutoTimeStep");
    chkAutoTimeStep->setChecked(true);
    placeTwips(chkAutoTimeStep, at(120, 3780, 2880, 300));

    // Commands under the method frame, in the order a computation goes.
    Command1 = button(this, "Command1", QStringLiteral("Compute Hydrograph"), at(8520, 4380, 2880, 420));
    butRoute = button(this, "butRoute", QStringLiteral("Route Hydrograph"), at(8520, 4860, 2880, 420));
    ViewHydroData = button(this, "ViewHydroData", QStringLiteral("View"), at(8520, 5340, 2880, 420));
    Command3 = button(this, "Command3", QStringLiteral("Save Hydrograph"), at(8520, 5820, 2880, 420));
    Command2 = button(this, "Command2", QStringLiteral("Clear Hydrograph Plots"), at(8520, 6300, 2880, 420));

    MSChart1 = new HydrographChart(this);
    MSChart1->setObjectName("MSChart1");
    MSChart1->setGeometryTwips(kChartDesign);

    // The routing frame floats over the chart when "Route Hydrograph" shows it.
    frameRoute = new QFrame(this);
    frameRoute->setObjectName("frameRoute");
    frameRoute->setFrameShape(QFrame::Box);
    frameRoute->setAutoFillBackground(true);
    QPalette pal = frameRoute->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xFF, 0xC0));
    frameRoute->setPalette(pal);
    // The frame keeps its design size; a smaller type fits its longest option.
    QFont routeFont = font();
    routeFont.setPointSize(7);
    frameRoute->setFont(routeFont);
    placeTwips(frameRoute, kRouteFrameDesign);
    const QString routeNames[4] = {QStringLiteral("Modified Puls storage routing"), QStringLiteral("Muskingum routing"),
                                   QStringLiteral("Combine with hyrdograph from file"),
                                   QStringLiteral("Travel time routing (Tatum)")};
    const std::int32_t routeTop[4] = {120, 390, 660, 1200};
    for (int i = 0; i < 4; ++i) {
        auto* o = new QRadioButton(routeNames[i], frameRoute);
        o->setObjectName(QStringLiteral("optRouteType(%1)").arg(i));
        placeTwips(o, at(120, routeTop[i], 2850, 270));
        optRouteType[static_cast<std::size_t>(i)] = o;
    }
    optRouteType[3]->setChecked(true);
    chkCombineHDB = new QCheckBox(QStringLiteral("hydrograph from HDB"), frameRoute);
    chkCombineHDB->setObjectName("chkCombineHDB");
    placeTwips(chkCombineHDB, at(420, 930, 2550, 270));
    txtMuskK = box(frameRoute, "txtMuskK", QStringLiteral("1"), at(120, 1560, 600, 300));
    Label3 = label(frameRoute, "Label3", QStringLiteral("K lag (hr)"), at(780, 1560, 2160, 300));
    txtMuskX = box(frameRoute, "txtMuskX", QStringLiteral("0.25"), at(120, 1920, 600, 300));
    Label4 = label(frameRoute, "Label4", QStringLiteral("X storage (0 - 0.5)"), at(780, 1920, 2160, 300));
    Label15 = label(frameRoute, "Label15", QStringLiteral("X=0 for storage routing, X=.5 just lag"),
                    at(120, 2250, 2850, 270));
    txtModbelv = box(frameRoute, "txtModbelv", {}, at(120, 2580, 600, 300));
    Label16 = label(frameRoute, "Label16", QStringLiteral("Begin Elev (blank ok)"), at(780, 2580, 2160, 300));
    txtTatum = box(frameRoute, "txtTatum", {}, at(120, 2940, 600, 300));
    capTatum = label(frameRoute, "capTatum", QStringLiteral("Hours"), at(780, 2940, 2160, 300));
    Command4 = button(frameRoute, "Command4", QStringLiteral("Go"), at(120, 3300, 1320, 360));
    Command5 = button(frameRoute, "Command5", QStringLiteral("Cancel"), at(1560, 3300, 1320, 360));
    frameRoute->hide();
}

void Form3::wireEvents()
{
    connect(ComboDimgraph, &QComboBox::currentIndexChanged, this, &Form3::ComboDimgraph_Click);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(butRoute, &QPushButton::clicked, this, &Form3::butRoute_Click);
    connect(Command4, &QPushButton::clicked, this, &Form3::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form3::Command5_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(ViewHydroData, &QPushButton::clicked, this, &Form3::ViewHydroData_Click);
    connect(chkAreaAdj, &QCheckBox::clicked, this, &Form3::chkAreaAdj_Click);
    connect(txtBasinArea, &QLineEdit::textChanged, this, &Form3::txtBasinArea_Change);
    for (QLineEdit* e : txtDuration) connect(e, &QLineEdit::textChanged, this, &Form3::txtDuration_Change);
    connect(txtC, &QLineEdit::textChanged, this, &Form3::txtC_Change);
    connect(txtC, &QLineEdit::textEdited, this, &Form3::txtC_Edited);
    connect(txtLag, &QLineEdit::textChanged, this, &Form3::txtLag_Change);
    connect(MSChart1, &HydrographChart::DblClick, this, &Form3::ToggleChartSize);
    for (QLineEdit* e : {txtelv1, txtElv2, txtL, txtLca, txtLag}) e->installEventFilter(this);
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !destroying_) {
        // Leaving the window or opening a popup is no move to another control.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == txtelv1) txtelv1_LostFocus();
            else if (watched == txtElv2) txtElv2_LostFocus();
            else if (watched == txtL) txtL_LostFocus();
            else if (watched == txtLca) txtLca_LostFocus();
            else if (watched == txtLag) txtLag_LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::array<QString, 8> Form3::texts(const std::array<QLineEdit*, 8>& boxes) const
{
    std::array<QString, 8> out;
    for (std::size_t i = 0; i < boxes.size(); ++i) out[i] = boxes[i]->text();
    return out;
}

void Form3::Form_Load()
{
    {
        const QSignalBlocker block(ComboDimgraph);
        ComboDimgraph->addItems(unitGraphMethods());
        ComboDimgraph->setCurrentIndex(-1);
        ComboDimgraph->setEditText(QStringLiteral("Select Dimensionless Graph"));
    }
    {
        const QSignalBlocker block(ComboRain);
        ComboRain->addItems(rainfallArrangements());
        ComboRain->setCurrentIndex(-1);
        ComboRain->setEditText(QStringLiteral("Select Rainfall Arrangement"));
    }
    fillRecoveryTables(state_.hourlyRecovery, state_.monthlyRecovery);

    const QDate today = QDate::currentDate();
    const PeriodLists lists = periodLists(today.year(), today.month(), today.day());
    DateForm& d = dateForm_;
    for (QComboBox* c : {d.Combo7, d.Combo8}) DateForm::refill(c, lists.hours);
    for (QComboBox* c : {d.Combo1, d.Combo4}) DateForm::refill(c, lists.days);
    for (QComboBox* c : {d.Combo2, d.Combo5}) DateForm::refill(c, lists.months);
    for (QComboBox* c : {d.Combo3, d.Combo6}) DateForm::refill(c, lists.years);
    DateForm::refill(d.ComboUnits, lists.units);
    for (QComboBox* c : {d.Combo1, d.Combo4}) DateForm::setListText(c, lists.dayText);
    for (QComboBox* c : {d.Combo2, d.Combo5}) DateForm::setListText(c, lists.monthText);
    for (QComboBox* c : {d.Combo3, d.Combo6}) DateForm::setListText(c, lists.yearText);

    MSChart1->grid().series1Secondary = true;
    state_.chartHome = MSChart1->geometryTwips();
    resetChart();
}

void Form3::resetChart()
{
    state_.hydrographPlotted = false;
    resetChartGrid(MSChart1->grid(), texts(txtDuration), texts(txtRain), texts(txtArealAdj));
    MSChart1->refresh();
}

void Form3::ComboDimgraph_Click()
{
    const QString T = ComboDimgraph->currentText();
    const bool triangle = T.contains(QLatin1String("Triangle"));
    const bool linear = T.contains(QLatin1String("Linear"));
    // The old method's values leave first, so that each method keeps the basin's own.
    showLinearShape(false);
    showTriangleBoxes(triangle);
    showLinearShape(linear);
    Label6->setText(triangle ? QStringLiteral("SCS Recession Ratio")
                    : linear ? QStringLiteral("LinRes-Shape")
                             : QStringLiteral("C estimate"));
}

void Form3::showLinearShape(bool linear)
{
    if (linear == linearShown_) return;
    // The shape is no lag coefficient: writing it (or the basin's C back) must not
    // derive a lag and a step from it.
    const QSignalBlocker quiet(txtC);
    if (linear) {
        basinC_ = txtC->text();
        // With no lag there is no shape: an empty box, never the basin's C read as one.
        txtC->setText(typedShape_.isEmpty() ? linearReservoirShapeFor(txtLag->text()).value_or(QString())
                                            : typedShape_);
    } else {
        txtC->setText(basinC_);
    }
    linearShown_ = linear;
}

std::array<QLineEdit*, 7> Form3::relabelledBoxes() const { return {txtC, txtS, txtLca, txtL, txtElv2, txtelv1, GWloss}; }
std::array<QLabel*, 5> Form3::relabelledLabels() const { return {Label5, lblLca, lblL, Label2, Label1}; }

void Form3::showTriangleBoxes(bool triangle)
{
    if (triangle == triangleShown_) return;
    // The recession ratio is no lag coefficient: writing it (or the basin's C back)
    // must not derive a lag and a step from it.
    const QSignalBlocker quiet(txtC);
    std::array<QString, 7>& keep = triangle ? basinTexts_ : triangleTexts_;
    const std::array<QString, 7>& put = triangle ? triangleTexts_ : basinTexts_;
    const auto boxes = relabelledBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        keep[i] = boxes[i]->text();
        boxes[i]->setText(put[i]);
    }
    const auto labels = relabelledLabels();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (triangle) basinCaptions_[i] = labels[i]->text();
        labels[i]->setText(triangle ? QString::fromLatin1(kTriangleCaptions[i]) : basinCaptions_[i]);
    }
    setTopTwips(lblL, triangle ? kLengthLabelTopTriangle : kLengthLabelTop);
    GWloss->setVisible(triangle);
    triangleShown_ = triangle;
}

void Form3::takeBasin(const BasinMeasurements& m)
{
    // A shape typed for the last basin says nothing about this one: the lag's own shape
    // takes its place.
    typedShape_.clear();
    corv::txtLag_Change(boxes_);
    Frame2->setTitle(QStringLiteral("HydrographArea") + QString::number(m.areaNumber));
    const QString lengthCaption = QStringLiteral("Stream Length") + m.lengthUnits;
    const QString centroidCaption = QStringLiteral("Below Centroid") + m.lengthUnits;
    if (triangleShown_) {
        // The boxes carry the triangle's values now: the lengths wait with the basin's
        // own values until another method is picked.
        if (m.streamLength) basinTexts_[3] = *m.streamLength;
        if (m.lengthBelowCentroid) basinTexts_[2] = *m.lengthBelowCentroid;
        basinCaptions_[2] = lengthCaption;
        basinCaptions_[1] = centroidCaption;
    } else {
        if (m.streamLength) txtL->setText(*m.streamLength);
        lblL->setText(lengthCaption);
        if (m.lengthBelowCentroid) txtLca->setText(*m.lengthBelowCentroid);
        lblLca->setText(centroidCaption);
    }
    if (m.basinArea) {
        txtBasinArea->setText(*m.basinArea);
        Label10->setText(QStringLiteral("Basin Area") + m.areaUnits);
        txtBasinArea_Change();  // the unit may have changed with the same number
    }
}

void Form3::butRoute_Click()
{
    capTatum->setText(Label14->text().contains(QLatin1String("minutes")) ? QStringLiteral("minutes")
                                                                         : QStringLiteral("hours"));
    if (txtTatum->text().isEmpty()) txtTatum->setText(txtGraphtimestep->text());
    TwipGeometry g = twipGeometry(frameRoute);
    g.Top = ScaleHeight() / 2 - g.Height / 2;
    g.Left = ScaleWidth() / 2 - g.Width / 2;
    placeTwips(frameRoute, g);
    frameRoute->show();
    frameRoute->raise();
}

void Form3::Command4_Click()
{
    // A compute under way lets clicks through its message boxes: a route request
    // now would land in the middle of its report.
    if (computing()) return;
    frameRoute->hide();
    const bool combine = optRouteType[2]->isChecked();
    if (!combine && MSChart1->grid().ColumnCount() < 3) {
        shell_.dialogs().msgBox(QStringLiteral("Compute hydrograph before routing or combining."));
        return;
    }
    state_.routeType = route::kGoRequest;
    Command1_Click();
}

void Form3::Command5_Click() { frameRoute->hide(); }

void Form3::Command2_Click()
{
    state_.routeType = route::kNone;
    guarded(shell_.dialogs(), [&] { resetChart(); });
}

void Form3::Command3_Click()
{
    Dialogs& dialogs = shell_.dialogs();
    if (MSChart1->grid().ColumnCount() < 3) {
        dialogs.msgBox(QStringLiteral("Compute hydrograph before saving."));
        return;
    }
    guarded(dialogs, [&] {
        CommonDialog& cd = shell_.commonDialog();
        cd.FileName.clear();
        const QString source = shell_.folder() + QStringLiteral("/Temp.GRF");
        cd.InitDir = shell_.folder();
        cd.Filter = kHydrographFilter;
        cd.ShowSave();
        const QString target = cd.FileName;
        if (!target.isEmpty() && !sameFile(target, source)) FileCopy(source, target);
    });
}

void Form3::ViewHydroData_Click()
{
    OpenInNotepad(shell_.folder() + QStringLiteral("/Temp.GRF"), shell_.dialogs(), this);
}

void Form3::Command1_Click()
{
    ComputeHooks hooks;
    hooks.setBusy = [](bool busy) {
        if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
        else QApplication::restoreOverrideCursor();
    };
    // Repaints and timers only: a click or key must not slip in halfway through.
    hooks.processEvents = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    DatabaseLink link;
    link.form = &dateForm_;
    link.folder = shell_.folder();
    link.dialogs = &shell_.dialogs();
    link.chkAutoTimeStep = chkAutoTimeStep->isChecked();
    link.txtGraphtimestep = txtGraphtimestep->text();
    link.Label14 = Label14->text();
    link.processEvents = hooks.processEvents;
    link.hydrographPlotted = state_.hydrographPlotted;
    hooks.databaseRainfall = [link](ComputeState& s, RainfallBoxes& b) { return databaseRainfall(s, b, link); };
    hooks.databaseFlow = [link](ComputeState& s, RainfallBoxes& b) { return databaseFlow(s, b, link); };
    const ComputeBoxes boxes = computeBoxes();
    const ComputeOutcome outcome = driver_.Command1_Click(state_, MSChart1->grid(), boxes, shell_.folder(),
                                                          shell_.dialogs(), shell_.commonDialog(), hooks);
    applyOutcome(outcome);
}

ComputeBoxes Form3::computeBoxes() const
{
    ComputeBoxes b;
    b.lblL = lblL->text();
    b.Label6 = Label6->text();
    b.Label10 = Label10->text();
    b.Label14 = Label14->text();
    b.ComboDimgraph = ComboDimgraph->currentText();
    b.ComboRain = ComboRain->currentText();
    b.txtelv1 = txtelv1->text();
    b.txtElv2 = txtElv2->text();
    b.txtL = txtL->text();
    b.txtLca = txtLca->text();
    b.txtS = txtS->text();
    b.txtC = txtC->text();
    b.txtLag = txtLag->text();
    b.txtBasinArea = txtBasinArea->text();
    b.GWloss = GWloss->text();
    b.txtCNloss = txtCNloss->text();
    b.txtConstLoss = txtConstLoss->text();
    b.txtPercentImp = txtPercentImp->text();
    b.txtResetLossFactor = txtResetLossFactor->text();
    b.txtGraphtimestep = txtGraphtimestep->text();
    b.txtTitle = txtTitle->text();
    b.txtTile2 = txtTile2->text();
    b.txtDuration = texts(txtDuration);
    b.txtRain = texts(txtRain);
    b.txtArealAdj = texts(txtArealAdj);
    for (std::size_t i = 0; i < optRouteType.size(); ++i)
        if (optRouteType[i]->isChecked()) b.optRouteType = static_cast<int>(i);
    b.chkCombineHDB = chkCombineHDB->isChecked();
    b.txtMuskK = txtMuskK->text();
    b.txtMuskX = txtMuskX->text();
    b.txtModbelv = txtModbelv->text();
    b.txtTatum = txtTatum->text();
    b.capTatum = capTatum->text();
    return b;
}

void Form3::applyOutcome(const ComputeOutcome& outcome)
{
    if (outcome.end == ComputeOutcome::End::Busy) return;
    if (outcome.baseFlowLayout) {
        setTopTwips(lblL, *outcome.baseFlowLayout ? kLengthLabelTopTriangle : kLengthLabelTop);
        GWloss->setVisible(*outcome.baseFlowLayout);
    }
    const RainfallBoxes& rain = outcome.rainfallBoxes;
    if (rain.clearTable) {
        for (QLineEdit* e : txtDuration) e->clear();
        for (QLineEdit* e : txtRain) e->clear();
    }
    if (rain.txtGraphtimestep) txtGraphtimestep->setText(*rain.txtGraphtimestep);
    if (rain.Label14) Label14->setText(*rain.Label14);
    if (rain.txtTile2) txtTile2->setText(*rain.txtTile2);
    if (outcome.caption) setWindowTitle(*outcome.caption);
    if (outcome.chartChanged) MSChart1->refresh();
}

void Form3::chkAreaAdj_Click()
{
    ArealReductionInputs in;
    in.basinArea = txtBasinArea->text();
    in.areaCaption = Label10->text();
    in.ticked = chkAreaAdj->isChecked();
    in.durations = texts(txtDuration);
    guarded(shell_.dialogs(), [&] {
        const auto factors = corv::chkAreaAdj_Click(in, shell_.dialogs());
        for (std::size_t i = 0; i < factors.size(); ++i)
            if (factors[i]) txtArealAdj[i]->setText(*factors[i]);
    });
}

void Form3::txtBasinArea_Change()
{
    // Factors computed for another basin would reduce this one's storm by the wrong
    // amount (a 400 mi^2 factor on a 5 mi^2 basin), so they follow the area.
    if (chkAreaAdj->isChecked()) chkAreaAdj_Click();
}

void Form3::txtDuration_Change()
{
    // A duration added while ticked would otherwise have no factor (its rain taken
    // unreduced) and a changed one would keep the factor of the duration it replaced.
    if (chkAreaAdj->isChecked()) chkAreaAdj_Click();
}

// While the triangle's recession ratios and factors stand in the basin boxes, they are
// no C, elevations or lengths to derive a lag from; nor is the linear reservoir's shape.
void Form3::txtC_Change()
{
    if (!triangleShown_ && !linearShown_) corv::txtC_Change(boxes_);
}
void Form3::txtC_Edited()
{
    if (linearShown_) typedShape_ = txtC->text();
}
// A shape typed for another lag would no longer fit the basin: the lag's own shape
// takes its place.
void Form3::txtLag_Change()
{
    typedShape_.clear();
    corv::txtLag_Change(boxes_);
}
void Form3::txtelv1_LostFocus() { txtElv2_LostFocus(); }
void Form3::txtElv2_LostFocus()
{
    if (!triangleShown_) txtElevation_LostFocus(boxes_);
}
void Form3::txtL_LostFocus() { txtLca_LostFocus(); }
void Form3::txtLca_LostFocus()
{
    if (!triangleShown_) txtLength_LostFocus(boxes_);
}
void Form3::txtLag_LostFocus() { corv::txtLag_LostFocus(boxes_); }

QLineEdit* Form3::Boxes::box(LagBox b) const
{
    switch (b) {
    case LagBox::txtelv1: return f_.txtelv1;
    case LagBox::txtElv2: return f_.txtElv2;
    case LagBox::txtL: return f_.txtL;
    case LagBox::txtLca: return f_.txtLca;
    case LagBox::txtS: return f_.txtS;
    case LagBox::txtC: return f_.txtC;
    case LagBox::shape: return f_.txtC;
    case LagBox::txtLag: return f_.txtLag;
    case LagBox::txtGraphtimestep: return f_.txtGraphtimestep;
    }
    return f_.txtC;
}

// The basin's C is kept aside while the linear reservoir's shape stands in its box.
QString Form3::Boxes::text(LagBox b) const
{
    if (b == LagBox::txtC && f_.linearShown_) return f_.basinC_;
    return box(b)->text();
}
void Form3::Boxes::setText(LagBox b, const QString& text)
{
    if (b == LagBox::txtC && f_.linearShown_) f_.basinC_ = text;
    else if (b != LagBox::shape || f_.linearShown_) box(b)->setText(text);
}
QString Form3::Boxes::lengthCaption() const { return f_.lblL->text(); }
void Form3::Boxes::setTimeStepCaption(const QString& caption) { f_.Label14->setText(caption); }
bool Form3::Boxes::autoTimeStep() const { return f_.chkAutoTimeStep->isChecked(); }
QString Form3::Boxes::methodText() const { return f_.ComboDimgraph->currentText(); }
void Form3::Boxes::yield()
{
    // Repaints and timers only: a click or key must not slip in halfway through.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Form3::Form_QueryUnload(bool& cancel, int unloadMode)
{
    const MsgAnswer answer =
        shell_.dialogs().msgBox(QStringLiteral("Do you want to exit your hydrograph?"), MsgStyle::YesNoQuestion);
    if (unloadMode != 0 || answer != MsgAnswer::No) {
        cancel = false;
        shell_.showMainMenu();
        return;
    }
    cancel = true;
    if (MSChart1->geometryTwips().Top + 111 < state_.chartHome.Top) MSChart1->setGeometryTwips(state_.chartHome);
}

bool Form3::Unload(int unloadMode)
{
    if (computing()) return false;
    bool cancel = false;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel) return false;
    queryAnswered_ = true;
    close();
    return true;
}

void Form3::closeEvent(QCloseEvent* event)
{
    // The window stays while a compute runs: the run works on its chart.
    if (computing()) {
        event->ignore();
        return;
    }
    if (!queryAnswered_) {
        bool cancel = false;
        Form_QueryUnload(cancel, 0);
        if (cancel) {
            event->ignore();
            return;
        }
    }
    event->accept();
    emit unloaded();
}

void Form3::ToggleChartSize()
{
    if (MSChart1->geometryTwips().Top + 111 >= state_.chartHome.Top) {
        MSChart1->setGeometryTwips(TwipGeometry{0, 0, ScaleWidth(), ScaleHeight()});
        MSChart1->raise();
    } else {
        MSChart1->setGeometryTwips(state_.chartHome);
    }
}

}  // namespace corv
