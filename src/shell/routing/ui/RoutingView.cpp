#include "shell/routing/ui/RoutingView.h"

#include "shell/porttags/PortTagsModel.h"
#include "shell/routing/RoutingController.h"
#include "shell/routing/RoutingState.h"
#include "shell/routing/ui/LCD99.h"
#include "shell/routing/ui/RoutingKeys.h"
#include "shell/routing/ui/ShowInOutInfo.h"
#include "shell/settings/AppSettings.h"
#include "ui/ShellPictures.h"
#include "ui/WidgetNames.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStringList>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int InfoOffsetY = 28;
constexpr int InitialDigitPlaces = 4;
constexpr int GroupColumns = 2;

const QString IdleNote = QStringLiteral("Output from Input");

struct MenuItem
{
    const char *name;
    const char *caption;
    int count;
};

// "All Outputs" counts 8 until the window is shown, then 4.
constexpr std::array<MenuItem, 9> MenuItems{{
    {"mnuAllOutputs", "All Outputs", 8},
    {"N1Output1", "1 Output", 1},
    {"o21", "2 Outputs", 2},
    {"N3Outputs1", "3 Outputs", 3},
    {"N4Outputs1", "4 Outputs", 4},
    {"N5Outputs1", "5 Outputs", 5},
    {"N6Outputs1", "6 Outputs", 6},
    {"N7Outputs1", "7 Outputs", 7},
    {"PorttoPort1", "Port to Port", RoutingController::PortToPortTag},
}};

QString outputName(int output)
{
    return QStringLiteral("Output") + QString::number(output);
}

QString inputName(int input)
{
    return QStringLiteral("Input") + QString::number(input);
}

QString groupName(int output)
{
    return output == 1 ? QStringLiteral("gbOutput1")
                       : QStringLiteral("GroupBox") + QString::number(output);
}

QString inputButtonName(int output, int input)
{
    const int index = (output - 1) * RoutingView::PortCount + input;
    return index == 1 ? QStringLiteral("sbSetInput")
                      : QStringLiteral("SpeedButton") + QString::number(index);
}

QString stepButtonName(const char *stem, int output)
{
    const QString name = QLatin1String(stem);
    return output == 1 ? name : name + QString::number(output);
}

} // namespace

RoutingView::RoutingView(RoutingController &controller, RoutingState &state, PortTagsModel &tags,
                         TfrmShowInOutInfo &info, QWidget *parent)
    : QFrame(parent), m_controller(controller), m_state(state), m_tags(tags), m_info(info),
      m_infoAlive(&info)
{
    setObjectName(QStringLiteral("Panel3"));
    setAccessibleName(QStringLiteral("Routing"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *column = new QVBoxLayout(this);
    auto *groups = new QGridLayout;
    for (int output = 1; output <= PortCount; ++output) {
        QGroupBox *group = buildOutputGroup(output);
        m_groups[std::size_t(output - 1)] = group;
        groups->addWidget(group, (output - 1) / GroupColumns, (output - 1) % GroupColumns);
        group->setVisible(output <= VisiblePorts);
    }
    column->addLayout(groups);
    column->addStretch(1);

    lblNote = named(new QLabel(IdleNote, this), "lblNote", QStringLiteral("Note"));
    lblNote->setTextFormat(Qt::PlainText);
    QFont bold = lblNote->font();
    bold.setBold(true);
    lblNote->setFont(bold);
    column->addWidget(lblNote);

    buildMenu();
    const QString caption = QStringLiteral("Display Input, Output tags when focus setting buttons");
    cbDisplayTag = named(new QCheckBox(caption, this), "cbDisplayTag", caption);

    watchLeaveArea(this);
    watchLeaveArea(lblNote);
    for (QGroupBox *group : m_groups)
        watchLeaveArea(group);
    connect(&m_state, &RoutingState::changed, this, &RoutingView::showInput);
    connect(&m_state, &RoutingState::certaintyChanged, this,
            [this](int output) { showCertainty(output); });
    connect(&m_state, &RoutingState::sizeChanged, this, &RoutingView::showSize);
    connect(&m_controller, &RoutingController::routeRefused, this, &RoutingView::showRefusal);
}

QGroupBox *RoutingView::buildOutputGroup(int output)
{
    auto *group =
        named(new QGroupBox(outputName(output), this), groupName(output), outputName(output));
    auto *layout = new QVBoxLayout(group);

    auto *top = new QHBoxLayout;
    auto makeStep = [&](bool next) {
        auto *button =
            named(new QToolButton(group), stepButtonName(next ? "sbNext" : "sbPrevious", output),
                  (next ? QStringLiteral("Next input of ") : QStringLiteral("Previous input of ")) +
                      outputName(output));
        button->setIcon(ShellPictures::arrow(next));
        button->setProperty("Tag", next ? 2 * output : 2 * output - 1);
        button->setMouseTracking(true);
        button->setAttribute(Qt::WA_NoMousePropagation);
        button->installEventFilter(this);
        connect(button, &QToolButton::clicked, this, [this, button] { sbPreviousClick(button); });
        return button;
    };
    m_previousButtons[std::size_t(output - 1)] = makeStep(false);
    m_nextButtons[std::size_t(output - 1)] = makeStep(true);

    auto *led = named(new TLCD99(group), QStringLiteral("LED") + QString::number(output),
                      outputName(output));
    led->setProperty("Tag", output);
    led->setDigitCount(InitialDigitPlaces);
    led->setText(QString::number(m_state.input(output)));
    led->setMinimumSize(64, 40);
    m_displays[std::size_t(output - 1)] = led;

    top->addWidget(m_previousButtons[std::size_t(output - 1)]);
    top->addWidget(led, 1);
    top->addWidget(m_nextButtons[std::size_t(output - 1)]);
    layout->addLayout(top);

    auto *row = new QHBoxLayout;
    for (int input = 1; input <= PortCount; ++input) {
        auto *button = named(new QToolButton(group), inputButtonName(output, input),
                             outputName(output) + QStringLiteral(" from ") + inputName(input));
        button->setText(QString::number(input));
        // The port numbers, for desktop automation: Tag is the input, GroupIndex the output.
        button->setProperty("Tag", input);
        button->setProperty("GroupIndex", output);
        button->setCheckable(true);
        // The input that feeds the output stands out clearly from the others; one the
        // switcher has not confirmed yet is only outlined.
        button->setStyleSheet(
            QStringLiteral("QToolButton:checked { background: palette(highlight); "
                           "color: palette(highlighted-text); font-weight: bold; "
                           "border: 1px solid palette(dark); border-radius: 3px; }"
                           "QToolButton[pending=\"true\"]:checked { background: transparent; "
                           "color: palette(text); border: 2px dashed palette(highlight); }"));
        // The buttons of one output share the group box as parent: one of them is down.
        button->setAutoExclusive(true);
        button->setMinimumSize(32, 28);
        button->setMouseTracking(true);
        button->setAttribute(Qt::WA_NoMousePropagation);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        button->installEventFilter(this);
        button->setVisible(input <= VisiblePorts);
        connect(button, &QToolButton::clicked, this, [this, button] { sbSetInputClick(button); });
        connect(button, &QToolButton::customContextMenuRequested, this,
                [this, button](const QPoint &pos) {
                    // The menu acts on the button it was opened on, even when opened from
                    // the keyboard without a mouse move.
                    m_hovered = button;
                    pm->popup(button->mapToGlobal(pos));
                });
        m_inputButtons[std::size_t(output - 1)][std::size_t(input - 1)] = button;
        row->addWidget(button);
    }
    row->addStretch(1);
    m_inputButtons[std::size_t(output - 1)][std::size_t(m_state.input(output) - 1)]->setChecked(
        true);
    layout->addLayout(row);
    return group;
}

void RoutingView::buildMenu()
{
    pm = named(new QMenu(this), "pm", QStringLiteral("Route several outputs"));
    for (const MenuItem &item : MenuItems) {
        auto *action = new QAction(QLatin1String(item.caption), pm);
        action->setObjectName(QLatin1String(item.name));
        action->setProperty("Tag", item.count);
        connect(action, &QAction::triggered, this, [this, action] { mnuAllOutputsClick(action); });
        pm->addAction(action);
        if (action->objectName() == QLatin1String("mnuAllOutputs")) {
            mnuAllOutputs = action;
            pm->addSeparator()->setObjectName(QStringLiteral("N1"));
        }
    }
    connect(pm, &QMenu::aboutToShow, this, &RoutingView::pmPopup);
}

void RoutingView::watchLeaveArea(QWidget *widget)
{
    if (!widget || m_leaveArea.contains(widget))
        return;
    m_leaveArea.insert(widget);
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    if (auto *scrolling = qobject_cast<QAbstractScrollArea *>(widget))
        watchLeaveArea(scrolling->viewport());
}

// ---------------------------------------------------------------------------------------------
// Lookups

QAbstractButton *RoutingView::FindInputButton(int output, int input) const
{
    if (output < 1 || output > PortCount || input < 1 || input > PortCount)
        return nullptr;
    return m_inputButtons[std::size_t(output - 1)][std::size_t(input - 1)];
}

TLCD99 *RoutingView::FindDisplay(int output) const
{
    if (output < 1 || output > PortCount)
        return nullptr;
    return m_displays[std::size_t(output - 1)];
}

RoutingView::ButtonPlace RoutingView::placeOf(const QObject *button) const
{
    for (int output = 1; button && output <= PortCount; ++output) {
        const auto index = std::size_t(output - 1);
        if (m_previousButtons[index] == button)
            return {output, 0, true};
        if (m_nextButtons[index] == button)
            return {output, 0, false};
        for (int input = 1; input <= PortCount; ++input) {
            if (m_inputButtons[index][std::size_t(input - 1)] == button)
                return {output, input, false};
        }
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Routing

void RoutingView::showInput(int output, int input)
{
    TLCD99 *led = FindDisplay(output);
    if (!led)
        return;
    // An input the view has no button for is only shown in the display.
    if (QAbstractButton *button = FindInputButton(output, input)) {
        button->setChecked(true);
        button->repaint();
    }
    led->setText(QString::number(input));
    led->repaint();
}

void RoutingView::showRefusal(int output)
{
    if (output < 1 || output > PortCount || FindInputButton(output, m_state.input(output)))
        return;
    // The button clicked is released: none stands for the input shown again.
    for (QToolButton *button : m_inputButtons[std::size_t(output - 1)]) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void RoutingView::showCertainty(int output)
{
    TLCD99 *led = FindDisplay(output);
    if (!led)
        return;
    const bool pending = m_state.certainty(output) == RoutingState::Certainty::Pending;
    for (QToolButton *button : m_inputButtons[std::size_t(output - 1)]) {
        if (button->property("pending").toBool() == pending)
            continue;
        button->setProperty("pending", pending);
        // A dynamic property takes effect in the style sheet once the button is polished
        // again.
        button->style()->unpolish(button);
        button->style()->polish(button);
        button->repaint();
    }
    led->setDimmed(pending);
    led->repaint();
}

void RoutingView::showSize(int inputs, int outputs)
{
    for (int output = 1; output <= PortCount; ++output) {
        const auto index = std::size_t(output - 1);
        m_groups[index]->setVisible(output <= outputs);
        for (int input = 1; input <= PortCount; ++input)
            m_inputButtons[index][std::size_t(input - 1)]->setVisible(input <= inputs);
        if (output <= outputs)
            m_displays[index]->setDigitCount(1);
    }
}

void RoutingView::focusOutput(int output)
{
    if (output < 1 || output > m_state.outputs())
        return;
    QAbstractButton *target = FindInputButton(output, m_state.input(output));
    if (!target || !target->isVisible())
        target = FindInputButton(output, 1);
    target->setFocus(Qt::ShortcutFocusReason);
}

bool RoutingView::routingKey(const QKeyEvent *key)
{
    // Only while the routing area has the focus: the keys of every other control stay theirs.
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return false;
    const RoutingKeys::Action action =
        RoutingKeys::Interpret(key->key(), key->modifiers(), m_state.inputs(), m_state.outputs());
    const ButtonPlace place = placeOf(focus);
    switch (action.kind) {
    case RoutingKeys::Kind::None:
        return false;
    case RoutingKeys::Kind::PickOutput:
        focusOutput(action.number);
        return true;
    case RoutingKeys::Kind::PickInput:
        // A number routes the output whose button has the focus.
        if (place.output == 0)
            return false;
        m_controller.route(place.output, action.number);
        focusOutput(place.output);
        return true;
    }
    return false;
}

void RoutingView::SetDisplayDigits()
{
    for (int output = 1; output <= VisiblePorts; ++output)
        m_displays[std::size_t(output - 1)]->setDigitCount(1);
}

void RoutingView::enableAllOutputs()
{
    mnuAllOutputs->setProperty("Tag", RoutingController::AllOutputsTag);
}

void RoutingView::tsSettingShow()
{
    repaint();
    m_controller.RefreshRouting();
    repaint();
}

void RoutingView::sbSetInputClick(QAbstractButton *button)
{
    const ButtonPlace place = placeOf(button);
    if (place.input == 0)
        return;
    m_controller.route(place.output, place.input);
}

void RoutingView::sbPreviousClick(QAbstractButton *button)
{
    const ButtonPlace place = placeOf(button);
    if (place.output == 0 || place.input != 0)
        return;
    m_controller.step(place.output, place.previous);
}

void RoutingView::mnuAllOutputsClick(QAction *item)
{
    const ButtonPlace hovered = placeOf(m_hovered);
    if (!item || hovered.input == 0)
        return;
    m_controller.routeSeveral(item->property("Tag").toInt(), hovered.output, hovered.input);
}

// ---------------------------------------------------------------------------------------------
// Note line and tag window

QString RoutingView::NoteText(int output, int input) const
{
    const QString outputTag = output <= VisiblePorts ? m_tags.outputTag(output) : QString();
    const QString inputTag =
        input >= 1 && input <= VisiblePorts ? m_tags.inputTag(input) : QString();
    QString note = outputName(output);
    note += outputTag.isEmpty() ? QStringLiteral(" from ")
                                : QStringLiteral(" - [") + outputTag + QStringLiteral("] from ");
    note += inputName(input);
    if (!inputTag.isEmpty())
        note += QStringLiteral(" - [") + inputTag + QLatin1Char(']');
    return note;
}

void RoutingView::sbSetInputMouseMove(QAbstractButton *button, const QPoint &globalPos)
{
    const ButtonPlace place = placeOf(button);
    if (place.output == 0)
        return;
    m_hovered = button;
    const bool input = place.input != 0;
    const int inputNumber = input ? place.input : m_state.input(place.output);
    lblNote->setText(NoteText(place.output, inputNumber));

    const bool anyTag = BuildTagInfo();
    if (anyTag && cbDisplayTag->isChecked() && input) {
        m_info.move(globalPos + QPoint(0, InfoOffsetY));
        m_info.show();
        m_info.repaint();
    }
}

bool RoutingView::BuildTagInfo()
{
    QStringList lines;
    bool anyTag = false;
    auto addLine = [&](const QString &port, const QString &text) {
        anyTag = anyTag || !text.isEmpty();
        lines << (text.isEmpty() ? port + QStringLiteral(" - No tag")
                                 : port + QStringLiteral(" - [") + text + QLatin1Char(']'));
    };
    for (int output = 1; output <= VisiblePorts; ++output)
        addLine(outputName(output), m_tags.outputTag(output));
    for (int input = 1; input <= VisiblePorts; ++input)
        addLine(inputName(input), m_tags.inputTag(input));
    m_info.showLines(lines);
    return anyTag;
}

void RoutingView::gbOutput1MouseMove()
{
    lblNote->setText(IdleNote);
    closeTagWindow();
}

void RoutingView::pmPopup()
{
    closeTagWindow();
}

void RoutingView::closeTagWindow()
{
    if (m_infoAlive && m_info.isVisible())
        m_info.close();
}

bool RoutingView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && routingKey(static_cast<QKeyEvent *>(event)))
        return true;
    if (event->type() == QEvent::MouseMove) {
        if (placeOf(watched).output != 0) {
            const auto *move = static_cast<QMouseEvent *>(event);
            sbSetInputMouseMove(static_cast<QAbstractButton *>(watched),
                                move->globalPosition().toPoint());
        } else if (m_leaveArea.contains(watched)) {
            gbOutput1MouseMove();
        }
    } else if (event->type() == QEvent::Leave && placeOf(watched).output != 0) {
        // The pointer may leave a button for a place no mouse move reaches (another window).
        closeTagWindow();
    }
    return QFrame::eventFilter(watched, event);
}

bool RoutingView::event(QEvent *event)
{
    // Some platforms hand the focus to the tag window itself as it appears.
    const bool focusLost =
        event->type() == QEvent::WindowDeactivate && m_infoAlive && !m_info.isActiveWindow();
    if (focusLost || event->type() == QEvent::Hide)
        closeTagWindow();
    return QFrame::event(event);
}

void RoutingView::applySettings(const AppSettings &settings)
{
    cbDisplayTag->setChecked(settings.displayTag);
}

void RoutingView::collectSettings(AppSettings &settings) const
{
    settings.displayTag = cbDisplayTag->isChecked();
}
