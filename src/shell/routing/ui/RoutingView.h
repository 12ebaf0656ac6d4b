#pragma once

#include "shell/settings/SettingsPart.h"

#include <QFrame>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>

#include <array>

class PortTagsModel;
class QAbstractButton;
class QAction;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QToolButton;
class RoutingController;
class RoutingState;
class TLCD99;
class TfrmShowInOutInfo;

/// The routing panel of the "Setting" page (Panel3): per output a digit display of the input
/// that feeds it, one button per input and previous/next buttons; a popup menu that routes
/// several outputs at once; the note line and the tag window that name the ports under the
/// mouse. It also owns the General page's option that switches the tag window on.
class RoutingView : public QFrame, public SettingsPart
{
    Q_OBJECT
public:
    static constexpr int PortCount = 8;    // controls exist for eight outputs and inputs
    static constexpr int VisiblePorts = 4; // every operation works on ports 1..4

    RoutingView(RoutingController &controller, RoutingState &state, PortTagsModel &tags,
                TfrmShowInOutInfo &info, QWidget *parent = nullptr);

    /// The option "Display Input, Output tags when focus setting buttons", for the General
    /// page.
    QCheckBox *displayTagOption() const { return cbDisplayTag; }
    /// A widget where the mouse has left the routing buttons: the note returns to its idle
    /// text and the tag window closes there.
    void watchLeaveArea(QWidget *widget);

    /// The button of input `input` in the group of output `output` (both 1..8), or null.
    QAbstractButton *FindInputButton(int output, int input) const;
    TLCD99 *FindDisplay(int output) const;
    /// The note line for output `output` fed from input `input`.
    QString NoteText(int output, int input) const;
    /// Fills the tag window; whether any of the eight tags is set.
    bool BuildTagInfo();

    // Handlers.
    void tsSettingShow();
    void sbSetInputClick(QAbstractButton *button);
    void sbPreviousClick(QAbstractButton *button);
    void mnuAllOutputsClick(QAction *item);
    void sbSetInputMouseMove(QAbstractButton *button, const QPoint &globalPos);
    void gbOutput1MouseMove();
    void pmPopup();
    /// Closes the floating tag window when it is open.
    void closeTagWindow();
    /// The digit displays of outputs 1-4 to one place.
    void SetDisplayDigits();
    /// "All Outputs" routes all four outputs from now on (before, it routes from the output
    /// under the mouse to the last).
    void enableAllOutputs();
    /// Gives the keyboard focus to output `output`: its button of the input shown, or its
    /// first button.
    void focusOutput(int output);

    void applySettings(const AppSettings &settings) override;
    void collectSettings(AppSettings &settings) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// The tag window closes when the window loses the focus or the page is left.
    bool event(QEvent *event) override;

private:
    /// Which control a button is: its output and input (0 for the step buttons).
    struct ButtonPlace
    {
        int output = 0;
        int input = 0;
        bool previous = false;
    };

    QGroupBox *buildOutputGroup(int output);
    void buildMenu();
    ButtonPlace placeOf(const QObject *button) const;
    void showInput(int output, int input);
    /// After a refused route: no button is down when the input shown again has none.
    void showRefusal(int output);
    /// A route not confirmed yet looks pending: an outlined button and a dimmed digit.
    void showCertainty(int output);
    /// The groups and buttons of the inputs and outputs the view offers.
    void showSize(int inputs, int outputs);
    /// The routing keys while a routing button has the focus; whether the key was one.
    bool routingKey(const QKeyEvent *key);
    RoutingController &m_controller;
    RoutingState &m_state;
    PortTagsModel &m_tags;
    TfrmShowInOutInfo &m_info;
    /// Null once the tag window is gone (the windows are destroyed one after another, and
    /// destroying the main window hides this view).
    QPointer<TfrmShowInOutInfo> m_infoAlive;
    QLabel *lblNote = nullptr;
    std::array<QGroupBox *, PortCount> m_groups{};
    std::array<TLCD99 *, PortCount> m_displays{};
    std::array<QToolButton *, PortCount> m_previousButtons{};
    std::array<QToolButton *, PortCount> m_nextButtons{};
    std::array<std::array<QToolButton *, PortCount>, PortCount> m_inputButtons{};
    QMenu *pm = nullptr;
    QAction *mnuAllOutputs = nullptr;
    int m_allOutputsCount = 8;
    QCheckBox *cbDisplayTag = nullptr;
    QAbstractButton *m_hovered = nullptr;
    // Widgets where the mouse has left the routing buttons.
    QSet<const QObject *> m_leaveArea;
};
