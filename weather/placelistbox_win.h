#pragma once
#include "base/controls_win.h"
#include "base/window_win.h"

#include <optional>
#include <string>
#include <vector>

namespace vemora {

// A small modal box that asks which of several places of one name the user
// means: a list of "name（province，country）" lines, OK and Cancel.
class PlaceListBox : public BaseWindow<PlaceListBox> {
public:
    static constexpr const wchar_t* kClassName = L"TPlaceList";
    enum Id { kList = 100, kOk = IDOK, kCancel = IDCANCEL };

    PlaceListBox(ErrorReporter& reporter, HWND owner, const std::wstring& prompt,
                 const std::vector<std::wstring>& labels);
    // The index of the line chosen on OK (or a double click); nothing on Cancel.
    std::optional<std::size_t> Ask();

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Choose();

    HWND owner_;
    HWND list_ = nullptr;
    UniqueHfont font_;
    DialogLayout layout_;
    std::optional<std::size_t> answer_;
};

} // namespace vemora
