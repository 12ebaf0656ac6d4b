#pragma once

class TfrmEditLAN;
class TfrmEnterYes;
class TfrmPreSettingEdit;
class TfrmSearch;
class TfrmShowInOutInfo;

/// The five windows that exist beside the main window for the whole run. They are created
/// after the main window, so it receives them through TForm1::setSecondaryWindows.
struct SecondaryWindows
{
    TfrmPreSettingEdit *frmPreSettingEdit = nullptr;
    TfrmShowInOutInfo *frmShowInOutInfo = nullptr;
    TfrmEditLAN *frmEditLAN = nullptr;
    TfrmSearch *frmSearch = nullptr;
    TfrmEnterYes *frmEnterYes = nullptr;
};
