#pragma once

struct AppSettings;

/// A part of the program that keeps something in Settings.ini: it shows what was read and
/// hands back what is to be written.
class SettingsPart
{
public:
    virtual ~SettingsPart() = default;
    virtual void applySettings(const AppSettings &settings) = 0;
    virtual void collectSettings(AppSettings &settings) const = 0;
};
