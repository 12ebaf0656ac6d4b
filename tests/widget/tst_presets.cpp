#include "ContextRig.h"
#include "ShellRig.h"
#include "SimulatedSwitcher.h"
#include "WidgetFinder.h"
#include "WidgetTexts.h"

#include "link/Frames.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"
#include "shell/porttags/ui/PortTagsPage.h"
#include "shell/presets/ui/PreSettingEdit.h"
#include "shell/presets/ui/PresetsView.h"
#include "shell/routing/RoutingController.h"
#include "shell/settings/IniDocument.h"
#include "shell/settings/SettingsFile.h"
#include "shell/ui/MainWindow.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
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
QList<QPair<int, int>> routeFrames(const SimulatedSwitcher &sim)
{
    QList<QPair<int, int>> routes;
    for (const QByteArray &unit : sim.received()) {
        if (unit.size() == qsizetype(FrameSize) && std::uint8_t(unit[2]) == 2 &&
            std::uint8_t(unit[3]) == 3)
            routes.append({std::uint8_t(unit[4]), std::uint8_t(unit[6])});
    }
    return routes;
}

/// The presets of the Setting page and the Port Tag page alone on a shell context, sharing
/// the editor. The settings file is read and written back, and the window shown, as the
/// program's start does.
struct Pages
{
    explicit Pages(const QByteArray &settings = {})
    {
        if (!settings.isEmpty())
            rig.writeSettings(settings);
        SettingsFile &file = rig.context.settings();
        file.addPart(tags);
        file.addPart(presets);
        file.addPart(editor);
        presets.FixPresetColumns();
        file.LoadSettings();
        file.SaveSettings();
        rig.window.layout()->addWidget(&presets);
        rig.window.layout()->addWidget(&tags);
        rig.window.show();
    }

    QTableWidget *list() const { return Child<QTableWidget>(&presets, "lvPreSetting"); }
    QPushButton *presetButton(const char *name) const { return Child<QPushButton>(&presets, name); }
    QPushButton *tagButton(const char *name) const { return Child<QPushButton>(&tags, name); }
    QString tag(int port) const { return tags.FindTagEdit(port)->text(); }
    bool save() const { return rig.context.settings().SaveSettings().ok(); }

    ContextRig rig;
    RoutingController routing{rig.context};
    Editor editor{rig.dialogs, &rig.window};
    PresetsView presets{rig.context, routing, editor, rig.dialogs, &rig.window};
    PortTagsPage tags{rig.context, editor, rig.dialogs, &rig.window};
};

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT
private slots:
    void listLayout();
    void shownWindowFixesTheColumns();
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
    void typedNamesKeepTheirLetters();
};

void TestPresets::listLayout()
{
    Pages p;
    QTableWidget *list = p.list();
    QCOMPARE(p.presets.objectName(), QStringLiteral("GroupBox12"));
    QCOMPARE(p.presets.title(), QStringLiteral("Pre-Settings"));
    QCOMPARE(list->rowCount(), 8);
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
    QCOMPARE(p.presetButton("btnPreEdit")->text(), QStringLiteral("&Edit"));
    QCOMPARE(p.presetButton("btnSet")->text(), QStringLiteral("&Set"));
    QVERIFY(!list->accessibleName().isEmpty());
    QCOMPARE(p.presets.presetList(), list);
}

void TestPresets::shownWindowFixesTheColumns()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    auto *list = Child<QTableWidget>(&form, "lvPreSetting");
    QVERIFY(form.tsSetting->isAncestorOf(list));
    QCOMPARE(list->rowCount(), 8);
    QCOMPARE(list->columnWidth(0), 103);
    QCOMPARE(list->columnWidth(4), 68);
    QCOMPARE(list->horizontalHeader()->sectionResizeMode(1), QHeaderView::Fixed);
}

void TestPresets::editorShowsStoredRoutingAndStoresItAgain()
{
    Pages p("[Pre-Setting value]\nvalue2=3,1,4,2,9\n");
    p.presets.selectRow(1);

    QStringList shown;
    p.rig.dialogs.pushModal(confirmWith([&](Editor &editor) {
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
    p.presets.lvPreSettingDblClick();
    QCOMPARE(shown, (QStringList{"In3", "In1", "In4", "In2"}));
    QCOMPARE(p.presets.rows()[1].routing, (QStringList{"3", "1", "4", "2", "9"}));
    QVERIFY(p.save());
    IniDocument ini;
    ini.fromBytes(p.rig.readSettings());
    QCOMPARE(ini.readString("Pre-Setting value", "value2"), QStringLiteral("3,1,4,2,9"));
}

void TestPresets::editorNamesPortsByTheirTags()
{
    Pages p("[Tag of Input - COM]\nIn3=Player\n[Tag of Output - COM]\nOut1=TV\n");
    p.presets.selectRow(0);
    QStringList sources;
    QStringList labels;
    p.rig.dialogs.pushModal([&](QDialog *dialog) {
        Editor &editor = *editorOf(dialog);
        sources = ComboItems(editor.cbFromDeviceOfAllOutput);
        for (int n = 0; n < Editor::ShownPorts; ++n)
            labels.append(editor.lblOutput[std::size_t(n)]->text());
        return int(QDialog::Rejected);
    });
    p.presetButton("btnPreEdit")->click();
    QCOMPARE(sources,
             (QStringList{"Select Input", "In1", "In2", "In3 - [Player]", "In4", "Port to Port"}));
    QCOMPARE(labels, (QStringList{"Out1 - [TV] from", "Out2 from", "Out3 from", "Out4 from"}));
}

void TestPresets::allOutputsShortcut()
{
    Pages p("[Pre-Setting value]\nvalue1=4,4,4,4\nvalue2=1,1,1,1\n");
    PresetsView &presets = p.presets;

    presets.selectRow(0);
    p.rig.dialogs.pushModal(confirmWith([](Editor &editor) {
        editor.cbFromDeviceOfAllOutput->setCurrentIndex(5);
        editor.cbFromDeviceOfAllOutputChange(5); // "Port to Port"
    }));
    presets.btnPreEditClick();
    QCOMPARE(presets.rows()[0].routing, (QStringList{"1", "2", "3", "4"}));

    presets.selectRow(1);
    p.rig.dialogs.pushModal(confirmWith([](Editor &editor) {
        editor.cbFromDeviceOfAllOutputChange(2); // the second source entry
    }));
    presets.btnPreEditClick();
    QCOMPARE(presets.rows()[1].routing, (QStringList{"2", "2", "2", "2"}));

    presets.selectRow(1);
    p.rig.dialogs.pushModal(confirmWith([](Editor &editor) {
        editor.cbFromDeviceOfOutput[3]->setCurrentIndex(2);
        editor.cbFromDeviceOfAllOutputChange(0); // "Select Input" changes nothing
    }));
    presets.btnPreEditClick();
    QCOMPARE(presets.rows()[1].routing, (QStringList{"2", "2", "2", "3"}));
}

void TestPresets::emptyNameAndUnusableNumbers()
{
    Pages p("[Pre-Setting value]\nvalue3=x,9,0,2\n");
    PresetsView &presets = p.presets;
    presets.selectRow(2);
    QList<int> indexes;
    p.rig.dialogs.pushModal(confirmWith([&](Editor &editor) {
        for (int n = 0; n < Editor::ShownPorts; ++n)
            indexes.append(editor.cbFromDeviceOfOutput[std::size_t(n)]->currentIndex());
        editor.leSettingName->clear();
    }));
    presets.btnPreEditClick();
    // Not a number: input n; a number outside 1..4: no choice, stored as "0".
    QCOMPARE(indexes, (QList<int>{0, -1, -1, 1}));
    QCOMPARE(presets.rows()[2], (PresetRow{QString(), {"1", "0", "0", "2"}}));
    QCOMPARE(p.list()->item(2, 0)->text(), QString());
    QCOMPARE(presets.selectedRow(), 2);
}

void TestPresets::escapeAndCloseBoxChangeNothing()
{
    Pages p;
    PresetsView &presets = p.presets;
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
        p.rig.dialogs.pushModal([&leave](QDialog *dialog) {
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
    Pages p;
    p.presets.selectRow(-1);
    p.presetButton("btnPreEdit")->click();
    p.presetButton("btnSet")->click();
    QCOMPARE(p.rig.dialogs.texts(ScriptedDialogs::Kind::Information),
             (QStringList{"Please select item.", "Please select item."}));
    QCOMPARE(p.rig.dialogs.count(ScriptedDialogs::Kind::Modal), 0);
    QVERIFY(p.rig.serial().writes.isEmpty());
}

void TestPresets::tagEditorMergesVocabulary()
{
    Pages p("[In device name]\nDevice1=Player\nDevice2=Camera\n"
            "[Tag of Input - COM]\nIn1=Player\n");
    QStringList shownTexts;
    p.rig.dialogs.pushModal(confirmWith([&](Editor &editor) {
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
    p.tagButton("btnEditInputPortTag")->click();

    QCOMPARE(shownTexts, (QStringList{"Player", "", "", ""}));
    Editor &editor = p.editor;
    for (int n = 0; n < Editor::ShownPorts; ++n)
        QCOMPARE(ComboItems(editor.cbDevNameOfInput[std::size_t(n)]),
                 (QStringList{"Blu-ray", "Camera", "Player"}));
    // The texts stay as typed and become the tags.
    QCOMPARE(boxTexts(editor.cbDevNameOfInput), (QStringList{"Player", "Blu-ray", "CAMERA", ""}));
    QCOMPARE(p.tag(2), QStringLiteral("Blu-ray"));
    QCOMPARE(p.tag(3), QStringLiteral("CAMERA"));

    IniDocument ini;
    ini.fromBytes(p.rig.readSettings());
    QCOMPARE(ini.values("Tag of Input - COM"), (QStringList{"Player", "Blu-ray", "CAMERA", ""}));
    QVERIFY(p.save());
    ini.fromBytes(p.rig.readSettings());
    QCOMPARE(ini.values("In device name"), (QStringList{"Blu-ray", "Camera", "Player"}));
    // The output vocabulary is untouched by an input edit.
    QCOMPARE(ComboItems(editor.cbDispNameOfOutput[0]), QStringList{});
}

void TestPresets::tagEditorRemovesNames()
{
    Pages p("[Out display name]\nDisplay1=TV\nDisplay2=Projector\n");
    ScriptedDialogs &dialogs = p.rig.dialogs;
    Editor &editor = p.editor;

    dialogs.pushModal(confirmWith([&](Editor &e) {
        e.cbDispNameOfOutput[0]->setEditText(QStringLiteral("TV"));
        e.cbDispNameOfOutput[2]->setEditText(QStringLiteral("TV"));
        e.cbDispNameOfOutput[1]->setEditText(QStringLiteral("Projector"));
        e.btnDeleteOutputTag[0]->click(); // in use by box 3: refused
        QCOMPARE(ComboItems(e.cbDispNameOfOutput[3]), (QStringList{"Projector", "TV"}));

        dialogs.pushConfirm(false);
        e.btnDeleteOutputTag[1]->click(); // not confirmed
        QCOMPARE(e.cbDispNameOfOutput[1]->currentText(), QStringLiteral("Projector"));

        dialogs.pushConfirm(true);
        e.btnDeleteOutputTag[1]->click();
        QCOMPARE(e.cbDispNameOfOutput[1]->currentText(), QString());
        e.btnDeleteOutputTag[3]->click(); // empty box: nothing
    }));
    p.tagButton("btnEditOutputPortTag")->click();

    QCOMPARE(dialogs.texts(ScriptedDialogs::Kind::Information),
             QStringList{"Output port tag in use, can't be deleted."});
    QCOMPARE(dialogs.texts(ScriptedDialogs::Kind::Confirm),
             (QStringList{"Sure to delete Output port tag: [Projector] ?",
                          "Sure to delete Output port tag: [Projector] ?"}));
    for (int n = 0; n < Editor::ShownPorts; ++n)
        QCOMPARE(ComboItems(editor.cbDispNameOfOutput[std::size_t(n)]), QStringList{"TV"});
    // The other boxes keep what they show.
    QCOMPARE(boxTexts(editor.cbDispNameOfOutput), (QStringList{"TV", "", "TV", ""}));
    QCOMPARE(p.tag(41), QStringLiteral("TV"));
    QCOMPARE(p.tag(42), QString());

    // The input kind asks in its own words.
    dialogs.clear();
    editor.setMode(Editor::Mode::InputPortTags);
    editor.cbDevNameOfInput[0]->setEditText(QStringLiteral("PC"));
    editor.cbDevNameOfInput[1]->setEditText(QStringLiteral("PC"));
    editor.btnDeleteInputTag[1]->click();
    QCOMPARE(dialogs.lastText(), QStringLiteral("Input port tag in use, can't be deleted."));
    editor.cbDevNameOfInput[1]->setEditText(QStringLiteral("pc"));
    editor.btnDeleteInputTag[1]->click();
    QCOMPARE(dialogs.lastText(), QStringLiteral("Sure to delete Input port tag: [pc] ?"));
}

void TestPresets::tagEditorCancelKeepsTagsAndFile()
{
    Pages p("[Tag of Output - COM]\nOut2=Projector\n");
    const QByteArray before = p.rig.readSettings();
    p.rig.dialogs.pushModal([](QDialog *dialog) {
        Editor &editor = *editorOf(dialog);
        editor.cbDispNameOfOutput[1]->setEditText(QStringLiteral("Changed"));
        editor.cbDispNameOfOutput[0]->setEditText(QStringLiteral("New name"));
        QTest::keyClick(editor.cbDispNameOfOutput[0]->lineEdit(), Qt::Key_Escape);
        return editor.result();
    });
    p.tagButton("btnEditOutputPortTag")->click();
    QCOMPARE(p.tag(42), QStringLiteral("Projector"));
    QCOMPARE(p.tag(41), QString());
    QCOMPARE(p.rig.readSettings(), before);
    QCOMPARE(ComboItems(p.editor.cbDispNameOfOutput[0]), QStringList{});

    // Confirming without changes rewrites the same set.
    p.rig.dialogs.pushModal(confirmWith([](Editor &) {}));
    p.tagButton("btnEditOutputPortTag")->click();
    QCOMPARE(p.rig.readSettings(), before);
}

void TestPresets::findersByTag()
{
    ScriptedDialogs dialogs;
    Editor editor(dialogs, nullptr);
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
    Pages p("[Pre-Setting value]\nvalue1=2,4,1,3\n");
    SimulatedSwitcher sim(p.rig.serial());
    sim.state().inputs = 3; // input 4 does not exist: the switcher refuses that route

    p.presets.selectRow(0);
    p.presetButton("btnSet")->click();

    const QList<QPair<int, int>> routes = routeFrames(sim);
    QVERIFY(routes.size() >= 2);
    QCOMPARE(routes.first(), (QPair<int, int>(2, 1)));
    for (qsizetype i = 1; i < routes.size(); ++i)
        QCOMPARE(routes[i], (QPair<int, int>(4, 2))); // attempts at output 2, nothing after
    QCOMPARE(sim.state().routing[0], std::uint8_t(2));
    QCOMPARE(sim.state().routing[2], std::uint8_t(3));
    QVERIFY(p.routing.RoutingAborted);
    QVERIFY(p.rig.context.flags().CommandIdle);
}

void TestPresets::applyingSkipsOutputsWithoutValidInput()
{
    Pages p("[Pre-Setting name]\nSetting1=Hall\n[Pre-Setting value]\nvalue1=4,0,x,1\n");
    SimulatedSwitcher sim(p.rig.serial());

    p.presets.selectRow(0);
    p.presets.btnSetClick();
    QCOMPARE(routeFrames(sim), (QList<QPair<int, int>>{{4, 1}, {1, 4}}));
    QCOMPARE(p.rig.context.status().text(StatusPanel::Hint),
             QStringLiteral("Pre-Setting [Hall]: Output2, Output3 have no valid input, skipped"));
    QVERIFY(!p.routing.RoutingAborted);
}

void TestPresets::typedNamesKeepTheirLetters()
{
    Pages p("[In device name]\nDevice1=Player\nDevice2=Camera\n");
    p.rig.dialogs.pushModal(confirmWith([](Editor &editor) {
        // Typed letter by letter, the way a keyboard or desktop automation types; the box
        // then loses the focus (Tab), or Enter confirms it.
        const QList<QPair<QString, Qt::Key>> typed{
            {QStringLiteral("player"), Qt::Key_Tab},
            {QStringLiteral("camera"), Qt::Key_Return},
            {QStringLiteral("PLAY"), Qt::Key_Return},
        };
        for (int n = 0; n < typed.size(); ++n) {
            QLineEdit *field = editor.cbDevNameOfInput[std::size_t(n)]->lineEdit();
            QTest::keyClicks(field, typed[n].first);
            QCOMPARE(field->text(), typed[n].first);
            QTest::keyClick(field, typed[n].second);
            QCOMPARE(field->text(), typed[n].first);
            // A screen reader still names the box by its label, and reads the text as typed.
            QAccessibleInterface *box =
                QAccessible::queryAccessibleInterface(editor.cbDevNameOfInput[std::size_t(n)]);
            QCOMPARE(box->text(QAccessible::Name),
                     QStringLiteral("Device name connect Input") + QString::number(n + 1));
            QCOMPARE(box->text(QAccessible::Value), typed[n].first);
        }
    }));
    p.tagButton("btnEditInputPortTag")->click();
    QCOMPARE(p.tag(1), QStringLiteral("player"));
    QCOMPARE(p.tag(2), QStringLiteral("camera"));
    QCOMPARE(p.tag(3), QStringLiteral("PLAY"));
}

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
