#pragma once

#include <QString>

/// The folders that decide where Settings.ini lives.
struct SettingsPlaces
{
    /// The executable's folder.
    QString appDir;
    /// The per-user folder, ~/.config/hdmi-matrix-controller.
    QString userDir;
    /// Where the build installs the programs (the configured install prefix's bin folder).
    QString installBinDir;

    /// The places of the running program (needs a QCoreApplication).
    static SettingsPlaces ofThisProgram();
};

/// Where the programs of this project (the window, matrixctl, matrix-bridge) keep Settings.ini,
/// by one rule, so that they all share one file:
///
/// - Settings.ini beside the executable, when that file can be written (or created) and the
///   executable is not the installed one: a program run from its build tree keeps its file
///   beside it.
/// - Otherwise the per-user file, userDir/Settings.ini. An installed program never writes into
///   its bin folder, even when run as root. A Settings.ini beside the executable that cannot
///   be written seeds the per-user file once, when that does not exist yet; from then on the
///   per-user file is the one in use, so no change made since is lost at the next start.
class SettingsLocation
{
public:
    SettingsLocation() = default;
    /// `appDir` is the executable's folder, `filePath` the settings file to use.
    SettingsLocation(const QString &appDir, const QString &filePath);

    /// Applies the rule (creating the per-user folder and seeding its file when needed).
    static SettingsLocation resolve(const SettingsPlaces &places);
    /// The rule for the running program: what every program of the project calls.
    static SettingsLocation forThisProgram();
    /// The rule for the folder `appDir`, with `userDir` as the per-user folder (empty: the
    /// user's own) and the configured install folder.
    static SettingsLocation resolve(const QString &appDir, const QString &userDir = {});
    /// Settings.ini directly in `appDir`, as in tests.
    static SettingsLocation inDirectory(const QString &appDir);

    /// The executable's folder with a trailing separator.
    QString appDir() const { return m_appDir; }
    QString filePath() const { return m_filePath; }
    bool isBesideExecutable() const;
    /// "Unable to write to <path>" for the Settings.ini beside the executable when it exists
    /// but cannot be written (not for an installed program, which never writes there); the
    /// window shows it in an error box. Empty otherwise.
    QString unwritableText() const { return m_unwritableText; }
    /// "Settings file: <path>" when the file in use is not the one beside the executable, for
    /// the status bar. Empty otherwise.
    QString inUseText() const;

    static constexpr const char *FileName = "Settings.ini";
    /// The one folder of the per-user file, whatever the program's application name.
    static constexpr const char *FolderName = "hdmi-matrix-controller";
    /// ~/.config/hdmi-matrix-controller (following XDG_CONFIG_HOME).
    static QString defaultUserDir();
    /// The install prefix's bin folder, as configured when the program was built.
    static QString installBinDir();

private:
    QString m_appDir;
    QString m_filePath;
    QString m_unwritableText;
};
