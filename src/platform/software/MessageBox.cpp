#include "MessageBox.h"

#include <cstdio>
#include <mutex>

namespace {

struct MessageBoxLog {
    std::mutex lock;
    bool capturing = false;
    std::vector<SoftwareMessageBox> boxes;
};

MessageBoxLog &messageBoxLog() {
    static MessageBoxLog instance;
    return instance;
}

// wchar_t holds UTF-32 on this platform; invalid code points become U+FFFD.
std::string toUtf8(const std::wstring &text) {
    std::string out;
    for (wchar_t wide : text) {
        auto code = static_cast<uint32_t>(wide);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

} // namespace

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    SoftwareMessageBox box{caption ? caption : L"Error", text ? text : L"", type};
    MessageBoxLog &log = messageBoxLog();
    {
        std::lock_guard<std::mutex> guard(log.lock);
        if (log.capturing) {
            log.boxes.push_back(std::move(box));
            return IDOK;
        }
    }
    std::fprintf(stderr, "%s: %s\n", toUtf8(box.caption).c_str(), toUtf8(box.text).c_str());
    return IDOK;
}

void softwareCaptureMessageBoxes(bool capture) {
    MessageBoxLog &log = messageBoxLog();
    std::lock_guard<std::mutex> guard(log.lock);
    log.capturing = capture;
}

std::vector<SoftwareMessageBox> softwareTakeMessageBoxes() {
    MessageBoxLog &log = messageBoxLog();
    std::lock_guard<std::mutex> guard(log.lock);
    std::vector<SoftwareMessageBox> taken;
    taken.swap(log.boxes);
    return taken;
}
