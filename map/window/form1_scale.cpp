// Form1's scale frame frameScale: its controls and their event procedures.
#include <QGridLayout>
#include <QSignalBlocker>

#include "common/guard.h"
#include "common/twips.h"
#include "map/window/form1.h"

namespace corv {

void Form1::buildScaleFrame()
{
    frameScale = new QGroupBox(QStringLiteral("Scale distance and units"), UserControlPic1);
    frameScale->setObjectName("frameScale");
    frameScale->setAutoFillBackground(true);
    auto* grid = new QGridLayout(frameScale);
    const auto& captions = scaleOptionCaptions();
    for (int i = 0; i < 8; ++i) {
        auto* option = new QRadioButton(captions[static_cast<std::size_t>(i)], frameScale);
        option->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        grid->addWidget(option, i % 4, i / 4);
        Option1[static_cast<std::size_t>(i)] = option;
    }
    Label2 = new QLabel(QStringLiteral("Enter distance:"), frameScale);
    Label2->setObjectName("Label2");
    Text2 = new QLineEdit(scaleFrame_.Text2, frameScale);
    Text2->setObjectName("Text2");
    UpDown1 = new QSpinBox(frameScale);
    UpDown1->setObjectName("UpDown1");
    UpDown1->setRange(ScaleFrameState::UpDownMin, ScaleFrameState::UpDownMax);
    UpDown1->setValue(scaleFrame_.UpDownValue);
    UpDown1->setSingleStep(scaleFrame_.UpDownIncrement);
    UpDown1->setKeyboardTracking(false);  // a typed value counts once, when it is complete
    Command1 = new QPushButton(QStringLiteral("Ok"), frameScale);
    Command1->setObjectName("Command1");
    grid->addWidget(Label2, 4, 0);
    auto* distanceRow = new QHBoxLayout;
    distanceRow->addWidget(Text2);
    distanceRow->addWidget(UpDown1);
    grid->addLayout(distanceRow, 4, 1);
    grid->addWidget(Command1, 5, 1);
    Option1[0]->setChecked(true);

    // The frame's size is the model's, in twips, taken from what its controls need.
    const QSize size = frameScale->sizeHint();
    model_.frameScaleRect.Width = twips::fromPixelsX(size.width());
    model_.frameScaleRect.Height = twips::fromPixelsY(size.height());
    frameScale->hide();

    for (int i = 0; i < 8; ++i)
        connect(Option1[static_cast<std::size_t>(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option1_Click(i);
        });
    connect(Text2, &QLineEdit::textChanged, this, [this](const QString& text) { scaleFrame_.Text2 = text; });
    connect(UpDown1, &QSpinBox::valueChanged, this, [this](int value) {
        scaleFrame_.UpDownValue = value;
        UpDown1_Change();
    });
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

void Form1::refreshScaleFrame()
{
    const TwipRect& r = model_.frameScaleRect;
    frameScale->setGeometry(twips::toPixelsX(r.Left), twips::toPixelsY(r.Top), twips::toPixelsX(r.Width),
                            twips::toPixelsY(r.Height));
    frameScale->setVisible(model_.frameScaleVisible);
    if (model_.frameScaleVisible) frameScale->raise();

    const ScaleFrameState& f = scaleFrame_;
    if (f.Option1 >= 0 && f.Option1 < 8) {
        QRadioButton* option = Option1[static_cast<std::size_t>(f.Option1)];
        const QSignalBlocker block(option);
        option->setChecked(true);
    }
    if (Text2->text() != f.Text2) {
        const QSignalBlocker block(Text2);
        Text2->setText(f.Text2);
    }
    const QSignalBlocker block(UpDown1);
    UpDown1->setSingleStep(f.UpDownIncrement);
    UpDown1->setValue(f.UpDownValue);
}

void Form1::Command1_Click()
{
    guarded(shell_.dialogs(), [&] { applyScale(model_, scaleFrame_, shell_.dialogs()); });
    refresh();
}

void Form1::Option1_Click(int index)
{
    scaleFrame_.Option1 = index;
    guarded(shell_.dialogs(), [&] { scaleOptionClick(model_, scaleFrame_); });
    refresh();
}

void Form1::UpDown1_Change()
{
    guarded(shell_.dialogs(), [&] { upDownChange(model_, scaleFrame_); });
    refresh();
}

}  // namespace corv
