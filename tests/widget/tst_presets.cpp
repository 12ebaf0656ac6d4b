#include "ShellRig.h"
#include "WidgetTexts.h"

#include "link/Frames.h"
#include "shell/IniDocument.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PortTagsPage.h"
#include "shell/ui/PreSettingEdit.h"
#include "shell/ui/PresetsView.h"
#include "SwitcherDevice.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

using Editor = TfrmPreSettingEdit;

Editor *editorOf(QDialog *dialog)
{
    return static_cast<Editor *>(dialog);
}

QStringList boxTexts(const std::array<QComboBox *, Editor::Ports> &boxes)
{
    QStringList texts;
    for (int n = 0; n < Editor::ShownPorts; ++n)
        texts.append(boxes[std::size_t(n)]->currentText());
    return texts;
}

// A modal handler that runs `fill` on the editor and then presses OK.
ScriptedDialogs::ModalHandler confirmWith(std::function<void(Editor &)> fill)
{
    return [fill = std::move(fill)](QDialog *dialog) {
        Editor &editor = *editorOf(dialog);
        fill(editor);
        editor.btnOK->click();
        return editor.result();
    };
}

// Set-route frames the simulated switcher received, as (input, output) pairs.
QList<QPair<int, int>> routeFrames(const SwitcherDevice &device)
{
    QList<QPair<int, int>> routes;
    for (const QByteArray &unit : device.state().received) {
        if (unit.size() == qsizetype(FrameSize) && std::uint8_t(unit[2]) == 2 &&
            std::uint8_t(unit[3]) == 3)
            routes.append({std::uint8_t(unit[4]), std::uint8_t(unit[6])});
    }
    return routes;
}

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT
private slots:
    void listLayout();
    void editorShowsStoredRoutingAndStoresItAgain();
    void editorNamesPortsByTheirTags();
    void allOutputsShortcut();
    void emptyNameAndUnusableNumbers();
    void escapeAndCloseBoxChangeNothing();
    void nothingSelected();
    void tagEditorMergesVocabulary();
    void tagEditorRemovesNames();
    void tagEditorCancelKeepsTagsAndFile();
    void findersByTag();
    void applyingStopsAtTheFirstFailedRoute();
    void applyingSkipsOutputsWithoutValidInput();
};

void TestPresets::listLayout()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    PresetsView &presets = *form.presets();
    QTableWidget *list = presets.lvPreSetting;
    QCOMPARE(form.findChild<QGroupBox *>(QStringLiteral("GroupBox12"))->title(),
             QStringLiteral("Pre-Settings"));
    QCOMPARE(list->columnCount(), 5);
    QCOMPARE(list->horizontalHeaderItem(0)->text(), QStringLiteral("Name"));
    QCOMPARE(list->horizontalHeaderItem(4)->text(), QStringLiteral("Output4"));
    QCOMPARE(list->columnWidth(0), 103);
    QCOMPARE(list->columnWidth(3), 68);
    QCOMPARE(list->horizontalHeader()->sectionResizeMode(1), QHeaderView::Fixed);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(list->item(0, 2)->textAlignment(), int(Qt::AlignCenter));
    QCOMPARE(presets.btnPreEdit->text(), QStringLiteral("&Edit"));
    QCOMPARE(presets.btnSet->text(), QStringLiteral("&Set"));
    QVERIFY(!list->accessibleName().isEmpty());
}

void TestPresets::editorShowsStoredRoutingAndStoresItAgain()
{
    ShellRig rig;
    rig.writeSettings("[Pre-Setting value]\nvalue2=3,1,4,2,9\n");
    TForm1 &form = rig.show();
    PresetsView &presets = *form.presets();
    presets.selectRow(1);

    QStringList shown;
    rig.dialogs.pushModal(confirmWith([&](Editor &editor) {
        shown = boxTexts(editor.cbFromDeviceOfOutput);
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Output setting"));
        QCOMPARE(editor.size(), QSize(570, 301));
        QCOMPARE(editor.btnOK->pos(), QPoint(296, 240));
        QCOMPARE(editor.btnCancel->pos(), QPoint(416, 240));
        QVERIFY(editor.gbOutputSetting->isVisibleTo(&editor));
        QVERIFY(!editor.gbInputPortTag->isVisibleTo(&editor));
        QVERIFY(!editor.gbOutputPortTag->isVisibleTo(&editor));
        QVERIFY(!editor.cbFromDeviceOfOutput[4]->isVisibleTo(&editor));
        QCOMPARE(editor.leSettingName->text(), QStringLiteral("Setting2"));
        QCOMPARE(editor.cbFromDeviceOfAllOutput->currentText(), QStringLiteral("Select Input"));
    }));
    presets.lvPreSettingDblClick();
    QCOMPARE(shown, (QStringList{"In3", "In1", "In4", "In2"}));
    QCOMPARE(presets.rows()[1].routing, (QStringList{"3", "1", "4", "2", "9"}));
    QVERIFY(form.SaveSettings());
    IniDocument ini;
    ini.fromBytes(rig.readSettings());
    QCOMPARE(ini.readString("Pre-Setting value", "value2"), QStringLiteral("3,1,4,2,9"));
}

void TestPresets::editorNamesPortsByTheirTags()
{
    ShellRig rig;
    rig.writeSettings("[Tag of Input - COM]\nIn3=Player\n[Tag of Output - COM]\nOut1=TV\n");
    TForm1 &form = rig.show();
    form.presets()->selectRow(0);
    QStringList sources;
    QStringList labels;
    rig.dialogs.pushModal([&](QDialog *dialog) {
        Editor &editor = *editorOf(dialog);
        sources = ComboItems(editor.cbFromDeviceOfAllOutput);
        for (int n = 0; n < Editor::ShownPorts; ++n)
            labels.append(editor.lblOutput[std::size_t(n)]->text());
        return int(QDialog::Rejected);
    });
    form.presets()->btnPreEdit->click();
    QCOMPARE(sources,
             (QStringList{"Select Input", "In1", "In2", "In3 - [Player]", "In4", "Port to Port"}));
    QCOMPARE(labels, (QStringList{"Out1 - [TV] from", "Out2 from", "Out3 from", "Out4 from"}));
}

void TestPresets::allOutputsShortcut()
{
    ShellRig rig;
    rig.writeSettings("[Pre-Setting value]\nvalue1=4,4,4,4\nvalue2=1,1,1,1\n");
    TForm1 &form = rig.show();
    PresetsView &presets = *form.presets();

    presets.selectRow(0);
    rig.dialogs.pushModal(confirmWith([](Editor &editor) {
        editor.cbFromDeviceOfAllOutput->setCurrentIndex(5);
        editor.cbFromDeviceOfAllOutputChange(5); // "Port to Port"
    }));
    presets.btnPreEditClick();
    QCOMPARE(presets.rows()[0].routing, (QStringList{"1", "2", "3", "4"}));

    presets.selectRow(1);
    rig.dialogs.pushModal(confirmWith([](Editor &editor) {
        editor.cbFromDeviceOfAllOutputChange(2); // the second source entry
    }));
    presets.btnPreEditClick();
    QCOMPARE(presets.rows()[1].routing, (QStringList{"2", "2", "2", "2"}));

    presets.selectRow(1);
    rig.dialogs.pushModal(confirmWith([](Editor &editor) {
        editor.cbFromDeviceOfOutput[3]->setCurrentIndex(2);
        editor.cbFromDeviceOfAllOutputChange(0); // "Select Input" changes nothing
    }));
    presets.btnPreEditClick();
    QCOMPARE(presets.rows()[1].routing, (QStringList{"2", "2", "2", "3"}));
}

void TestPresets::emptyNameAndUnusableNumbers()
{
    ShellRig rig;
    rig.writeSettings("[Pre-Setting value]\nvalue3=x,9,0,2\n");
    TForm1 &form = rig.show();
    PresetsView &presets = *form.presets();
    presets.selectRow(2);
    QList<int> indexes;
    rig.dialogs.pushModal(confirmWith([&](Editor &editor) {
        for (int n = 0; n < Editor::ShownPorts; ++n)
            indexes.append(editor.cbFromDeviceOfOutput[std::size_t(n)]->currentIndex());
        editor.leSettingName->clear();
    }));
    presets.btnPreEditClick();
    // Not a number: input n; a number outside 1..4: no choice, stored as "0".
    QCOMPARE(indexes, (QList<int>{0, -1, -1, 1}));
    QCOMPARE(presets.rows()[2], (PresetRow{QString(), {"1", "0", "0", "2"}}));
    QCOMPARE(presets.lvPreSetting->item(2, 0)->text(), QString());
    QCOMPARE(presets.selectedRow(), 2);
}

void TestPresets::escapeAndCloseBoxChangeNothing()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    PresetsView &presets = *form.presets();
    presets.selectRow(0);
    const QList<PresetRow> before = presets.rows();

    const std::array<std::function<void(Editor &)>, 3> leaveWays = {
        [](Editor &editor) {
            editor.cbFromDeviceOfOutput[0]->setCurrentIndex(3);
            // Escape reaches the window first, even from inside a list.
            QTest::keyClick(editor.cbFromDeviceOfOutput[1], Qt::Key_Escape);
        },
        [](Editor &editor) {
            editor.show();
            editor.close();
        },
        [](Editor &editor) { editor.btnCancel->click(); },
    };
    for (const auto &leave : leaveWays) {
        rig.dialogs.pushModal([&leave](QDialog *dialog) {
            Editor &editor = *editorOf(dialog);
            editor.leSettingName->setText(QStringLiteral("Changed"));
            leave(editor);
            return editor.result();
        });
        presets.btnPreEditClick();
        QCOMPARE(presets.rows(), before);
    }
}

void TestPresets::nothingSelected()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    form.presets()->selectRow(-1);
    form.presets()->btnPreEdit->click();
    form.presets()->btnSet->click();
    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Information),
             (QStringList{"Please select item.", "Please select item."}));
    QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Modal), 0);
    QVERIFY(rig.serial().writes.isEmpty());
}

void TestPresets::tagEditorMergesVocabulary()
{
    ShellRig rig;
    rig.writeSettings("[In device name]\nDevice1=Player\nDevice2=Camera\n"
                      "[Tag of Input - COM]\nIn1=Player\n");
    TForm1 &form = rig.show();
    QStringList shownTexts;
    rig.dialogs.pushModal(confirmWith([&](Editor &editor) {
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Input port tags"));
        QCOMPARE(editor.size(), QSize(635, 245));
        QCOMPARE(editor.btnOK->pos(), QPoint(376, 184));
        QCOMPARE(editor.btnCancel->pos(), QPoint(496, 184));
        QVERIFY(editor.gbInputPortTag->isVisibleTo(&editor));
        QVERIFY(!editor.gbOutputSetting->isVisibleTo(&editor));
        shownTexts = boxTexts(editor.cbDevNameOfInput);
        editor.cbDevNameOfInput[1]->setEditText(QStringLiteral("Blu-ray"));
        editor.cbDevNameOfInput[2]->setEditText(QStringLiteral("CAMERA"));
    }));
    form.portTags()->btnEditInputPortTag->click();

    QCOMPARE(shownTexts, (QStringList{"Player", "", "", ""}));
    Editor &editor = *form.windows().frmPreSettingEdit;
    for (int n = 0; n < Editor::ShownPorts; ++n)
        QCOMPARE(ComboItems(editor.cbDevNameOfInput[std::size_t(n)]),
                 (QStringList{"Blu-ray", "Camera", "Player"}));
    // The texts stay as typed and become the tags.
    QCOMPARE(boxTexts(editor.cbDevNameOfInput), (QStringList{"Player", "Blu-ray", "CAMERA", ""}));
    QCOMPARE(form.FindTagEdit(2)->text(), QStringLiteral("Blu-ray"));
    QCOMPARE(form.FindTagEdit(3)->text(), QStringLiteral("CAMERA"));

    IniDocument ini;
    ini.fromBytes(rig.readSettings());
    QCOMPARE(ini.values("Tag of Input - COM"), (QStringList{"Player", "Blu-ray", "CAMERA", ""}));
    QVERIFY(form.SaveSettings());
    ini.fromBytes(rig.readSettings());
    QCOMPARE(ini.values("In device name"), (QStringList{"Blu-ray", "Camera", "Player"}));
    // The output vocabulary is untouched by an input edit.
    QCOMPARE(ComboItems(editor.cbDispNameOfOutput[0]), QStringList{});
}

void TestPresets::tagEditorRemovesNames()
{
    ShellRig rig;
    rig.writeSettings("[Out display name]\nDisplay1=TV\nDisplay2=Projector\n");
    TForm1 &form = rig.show();
    Editor &editor = *form.windows().frmPreSettingEdit;

    rig.dialogs.pushModal(confirmWith([&](Editor &e) {
        e.cbDispNameOfOutput[0]->setEditText(QStringLiteral("TV"));
        e.cbDispNameOfOutput[2]->setEditText(QStringLiteral("TV"));
        e.cbDispNameOfOutput[1]->setEditText(QStringLiteral("Projector"));
        e.btnDeleteOutputTag[0]->click(); // in use by box 3: refused
        QCOMPARE(ComboItems(e.cbDispNameOfOutput[3]), (QStringList{"Projector", "TV"}));

        rig.dialogs.pushConfirm(false);
        e.btnDeleteOutputTag[1]->click(); // not confirmed
        QCOMPARE(e.cbDispNameOfOutput[1]->currentText(), QStringLiteral("Projector"));

        rig.dialogs.pushConfirm(true);
        e.btnDeleteOutputTag[1]->click();
        QCOMPARE(e.cbDispNameOfOutput[1]->currentText(), QString());
        e.btnDeleteOutputTag[3]->click(); // empty box: nothing
    }));
    form.portTags()->btnEditOutputPortTag->click();

    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Information),
             QStringList{"Output port tag in use, can't be deleted."});
    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Confirm),
             (QStringList{"Sure to delete Output port tag: [Projector] ?",
                          "Sure to delete Output port tag: [Projector] ?"}));
    for (int n = 0; n < Editor::ShownPorts; ++n)
        QCOMPARE(ComboItems(editor.cbDispNameOfOutput[std::size_t(n)]), QStringList{"TV"});
    // The other boxes keep what they show.
    QCOMPARE(boxTexts(editor.cbDispNameOfOutput), (QStringList{"TV", "", "TV", ""}));
    QCOMPARE(form.FindTagEdit(41)->text(), QStringLiteral("TV"));
    QCOMPARE(form.FindTagEdit(42)->text(), QString());

    // The input kind asks in its own words.
    rig.dialogs.clear();
    editor.setMode(Editor::Mode::InputPortTags);
    editor.setDialogs(&rig.dialogs);
    editor.cbDevNameOfInput[0]->setEditText(QStringLiteral("PC"));
    editor.cbDevNameOfInput[1]->setEditText(QStringLiteral("PC"));
    editor.btnDeleteInputTag[1]->click();
    QCOMPARE(rig.dialogs.lastText(), QStringLiteral("Input port tag in use, can't be deleted."));
    editor.cbDevNameOfInput[1]->setEditText(QStringLiteral("pc"));
    editor.btnDeleteInputTag[1]->click();
    QCOMPARE(rig.dialogs.lastText(), QStringLiteral("Sure to delete Input port tag: [pc] ?"));
}

void TestPresets::tagEditorCancelKeepsTagsAndFile()
{
    ShellRig rig;
    rig.writeSettings("[Tag of Output - COM]\nOut2=Projector\n");
    TForm1 &form = rig.show();
    const QByteArray before = rig.readSettings();
    rig.dialogs.pushModal([](QDialog *dialog) {
        Editor &editor = *editorOf(dialog);
        editor.cbDispNameOfOutput[1]->setEditText(QStringLiteral("Changed"));
        editor.cbDispNameOfOutput[0]->setEditText(QStringLiteral("New name"));
        QTest::keyClick(editor.cbDispNameOfOutput[0]->lineEdit(), Qt::Key_Escape);
        return editor.result();
    });
    form.portTags()->btnEditOutputPortTag->click();
    QCOMPARE(form.FindTagEdit(42)->text(), QStringLiteral("Projector"));
    QCOMPARE(form.FindTagEdit(41)->text(), QString());
    QCOMPARE(rig.readSettings(), before);
    QCOMPARE(ComboItems(form.windows().frmPreSettingEdit->cbDispNameOfOutput[0]), QStringList{});

    // Confirming without changes rewrites the same set.
    rig.dialogs.pushModal(confirmWith([](Editor &) {}));
    form.portTags()->btnEditOutputPortTag->click();
    QCOMPARE(rig.readSettings(), before);
}

void TestPresets::findersByTag()
{
    Editor editor;
    QCOMPARE(editor.FindEditorCombo(1), editor.cbDevNameOfInput[0]);
    QCOMPARE(editor.FindEditorCombo(44), editor.cbDispNameOfOutput[3]);
    QCOMPARE(editor.FindEditorCombo(82), editor.cbFromDeviceOfOutput[1]);
    QCOMPARE(editor.FindEditorCombo(89), editor.cbFromDeviceOfAllOutput);
    QCOMPARE(editor.FindEditorLabel(84), editor.lblOutput[3]);
    QCOMPARE(editor.FindEditorCombo(90), nullptr);
    QCOMPARE(editor.FindEditorLabel(1), nullptr);
    QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Output setting"));
    QCOMPARE(editor.gbOutputSetting->title(), QStringLiteral("Output setting"));
    QCOMPARE(editor.findChild<QLabel *>(QStringLiteral("lblDevNameOfInput2"))->text(),
             QStringLiteral("Device name connect Input2"));
    QCOMPARE(editor.btnDeleteOutputTag[0]->text(), QStringLiteral("×"));
    QVERIFY(editor.btnOK->isDefault());
    for (QWidget *widget : editor.findChildren<QWidget *>()) {
        if (qobject_cast<QComboBox *>(widget) || qobject_cast<QPushButton *>(widget))
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
    }
}

void TestPresets::applyingStopsAtTheFirstFailedRoute()
{
    ShellRig rig;
    rig.writeSettings("[Pre-Setting value]\nvalue1=2,4,1,3\n");
    TForm1 &form = rig.show();
    SwitcherDevice device;
    device.state().inputs = 3; // input 4 does not exist: the switcher refuses that route
    rig.serial().responder = [&](const QByteArray &bytes) { device.receive(bytes); };
    connect(&device, &SwitcherDevice::transmit, this,
            [&](const QByteArray &bytes) { rig.serial().deliver(bytes); });

    form.presets()->selectRow(0);
    form.presets()->btnSet->click();

    const QList<QPair<int, int>> routes = routeFrames(device);
    QVERIFY(routes.size() >= 2);
    QCOMPARE(routes.first(), (QPair<int, int>(2, 1)));
    for (qsizetype i = 1; i < routes.size(); ++i)
        QCOMPARE(routes[i], (QPair<int, int>(4, 2))); // attempts at output 2, nothing after
    QCOMPARE(device.state().routing[0], std::uint8_t(2));
    QCOMPARE(device.state().routing[2], std::uint8_t(3));
    QVERIFY(form.RoutingAborted);
    QVERIFY(form.flags().CommandIdle);
}

void TestPresets::applyingSkipsOutputsWithoutValidInput()
{
    ShellRig rig;
    rig.writeSettings("[Pre-Setting name]\nSetting1=Hall\n[Pre-Setting value]\nvalue1=4,0,x,1\n");
    TForm1 &form = rig.show();
    SwitcherDevice device;
    rig.serial().responder = [&](const QByteArray &bytes) { device.receive(bytes); };
    connect(&device, &SwitcherDevice::transmit, this,
            [&](const QByteArray &bytes) { rig.serial().deliver(bytes); });

    form.presets()->selectRow(0);
    form.presets()->btnSetClick();
    QCOMPARE(routeFrames(device), (QList<QPair<int, int>>{{4, 1}, {1, 4}}));
    QCOMPARE(form.statusText(3),
             QStringLiteral("Pre-Setting [Hall]: Output2, Output3 have no valid input, skipped"));
    QVERIFY(!form.RoutingAborted);
}

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
