#pragma once
#include "base/controls_win.h"
#include "base/window_win.h"
#include "settings/settings.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vemora {

// What a change made in the settings dialog asks of the clock besides
// keeping it.
enum class SettingsChange {
    Kept,  // nothing to show: kept for the next use and for the file
    Look,  // transparency, font or colours: drawn at once
    Lunar, // the calendar pop-up with or without the Chinese calendar
    Sign,  // the horoscope drawn again for the new sign
    Face,  // seconds, 12-hour time, the date line or the size: laid out and drawn again
};

// What the settings dialog reads from the clock and hands back to it.
class SettingsDialogHost {
public:
    virtual const Settings& CurrentSettings() const = 0;
    // The installed font families, GBK, as the font box lists them.
    virtual const std::vector<std::string>& InstalledFonts() const = 0;
    virtual bool AutostartOn() const = 0;
    // Throws when the registry refuses; the mark then stays as it was.
    virtual void ToggleAutostart() = 0;
    // The clock takes the changed settings and does what the change asks.
    virtual void ChangeSettings(const Settings& changed, SettingsChange what) = 0;
    // The city box was changed: the name as typed goes to the weather. Throws
    // for a name without a reading; the dialog then stays open.
    virtual void CityTyped(const std::wstring& typed) = 0;

protected:
    ~SettingsDialogHost() = default;
};

// The settings dialog: transparency, font and colours take effect at once,
// city, star sign, network time and the clock's face (seconds, 12-hour time,
// the date line, the size) on OK. 取消, Esc and the close box put back what
// took effect at once and drop the rest.
class SettingsDialog : public BaseWindow<SettingsDialog> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmset";
    // The controls' ids.
    // clang-format off
    enum Id {
        kTransparencySlider = 10, kFontBox, kStartColourBox, kEndColourBox, // transparency, font, start and end colours
        kCityEdit, kSignBox,                    // city, star sign
        kHourlyAlertCheck, kAutostartCheck, kNetworkTimeCheck,          // hourly alert, start with Windows, network time
        kOkButton, kLunarCheck,                     // 确定, Chinese calendar
        kSecondsCheck, kHour12Check, kDateCheck, kScaleBox, // the clock's face: seconds, 12-hour, date, size
        kCancelButton                              // 取消
    };
    // clang-format on

    // owner: the window that owns the dialog; modalOver: the clock, disabled
    // while the dialog runs.
    SettingsDialog(HWND owner, HWND modalOver, SettingsDialogHost& host, ErrorReporter& reporter);
    void ShowModal();

    void ShowCurrentSettings();
    void TransparencyChanged();
    void FontChosen();
    void StartColourChosen();
    void EndColourChosen();
    void HourlyAlertClicked();
    void AutostartClicked();
    void LunarClicked();
    void Accept();
    void Cancel();
    void CloseRequested() override { Cancel(); }

    HWND transparencySlider = nullptr, fontBox = nullptr, startColourBox = nullptr, endColourBox = nullptr,
         cityEdit = nullptr, signBox = nullptr, hourlyAlertCheck = nullptr, autostartCheck = nullptr,
         networkTimeCheck = nullptr, okButton = nullptr, lunarCheck = nullptr, secondsCheck = nullptr,
         hour12Check = nullptr, dateCheck = nullptr, scaleBox = nullptr, cancelButton = nullptr,
         transparencyValue = nullptr;
    // The dialog's client area at 96 dpi.
    static constexpr int kClientWidth = 326, kClientHeight = 338;
    // The colour of a colour box's selection, 0x00BBGGRR, system colours resolved.
    static COLORREF SelectedColour(HWND colourBox);

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The dialog at a resolution: size, controls and font scaled from the design.
    void ApplyDpi(int dpi);
    int Dpi() const { return dpi_; }

private:
    // Hands the edited settings to the clock.
    void Change(SettingsChange what, const std::function<void(Settings&)>& edit);
    void FillColourBox(HWND box);
    void CreateFaceControls();
    // The size the scale box names, in percent; none for text that names none.
    std::optional<int> ChosenScale() const;
    void ShowColour(HWND box, Argb colour);
    void DrawColourItem(const DRAWITEMSTRUCT& item);

    HWND modalOver_;
    SettingsDialogHost& host_;
    Settings opened_; // the settings when the dialog opened, for 取消
    UniqueHfont font_;
    DialogLayout layout_;
    int dpi_ = kDesignDpi;
};

} // namespace vemora
