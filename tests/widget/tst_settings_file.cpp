#include "ShellRig.h"
#include "TestFiles.h"
#include "UnwritableFile.h"
#include "WidgetFinder.h"
#include "WidgetTexts.h"

#include "lanmodule/ui/LanDevicePanel.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/porttags/ui/PortTagsPage.h"
#include "shell/presets/PresetFile.h"
#include "shell/presets/ui/PreSettingEdit.h"
#include "shell/presets/ui/PresetsView.h"
#include "shell/routing/ui/RoutingView.h"
#include "shell/settings/IniDocument.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SharedIniFile.h"
#include "shell/ui/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

namespace {

IniDocument iniOf(const QByteArray &bytes)
{
    IniDocument ini;
    ini.fromBytes(bytes);
    return ini;
}

QTableWidget *presetList(const ShellRig &rig)
{
    return Child<QTableWidget>(&rig.windows->presets(), "lvPreSetting");
}

QStringList shownRouting(const ShellRig &rig, int row)
{
    QTableWidget *list = presetList(rig);
    QStringList cells;
    for (int column = 1; column < list->columnCount(); ++column) {
        const QTableWidgetItem *item = list->item(row, column);
        cells.append(item ? item->text() : QString());
    }
    return cells;
}

/// A control of the main window, by name.
template <typename T> T *control(const ShellRig &rig, const char *name)
{
    return Child<T>(&rig.form(), name);
}

QLineEdit *tagEdit(const ShellRig &rig, int port)
{
    return rig.windows->portTags().FindTagEdit(port);
}

QString hint(const ShellRig &rig)
{
    return rig.context().status().text(StatusPanel::Hint);
}

const QByteArray StagePreset = "[Pre-Setting name]\r\nSetting1=Stage\r\n";

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void firstStartWritesDefaults();
    void savingTwiceGivesTheSameFile();
    void handSetTcpModeStartsInTcpAndSavesSerial();
    void presetValuesAreCompletedAndKept();
    void deviceListIsReadWhateverItsNumbering();
    void deviceEntriesCannotAddSectionsOrKeys();
    void emptyPortListKeepsTheSavedPort();
    void unknownSectionsAndKeysSurvive();
    void damagedFilesLoadWithDefaults_data();
    void damagedFilesLoadWithDefaults();
    void edidSelectionsAndTagOptionRoundTrip();
    void tagSetsFollowModeAndDevice();
    void networkDevicesKeepSeparateTagSets();
    void clearingInputTagsRemovesOnlyTheInputSection();
    void unwritableFileShowsErrorAndLosesNothing();
    void settingsPathThatIsAFolderIsNotReplaced();
    void storeRoundTripsWithoutWindows();
    void presetSavedByAnotherProgramSurvivesTheClose();
    void unwritableFileBesideTheProgramSeedsThePerUserFile();
    void tooLargeFileIsRefusedAndLeftAlone();
    void binaryLinesAreKeptInACopyAndTold();
};

void TestSettingsFile::firstStartWritesDefaults()
{
    ShellRig rig;
    rig.show();
    const IniDocument ini = iniOf(rig.readSettings());

    QCOMPARE(ini.sectionNames().mid(0, 3), (QStringList{"WARNING", "Control mode", "COM port"}));
    QCOMPARE(ini.readString("WARNING", "NOTE"), QStringLiteral("DON'T MODIFY THIS FILE MANUALLY!"));
    QCOMPARE(ini.readString("Control mode", "Mode"), QStringLiteral("0"));
    QCOMPARE(ini.readString("COM port", "Name"), QStringLiteral("ttyS0"));
    QVERIFY(!ini.sectionExists("TCP control device"));
    QVERIFY(!ini.sectionExists("Tag of Input - COM"));
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(ini.readString("Pre-Setting name", "Setting" + QString::number(n)),
                 "Setting" + QString::number(n));
        QCOMPARE(ini.readString("Pre-Setting value", "value" + QString::number(n)),
                 QStringLiteral("1,2,3,4"));
    }
    QCOMPARE(ini.keys("EDID setting"),
             (QStringList{"EDID mode", "In of EDID mode", "Out of Copy EDID", "In of Copy EDID",
                          "Out of Read EDID", "In of Download EDID", "Save EDID file",
                          "Open EDID file"}));
    QCOMPARE(ini.readString("Display tag", "Value"), QStringLiteral("0"));
    QCOMPARE(ini.sectionNames().last(), QStringLiteral("Display tag"));

    QCOMPARE(presetList(rig)->rowCount(), 8);
    QCOMPARE(rig.windows->presets().rows().first(), (PresetRow{"Setting1", {"1", "2", "3", "4"}}));
    QCOMPARE(rig.dialogs.count(), 0);
}

void TestSettingsFile::savingTwiceGivesTheSameFile()
{
    ShellRig rig;
    rig.writeSettings("[In device name]\nDevice1=Player\nDevice2=PC\n"
                      "[Out display name]\nDisplay1=TV\n"
                      "[TCP control device list]\nDevice No.1=[a]-[b]-[10.0.0.2]-"
                      "[00-11-22-33-44-55]-[255.255.255.0]\n"
                      "[Tag of Input - COM]\nIn1=Player\n");
    TForm1 &form = rig.show();
    const QByteArray first = rig.readSettings();
    QVERIFY(form.SaveSettings());
    QCOMPARE(rig.readSettings(), first);
    QVERIFY(form.SaveSettings());
    QCOMPARE(rig.readSettings(), first);

    // The rewritten lists carry exactly the current items.
    rig.windows->preSettingEdit().setInputVocabulary({"Camera"});
    rig.windows->preSettingEdit().setOutputVocabulary({});
    control<QComboBox>(rig, "cbLANDevice")->clear();
    QVERIFY(form.SaveSettings());
    const IniDocument ini = iniOf(rig.readSettings());
    QCOMPARE(ini.values("In device name"), QStringList{"Camera"});
    QVERIFY(!ini.sectionExists("Out display name"));
    QVERIFY(!ini.sectionExists("TCP control device list"));
    QCOMPARE(ini.readString("Tag of Input - COM", "In1"), QStringLiteral("Player"));
}

void TestSettingsFile::handSetTcpModeStartsInTcpAndSavesSerial()
{
    ShellRig rig;
    rig.writeSettings("[Control mode]\nMode=1\n");
    rig.show();
    QCOMPARE(rig.context().link()->ControlMode(), cmLAN);
    QVERIFY(control<QRadioButton>(rig, "rbLANMode")->isChecked());
    QCOMPARE(iniOf(rig.readSettings()).readString("Control mode", "Mode"), QStringLiteral("0"));
}

void TestSettingsFile::presetValuesAreCompletedAndKept()
{
    ShellRig rig;
    rig.writeSettings("[Pre-Setting name]\nSetting1=Meeting\nSetting2=\n"
                      "[Pre-Setting value]\nvalue1=2\nvalue2=1,2,3,4,5\nvalue3=a,b\n"
                      "value4=3 4\n");
    rig.show();
    QCOMPARE(shownRouting(rig, 0), (QStringList{"2", "1", "2", "3"}));
    QCOMPARE(shownRouting(rig, 1), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(rig.windows->presets().rows()[1].routing.size(), 5);
    QCOMPARE(shownRouting(rig, 2), (QStringList{"a", "b", "1", "2"}));
    QCOMPARE(presetList(rig)->item(0, 0)->text(), QStringLiteral("Meeting"));
    // A key present with an empty value is an empty name, not the default.
    QCOMPARE(presetList(rig)->item(1, 0)->text(), QString());
    QCOMPARE(presetList(rig)->item(2, 0)->text(), QStringLiteral("Setting3"));

    const IniDocument ini = iniOf(rig.readSettings());
    QCOMPARE(ini.readString("Pre-Setting value", "value1"), QStringLiteral("2,1,2,3"));
    QCOMPARE(ini.readString("Pre-Setting value", "value2"), QStringLiteral("1,2,3,4,5"));
    QCOMPARE(ini.readString("Pre-Setting value", "value3"), QStringLiteral("a,b,1,2"));
    QCOMPARE(ini.readString("Pre-Setting value", "value4"), QStringLiteral("3,4,1,2"));
    QCOMPARE(ini.readString("Pre-Setting name", "Setting2"), QString());
}

void TestSettingsFile::deviceListIsReadWhateverItsNumbering()
{
    const QByteArray b = "[B]-[TCP]-[10.0.0.3]-[00-00-00-00-00-0B]-[255.255.255.0]";
    const QByteArray a = "[A]-[TCP]-[10.0.0.2]-[00-00-00-00-00-0A]-[255.255.255.0]";
    const QByteArray c = "[C]-[TCP]-[10.0.0.4]-[00-00-00-00-00-0C]-[255.255.255.0]";
    ShellRig rig;
    rig.writeSettings("[TCP control device]\nName=" + a.toLower() +
                      "\n"
                      "[TCP control device list]\nDevice No.7=" +
                      b + "\nDevice No.2=" + a + "\nanything=" + c + "\n");
    rig.show();
    auto *devices = control<QComboBox>(rig, "cbLANDevice");
    // The list keeps its items sorted; the saved name is matched without letter case.
    QCOMPARE(ComboItems(devices), (QStringList{a, b, c}));
    QCOMPARE(devices->currentText(), QString::fromLatin1(a));

    const IniDocument ini = iniOf(rig.readSettings());
    QCOMPARE(ini.keys("TCP control device list"),
             (QStringList{"Device No.1", "Device No.2", "Device No.3"}));
    QCOMPARE(ini.values("TCP control device list"), (QStringList{a, b, c}));
    QCOMPARE(ini.readString("TCP control device", "Name"), QString::fromLatin1(a));

    // A saved name that is no longer listed selects the first entry.
    ShellRig other;
    other.writeSettings("[TCP control device]\nName=gone\n"
                        "[TCP control device list]\nDevice No.1=" +
                        b + "\nDevice No.2=" + a + "\n");
    other.show();
    QCOMPARE(control<QComboBox>(other, "cbLANDevice")->currentText(), QString::fromLatin1(a));
}

void TestSettingsFile::deviceEntriesCannotAddSectionsOrKeys()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    control<QComboBox>(rig, "cbLANDevice")
        ->addItem(QStringLiteral("[A]-[TCP]\r\n[Control mode]\nMode=1\r-[x]"));
    QVERIFY(form.SaveSettings());

    ShellRig next;
    next.writeSettings(rig.readSettings());
    next.show();
    QCOMPARE(next.context().link()->ControlMode(), cmCOM);
    QCOMPARE(control<QComboBox>(next, "cbLANDevice")->count(), 1);
    const IniDocument ini = iniOf(next.readSettings());
    QCOMPARE(ini.keys("TCP control device list"), QStringList{"Device No.1"});
    QCOMPARE(ini.keys("Control mode"), QStringList{"Mode"});
}

void TestSettingsFile::emptyPortListKeepsTheSavedPort()
{
    ShellRig rig(QStringList{});
    rig.writeSettings("[COM port]\nName=COM7\n");
    rig.show();
    QCOMPARE(rig.context().link()->ComPort(), QStringLiteral("COM7"));
    QCOMPARE(control<QComboBox>(rig, "cbCOMList")->currentIndex(), -1);
    QCOMPARE(iniOf(rig.readSettings()).readString("COM port", "Name"), QStringLiteral("COM7"));

    // A listed port is matched without letter case; an unlisted one gives the first port.
    ShellRig listed(QStringList{"ttyS0", "ttyUSB0"});
    listed.writeSettings("[COM port]\nName=TTYUSB0\n");
    listed.show();
    QCOMPARE(control<QComboBox>(listed, "cbCOMList")->currentText(), QStringLiteral("ttyUSB0"));
    ShellRig missing(QStringList{"ttyS0", "ttyUSB0"});
    missing.writeSettings("[COM port]\nName=ttyACM3\n");
    missing.show();
    QCOMPARE(control<QComboBox>(missing, "cbCOMList")->currentText(), QStringLiteral("ttyS0"));
}

void TestSettingsFile::unknownSectionsAndKeysSurvive()
{
    ShellRig rig;
    rig.writeSettings("; a note for the next person\n"
                      "[My own]\nanswer=42\n"
                      "[COM port]\nBaud=19200\nName=ttyS0\n"
                      "[Pre-Setting value]\nvalue9=4,4,4,4\n");
    rig.show();
    const QByteArray saved = rig.readSettings();
    const IniDocument ini = iniOf(saved);
    QVERIFY(saved.startsWith("; a note for the next person"));
    QCOMPARE(ini.readString("My own", "answer"), QStringLiteral("42"));
    QCOMPARE(ini.readString("COM port", "Baud"), QStringLiteral("19200"));
    QCOMPARE(ini.readString("Pre-Setting value", "value9"), QStringLiteral("4,4,4,4"));
    // Existing keys are updated where they stand.
    QCOMPARE(ini.keys("COM port"), (QStringList{"Baud", "Name"}));
}

void TestSettingsFile::damagedFilesLoadWithDefaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 131 + 7) % 256));
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("words for booleans")
        << QByteArray("[Control mode]\nMode=yes\n[Display tag]\nValue=true\n");
    QTest::newRow("very long line")
        << QByteArray("[Pre-Setting value]\nvalue1=") + QByteArray(200000, '7') + "\n";
    QTest::newRow("duplicate sections")
        << QByteArray("[Pre-Setting name]\nSetting1=First\n[Control mode]\nMode=0\n"
                      "[PRE-SETTING NAME]\nSetting1=Second\nSetting2=Two\n");
    QTest::newRow("sections without keys")
        << QByteArray("[Control mode]\n[COM port]\n[TCP control device list]\n[EDID setting]\n");
    QTest::newRow("keys without sections") << QByteArray("Mode=1\nName=COM1\n=\n[\n]\n");
    QTest::newRow("nul bytes") << QByteArray("[Control\0 mode]\nMode=\0"
                                             "1\n",
                                             24);
}

void TestSettingsFile::damagedFilesLoadWithDefaults()
{
    QFETCH(QByteArray, content);
    ShellRig rig;
    rig.writeSettings(content);
    TForm1 &form = rig.show();
    const PresetsView &presets = rig.windows->presets();

    QCOMPARE(rig.context().link()->ControlMode(), cmCOM);
    QCOMPARE(presets.rows().size(), 8);
    for (const PresetRow &preset : presets.rows())
        QVERIFY(preset.routing.size() >= 4);
    auto *displayTag = form.findChild<QCheckBox *>(QStringLiteral("cbDisplayTag"));
    QVERIFY(!displayTag || !displayTag->isChecked());
    QCOMPARE(rig.dialogs.count(), 0);
    // The file was written back and reads again.
    const IniDocument ini = iniOf(rig.readSettings());
    QCOMPARE(ini.readString("Control mode", "Mode"), QStringLiteral("0"));
    if (QTest::currentDataTag() == QByteArray("duplicate sections")) {
        QCOMPARE(presets.rows()[0].name, QStringLiteral("First"));
        QCOMPARE(presets.rows()[1].name, QStringLiteral("Two"));
    }
}

void TestSettingsFile::edidSelectionsAndTagOptionRoundTrip()
{
    ShellRig rig;
    TForm1 &form = rig.show();
    auto *mode = form.findChild<QComboBox *>(QStringLiteral("cbEDIDMode"));
    auto *download = form.findChild<QComboBox *>(QStringLiteral("cbDownloadEDIDInput"));
    auto *save = form.findChild<QLineEdit *>(QStringLiteral("edtSaveEDID"));
    auto *displayTag = form.findChild<QCheckBox *>(QStringLiteral("cbDisplayTag"));
    if (!mode || !download || !save || !displayTag)
        QSKIP("The EDID page or the tag option is not part of this build");
    QVERIFY(mode->count() > 3 && download->count() > 3);
    mode->setCurrentIndex(3);
    download->setCurrentIndex(2);
    save->setText(QStringLiteral("/tmp/some folder/edid.bin"));
    displayTag->setChecked(true);
    const QString modeText = mode->currentText();
    const QString downloadText = download->currentText();
    QVERIFY(form.SaveSettings());

    ShellRig next;
    QByteArray content = rig.readSettings();
    // A selection saved in another letter case still matches.
    content.replace(downloadText.toUtf8(), downloadText.toUpper().toUtf8());
    next.writeSettings(content);
    TForm1 &reloaded = next.show();
    QCOMPARE(reloaded.findChild<QComboBox *>(QStringLiteral("cbEDIDMode"))->currentText(),
             modeText);
    QCOMPARE(reloaded.findChild<QComboBox *>(QStringLiteral("cbDownloadEDIDInput"))->currentText(),
             downloadText);
    QCOMPARE(reloaded.findChild<QLineEdit *>(QStringLiteral("edtSaveEDID"))->text(),
             QStringLiteral("/tmp/some folder/edid.bin"));
    QVERIFY(reloaded.findChild<QCheckBox *>(QStringLiteral("cbDisplayTag"))->isChecked());

    // A text that is not listed any more selects the first entry.
    ShellRig stale;
    stale.writeSettings("[EDID setting]\nEDID mode=Something old\n");
    QCOMPARE(stale.show().findChild<QComboBox *>(QStringLiteral("cbEDIDMode"))->currentIndex(), 0);
}

void TestSettingsFile::tagSetsFollowModeAndDevice()
{
    const QString mac = QStringLiteral("00-1A-2B-3C-4D-5E");
    ShellRig rig;
    rig.writeSettings("[Tag of Input - COM]\nIn1=Player\n[Tag of Output - COM]\nOut4=TV\n"
                      "[Tag of Input - TCP:00-1A-2B-3C-4D-5E]\nIn2=Camera\n");
    TForm1 &form = rig.show();
    QCOMPARE(tagEdit(rig, 1)->text(), QStringLiteral("Player"));
    QCOMPARE(tagEdit(rig, 44)->text(), QStringLiteral("TV"));
    QVERIFY(tagEdit(rig, 1)->isReadOnly());
    QVERIFY(!tagEdit(rig, 5)->isVisibleTo(form.tsPortTag));
    QVERIFY(tagEdit(rig, 4)->isVisibleTo(form.tsPortTag));
    // The other pages name the ports by the same tags.
    QCOMPARE(rig.windows->routing().NoteText(4, 1),
             QStringLiteral("Output4 - [TV] from Input1 - [Player]"));
    if (auto *inputs = form.findChild<QComboBox *>(QStringLiteral("cbSetEDIDModeInput")))
        QCOMPARE(inputs->itemText(1), QStringLiteral("In1 - [Player]"));

    control<QRadioButton>(rig, "rbLANMode")->setChecked(true);
    form.rbLANModeClick();
    QCOMPARE(rig.context().portTags().tags(), PortTagSet{}); // no device selected
    rig.context().selectDevice(mac, rig.context().link()->DeviceIP());
    form.ClearPortTags();
    form.LoadPortTags(cmLAN, mac);
    QCOMPARE(tagEdit(rig, 2)->text(), QStringLiteral("Camera"));
    QCOMPARE(tagEdit(rig, 1)->text(), QString());

    control<QRadioButton>(rig, "rbCOMMode")->setChecked(true);
    form.rbCOMModeClick();
    QCOMPARE(tagEdit(rig, 1)->text(), QStringLiteral("Player"));
    QCOMPARE(tagEdit(rig, 2)->text(), QString());
}

void TestSettingsFile::networkDevicesKeepSeparateTagSets()
{
    const QString a = QStringLiteral("[A]-[TCP]-[10.0.0.2]-[00-00-00-00-00-0A]-[255.0.0.0]");
    const QString b = QStringLiteral("[B]-[TCP]-[10.0.0.3]-[00-00-00-00-00-0B]-[255.0.0.0]");
    const QString c = QStringLiteral("[C]-[TCP]-[10.0.0.4]-[00-00-00-00-00-0C]-[255.0.0.0]");
    ShellRig rig;
    rig.writeSettings(("[Control mode]\nMode=1\n[TCP control device]\nName=" + b +
                       "\n[TCP control device list]\nDevice No.1=" + a + "\nDevice No.2=" + b +
                       "\nDevice No.3=" + c +
                       "\n[Tag of Input - TCP:00-00-00-00-00-0A]\nIn1=Player A\n"
                       "[Tag of Output - TCP:00-00-00-00-00-0B]\nOut3=Screen B\n"
                       "[Tag of Input - COM]\nIn1=Serial player\n")
                          .toUtf8());
    TForm1 &form = rig.show();
    LanDevicePanel &lanDevices = rig.windows->lanDevices();
    QCOMPARE(rig.context().CurrentDeviceMAC(), QStringLiteral("00-00-00-00-00-0B"));
    QCOMPARE(rig.context().link()->DeviceIP(), QStringLiteral("10.0.0.3"));
    QCOMPARE(tagEdit(rig, 43)->text(), QStringLiteral("Screen B"));
    QCOMPARE(tagEdit(rig, 1)->text(), QString());

    auto *devices = control<QComboBox>(rig, "cbLANDevice");
    devices->setCurrentIndex(devices->findText(a));
    lanDevices.cbLANDeviceChange();
    QCOMPARE(tagEdit(rig, 1)->text(), QStringLiteral("Player A"));
    QCOMPARE(tagEdit(rig, 43)->text(), QString());

    // Tags edited in TCP control mode go to the selected device's sections.
    rig.dialogs.pushModal([](QDialog *dialog) {
        auto *editor = static_cast<TfrmPreSettingEdit *>(dialog);
        editor->cbDispNameOfOutput[1]->setEditText(QStringLiteral("Screen A"));
        editor->btnOK->click();
        return editor->result();
    });
    control<QPushButton>(rig, "btnEditOutputPortTag")->click();

    devices->setCurrentIndex(devices->findText(c));
    lanDevices.cbLANDeviceChange();
    QCOMPARE(rig.context().portTags().tags(), PortTagSet{});

    QVERIFY(form.SaveSettings());
    const IniDocument ini = iniOf(rig.readSettings());
    QCOMPARE(ini.readString("Tag of Output - TCP:00-00-00-00-00-0A", "Out2"),
             QStringLiteral("Screen A"));
    QCOMPARE(ini.readString("Tag of Input - TCP:00-00-00-00-00-0A", "In1"),
             QStringLiteral("Player A"));
    QCOMPARE(ini.readString("Tag of Output - TCP:00-00-00-00-00-0B", "Out3"),
             QStringLiteral("Screen B"));
    QCOMPARE(ini.readString("Tag of Input - COM", "In1"), QStringLiteral("Serial player"));
    QVERIFY(!ini.sectionExists("Tag of Input - TCP:00-00-00-00-00-0C"));
    QCOMPARE(ini.readString("TCP control device", "Name"), c);
    QCOMPARE(ini.readString("Control mode", "Mode"), QStringLiteral("0"));
}

void TestSettingsFile::clearingInputTagsRemovesOnlyTheInputSection()
{
    ShellRig rig;
    rig.writeSettings("[Tag of Input - COM]\nIn1=Player\nIn2=PC\n"
                      "[Tag of Output - COM]\nOut1=TV\n"
                      "[Tag of Input - TCP:AA-AA-AA-AA-AA-AA]\nIn1=Elsewhere\n");
    rig.show();
    rig.dialogs.pushModal([](QDialog *dialog) {
        auto *editor = static_cast<TfrmPreSettingEdit *>(dialog);
        for (QComboBox *box : editor->cbDevNameOfInput)
            box->setEditText(QString());
        editor->cbDevNameOfInput[2]->setEditText(QStringLiteral("   "));
        editor->btnOK->click();
        return editor->result();
    });
    control<QPushButton>(rig, "btnEditInputPortTag")->click();

    // A tag of blanks counts as empty for the file, although the field shows it.
    QCOMPARE(tagEdit(rig, 3)->text(), QStringLiteral("   "));
    const IniDocument ini = iniOf(rig.readSettings());
    QVERIFY(!ini.sectionExists("Tag of Input - COM"));
    QCOMPARE(ini.readString("Tag of Output - COM", "Out1"), QStringLiteral("TV"));
    QCOMPARE(ini.readString("Tag of Input - TCP:AA-AA-AA-AA-AA-AA", "In1"),
             QStringLiteral("Elsewhere"));
}

void TestSettingsFile::unwritableFileShowsErrorAndLosesNothing()
{
    // The settings file lies under a regular file: no one, root included, can create it.
    ShellRig rig;
    QFile blocker(rig.dir.filePath(QStringLiteral("not-a-folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = blocker.fileName() + QStringLiteral("/Settings.ini");
    rig.windows =
        std::make_unique<ProgramWindows>(rig.dialogs, rig.transports, rig.clock, rig.portLister,
                                         SettingsLocation(rig.dir.path(), path));
    TForm1 &form = rig.form();
    form.show();
    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Error),
             QStringList{QStringLiteral("Unable to write to ") + path});
    QCOMPARE(rig.windows->presets().rows().size(), 8);

    // Saving the tags after an edit fails the same way and keeps the edited tags.
    rig.dialogs.pushModal([](QDialog *dialog) {
        auto *editor = static_cast<TfrmPreSettingEdit *>(dialog);
        editor->cbDispNameOfOutput[0]->setEditText(QStringLiteral("Monitor"));
        editor->btnOK->click();
        return editor->result();
    });
    control<QPushButton>(rig, "btnEditOutputPortTag")->click();
    QCOMPARE(tagEdit(rig, 41)->text(), QStringLiteral("Monitor"));
    QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Error), 2);

    // The window still closes.
    QVERIFY(form.close());
    QVERIFY(form.isClosed());
    QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Error), 3);
}

void TestSettingsFile::settingsPathThatIsAFolderIsNotReplaced()
{
    ShellRig rig;
    QVERIFY(QDir(rig.dir.path()).mkdir(QStringLiteral("Settings.ini")));
    QFile inside(rig.dir.filePath(QStringLiteral("Settings.ini/keep.txt")));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.write("precious");
    inside.close();

    rig.show();
    QCOMPARE(rig.dialogs.lastText(ScriptedDialogs::Kind::Error),
             QStringLiteral("Unable to write to ") + rig.settingsPath());
    QCOMPARE(rig.context().link()->ControlMode(), cmCOM);
    QVERIFY(QFileInfo(rig.settingsPath()).isDir());
    QVERIFY(inside.open(QIODevice::ReadOnly));
    QCOMPARE(inside.readAll(), QByteArray("precious"));
}

void TestSettingsFile::storeRoundTripsWithoutWindows()
{
    // The programs without windows read and write the file through the store alone.
    const QString mac = QStringLiteral("00-00-00-00-00-0A");
    AppSettings settings;
    settings.lanMode = true;
    settings.comPort = QStringLiteral("ttyUSB1");
    settings.device = QStringLiteral("[A]-[TCP]-[10.0.0.2]-[00-00-00-00-00-0A]-[255.0.0.0]");
    settings.devices = {settings.device,
                        QStringLiteral("[B]-[TCP]-[10.0.0.3]-[00-00-00-00-00-0B]-[255.0.0.0]")};
    for (int n = 1; n <= AppSettings::PresetCount; ++n)
        settings.presets.append(
            {QStringLiteral("Scene ") + QString::number(n), {"4", "3", "2", "1"}});
    settings.presets[1].routing.append(QStringLiteral("9"));
    settings.inputNames = {"Camera", "Player"};
    settings.outputNames = {"TV"};
    settings.edid.lists = {"Mode", "In2", "Out1", "In3", "Out4", "In1"};
    settings.edid.saveFile = QStringLiteral("/tmp/a b/save.bin");
    settings.edid.openFile = QStringLiteral("/tmp/open.bin");
    settings.displayTag = true;
    settings.tags = AppSettings::TagsInUse{cmLAN, mac, {}};
    settings.tags->tags.inputs[0] = QStringLiteral("Player A");

    IniDocument ini;
    SettingsStore::write(ini, settings);
    QCOMPARE(ini.sectionNames(),
             (QStringList{"WARNING", "Control mode", "COM port", "TCP control device",
                          "TCP control device list", "Tag of Input - TCP:" + mac,
                          "Pre-Setting name", "Pre-Setting value", "In device name",
                          "Out display name", "EDID setting", "Display tag"}));
    QCOMPARE(ini.readString("Control mode", "Mode"), QStringLiteral("1"));
    // The tags are read by the tag store, for the mode and device in use.
    QCOMPARE(PortTagStore::load(ini, cmLAN, mac), settings.tags->tags);
    AppSettings read = SettingsStore::read(ini);
    QVERIFY(!read.tags);
    read.tags = settings.tags;
    QVERIFY(read == settings);

    // Without a tag set in use, writing leaves every tag section as it is.
    read.tags.reset();
    IniDocument again = ini;
    SettingsStore::write(again, read);
    QCOMPARE(PortTagStore::load(again, cmLAN, mac), settings.tags->tags);

    // A blank entry in the device list is no device.
    ini.writeString("TCP control device list", "Device No.3", "  ");
    QCOMPARE(SettingsStore::read(ini).devices, settings.devices);
}

void TestSettingsFile::presetSavedByAnotherProgramSurvivesTheClose()
{
    ShellRig rig;
    rig.writeSettings("[Pre-Setting name]\r\nSetting3=Old\r\n");
    TForm1 &form = rig.show();
    // matrixctl's "preset save" while the window is open; then the window changes something.
    SharedIniFile matrixctl(rig.settingsPath());
    QVERIFY(SavePreset(matrixctl, 3, {"Evening", {"2", "1", "4", "3"}}).ok());
    control<QCheckBox>(rig, "cbDisplayTag")->setChecked(true);

    QVERIFY(form.close());
    const AppSettings saved = SettingsStore::read(iniOf(rig.readSettings()));
    QCOMPARE(saved.presets[2], (PresetRow{"Evening", {"2", "1", "4", "3"}}));
    QVERIFY(saved.displayTag);
}

void TestSettingsFile::unwritableFileBesideTheProgramSeedsThePerUserFile()
{
    ShellRig rig;
    const QString appDir = rig.dir.filePath(QStringLiteral("bin"));
    const QString userFile = rig.dir.filePath(QStringLiteral("config/Settings.ini"));
    QVERIFY(QDir().mkpath(appDir));
    const QString beside = appDir + QStringLiteral("/Settings.ini");
    QVERIFY(WriteFileBytes(beside, StagePreset));
    const UnwritableFile locked(beside);
    if (IsWritable(beside))
        QSKIP("no way to make a file unwritable here");
    rig.location = SettingsLocation::resolve(
        {appDir, rig.dir.filePath(QStringLiteral("config")), rig.dir.filePath("no-bin")});
    rig.show();

    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Error),
             QStringList{QStringLiteral("Unable to write to ") + beside});
    QCOMPARE(hint(rig), QStringLiteral("Settings file: ") + userFile);
    QCOMPARE(rig.windows->presets().rows().first().name, QStringLiteral("Stage"));
    QVERIFY(iniOf(FileBytes(userFile)).sectionExists(QStringLiteral("Display tag")));
    QCOMPARE(FileBytes(beside), StagePreset);
}

void TestSettingsFile::tooLargeFileIsRefusedAndLeftAlone()
{
    ShellRig rig;
    rig.writeSettings(StagePreset);
    QFile file(rig.settingsPath());
    QVERIFY(file.resize(IniDocument::MaxFileSize + 1));
    TForm1 &form = rig.show();

    const QString path = rig.settingsPath();
    QCOMPARE(rig.dialogs.texts(ScriptedDialogs::Kind::Error),
             (QStringList{QStringLiteral("Unable to read ") + path +
                              QStringLiteral(": 67108865 bytes, larger than the limit of "
                                             "67108864 bytes"),
                          QStringLiteral("Unable to write to ") + path}));
    QVERIFY(form.close());
    QCOMPARE(rig.dialogs.count(ScriptedDialogs::Kind::Error), 3);
    QCOMPARE(file.size(), IniDocument::MaxFileSize + 1);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(StagePreset.size()), StagePreset);
}

void TestSettingsFile::binaryLinesAreKeptInACopyAndTold()
{
    ShellRig rig;
    const QByteArray original = StagePreset + QByteArray(64, '\x01') + "\r\n";
    rig.writeSettings(original);
    rig.show();

    const QStringList copies = QDir(rig.dir.path()).entryList({"Settings.ini.unreadable-*"});
    QCOMPARE(copies.size(), 1);
    const QString copy = rig.dir.filePath(copies.first());
    QCOMPARE(FileBytes(copy), original);
    QCOMPARE(hint(rig), QStringLiteral("Lines that are not text were left out of ") +
                            rig.settingsPath() + QStringLiteral("; the original is kept as ") +
                            copy);
    QCOMPARE(rig.windows->presets().rows().first().name, QStringLiteral("Stage"));
    QCOMPARE(rig.dialogs.count(), 0);

    // Until the operator's first command.
    rig.answerEveryCommand();
    TCommandResult result;
    rig.context().gate().RunCommand(QStringLiteral("Setting..."), Command::Routing,
                                    RoutingSub::SetRoute, 1, 1, result);
    QVERIFY(result.Success);
    QCOMPARE(hint(rig), QString());
}

QTEST_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
