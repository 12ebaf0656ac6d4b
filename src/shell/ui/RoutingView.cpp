#include "shell/ui/RoutingView.h"

#include "link/Frames.h"
#include "shell/ui/ConnectionPanel.h"
#include "shell/ui/LCD99.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ShellPictures.h"
#include "shell/ui/ShowInOutInfo.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStringList>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr std::uint8_t CmdRouting = 2;
constexpr std::uint8_t SubGetRoute = 1;
constexpr std::uint8_t SubSetRoute = 3;

constexpr int OutputTagBase = 40;
constexpr int PortToPortTag = 100;
constexpr int AllOutputsTag = 4;
constexpr int InfoOffsetY = 28;
constexpr int InfoPadding = 10;
constexpr int InitialDigitPlaces = 4;
constexpr int InitialInput = 8;
constexpr int GroupColumns = 2;

const QString IdleNote = QStringLiteral("Output from Input");

struct MenuItem
{
    const char *name;
    const char *caption;
    int tag;
};

// "All Outputs" carries 8 until the window is shown; FormShow sets it to 4.
constexpr std::array<MenuItem, 9> MenuItems{{
    {"mnuAllOutputs", "All Outputs", 8},
    {"N1Output1", "1 Output", 1},
    {"o21", "2 Outputs", 2},
    {"N3Outputs1", "3 Outputs", 3},
    {"N4Outputs1", "4 Outputs", 4},
    {"N5Outputs1", "5 Outputs", 5},
    {"N6Outputs1", "6 Outputs", 6},
    {"N7Outputs1", "7 Outputs", 7},
    {"PorttoPort1", "Port to Port", PortToPortTag},
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

int intProperty(const QObject *object, const char *name)
{
    return object ? object->property(name).toInt() : 0;
}

} // namespace

RoutingView::RoutingView(TForm1 &form, QWidget *page) : QObject(page), m_form(form), m_page(page)
{
    setObjectName(QStringLiteral("routingView"));
    buildPanel(page);
    buildMenu(page);
    buildOption();

    watchLeaveArea(&m_form);
    watchLeaveArea(m_form.pcContainer);
    watchLeaveArea(page);
    watchLeaveArea(Panel3);
    watchLeaveArea(lblNote);
    for (QGroupBox *group : outputGroups)
        watchLeaveArea(group);
    watchPresetArea();

    m_form.hooks().SetDisplayDigits = [this] { SetDisplayDigits(); };
    m_form.setPageShowHandler(page, [this] { tsSettingShow(); });
}

// ---------------------------------------------------------------------------------------------
// Construction

void RoutingView::buildPanel(QWidget *page)
{
    Panel3 = new QFrame(page);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setAccessibleName(QStringLiteral("Routing"));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *column = new QVBoxLayout(Panel3);
    auto *groups = new QGridLayout;
    for (int output = 1; output <= PortCount; ++output) {
        QGroupBox *group = buildOutputGroup(output, Panel3);
        outputGroups[output - 1] = group;
        groups->addWidget(group, (output - 1) / GroupColumns, (output - 1) % GroupColumns);
        group->setVisible(output <= VisiblePorts);
    }
    column->addLayout(groups);
    column->addStretch(1);

    lblNote = new QLabel(IdleNote, Panel3);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setAccessibleName(QStringLiteral("Note"));
    lblNote->setTextFormat(Qt::PlainText);
    QFont bold = lblNote->font();
    bold.setBold(true);
    lblNote->setFont(bold);
    column->addWidget(lblNote);

    // The page lays out side by side: the routing panel here, the presets beside it.
    if (QLayout *layout = page->layout())
        layout->addWidget(Panel3);
}

QGroupBox *RoutingView::buildOutputGroup(int output, QWidget *parent)
{
    auto *group = new QGroupBox(outputName(output), parent);
    group->setObjectName(groupName(output));
    group->setAccessibleName(outputName(output));
    auto *layout = new QVBoxLayout(group);

    auto *top = new QHBoxLayout;
    auto makeStep = [&](bool next) {
        auto *button = new QToolButton(group);
        const char *stem = next ? "sbNext" : "sbPrevious";
        button->setObjectName(stepButtonName(stem, output));
        button->setAccessibleName(
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
    previousButtons[output - 1] = makeStep(false);
    nextButtons[output - 1] = makeStep(true);

    auto *led = new TLCD99(group);
    led->setObjectName(QStringLiteral("LED") + QString::number(output));
    led->setAccessibleName(QStringLiteral("Input feeding ") + outputName(output));
    led->setProperty("Tag", output);
    led->setDigitCount(InitialDigitPlaces);
    led->setText(QString::number(InitialInput));
    led->setMinimumSize(64, 40);
    displays[output - 1] = led;

    top->addWidget(previousButtons[output - 1]);
    top->addWidget(led, 1);
    top->addWidget(nextButtons[output - 1]);
    layout->addLayout(top);

    auto *row = new QHBoxLayout;
    for (int input = 1; input <= PortCount; ++input) {
        auto *button = new QToolButton(group);
        button->setObjectName(inputButtonName(output, input));
        button->setText(QString::number(input));
        button->setAccessibleName(outputName(output) + QStringLiteral(" from ") + inputName(input));
        button->setProperty("Tag", input);
        button->setProperty("GroupIndex", output);
        button->setCheckable(true);
        // The input that feeds the output stands out clearly from the others.
        button->setStyleSheet(QStringLiteral(
            "QToolButton:checked { background: #2f6fd0; color: white; font-weight: bold; "
            "border: 1px solid #1d4f9a; border-radius: 3px; }"));
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
                    m_form.HoveredButton = button;
                    pm->popup(button->mapToGlobal(pos));
                });
        m_inputButtons[output - 1][input - 1] = button;
        row->addWidget(button);
    }
    row->addStretch(1);
    m_inputButtons[output - 1][InitialInput - 1]->setChecked(true);
    layout->addLayout(row);
    return group;
}

void RoutingView::buildMenu(QWidget *page)
{
    pm = new QMenu(page);
    pm->setObjectName(QStringLiteral("pm"));
    pm->setAccessibleName(QStringLiteral("Route several outputs"));
    for (const MenuItem &item : MenuItems) {
        auto *action = new QAction(QLatin1String(item.caption), pm);
        action->setObjectName(QLatin1String(item.name));
        action->setProperty("Tag", item.tag);
        connect(action, &QAction::triggered, this, [this, action] { mnuAllOutputsClick(action); });
        pm->addAction(action);
        if (action->objectName() == QLatin1String("mnuAllOutputs")) {
            mnuAllOutputs = action;
            QAction *separator = pm->addSeparator();
            separator->setObjectName(QStringLiteral("N1"));
        } else if (action->objectName() == QLatin1String("PorttoPort1")) {
            PorttoPort1 = action;
        }
    }
    connect(pm, &QMenu::aboutToShow, this, &RoutingView::pmPopup);
}

void RoutingView::buildOption()
{
    const QString caption = QStringLiteral("Display Input, Output tags when focus setting buttons");
    cbDisplayTag = new QCheckBox(caption, m_form.tsGeneral);
    cbDisplayTag->setObjectName(QStringLiteral("cbDisplayTag"));
    cbDisplayTag->setAccessibleName(caption);
    if (ConnectionPanel *connection = m_form.connection()) {
        QVBoxLayout *column = connection->column();
        // Above the stretch that closes the column.
        column->insertWidget(std::max(0, column->count() - 1), cbDisplayTag);
    } else if (QLayout *layout = m_form.tsGeneral->layout()) {
        layout->addWidget(cbDisplayTag);
    }
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

void RoutingView::watchPresetArea()
{
    // The presets beside the groups are added by their own feature, possibly after this one.
    watchLeaveArea(m_form.findChild<QWidget *>(QStringLiteral("GroupBox12")));
    watchLeaveArea(m_form.findChild<QWidget *>(QStringLiteral("lvPreSetting")));
}

// ---------------------------------------------------------------------------------------------
// Lookups

QAbstractButton *RoutingView::inputButton(int output, int input) const
{
    if (output < 1 || output > PortCount || input < 1 || input > PortCount)
        return nullptr;
    return m_inputButtons[output - 1][input - 1];
}

TLCD99 *RoutingView::display(int output) const
{
    if (output < 1 || output > PortCount)
        return nullptr;
    return displays[output - 1];
}

bool RoutingView::isInputButton(const QObject *button) const
{
    if (!button)
        return false;
    const int output = intProperty(button, "GroupIndex");
    const int input = intProperty(button, "Tag");
    return inputButton(output, input) == button;
}

bool RoutingView::isStepButton(const QObject *button) const
{
    if (!button)
        return false;
    return std::find(previousButtons.begin(), previousButtons.end(), button) !=
               previousButtons.end() ||
           std::find(nextButtons.begin(), nextButtons.end(), button) != nextButtons.end();
}

int RoutingView::shownInput(int output) const
{
    const TLCD99 *led = display(output);
    return led ? led->text().toInt() : 0;
}

QString RoutingView::portTag(int tag) const
{
    const QLineEdit *edit = m_form.FindTagEdit(tag);
    return edit ? edit->text() : QString();
}

void RoutingView::releaseInputs(int output)
{
    for (QToolButton *button : m_inputButtons[output - 1]) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

// ---------------------------------------------------------------------------------------------
// Routing

void RoutingView::SetDisplayDigits()
{
    for (int output = 1; output <= VisiblePorts; ++output)
        displays[output - 1]->setDigitCount(1);
    watchPresetArea();
}

void RoutingView::tsSettingShow()
{
    watchPresetArea();
    selectFirstPreset();
    m_page->repaint();
    RefreshRouting();
    m_page->repaint();
}

void RoutingView::selectFirstPreset()
{
    auto *presets = m_form.findChild<QAbstractItemView *>(QStringLiteral("lvPreSetting"));
    if (!presets || !presets->model() || !presets->selectionModel())
        return;
    if (presets->model()->rowCount() > 0 && !presets->selectionModel()->hasSelection())
        presets->setCurrentIndex(presets->model()->index(0, 0));
}

bool RoutingView::RefreshRouting()
{
    TCommandResult result;
    for (int output = 1; output <= VisiblePorts; ++output) {
        result = TCommandResult{};
        m_form.RunCommand(QStringLiteral("Getting ") + outputName(output) + QStringLiteral(" ..."),
                          CmdRouting, SubGetRoute, std::uint16_t(output), 0, 0, 0, result);
        if (!result.Success)
            break;
        const int input = result.r6();
        displays[output - 1]->setText(QString::number(input));
        // An input the view has no button for is only shown.
        if (QAbstractButton *button = inputButton(output, input))
            button->setChecked(true);
    }
    return result.Success != 0;
}

void RoutingView::sbSetInputClick(QAbstractButton *button)
{
    if (!isInputButton(button))
        return;
    const int output = intProperty(button, "GroupIndex");
    const int input = intProperty(button, "Tag");
    TLCD99 *led = displays[output - 1];
    const QString previousText = led->text();
    QAbstractButton *previousButton = inputButton(output, previousText.toInt());

    button->setChecked(true);
    button->repaint();
    led->setText(QString::number(input));
    led->repaint();

    TCommandResult result;
    m_form.RunCommand(QStringLiteral("Setting..."), CmdRouting, SubSetRoute, std::uint16_t(input),
                      std::uint16_t(output), 0, 0, result);
    if (result.Success)
        return;

    // The switcher kept its routing: show what it was before the click.
    if (previousButton)
        previousButton->setChecked(true);
    else
        releaseInputs(output);
    led->setText(previousText);
    led->repaint();
    if (previousButton)
        previousButton->repaint();
    m_form.RoutingAborted = true;
}

void RoutingView::sbPreviousClick(QAbstractButton *button)
{
    if (!isStepButton(button))
        return;
    const int tag = intProperty(button, "Tag");
    const int output = (tag + 1) / 2;
    const int current = shownInput(output);
    const bool previous = tag % 2 == 1;
    int input = previous ? current - 1 : current + 1;
    // Outside the four inputs (also from a number no button stands for) the steps wrap:
    // previous lands on the last input, next on the first.
    if (input < 1 || input > VisiblePorts)
        input = previous ? VisiblePorts : 1;
    sbSetInputClick(inputButton(output, input));
}

void RoutingView::mnuAllOutputsClick(QAction *item)
{
    QAbstractButton *hovered = m_form.HoveredButton;
    if (!item || !isInputButton(hovered))
        return;
    const int tag = intProperty(item, "Tag");
    const int hoveredOutput = intProperty(hovered, "GroupIndex");
    const int hoveredInput = intProperty(hovered, "Tag");

    m_form.RoutingAborted = false;
    int first = hoveredOutput;
    int last = std::min(hoveredOutput + tag - 1, VisiblePorts);
    if (tag == AllOutputsTag || tag == PortToPortTag) {
        first = 1;
        last = VisiblePorts;
    }
    for (int output = first; output <= last; ++output) {
        QAbstractButton *target = inputButton(output, tag == PortToPortTag ? output : hoveredInput);
        if (!target)
            break;
        target->setChecked(true);
        sbSetInputClick(target);
        if (m_form.RoutingAborted)
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Note line and tag window

QString RoutingView::NoteText(int output, int input) const
{
    const QString outputTag = output <= VisiblePorts ? portTag(OutputTagBase + output) : QString();
    const QString inputTag = input >= 1 && input <= VisiblePorts ? portTag(input) : QString();
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
    const bool input = isInputButton(button);
    if (!input && !isStepButton(button))
        return;
    m_form.HoveredButton = button;
    int output = 0;
    int inputNumber = 0;
    if (input) {
        output = intProperty(button, "GroupIndex");
        inputNumber = intProperty(button, "Tag");
    } else {
        output = (intProperty(button, "Tag") + 1) / 2;
        inputNumber = shownInput(output);
    }
    lblNote->setText(NoteText(output, inputNumber));

    const bool anyTag = BuildTagInfo();
    TfrmShowInOutInfo *info = m_form.windows().frmShowInOutInfo;
    if (anyTag && cbDisplayTag->isChecked() && input && info) {
        info->move(globalPos + QPoint(0, InfoOffsetY));
        info->show();
        info->lblInfo->repaint();
    }
}

bool RoutingView::BuildTagInfo()
{
    QStringList lines;
    bool anyTag = false;
    auto addLine = [&](const QString &port, int tag) {
        const QString text = portTag(tag);
        anyTag = anyTag || !text.isEmpty();
        lines << (text.isEmpty() ? port + QStringLiteral(" - No tag")
                                 : port + QStringLiteral(" - [") + text + QLatin1Char(']'));
    };
    for (int output = 1; output <= VisiblePorts; ++output)
        addLine(outputName(output), OutputTagBase + output);
    for (int input = 1; input <= VisiblePorts; ++input)
        addLine(inputName(input), input);

    TfrmShowInOutInfo *info = m_form.windows().frmShowInOutInfo;
    if (!info)
        return anyTag;
    info->setFont(info->lblInfo->font());
    // The label draws a carriage return + line feed as one line break.
    info->lblInfo->setText(lines.join(QStringLiteral("\r\n")));
    const QFontMetrics metrics(info->lblInfo->font());
    int width = 0;
    int height = 0;
    for (const QString &line : std::as_const(lines)) {
        width = std::max(width, metrics.horizontalAdvance(line));
        height += metrics.height();
    }
    info->setFixedSize(width + InfoPadding, height + InfoPadding);
    return anyTag;
}

void RoutingView::gbOutput1MouseMove()
{
    lblNote->setText(IdleNote);
    TfrmShowInOutInfo *info = m_form.windows().frmShowInOutInfo;
    if (info && info->isVisible())
        info->close();
}

void RoutingView::pmPopup()
{
    TfrmShowInOutInfo *info = m_form.windows().frmShowInOutInfo;
    if (info && info->isVisible())
        info->close();
}

bool RoutingView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (isInputButton(watched) || isStepButton(watched)) {
            const auto *move = static_cast<QMouseEvent *>(event);
            sbSetInputMouseMove(static_cast<QAbstractButton *>(watched),
                                move->globalPosition().toPoint());
        } else if (m_leaveArea.contains(watched)) {
            gbOutput1MouseMove();
        }
    }
    return QObject::eventFilter(watched, event);
}
