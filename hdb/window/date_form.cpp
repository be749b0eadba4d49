// The period window's controls with their design texts.
#include "hdb/window/date_form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "common/module1.h"
#include "hdb/period.h"

namespace corv {

namespace {

QComboBox* makeList(QWidget* parent, const char* name, const QString& text, int minWidth = 0)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setEditText(text);
    if (minWidth > 0) c->setMinimumWidth(minWidth);
    return c;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

DateForm::DateForm(QWidget* parent) : QWidget(parent)
{
    setObjectName("DateForm");
    setWindowTitle(QStringLiteral("Start/End Dates"));

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName("Frame1");

    Label1 = makeLabel(Frame1, "Label1", QStringLiteral("START DATE"));
    Combo1 = makeList(Frame1, "Combo1", QStringLiteral("01"));
    Combo2 = makeList(Frame1, "Combo2", QStringLiteral("Jan"));
    Combo3 = makeList(Frame1, "Combo3", QStringLiteral("2001"));
    Label4 = makeLabel(Frame1, "Label4", QStringLiteral("HOUR"));
    Combo7 = makeList(Frame1, "Combo7", QStringLiteral("00"));
    Label2 = makeLabel(Frame1, "Label2", QStringLiteral("END DATE"));
    Combo4 = makeList(Frame1, "Combo4", QStringLiteral("01"));
    Combo5 = makeList(Frame1, "Combo5", QStringLiteral("Dec"));
    Combo6 = makeList(Frame1, "Combo6", QStringLiteral("2001"));
    Label5 = makeLabel(Frame1, "Label5", QStringLiteral("HOUR"));
    Combo8 = makeList(Frame1, "Combo8", QStringLiteral("24"));

    ComboDSID = makeList(Frame1, "ComboDSID", noStation(), 320);
    ComboDSID->setToolTip(QStringLiteral("Select rainfall station."));
    ComboUnits = makeList(Frame1, "ComboUnits", QStringLiteral("Unit Values"));
    ComboUnits->setToolTip(QStringLiteral("Select HDB time step."));
    Label6 = makeLabel(Frame1, "Label6", QStringLiteral("Value adjustment"));
    txtRainAdjust = new QLineEdit(QStringLiteral("1.0"), Frame1);
    txtRainAdjust->setObjectName("txtRainAdjust");
    txtRainAdjust->setToolTip(QStringLiteral("Multiply rainfall in HDB by this value."));
    Label3 = makeLabel(Frame1, "Label3", QStringLiteral("HDB Connection String:"));
    Text1 = new QLineEdit(QStringLiteral("Text1"), Frame1);
    Text1->setObjectName("Text1");
    Text1->setToolTip(QStringLiteral("Access database connection string."));

    const QStringList presets = {"Current day",  "Yesterday and today", "Last 7 days",  "Last 30 days",
                                 "Month to date", "Year to date",        "Previous year"};
    for (int i = 0; i < presets.size(); ++i) {
        auto* o = new QRadioButton(presets[i], Frame1);
        o->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        Option1.push_back(o);
    }
    Command1 = new QPushButton(QStringLiteral("Retrieve Data"), Frame1);
    Command1->setObjectName("Command1");

    // Start and end dates in two rows, hour at the end of each.
    auto* dates = new QGridLayout;
    dates->addWidget(Label1, 0, 0);
    dates->addWidget(Combo1, 0, 1);
    dates->addWidget(Combo2, 0, 2);
    dates->addWidget(Combo3, 0, 3);
    dates->addWidget(Label4, 0, 4);
    dates->addWidget(Combo7, 0, 5);
    dates->addWidget(Label2, 1, 0);
    dates->addWidget(Combo4, 1, 1);
    dates->addWidget(Combo5, 1, 2);
    dates->addWidget(Combo6, 1, 3);
    dates->addWidget(Label5, 1, 4);
    dates->addWidget(Combo8, 1, 5);

    auto* presetBox = new QGridLayout;
    for (int i = 0; i < static_cast<int>(Option1.size()); ++i) presetBox->addWidget(Option1[static_cast<std::size_t>(i)], i / 2, i % 2);

    auto* values = new QHBoxLayout;
    values->addWidget(ComboUnits);
    values->addWidget(Label6);
    values->addWidget(txtRainAdjust);

    auto* frame = new QVBoxLayout(Frame1);
    frame->addLayout(dates);
    frame->addLayout(presetBox);
    frame->addWidget(ComboDSID);
    frame->addLayout(values);
    frame->addWidget(Label3);
    frame->addWidget(Text1);
    frame->addWidget(Command1);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Frame1);

    connect(Command1, &QPushButton::clicked, this, &DateForm::Command1_Click);
    connect(Text1, &QLineEdit::textChanged, this, &DateForm::Text1_Change);
    for (int i = 0; i < static_cast<int>(Option1.size()); ++i)
        connect(Option1[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
}

void DateForm::Command1_Click() { hide(); }

void DateForm::Option1_Click(int index)
{
    const PresetPeriod p = presetPeriod(index, today());
    const DateTexts start = dateTexts(p.start);
    const DateTexts end = dateTexts(p.end);
    setListText(Combo1, start.day);
    setListText(Combo2, start.month);
    setListText(Combo3, start.year);
    setListText(Combo4, end.day);
    setListText(Combo5, end.month);
    setListText(Combo6, end.year);
}

void DateForm::Text1_Change() { ++Module1::connectionEdits; }

void DateForm::setConnectionText(const QString& text)
{
    {
        const QSignalBlocker block(Text1);
        Text1->setText(text);
    }
    Text1_Change();
}

void DateForm::Form_QueryUnload(bool& cancel, int unloadMode)
{
    if (unloadMode != 0) return;
    cancel = true;
    Module1::dateFormCancelled = true;
    hide();
}

void DateForm::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel, 0);
    if (cancel) event->ignore();
    else event->accept();
}

void DateForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Minimising the window is no answer: only a hide by the program ends the showing.
    if (!event->spontaneous()) emit hidden();
}

void DateForm::showModal()
{
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    const auto done = connect(this, &DateForm::hidden, &loop, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    emit shownModal();
    // Something done on showing may have hidden it already.
    if (isVisible()) loop.exec();
    disconnect(done);
}

void DateForm::refill(QComboBox* list, const QStringList& items)
{
    const QString text = list->currentText();
    const QSignalBlocker block(list);
    list->clear();
    list->addItems(items);
    setListText(list, text);
}

void DateForm::setStations(const QStringList& items)
{
    refill(ComboDSID, items);
    if (!stationListed()) setListText(ComboDSID, noStation());
}

bool DateForm::stationListed() const
{
    const QString text = ComboDSID->currentText();
    return text == noStation() || ComboDSID->findText(text, Qt::MatchExactly) >= 0;
}

void DateForm::setListText(QComboBox* list, const QString& text)
{
    const int i = list->findText(text, Qt::MatchExactly);
    if (i >= 0) {
        list->setCurrentIndex(i);
    } else {
        list->setCurrentIndex(-1);
        list->setEditText(text);
    }
}

}  // namespace corv
