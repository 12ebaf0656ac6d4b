#pragma once

#include <QObject>
#include <QPoint>
#include <QSet>
#include <QString>

#include <array>

class QAbstractButton;
class QAction;
class QCheckBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QMenu;
class QToolButton;
class TForm1;
class TLCD99;

/// The routing view of the "Setting" page: per output a digit display of the input that
/// feeds it, one button per input and previous/next buttons; a popup menu that routes several
/// outputs at once; the note line and the tag window that name the ports under the mouse.
/// Builds its controls into the page and the tag option into the General page.
class RoutingView : public QObject
{
    Q_OBJECT
public:
    RoutingView(TForm1 &form, QWidget *page);

    static constexpr int PortCount = 8;    // controls exist for eight outputs and inputs
    static constexpr int VisiblePorts = 4; // every operation works on ports 1..4

    QFrame *Panel3 = nullptr;
    QLabel *lblNote = nullptr;
    /// gbOutput1, GroupBox2..GroupBox8.
    std::array<QGroupBox *, PortCount> outputGroups{};
    /// LED1..LED8.
    std::array<TLCD99 *, PortCount> displays{};
    std::array<QToolButton *, PortCount> previousButtons{};
    std::array<QToolButton *, PortCount> nextButtons{};
    QMenu *pm = nullptr;
    QAction *mnuAllOutputs = nullptr;
    QAction *PorttoPort1 = nullptr;
    QCheckBox *cbDisplayTag = nullptr;

    /// Routes the button's input to the button's output. The new choice is shown at once;
    /// when the command fails the previous choice returns and RoutingAborted is set. A null
    /// button does nothing.
    void sbSetInputClick(QAbstractButton *button);
    /// Reads outputs 1..4 from the switcher; the Success of the last exchange made.
    bool RefreshRouting();
    /// Fills the tag window; whether any of the eight tags is set.
    bool BuildTagInfo();
    /// The note line for output `output` fed from input `input`.
    QString NoteText(int output, int input) const;

    // Handlers.
    void tsSettingShow();
    void sbPreviousClick(QAbstractButton *button);
    void mnuAllOutputsClick(QAction *item);
    void sbSetInputMouseMove(QAbstractButton *button, const QPoint &globalPos);
    void gbOutput1MouseMove();
    void pmPopup();
    void SetDisplayDigits();

    /// The button of input `input` in the group of output `output` (both 1..8), or null.
    QAbstractButton *inputButton(int output, int input) const;
    TLCD99 *display(int output) const;
    /// Whether the button is one of the input buttons (not previous/next, not foreign).
    bool isInputButton(const QObject *button) const;
    bool isStepButton(const QObject *button) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPanel(QWidget *page);
    QGroupBox *buildOutputGroup(int output, QWidget *parent);
    void buildMenu(QWidget *page);
    void buildOption();
    void watchLeaveArea(QWidget *widget);
    void watchPresetArea();
    void selectFirstPreset();
    QString portTag(int tag) const;
    int shownInput(int output) const;
    void releaseInputs(int output);

    TForm1 &m_form;
    QWidget *m_page = nullptr;
    std::array<std::array<QToolButton *, PortCount>, PortCount> m_inputButtons{};
    // Widgets where the mouse has left the routing buttons.
    QSet<const QObject *> m_leaveArea;
};
