#include "MessageBoxAnswerer.h"

#include <chrono>

#include <windows.h>

namespace {

const wchar_t kDialogClass[] = L"#32770";
constexpr auto kPollInterval = std::chrono::milliseconds(20);

// Adds the text of one child window to the std::wstring at `into` if it is a static
// control: the message of a message box (its icon is a static control without text).
BOOL CALLBACK appendStaticText(HWND child, LPARAM into) {
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Static") != 0)
        return TRUE;
    wchar_t text[1024] = {};
    if (GetWindowTextW(child, text, 1024) > 0)
        reinterpret_cast<std::wstring *>(into)->append(text);
    return TRUE;
}

std::wstring staticTexts(HWND dialog) {
    std::wstring collected;
    EnumChildWindows(dialog, appendStaticText, reinterpret_cast<LPARAM>(&collected));
    return collected;
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::wstring caption)
    : _caption(std::move(caption)), _thread([this] { watch(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    _stop = true;
    _thread.join();
}

std::vector<std::wstring> MessageBoxAnswerer::texts() const {
    std::lock_guard<std::mutex> lock(_textsMutex);
    return _texts;
}

void MessageBoxAnswerer::watch() {
    while (!_stop) {
        HWND box = FindWindowW(kDialogClass, _caption.c_str());
        if (!box) {
            std::this_thread::sleep_for(kPollInterval);
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(_textsMutex);
            _texts.push_back(staticTexts(box));
        }
        // Counted before it is answered: the caller may look as soon as the box returns.
        ++_answered;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // Answer each box once: wait until it has gone before looking for the next one.
        while (!_stop && IsWindow(box))
            std::this_thread::sleep_for(kPollInterval);
    }
}
